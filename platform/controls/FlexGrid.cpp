#include "FlexGrid.h"

#include "Error.h"
#include "Events.h"
#include "ShownText.h"
#include "Twips.h"

#include <QAbstractTableModel>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace vb {

namespace {
[[noreturn]] void badRow() { raise(30009, QStringLiteral("Invalid Row value")); }
[[noreturn]] void badCol() { raise(30010, QStringLiteral("Invalid Column value")); }
[[noreturn]] void badSubscript() { raise(381, QStringLiteral("Subscript out of range")); }
constexpr int kDefaultColWidthPx = 64; // 960 twips
} // namespace

// Shows the grid below and right of the header row and column: a view row
// is a grid row less headerRows(), a view column a grid column less
// headerCols().
class FlexModel : public QAbstractTableModel {
public:
    explicit FlexModel(FlexGrid *grid) : QAbstractTableModel(grid), g(grid) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : qMax(0, g->rows() - g->headerRows());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : qMax(0, g->cols() - g->headerCols());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const int r = index.row() + g->headerRows();
        const int c = index.column() + g->headerCols();
        if (r >= g->rows() || c >= g->cols())
            return {};
        const bool fixed = r < g->m_fixedRows || c < g->m_fixedCols;
        switch (role) {
        // The cell keeps the whole value: text() and textMatrix() read it.
        case Qt::DisplayRole: return shownText(g->m_cells.at(r, c).text);
        case Qt::BackgroundRole: {
            const QColor back = g->m_cells.colorsAt(r, c).back;
            if (back.isValid())
                return back;
            return fixed ? QVariant(g->palette().color(QPalette::Button)) : QVariant();
        }
        case Qt::ForegroundRole: {
            const QColor fore = g->m_cells.colorsAt(r, c).fore;
            if (fore.isValid())
                return fore;
            return {};
        }
        default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (o == Qt::Horizontal) {
            const int c = section + g->headerCols();
            if (g->headerRows() && c < g->cols())
                return shownText(g->m_cells.at(0, c).text);
        } else {
            const int r = section + g->headerRows();
            if (g->headerCols() && r < g->rows())
                return shownText(g->m_cells.at(r, 0).text);
        }
        return {};
    }

    void cellChanged(int r, int c)
    {
        if (r < g->headerRows() || c < g->headerCols()) {
            if (r < g->headerRows() && c >= g->headerCols())
                emit headerDataChanged(Qt::Horizontal, c - g->headerCols(), c - g->headerCols());
            else if (c < g->headerCols() && r >= g->headerRows())
                emit headerDataChanged(Qt::Vertical, r - g->headerRows(), r - g->headerRows());
            return;
        }
        const QModelIndex i = index(r - g->headerRows(), c - g->headerCols());
        emit dataChanged(i, i);
    }

    void allChanged()
    {
        if (rowCount() && columnCount())
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        if (columnCount())
            emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        if (rowCount())
            emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }

    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;

private:
    FlexGrid *g;
};

FlexGrid::FlexGrid(QWidget *parent)
    : FlexGrid(2, 2, 1, 1, parent)
{
}

FlexGrid::FlexGrid(int rows, int cols, int fixedRows, int fixedCols, QWidget *parent)
    : QTableView(parent)
{
    m_cols = qMax(0, cols);
    m_cells.cols = m_cols;
    m_cells.setRows(qMax(0, rows));
    m_colWidthPx.fill(kDefaultColWidthPx, m_cols);
    m_fixedRows = qBound(0, fixedRows, qMax(0, rows));
    m_fixedCols = qBound(0, fixedCols, m_cols);
    m_model = new FlexModel(this);
    setModel(m_model);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(NoSelection); // the grid keeps its own selection
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);
    setTabKeyNavigation(false);
    setDragDropMode(NoDragDrop);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    for (QHeaderView *h : {horizontalHeader(), verticalHeader()}) {
        h->setSectionsClickable(false);
        h->setHighlightSections(false);
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->viewport()->installEventFilter(this);
    }
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setDefaultSectionSize(qMax(pixelsY(240), fontMetrics().height() + 4));
    if (rows > 0 && m_cols > 0)
        moveCurrent(m_fixedRows < rows ? m_fixedRows : 0, m_fixedCols < m_cols ? m_fixedCols : 0,
                    -2, -2, false);
    applyLayout();
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::headerRows() const { return m_fixedRows >= 1 && rows() >= 1 ? 1 : 0; }
int FlexGrid::headerCols() const { return m_fixedCols >= 1 && m_cols >= 1 ? 1 : 0; }

