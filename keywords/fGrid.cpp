#include "fGrid.h"

#include "CardSets.h"
#include "Colors.h"
#include "Dialogs.h"
#include "Events.h"
#include "MainWindowLink.h"
#include "ProgramState.h"
#include "ResultOpen.h"
#include "Twips.h"

#include <QApplication>
#include <QFont>

#include <algorithm>

namespace {

const char *const kHeaders[4] = {" KeyWord ", " Reference ", " Author ", " Title "};

// The rows of the load that loadWith runs, for that load alone: its
// argument carried past Forms::get, which makes and loads the window.
keywords::ResultTable *g_givenRows = nullptr;

// The hourglass for as long as it lives.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

fGrid::fGrid()
{
    setObjectName(QStringLiteral("fGrid"));
    setMdiChild(true);
    Grid1 = new vb::FlexGrid(2, 5, 1, 1, client());
    addControl(QStringLiteral("Grid1"), Grid1);
    vb::connectEvent(Grid1, &vb::FlexGrid::click, this, [this] { Grid1_Click(); });
    vb::connectEvent(Grid1, &vb::FlexGrid::dblClick, this, [this] { Grid1_DblClick(); });
    // Client area 9195 x 4725 as designed.
    setWidth(9195 + 120);
    setHeight(4725 + 420);
}

void fGrid::formLoad()
{
    setTag(CardKind);
    QFont font = Grid1->font();
    font.setBold(false);
    font.setPointSize(9);
    Grid1->setFont(font);
    setCaption(GridCaption);

    setLeft(0);
    setTop(0);
    const MainWindowLink &link = mainWindowLink();
    if (link.width && link.leftPanelWidth && link.width() > 0)
        setWidth(std::max(1200, link.width() - link.leftPanelWidth() - 200));
    vb::setGeometryTwips(Grid1, 120, 120, std::max(0.0, width() - 240), std::max(0.0, height() - 640));

    Grid1->setCols(5);
    const double widths[5] = {400, 1800, 1500, 1800, 6000};
    for (int c = 0; c < 5; ++c)
        Grid1->setColWidth(c, widths[c]);

    if (g_givenRows) {
        keywords::ResultTable given = std::move(*g_givenRows);
        g_givenRows = nullptr;
        ShowTable(std::move(given));
    } else {
        ShowTable(keywords::ResultTable::fromShared(GridRows, GridKeys));
    }
    Grid1->refresh();
}

fGrid &fGrid::loadWith(keywords::ResultTable rows)
{
    vb::Forms::unload<fGrid>();
    struct Given {
        explicit Given(keywords::ResultTable *rows) { g_givenRows = rows; }
        ~Given() { g_givenRows = nullptr; }
    } given(&rows);
    fGrid &grid = vb::Forms::get<fGrid>();
    // Still loaded, its unload refused: it shows them all the same.
    if (g_givenRows) {
        g_givenRows = nullptr;
        grid.ShowTable(std::move(rows));
    }
    return grid;
}

void fGrid::ShowTable(keywords::ResultTable table)
{
    m_table = std::move(table);
    m_highlightRow = 0;
    SortRows();
    m_fillSortColumn = 1;
    FillGrid();
}

void fGrid::formResize()
{
    if (!Grid1)
        return;
    vb::setWidth(Grid1, std::max(0.0, width() - 420));
    vb::setHeight(Grid1, std::max(0.0, height() - 675));
}

void fGrid::SortRows()
{
    BusyCursor busy;
    m_fillSortColumn = std::clamp(GridSortColumn, 1, 4);
    const int found = m_table.sort(m_fillSortColumn, GridCurrentKey);
    if (found > 0)
        GridCurrentRow = found;
}

void fGrid::FillGrid()
{
    BusyCursor busy;
    const int n = m_table.count();
    Grid1->clear();
    Grid1->setRows(n + 1);
    {
        const vb::FlexGrid::FillBatch batch(Grid1);
        for (int c = 1; c <= 4; ++c)
            Grid1->setTextMatrix(0, c, QString::fromLatin1(kHeaders[c - 1]));
        // The cells are empty after the clear: only what shows is written.
        for (int i = 1; i <= n; ++i) {
            Grid1->setTextMatrix(i, 0, QString::number(i));
            for (int c = 1; c <= 4; ++c)
                if (!m_table.shownBlank(i, c, m_fillSortColumn))
                    Grid1->setTextMatrix(i, c, m_table.row(i).cell(c));
        }
    }
    // A row number left by a longer listing would point past the end.
    GridCurrentRow = keywords::clampRow(GridCurrentRow, n);
    if (GridCurrentRow > 0) {
        Grid1->setTopRow(GridCurrentRow);
        Grid1->setRow(GridCurrentRow);
        Grid1->setCol(1);
        Grid1->setRowSel(GridCurrentRow);
        Grid1->setColSel(4);
    }
}

void fGrid::Highlight()
{
    if (Grid1->rows() == 0 || Grid1->row() < 0)
        return;
    const int previous = m_highlightRow;
    const int current = Grid1->row();
    m_highlightRow = current;
    m_highlightCol = Grid1->col();
    const QColor window = vb::oleColor(vb::vbWindowBackground);
    const QColor highlight = vb::oleColor(vb::vbHighlight);
    const QColor buttonText = vb::oleColor(vb::vbButtonText);
    for (int c = 1; c < Grid1->cols(); ++c) {
        Grid1->setCol(c);
        Grid1->setCellBackColor(highlight);
        Grid1->setCellForeColor(window);
    }
    if (previous >= 0 && previous < Grid1->rows()) {
        Grid1->setRow(previous);
        for (int c = 1; c < Grid1->cols(); ++c) {
            Grid1->setCol(c);
            Grid1->setCellBackColor(window);
            Grid1->setCellForeColor(buttonText);
        }
    }
    // The clicked row stays current so a double-click opens it.
    Grid1->setRow(current);
    Grid1->setCol(std::max(1, m_highlightCol));
}

void fGrid::Grid1_Click()
{
    if (Grid1->rows() <= 1 || Grid1->row() < 1 || Grid1->col() < 1)
        return;
    GridSortColumn = Grid1->col();
    GridCurrentKey = Grid1->text();
    if (Grid1->row() == 1) {
        const int col = Grid1->col();
        SortRows();
        FillGrid();
        Grid1->setRow(1);
        Grid1->setCol(col);
    }
    Highlight();
}

void fGrid::Grid1_DblClick()
{
    if (Grid1->rows() <= 1 || Grid1->row() < 1)
        return;
    Highlight();
    const QString key = m_table.keyOf(Grid1->row());
    // A row without a card ("No Match") opens nothing.
    if (key.isEmpty())
        return;
    const std::optional<CardType> type = cardTypeOfKind(tag());
    if (!type)
        return;
    keywords::OpenResultCard(*type, key);
}

void fGrid::DropCard(const QString &key)
{
    if (m_table.dropKey(key) == 0)
        return;
    m_highlightRow = 0;
    FillGrid();
}
