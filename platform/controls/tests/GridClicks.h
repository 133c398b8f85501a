#pragma once
// Reading a grid's cells and clicking them the way a user does, for the tests
// that drive windows built on FlexGrid.

#include "FlexGrid.h"

#include <QAbstractButton>
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

// A point inside the cell and inside the grid's view (a column may be wider
// than the grid).
inline QPoint cellPoint(vb::FlexGrid *g, int row, int col)
{
    g->scrollTo(g->model()->index(row, col));
    const QRect cell = g->visualRect(g->model()->index(row, col));
    return {std::min(cell.center().x(), cell.left() + 10), cell.center().y()};
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
