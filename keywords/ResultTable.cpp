#include "ResultTable.h"

#include "Dao.h"

#include <algorithm>

int GridSortColumn = 1;
QString GridCurrentKey;
int GridCurrentRow = 1;

namespace keywords {

ResultTable ResultTable::fromShared(const QList<QStringList> &gridRows, const QStringList &gridKeys)
{
    ResultTable t;
    for (int i = 1; i < gridRows.size(); ++i) {
        ResultRow r;
        const QStringList &cells = gridRows.at(i);
        // Rows may carry column 0 or not; columns 1 to 4 are the last four.
        const int offset = cells.size() >= 5 ? 1 : 0;
        for (int c = 0; c < 4; ++c) {
            const int at = c + offset;
            if (at < cells.size())
                r.cells[c] = cells.at(at);
        }
        if (i < gridKeys.size())
            r.key = gridKeys.at(i);
        t.m_rows.append(r);
    }
    return t;
}

int ResultTable::sort(int column, const QString &currentKey)
{
    column = std::clamp(column, 1, 4);
    const int c = column - 1;
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [c](const ResultRow &a, const ResultRow &b) { return a.cells[c] < b.cells[c]; });
    // Runs of the run column, ordered by the tie column.
    const int run = column == 1 ? 0 : 1;
    const int tie = column == 1 ? 1 : 0;
    auto first = m_rows.begin();
    while (first != m_rows.end()) {
        auto last = first + 1;
        while (last != m_rows.end() && last->cells[run] == first->cells[run])
            ++last;
        if (last - first > 1)
            std::stable_sort(first, last, [tie](const ResultRow &a, const ResultRow &b) {
                return a.cells[tie] < b.cells[tie];
            });
        first = last;
    }
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).cells[c] == currentKey)
            return i + 1;
    return 0;
}

QString ResultTable::shownText(int row, int column, int fillSortColumn) const
{
    const ResultRow &r = m_rows.at(row - 1);
    if (row == 1)
        return r.cell(column);
    const ResultRow &above = m_rows.at(row - 2);
    switch (column) {
    case 1:
        return fillSortColumn == 1 && r.cell(1) == above.cell(1) ? QString() : r.cell(1);
    case 2:
        return fillSortColumn >= 2 && r.cell(2) == above.cell(2) ? QString() : r.cell(2);
    default:
        // Author and title go with the key: shown once per card.
        if (fillSortColumn >= 2 && r.cell(2) == above.cell(2) && r.cell(column) == above.cell(column))
            return QString();
        return r.cell(column);
    }
}

int ResultTable::dropKey(const QString &key)
{
    const auto before = m_rows.size();
    m_rows.removeIf([&key](const ResultRow &r) {
        return !r.key.isEmpty() && dao::compareText(r.key, key) == 0;
    });
    return int(before - m_rows.size());
}

int clampRow(int row, int count) { return count <= 0 ? 0 : std::clamp(row, 1, count); }

} // namespace keywords
