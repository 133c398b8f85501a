#pragma once
// Reading a grid's cells and clicking them the way a user does, for the tests
// that drive windows built on FlexGrid.

#include "FlexGrid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QtTest>

#include <algorithm>

namespace gridtest {

inline QStringList column(vb::FlexGrid *g, int col = 0)
{
    QStringList out;
    for (int i = 0; i < g->rows(); ++i)
        out << g->textMatrix(i, col);
    return out;
}

inline int rowOf(vb::FlexGrid *g, const QString &text, int col = 0)
{
    for (int i = 0; i < g->rows(); ++i)
        if (g->textMatrix(i, col) == text)
            return i;
    return -1;
}

// The view's index of a grid cell: the first fixed row and column are the
// grid's headers, outside the view.
inline QModelIndex viewIndex(vb::FlexGrid *g, int row, int col)
{
    const int headerRow = g->fixedRows() >= 1 && g->rows() >= 1 ? 1 : 0;
    const int headerCol = g->fixedCols() >= 1 && g->cols() >= 1 ? 1 : 0;
    return g->model()->index(row - headerRow, col - headerCol);
}

// A point inside the cell and inside the grid's view (a column may be wider
// than the grid). A cell that is not in the view fails the test.
inline QPoint cellPoint(vb::FlexGrid *g, int row, int col)
{
    const QModelIndex index = viewIndex(g, row, col);
    if (!index.isValid()) {
        QTest::qFail(qPrintable(QStringLiteral("no cell (%1, %2) in the grid's view").arg(row).arg(col)), __FILE__,
                     __LINE__);
        return {-1, -1};
    }
    g->scrollTo(index);
    const QRect cell = g->visualRect(index);
    return {std::min(cell.center().x(), cell.left() + 10), cell.center().y()};
}

// A point on the header row above a column.
inline QPoint headerPoint(vb::FlexGrid *g, int col)
{
    const int headerCol = g->fixedCols() >= 1 && g->cols() >= 1 ? 1 : 0;
    QHeaderView *h = g->horizontalHeader();
    const int section = col - headerCol;
    return {h->sectionViewportPosition(section) + std::min(h->sectionSize(section) / 2, 10), h->height() / 2};
}

inline void clickHeader(vb::FlexGrid *g, int col)
{
    QTest::mouseClick(g->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(g, col));
}

inline void clickCell(vb::FlexGrid *g, int row, int col = 0)
{
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellPoint(g, row, col));
}

inline void doubleClickCell(vb::FlexGrid *g, int row, int col = 0)
{
    const QPoint at = cellPoint(g, row, col);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
}

inline void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }

} // namespace gridtest
