#include "KeywordBrowser.h"

#include "BrowserTexts.h"
#include "Colors.h"
#include "DragDrop.h"
#include "Events.h"
#include "FlexGrid.h"
#include "Form.h"
#include "OpenKeywordCards.h"
#include "Start.h"
#include "Twips.h"
#include "fCorvane.h"
#include "WindowLinks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace browser {

// --- KWList ------------------------------------------------------------------

int FlexGridRows::rows() const { return m_grid->rows(); }
QString FlexGridRows::text(int row) const { return m_grid->textMatrix(row, 0); }
int FlexGridRows::currentRow() const { return m_grid->rows() > 0 ? m_grid->row() : -1; }

void FlexGridRows::setCurrentRow(int row)
{
    if (row < 0 || row >= m_grid->rows())
        return;
    m_grid->setRow(row);
    m_grid->setRowSel(row);
}

int FlexGridRows::topRow() const { return m_grid->rows() > 0 ? m_grid->topRow() : 0; }

void FlexGridRows::setTopRow(int row)
{
    if (m_grid->rows() > 0)
        m_grid->setTopRow(std::clamp(row, 0, m_grid->rows() - 1));
}

void FlexGridRows::removeRow(int row)
{
    m_grid->removeItem(row);
    m_grid->refresh();
}

void FlexGridRows::setKeywords(const QStringList &keywords)
{
    // A refill starts from plain rows: the colour of an earlier click must
    // not stay on its row number, now another keyword's.
    m_grid->clear();
    m_grid->setRows(int(keywords.size()));
    for (int i = 0; i < keywords.size(); ++i)
        m_grid->setTextMatrix(i, 0, keywords.at(i));
    if (!keywords.isEmpty()) {
        m_grid->setRow(0);
        m_grid->setTopRow(0);
    }
}

// --- the browser ---------------------------------------------------------------

struct KeywordBrowser::PaneWidgets {
    vb::ControlArray<vb::FlexGrid> *grids;
    vb::ControlArray<QLineEdit> *boxes;
    QWidget *panel;
    QScrollBar *scroll;
    QVector<int> serials = QVector<int>(kMaxLevel + 1, -1);
    QVector<int> rowsSerials = QVector<int>(kMaxLevel + 1, -1);
};

namespace {

// Sets a flag for as long as it lives.
struct FlagGuard {
    bool &flag;
    bool previous;
    explicit FlagGuard(bool &f) : flag(f), previous(f) { flag = true; }
    ~FlagGuard() { flag = previous; }
};

void fillListGrid(vb::FlexGrid *grid, const QStringList &rows)
{
    grid->clear();
    grid->setRows(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i)
        grid->setTextMatrix(i, 0, rows.at(i));
    if (!rows.isEmpty()) {
        grid->setRow(0);
        grid->setTopRow(0);
    }
}

// The colours of a clicked level and its current row; the rows in view stay
// in view (making each row current to paint it would scroll the grid).
void paintLevelGrid(vb::FlexGrid *grid, const Level &level)
{
    const int top = grid->topRow();
    if (level.painted) {
        const QColor window = vb::oleColor(vb::vbWindowBackground);
        const QColor text = vb::oleColor(vb::vbButtonText);
        const QColor highlight = vb::oleColor(vb::vbHighlight);
        for (int r = 0; r < level.rows.size(); ++r) {
            grid->setRow(r);
            const bool clicked = r == level.highlighted;
            grid->setCellBackColor(clicked ? highlight : window);
            grid->setCellForeColor(clicked ? window : text);
        }
    }
    if (level.current >= 0 && level.current < level.rows.size())
        grid->setRow(level.current);
    if (top >= 0 && top < grid->rows())
        grid->setTopRow(top);
}

void fillLevelGrid(vb::FlexGrid *grid, const Level &level)
{
    fillListGrid(grid, level.rows);
    paintLevelGrid(grid, level);
}

} // namespace