void FlexGrid::checkRow(int r) const
{
    if (r < 0 || r >= rows())
        badRow();
}

void FlexGrid::checkCol(int c) const
{
    if (c < 0 || c >= m_cols)
        badCol();
}

void FlexGrid::applyLayout()
{
    horizontalHeader()->setVisible(headerRows() > 0);
    verticalHeader()->setVisible(headerCols() > 0);
    for (int c = headerCols(); c < m_cols; ++c)
        setColumnWidth(c - headerCols(), m_colWidthPx.value(c, kDefaultColWidthPx));
    if (headerCols())
        verticalHeader()->setFixedWidth(m_colWidthPx.value(0, kDefaultColWidthPx));
    showSelection();
}

// -2 for a selection corner means "the current cell".
void FlexGrid::moveCurrent(int r, int c, int rs, int cs, bool notify)
{
    const bool moved = r != m_row || c != m_col;
    m_row = r;
    m_col = c;
    m_rowSel = rs == -2 ? r : rs;
    m_colSel = cs == -2 ? c : cs;
    showSelection();
    if (moved && notify)
        emit rowColChange();
}

void FlexGrid::showSelection()
{
    QItemSelectionModel *sm = selectionModel();
    if (!sm)
        return;
    const int h = headerRows(), v = headerCols();
    if (m_row < 0 || m_col < 0 || !m_highlight) {
        sm->clear();
        return;
    }
    const int r0 = qMax(qMin(m_row, m_rowSel), h) - h, r1 = qMax(m_row, m_rowSel) - h;
    const int c0 = qMax(qMin(m_col, m_colSel), v) - v, c1 = qMax(m_col, m_colSel) - v;
    QItemSelection sel;
    if (r1 >= r0 && c1 >= c0 && r1 >= 0 && c1 >= 0)
        sel.select(m_model->index(r0, c0), m_model->index(r1, c1));
    sm->select(sel, QItemSelectionModel::ClearAndSelect);
    if (m_row >= h && m_col >= v)
        sm->setCurrentIndex(m_model->index(m_row - h, m_col - v), QItemSelectionModel::NoUpdate);
}

void FlexGrid::setHighlight(bool shown)
{
    if (shown == m_highlight)
        return;
    m_highlight = shown;
    showSelection();
}

void FlexGrid::setRows(int n)
{
    if (n < 0)
        badRow();
    const int old = rows();
    if (n == old)
        return;
    const int oldHeader = headerRows();
    const bool headerChanges = (m_fixedRows >= 1) && ((old == 0) != (n == 0));
    if (headerChanges) {
        m_model->beginResetModel();
    } else if (n > old) {
        m_model->beginInsertRows({}, old - oldHeader, n - 1 - oldHeader);
    } else {
        m_model->beginRemoveRows({}, n - oldHeader, old - 1 - oldHeader);
    }
    m_cells.setRows(n);
    if (headerChanges)
        m_model->endResetModel();
    else if (n > old)
        m_model->endInsertRows();
    else
        m_model->endRemoveRows();

    int r = m_row, rs = m_rowSel, c = m_col;
    if (n == 0 || m_cols == 0) {
        r = rs = -1;
        c = m_cols ? m_col : -1;
    } else {
        if (r < 0) {
            r = qMin(m_fixedRows, n - 1);
            c = qMin(m_fixedCols, m_cols - 1);
        }
        r = qMin(r, n - 1);
        rs = rs < 0 ? r : qMin(rs, n - 1);
    }
    applyLayout();
    const bool moved = r != m_row || c != m_col;
    m_row = r;
    m_col = c;
    m_rowSel = rs;
    m_colSel = qMin(m_colSel < 0 ? c : m_colSel, m_cols - 1);
    showSelection();
    if (moved)
        emit rowColChange();
}

