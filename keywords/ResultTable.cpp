#include "ResultTable.h"

#include "Dao.h"


#include <algorithm>
#include <vector>

int GridSortColumn = 1;
QString GridCurrentKey;
int GridCurrentRow = 1;

namespace keywords {

ResultTable ResultTable::fromShared(const QList<QStringList> &gridRows, const QStringList &gridKeys)
{
    ResultTable t;
    t.m_rows.reserve(std::max<qsizetype>(0, gridRows.size() - 1));
    for (int i = 1; i < gridRows.size(); ++i) {
        ResultRow &r = t.m_rows.emplace_back();
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
    }
    return t;
}

std::vector<int> orderOfTexts(const std::vector<const QString *> &texts)
{
    // Compared first on their leading characters packed into numbers (which
    // order as the characters do), and as whole texts only where those are
    // the same.
    struct Lead {
        quint64 part[3];
        int id;
    };
    std::vector<Lead> leads(texts.size());
    for (size_t k = 0; k < texts.size(); ++k) {
        const QString &text = *texts[k];
        Lead &l = leads[k];
        l.id = int(k);
        for (int p = 0; p < 3; ++p) {
            quint64 v = 0;
            for (int u = 0; u < 4; ++u) {
                const qsizetype at = p * 4 + u;
                v = (v << 16) | (at < text.size() ? text.at(at).unicode() : 0u);
            }
            l.part[p] = v;
        }
    }
    std::sort(leads.begin(), leads.end(), [&](const Lead &a, const Lead &b) {
        for (int p = 0; p < 3; ++p)
            if (a.part[p] != b.part[p])
                return a.part[p] < b.part[p];
        return *texts[size_t(a.id)] < *texts[size_t(b.id)];
    });
    std::vector<int> order(leads.size());
    for (size_t k = 0; k < leads.size(); ++k)
        order[k] = leads[k].id;
    return order;
}

bool sortsBefore(const ResultRow &a, const ResultRow &b, int column)
{
    const int c = column - 1;
    if (const int d = QString::compare(a.cells[c], b.cells[c]); d != 0)
        return d < 0;
    if (c == 0)
        return QString::compare(a.cells[1], b.cells[1]) < 0;
    if (c != 1)
        if (const int d = QString::compare(a.cells[1], b.cells[1]); d != 0)
            return d < 0;
    return QString::compare(a.cells[0], b.cells[0]) < 0;
}

int ResultTable::sort(int column, const QString &currentKey)
{
    column = std::clamp(column, 1, 4);
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [column](const ResultRow &a, const ResultRow &b) { return sortsBefore(a, b, column); });
    const int c = column - 1;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).cells[c] == currentKey)
            return i + 1;
    return 0;
}

bool ResultTable::shownBlank(int row, int column, int fillSortColumn) const
{
    if (row == 1)
        return false;
    const ResultRow &r = m_rows.at(row - 1);
    const ResultRow &above = m_rows.at(row - 2);
    switch (column) {
    case 1: return fillSortColumn == 1 && r.cell(1) == above.cell(1);
    case 2: return fillSortColumn >= 2 && r.cell(2) == above.cell(2);
    default:
        // Author and title go with the key: shown once per card.
        return fillSortColumn >= 2 && r.cell(2) == above.cell(2) && r.cell(column) == above.cell(column);
    }
}

QString ResultTable::shownText(int row, int column, int fillSortColumn) const
{
    return shownBlank(row, column, fillSortColumn) ? QString() : m_rows.at(row - 1).cell(column);
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