KeywordBrowser::KeywordBrowser(fCorvane &window)
    : m_window(window),
      m_down(
          PaneDirection::Down, [this](const QString &k) { return m_graph.subsets(k); },
          [this] { return m_graph.isEmpty(); }),
      m_up(PaneDirection::Up, [this](const QString &k) { return m_graph.supersets(k); }),
      m_editor(m_graph),
      m_kwRows(window.KWList),
      m_downWidgets(new PaneWidgets{&window.DownGrid, &window.DownGridSel, window.DownPanel,
                                    window.DownVScroll}),
      m_upWidgets(
          new PaneWidgets{&window.UpGrid, &window.UpGridSel, window.UpPanel, window.UpVScroll})
{
    fCorvane &w = m_window;
    connectLevel(PaneDirection::Down, 0);
    connectLevel(PaneDirection::Up, 0);
    vb::connectEvent(w.DownVScroll, &QScrollBar::valueChanged, this, [this] { DownVScroll_Change(); });
    vb::connectEvent(w.UpVScroll, &QScrollBar::valueChanged, this, [this] { UpVScroll_Change(); });
    vb::connectEvent(w.cmdSearchUp, &QPushButton::clicked, this, [this] { cmdSearchUp_Click(); });

    vb::connectEvent(w.KWList, &vb::FlexGrid::click, this, [this] { KWList_Click(); });
    vb::connectEvent(w.KWList, &vb::FlexGrid::dblClick, this, [this] { KWList_DblClick(); });
    connect(this, &KeywordBrowser::downGridDblClick, this, [this](int index) { DownGrid_DblClick(index); });
    vb::connectEvent(w.Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    vb::connectEvent(w.KWAdd, &QPushButton::clicked, this, [this] { KWAdd_Click(); });
    vb::connectEvent(w.KWSupp, &QPushButton::clicked, this, [this] { KWSupp_Click(); });

    // The selected keyword is the drag source of the link editor.
    QLabel *label = w.KWSel;
    vb::enableAutomaticDrag(label, [label] { return vb::DragPayload::fromLabel(label, label->text()); });

    vb::connectEvent(w.cmdAddFromListDown, &QPushButton::clicked, this, [this] { cmdAddFromListDown_Click(); });
    vb::connectEvent(w.cmdAddFromListUp, &QPushButton::clicked, this, [this] { cmdAddFromListUp_Click(); });
    vb::connectEvent(w.cmdSuppFromListDown, &QPushButton::clicked, this, [this] { cmdSuppFromListDown_Click(); });
    vb::connectEvent(w.cmdSuppFromListUp, &QPushButton::clicked, this, [this] { cmdSuppFromListUp_Click(); });
    vb::connectEvent(w.cmdSelFromDown, &QPushButton::clicked, this, [this] { cmdSelFromDown_Click(); });
    vb::connectEvent(w.cmdSelFromUp, &QPushButton::clicked, this, [this] { cmdSelFromUp_Click(); });
    vb::connectEvent(w.cmdFindIfLinks, &QPushButton::clicked, this, [this] { cmdFindIfLinks_Click(); });
    vb::connectEvent(w.GridDown, &vb::FlexGrid::click, this, [this] { GridDown_Click(); });
    vb::connectEvent(w.GridUp, &vb::FlexGrid::click, this, [this] { GridUp_Click(); });
    vb::connectEvent(w.GridDown, &vb::FlexGrid::dblClick, this, [this] { cmdSelFromDown_Click(); });
    vb::connectEvent(w.GridUp, &vb::FlexGrid::dblClick, this, [this] { cmdSelFromUp_Click(); });
    vb::connectEvent(w.GridDown, &vb::FlexGrid::dragDrop, this,
                     [this](const vb::DragPayload &p) { GridDown_DragDrop(p); });
    vb::connectEvent(w.GridUp, &vb::FlexGrid::dragDrop, this,
                     [this](const vb::DragPayload &p) { GridUp_DragDrop(p); });
    w.GridUp->setColWidth(0, kLevelColumnWidth);
    w.GridDown->setColWidth(0, kLevelColumnWidth);
}

KeywordBrowser::~KeywordBrowser() = default;

void KeywordBrowser::connectLevel(PaneDirection direction, int index)
{
    fCorvane &w = m_window;
    if (direction == PaneDirection::Down) {
        vb::FlexGrid *g = w.DownGrid[index];
        vb::connectEvent(g, &vb::FlexGrid::click, this, [this, index] { DownGrid_Click(index); });
        vb::connectEvent(g, &vb::FlexGrid::mouseDown, this,
                         [this, index](int button) { DownGrid_MouseDown(index, button); });
        connect(g, &vb::FlexGrid::dblClick, this, [this, index] { emit downGridDblClick(index); });
    } else {
        vb::FlexGrid *g = w.UpGrid[index];
        vb::connectEvent(g, &vb::FlexGrid::click, this, [this, index] { UpGrid_Click(index); });
    }
}

// --- the load ------------------------------------------------------------------

void KeywordBrowser::BindLinkRecordset()
{
    m_graph.bindShared();
    m_allKeywords = std::make_unique<AllKeywordsPane>(m_kwRows, rsCGroup1, fldCGroup1Groupe);
    m_window.DownGrid[0]->setColWidth(0, kLevelColumnWidth);
}

void KeywordBrowser::CollectRootKeywords() { m_roots = m_graph.rootKeywords(); }

void KeywordBrowser::FillRootGrid(vb::FlexGrid *grid)
{
    fillListGrid(grid, m_roots.keywords);
    if (grid == m_window.DownGrid[0]) {
        m_down.setRootRows(m_roots.keywords);
        m_downWidgets->serials[0] = m_down.level(0).serial;
        m_downWidgets->rowsSerials[0] = m_down.level(0).rowsSerial;
    }
}

void KeywordBrowser::ResetNavigation()
{
    m_down.reset();
    m_up.reset();
    renderPane(m_down, *m_downWidgets);
    renderPane(m_up, *m_upWidgets);
}

// --- the panes -----------------------------------------------------------------

void KeywordBrowser::renderPane(LevelPane &pane, PaneWidgets &w)
{
    FlagGuard guard(m_rendering);
    for (int i = kMaxLevel; i >= pane.levelCount(); --i) {
        if (i > 0 && w.grids->exists(i))
            w.grids->unload(i);
        if (i > 0 && w.boxes->exists(i))
            w.boxes->unload(i);
        w.serials[i] = -1;
        w.rowsSerials[i] = -1;
    }
    for (int i = 0; i < pane.levelCount(); ++i) {
        if (!w.grids->exists(i)) {
            w.grids->load(i);
            connectLevel(pane.direction(), i);
            w.serials[i] = -1;
            w.rowsSerials[i] = -1;
        }
        if (!w.boxes->exists(i))
            w.boxes->load(i);
        vb::FlexGrid *grid = (*w.grids)[i];
        QLineEdit *box = (*w.boxes)[i];
        const Level &level = pane.level(i);
        if (w.rowsSerials[i] != level.rowsSerial) {
            grid->setColWidth(0, kLevelColumnWidth);
            fillLevelGrid(grid, level);
        } else if (w.serials[i] != level.serial) {
            // The same rows, clicked: only the colours change.
            paintLevelGrid(grid, level);
        }
        w.serials[i] = level.serial;
        w.rowsSerials[i] = level.rowsSerial;
        box->setText(level.selected);
        box->setVisible(false);
        vb::setTop(grid, pane.gridTop(i));
        vb::setTop(box, pane.boxTop(i));
        grid->setVisible(pane.isLevelVisible(i));
    }
    vb::setHeight(w.panel, pane.paneHeight());
    vb::setHeight(w.scroll, pane.scrollHeight());
    w.scroll->setRange(0, pane.scrollMax());
    w.scroll->setValue(pane.scrollValue());
}

void KeywordBrowser::listCardsOfSelection()
{
    QString keyword = m_window.KWSel->text();
    if (m_window.OptionRef->isChecked())
        ListRefsOfKeyword(keyword);
    else if (m_window.OptionCit->isChecked())
        ListCitsOfKeyword(keyword);
    else if (m_window.OptionNote->isChecked())
        ListNotesOfKeyword(keyword);
}

void KeywordBrowser::DownGrid_Click(int index)
{
    if (!m_window.DownGrid.exists(index))
        return;
    const PaneClick click = m_down.click(index, m_window.DownGrid[index]->row());
    if (click.ignored)
        return;
    setSelectedKeyword(click.keyword);
    renderPane(m_down, *m_downWidgets);
    if (click.keyword.isEmpty() || g_KWFrameHidden)
        return;
    listCardsOfSelection();
}

void KeywordBrowser::UpGrid_Click(int index)
{
    if (!m_window.UpGrid.exists(index))
        return;
    const PaneClick click = m_up.click(index, m_window.UpGrid[index]->row());
    if (click.ignored)
        return;
    setSelectedKeyword(click.keyword);
    renderPane(m_up, *m_upWidgets);
    if (click.keyword.isEmpty() || g_KWFrameHidden)
        return;
    listCardsOfSelection();
}

void KeywordBrowser::DownGrid_MouseDown(int index, int button)
{
    Q_UNUSED(index)
    if (button != vb::vbRightButton)
        return;
    UnloadResultGrid();
    const int level = m_down.currentLevel();
    if (m_window.DownGrid.exists(level))
        setSelectedKeyword(m_window.DownGrid[level]->text());
}

void KeywordBrowser::DownVScroll_Change()
{
    if (m_rendering)
        return;
    m_down.setScrollValue(m_window.DownVScroll->value());
    renderPane(m_down, *m_downWidgets);
}

void KeywordBrowser::UpVScroll_Change()
{
    if (m_rendering)
        return;
    m_up.setScrollValue(m_window.UpVScroll->value());
    renderPane(m_up, *m_upWidgets);
}

void KeywordBrowser::RefreshUpPane()
{
    m_up.rebuildFrom(m_down);
    if (!g_KWFrameHidden) {
        vb::setLeft(m_window.UpPanel, m_window.TabStrip1->clientLeft());
        vb::setTop(m_window.UpPanel, m_window.TabStrip1->clientTop());
    }
    renderPane(m_up, *m_upWidgets);
}

void KeywordBrowser::cmdSearchUp_Click() { RefreshUpPane(); }

void KeywordBrowser::setSelectedKeyword(const QString &keyword)
{
    m_window.KWSel->setText(keyword);
    m_window.KWSel2->setText(keyword);
    m_window.cmdFindIfLinks->setToolTip(texts::showLinksTip(keyword));
    updateAddTips();
}

void KeywordBrowser::updateAddTips()
{
    const QString selected = m_window.KWSel->text();
    m_window.cmdAddFromListUp->setToolTip(texts::addToSupersetsTip(selected, m_editor.central()));
    m_window.cmdAddFromListDown->setToolTip(texts::addToSubsetsTip(selected, m_editor.central()));
}

// --- the all-keywords pane -----------------------------------------------------

void KeywordBrowser::KWList_Click()
{
    vb::FlexGrid *list = m_window.KWList;
    if (list->rows() == 0)
        return;
    setSelectedKeyword(list->text());
    list->setCellBackColor(vb::oleColor(vb::vbButtonFace));
    if (!g_KWFrameHidden)
        listCardsOfSelection();
    m_window.setFocus();
    list->setFocus();
}

namespace {

mainwindow::CardKindOptions cardKindOptions(const fCorvane &w)
{
    return {w.OptionRef->isChecked(), w.OptionNote->isChecked(), w.OptionCit->isChecked()};
}

} // namespace

void KeywordBrowser::DownGrid_DblClick(int index)
{
    Q_UNUSED(index)
    // The level clicked last, which the click before this double-click set.
    const int level = m_down.currentLevel();
    if (!m_window.DownGrid.exists(level))
        return;
    mainwindow::OpenKeywordCardsByOptions(cardKindOptions(m_window), m_window.DownGrid[level]->text());
}

void KeywordBrowser::KWList_DblClick()
{
    vb::FlexGrid *list = m_window.KWList;
    if (list->rows() == 0)
        return;
    const QString keyword = list->text();
    const mainwindow::MainWindowModes &modes = m_window.modes();
    if (modes.position(mainwindow::Toggle::KW) == mainwindow::PositionDown)
        ShowKeywordLinks(keyword);
    if (modes.position(mainwindow::Toggle::Search) == mainwindow::PositionDown)
        mainwindow::OpenKeywordCardsByOptions(cardKindOptions(m_window), keyword);
}

void KeywordBrowser::Text1_Change()
{
    if (m_inText1Change || !m_allKeywords)
        return;
    FlagGuard guard(m_inText1Change);
    QLineEdit *box = m_window.Text1;
    const TypedText typed = capitaliseFirst(box->text(), box->cursorPosition());
    if (typed.changed) {
        box->setText(typed.text);
        box->setCursorPosition(typed.caret);
    }
    m_allKeywords->typeAhead(typed.text);
    m_window.KWAdd->setToolTip(texts::addKeywordTip(typed.text));
}

void KeywordBrowser::KWAdd_Click()
{
    if (m_allKeywords)
        m_allKeywords->add(m_window.Text1->text());
}

void KeywordBrowser::KWSupp_Click()
{
    if (m_allKeywords)
        m_allKeywords->removeCurrent();
}

// --- the link editor -----------------------------------------------------------

void KeywordBrowser::renderLinkEditor()
{
    fCorvane &w = m_window;
    w.SelUpDown->setText(m_editor.central());
    w.Label4->setText(m_editor.central());
    w.Label5->setText(m_editor.central());
    fillListGrid(w.GridUp, m_editor.upRows());
    fillListGrid(w.GridDown, m_editor.downRows());
}

void KeywordBrowser::RefreshLinkEditor()
{
    m_editor.refresh();
    renderLinkEditor();
}

void KeywordBrowser::ShowKeywordLinks(const QString &keyword)
{
    m_editor.showKeywordLinks(keyword);
    updateAddTips();
    renderLinkEditor();
}

void KeywordBrowser::cmdAddFromListDown_Click()
{
    m_editor.addSubset(m_window.KWList->rows() > 0 ? m_window.KWList->text() : QString());
    renderLinkEditor();
}

void KeywordBrowser::cmdAddFromListUp_Click()
{
    m_editor.addSuperset(m_window.KWList->rows() > 0 ? m_window.KWList->text() : QString());
    renderLinkEditor();
}

void KeywordBrowser::GridDown_DragDrop(const vb::DragPayload &source)
{
    const std::optional<QString> keyword = vb::droppedText(source);
    if (!keyword)
        return;
    m_editor.addSubset(*keyword);
    ShowKeywordLinks(m_editor.central());
}

void KeywordBrowser::GridUp_DragDrop(const vb::DragPayload &source)
{
    const std::optional<QString> keyword = vb::droppedText(source);
    if (!keyword)
        return;
    m_editor.addSuperset(*keyword);
    ShowKeywordLinks(m_editor.central());
}

void KeywordBrowser::cmdSuppFromListDown_Click()
{
    m_editor.removeSubset(m_window.GridDown->text());
    renderLinkEditor();
}

void KeywordBrowser::cmdSuppFromListUp_Click()
{
    m_editor.removeSuperset(m_window.GridUp->text());
    renderLinkEditor();
}

void KeywordBrowser::cmdSelFromDown_Click() { ShowKeywordLinks(m_window.GridDown->text()); }
void KeywordBrowser::cmdSelFromUp_Click() { ShowKeywordLinks(m_window.GridUp->text()); }

void KeywordBrowser::cmdFindIfLinks_Click()
{
    ShowKeywordLinks(m_window.KWList->rows() > 0 ? m_window.KWList->text() : QString());
}

void KeywordBrowser::GridDown_Click()
{
    const QString row = m_window.GridDown->text();
    m_window.cmdSelFromDown->setToolTip(texts::selectAsCentralTip(row));
    m_window.cmdSuppFromListDown->setToolTip(texts::discardSubsetTip(row, m_editor.central()));
}

void KeywordBrowser::GridUp_Click()
{
    const QString row = m_window.GridUp->text();
    m_window.cmdSelFromUp->setToolTip(texts::selectAsCentralTip(row));
    m_window.cmdSuppFromListUp->setToolTip(texts::discardSupersetTip(row, m_editor.central()));
}

void InstallKeywordBrowser()
{
    mainwindow::setKeywordBrowserFactory(
        [](fCorvane &window) { return std::make_unique<KeywordBrowser>(window); });
}

} // namespace browser