template <class To> void FlexGrid::Cells::moveColors(To to)
{
    if (colors.isEmpty())
        return;
    QHash<qsizetype, Colors> moved;
    for (auto it = colors.cbegin(); it != colors.cend(); ++it)
        if (const qsizetype p = to(it.key()); p >= 0)
            moved.insert(p, it.value());
    colors = std::move(moved);
}

void FlexGrid::Cells::setRows(int n)
{
    const qsizetype end = qsizetype(n) * cols;
    all.resize(end);
    rows = n;
    moveColors([end](qsizetype p) { return p < end ? p : -1; });
}

void FlexGrid::Cells::setCols(int n)
{
    QVector<Cell> wider(qsizetype(rows) * n);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < qMin(cols, n); ++c)
            wider[qsizetype(r) * n + c] = std::move(at(r, c));
    all = std::move(wider);
    const int old = cols;
    moveColors([old, n](qsizetype p) { return p % old < n ? p / old * n + p % old : -1; });
    cols = n;
}

void FlexGrid::Cells::insertRow(int r, const QVector<Cell> &line)
{
    all.insert(qsizetype(r) * cols, cols, Cell());
    for (int c = 0; c < cols && c < line.size(); ++c)
        at(r, c) = line.at(c);
    ++rows;
    const qsizetype from = qsizetype(r) * cols, by = cols;
    moveColors([from, by](qsizetype p) { return p < from ? p : p + by; });
}

void FlexGrid::Cells::removeRow(int r)
{
    const qsizetype from = qsizetype(r) * cols, by = cols;
    all.remove(from, by);
    --rows;
    moveColors([from, by](qsizetype p) { return p < from ? p : p < from + by ? -1 : p - by; });
}

void FlexGrid::Cells::clear()
{
    for (Cell &c : all)
        c.text.clear();
    colors.clear();
}

void FlexGrid::setCols(int n)
{
    if (n < 0)
        badCol();
    if (n == m_cols)
        return;
    m_model->beginResetModel();
    m_cells.setCols(n);
    m_colWidthPx.resize(n);
    for (int c = m_cols; c < n; ++c)
        m_colWidthPx[c] = kDefaultColWidthPx;
    m_cols = n;
    m_fixedCols = qMin(m_fixedCols, n);
    m_model->endResetModel();
    int c = m_col;
    if (n == 0 || rows() == 0)
        c = -1;
    else if (c < 0)
        c = qMin(m_fixedCols, n - 1);
    else
        c = qMin(c, n - 1);
    int r = m_row;
    if (c >= 0 && r < 0 && rows() > 0)
        r = qMin(m_fixedRows, rows() - 1);
    applyLayout();
    moveCurrent(r, c, r < 0 ? -1 : qMin(qMax(m_rowSel, r), rows() - 1), c, true);
}

void FlexGrid::setFixedRows(int n)
{
    if (n < 0 || n > rows())
        badRow();
    m_model->beginResetModel();
    m_fixedRows = n;
    m_model->endResetModel();
    applyLayout();
}

void FlexGrid::setFixedCols(int n)
{
    if (n < 0 || n > m_cols)
        badCol();
    m_model->beginResetModel();
    m_fixedCols = n;
    m_model->endResetModel();
    applyLayout();
}

void FlexGrid::setRow(int r)
{
    checkRow(r);
    moveCurrent(r, m_col < 0 && m_cols > 0 ? 0 : m_col, -2, -2, true);
}

void FlexGrid::setCol(int c)
{
    checkCol(c);
    moveCurrent(m_row < 0 && rows() > 0 ? 0 : m_row, c, -2, -2, true);
}

void FlexGrid::setRowSel(int r)
{
    checkRow(r);
    m_rowSel = r;
    showSelection();
}

void FlexGrid::setColSel(int c)
{
    checkCol(c);
    m_colSel = c;
    showSelection();
}

QString FlexGrid::text() const
{
    if (m_row < 0 || m_col < 0 || m_row >= rows() || m_col >= m_cols)
        return QString();
    return m_cells.at(m_row, m_col).text;
}

void FlexGrid::setText(const QString &t)
{
    if (m_row < 0 || m_row >= rows())
        badRow();
    if (m_col < 0 || m_col >= m_cols)
        badCol();
    m_cells.at(m_row, m_col).text = t;
    m_model->cellChanged(m_row, m_col);
}

QString FlexGrid::textMatrix(int r, int c) const
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        badSubscript();
    return m_cells.at(r, c).text;
}

void FlexGrid::setTextMatrix(int r, int c, const QString &t)
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        badSubscript();
    m_cells.at(r, c).text = t;
    if (m_fillBatches > 0)
        m_batchChanged = true;
    else
        m_model->cellChanged(r, c);
}

FlexGrid::FillBatch::FillBatch(FlexGrid *grid) : m_grid(grid) { ++m_grid->m_fillBatches; }

FlexGrid::FillBatch::~FillBatch()
{
    if (--m_grid->m_fillBatches > 0 || !m_grid->m_batchChanged)
        return;
    m_grid->m_batchChanged = false;
    m_grid->m_model->allChanged();
}

QString FlexGrid::clip() const
{
    if (m_row < 0 || m_col < 0)
        return QString();
    QStringList lines;
    for (int r = qMin(m_row, m_rowSel); r <= qMax(m_row, m_rowSel); ++r) {
        QStringList cells;
        for (int c = qMin(m_col, m_colSel); c <= qMax(m_col, m_colSel); ++c)
            cells << m_cells.at(r, c).text;
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\r'));
}

double FlexGrid::colWidth(int c) const
{
    checkCol(c);
    return twipsX(m_colWidthPx.at(c));
}

void FlexGrid::setColWidth(int c, double twips)
{
    checkCol(c);
    m_colWidthPx[c] = qMax(0, pixelsX(twips));
    applyLayout();
}

int FlexGrid::topRow() const
{
    if (rows() == 0)
        return 0;
    return verticalScrollBar()->value() + headerRows();
}

void FlexGrid::setTopRow(int r)
{
    if (r < m_fixedRows || r >= rows())
        badRow();
    updateGeometries();
    verticalScrollBar()->setValue(r - headerRows());
}

void FlexGrid::addItem(const QString &t, int index)
{
    const int n = rows();
    if (index > n || index < -1)
        badRow();
    const int at = index < 0 ? n : index;
    if (at < headerRows() && n > 0)
        badRow(); // not in front of the header row
    QVector<Cell> line(m_cols);
    const QStringList parts = t.split(QLatin1Char('\t'));
    for (int c = 0; c < m_cols && c < parts.size(); ++c)
        line[c].text = parts.at(c);
    const bool headerChanges = m_fixedRows >= 1 && n == 0;
    if (headerChanges)
        m_model->beginResetModel();
    else
        m_model->beginInsertRows({}, at - headerRows(), at - headerRows());
    m_cells.insertRow(at, line);
    if (headerChanges)
        m_model->endResetModel();
    else
        m_model->endInsertRows();
    if (m_row < 0 && m_cols > 0) {
        applyLayout();
        moveCurrent(qMin(m_fixedRows, rows() - 1), qMin(m_fixedCols, m_cols - 1), -2, -2, true);
    } else {
        showSelection();
    }
}

void FlexGrid::removeItem(int r)
{
    checkRow(r);
    if (r < m_fixedRows)
        badRow();
    if (rows() - m_fixedRows <= 1)
        vb::raise(30015, QStringLiteral("Cannot remove last non-fixed row"));
    m_model->beginRemoveRows({}, r - headerRows(), r - headerRows());
    m_cells.removeRow(r);
    m_model->endRemoveRows();
    const int last = rows() - 1;
    const int nr = qMin(m_row, last);
    m_rowSel = qMin(m_rowSel, last);
    moveCurrent(nr, m_col, m_rowSel, m_colSel, true);
}

void FlexGrid::clear()
{
    m_cells.clear();
    m_model->allChanged();
}

void FlexGrid::refresh() { viewport()->repaint(); }

QColor FlexGrid::cellBackColor() const
{
    if (m_row < 0 || m_col < 0)
        badRow();
    const QColor back = m_cells.colorsAt(m_row, m_col).back;
    if (back.isValid())
        return back;
    return palette().color(m_row < m_fixedRows || m_col < m_fixedCols ? QPalette::Button : QPalette::Base);
}

void FlexGrid::setCellBackColor(const QColor &color)
{
    if (m_row < 0 || m_col < 0)
        badRow();
    m_cells.paint(m_row, m_col).back = color;
    m_model->cellChanged(m_row, m_col);
}

QColor FlexGrid::cellForeColor() const
{
    if (m_row < 0 || m_col < 0)
        badRow();
    const QColor fore = m_cells.colorsAt(m_row, m_col).fore;
    return fore.isValid() ? fore : palette().color(QPalette::Text);
}

void FlexGrid::setCellForeColor(const QColor &color)
{
    if (m_row < 0 || m_col < 0)
        badRow();
    m_cells.paint(m_row, m_col).fore = color;
    m_model->cellChanged(m_row, m_col);
}

// --- the user ---------------------------------------------------------------

void FlexGrid::pointerAt(QPoint pos, int &r, int &c) const
{
    const QModelIndex i = indexAt(pos);
    if (i.isValid()) {
        r = i.row() + headerRows();
        c = i.column() + headerCols();
    } else {
        r = c = -1;
    }
}

void FlexGrid::emitMouse(void (FlexGrid::*signal)(int, int, double, double), QMouseEvent *e,
                         QWidget *from, bool press)
{
    MouseArgs a = mouseArgs(e, press);
    const QPoint p = from->mapTo(this, e->position().toPoint());
    a.x = twipsX(p.x());
    a.y = twipsY(p.y());
    runEvent([&] { emit(this->*signal)(a.button, a.shift, a.x, a.y); });
}

void FlexGrid::mousePressEvent(QMouseEvent *e)
{
    int r, c;
    pointerAt(e->position().toPoint(), r, c);
    m_mouseRow = r;
    m_mouseCol = c;
    m_afterDoubleClick = false;
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
        m_leftPressed = true;
        // The pressed cell is current before MouseDown runs.
        if (r >= 0)
            runEvent([&] { moveCurrent(r, c, -2, -2, true); });
    }
    emitMouse(&FlexGrid::mouseDown, e, viewport(), true);
}

void FlexGrid::mouseMoveEvent(QMouseEvent *e)
{
    int r, c;
    pointerAt(e->position().toPoint(), r, c);
    m_mouseRow = r;
    m_mouseCol = c;
    if (m_leftPressed && (e->buttons() & Qt::LeftButton) && r >= 0 && (r != m_rowSel || c != m_colSel)) {
        m_rowSel = r;
        m_colSel = c;
        showSelection();
    }
    emitMouse(&FlexGrid::mouseMove, e, viewport(), false);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent *e)
{
    emitMouse(&FlexGrid::mouseUp, e, viewport(), false);
    const bool wasLeft = m_leftPressed && e->button() == Qt::LeftButton;
    m_leftPressed = false;
    if (wasLeft && !m_afterDoubleClick && rect().contains(viewport()->mapTo(this, e->position().toPoint())))
        runEvent([&] { emit click(); });
    m_afterDoubleClick = false;
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        mousePressEvent(e);
        return;
    }
    int r, c;
    pointerAt(e->position().toPoint(), r, c);
    m_mouseRow = r;
    m_mouseCol = c;
    m_leftPressed = true;
    m_afterDoubleClick = true;
    if (r >= 0)
        runEvent([&] { moveCurrent(r, c, -2, -2, true); });
    runEvent([&] { emit dblClick(); });
}

void FlexGrid::keyPressEvent(QKeyEvent *e)
{
    if (m_row < 0 || m_col < 0) {
        e->ignore();
        return;
    }
    int r = m_row, c = m_col;
    const int page = qMax(1, viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()));
    switch (e->key()) {
    case Qt::Key_Up: r = qMax(m_fixedRows, r - 1); break;
    case Qt::Key_Down: r = qMin(rows() - 1, r + 1); break;
    case Qt::Key_Left: c = qMax(m_fixedCols, c - 1); break;
    case Qt::Key_Right: c = qMin(m_cols - 1, c + 1); break;
    case Qt::Key_PageUp: r = qMax(m_fixedRows, r - page); break;
    case Qt::Key_PageDown: r = qMin(rows() - 1, r + page); break;
    case Qt::Key_Home: r = m_fixedRows; break;
    case Qt::Key_End: r = rows() - 1; break;
    default: e->ignore(); return; // Enter and the rest go on to the window
    }
    if (r < 0 || c < 0)
        return;
    runEvent([&] { moveCurrent(r, c, -2, -2, true); });
    if (r >= headerRows() && c >= headerCols())
        scrollTo(m_model->index(r - headerRows(), c - headerCols()));
}

// A press on the header row selects the column, one on the header column
// the row; either raises Click on release.
void FlexGrid::headerMouse(QEvent *e, bool columnHeader)
{
    auto *me = static_cast<QMouseEvent *>(e);
    QHeaderView *h = columnHeader ? horizontalHeader() : verticalHeader();
    const int section = h->logicalIndexAt(me->position().toPoint());
    const int r = columnHeader ? 0 : (section < 0 ? -1 : section + headerRows());
    const int c = columnHeader ? (section < 0 ? -1 : section + headerCols()) : 0;
    m_mouseRow = r;
    m_mouseCol = c;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_afterDoubleClick = false;
        if (me->button() == Qt::LeftButton) {
            m_leftPressed = true;
            if (section >= 0 && rows() > m_fixedRows && m_cols > m_fixedCols)
                runEvent([&] {
                    if (columnHeader)
                        moveCurrent(m_fixedRows, c, rows() - 1, c, true);
                    else
                        moveCurrent(r, m_fixedCols, r, m_cols - 1, true);
                });
        }
        emitMouse(&FlexGrid::mouseDown, me, h->viewport(), true);
        break;
    case QEvent::MouseButtonRelease: {
        emitMouse(&FlexGrid::mouseUp, me, h->viewport(), false);
        const bool wasLeft = m_leftPressed && me->button() == Qt::LeftButton;
        m_leftPressed = false;
        if (wasLeft)
            runEvent([&] { emit click(); });
        break;
    }
    case QEvent::MouseMove: emitMouse(&FlexGrid::mouseMove, me, h->viewport(), false); break;
    default: break;
    }
}

bool FlexGrid::eventFilter(QObject *watched, QEvent *e)
{
    const bool columnHeader = watched == horizontalHeader()->viewport();
    const bool rowHeader = watched == verticalHeader()->viewport();
    if (columnHeader || rowHeader) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            headerMouse(e, columnHeader);
            return true;
        default: break;
        }
    }
    return QTableView::eventFilter(watched, e);
}

void FlexGrid::dragEnterEvent(QDragEnterEvent *e)
{
    if (payloadOf(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void FlexGrid::dragMoveEvent(QDragMoveEvent *e)
{
    if (payloadOf(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void FlexGrid::dropEvent(QDropEvent *e)
{
    const std::optional<DragPayload> p = payloadOf(e->mimeData());
    if (!p) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    const QPoint pos = viewport()->mapTo(this, e->position().toPoint());
    runEvent([&] { emit dragDrop(*p, twipsX(pos.x()), twipsY(pos.y())); });
}

} // namespace vb
