#include "ResultTable.h"

#include "Dao.h"

#include <QHash>

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

namespace {

// The rank of each row's text in one column, in character-code order:
// equal texts share a rank. The sort then compares numbers, and each
// distinct text is compared only with the others.
std::vector<int> ranksOf(const QList<ResultRow> &rows, int c)
{
    // Rows that come in order already, as a listing by key reads them,
    // are ranked in one pass.
    bool ordered = true;
    for (qsizetype i = 1; ordered && i < rows.size(); ++i)
        ordered = !(rows.at(i).cells[c] < rows.at(i - 1).cells[c]);
    if (ordered) {
        std::vector<int> rank(size_t(rows.size()));
        int r = 0;
        for (qsizetype i = 1; i < rows.size(); ++i) {
            if (rows.at(i).cells[c] != rows.at(i - 1).cells[c])
                ++r;
            rank[size_t(i)] = r;
        }
        return rank;
    }
    // Each distinct text gets a number through a table of its own, open
    // addressing on a cheap hash of the characters.
    std::vector<const QString *> distinct;
    std::vector<int> rank(size_t(rows.size()));
    size_t width = 16;
    while (width < size_t(rows.size()) * 2)
        width *= 2;
    std::vector<int> table(width, -1);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString &text = rows.at(i).cells[c];
        if (i > 0 && text == rows.at(i - 1).cells[c]) {
            rank[size_t(i)] = rank[size_t(i - 1)];
            continue;
        }
        size_t h = 1469598103934665603ull;
        for (const QChar ch : text)
            h = (h ^ ch.unicode()) * 1099511628211ull;
        size_t at = (h ^ (h >> 29)) & (width - 1);
        while (table[at] >= 0 && *distinct[size_t(table[at])] != text)
            at = (at + 1) & (width - 1);
        if (table[at] < 0) {
            table[at] = int(distinct.size());
            distinct.push_back(&text);
        }
        rank[size_t(i)] = table[at];
    }
    const std::vector<int> leads = orderOfTexts(distinct);
    std::vector<int> rankOfId(distinct.size());
    for (size_t k = 0; k < leads.size(); ++k)
        rankOfId[size_t(leads[k])] = int(k);
    for (int &r : rank)
        r = rankOfId[size_t(r)];
    return rank;
}

} // namespace

int ResultTable::sort(int column, const QString &currentKey)
{
    column = std::clamp(column, 1, 4);
    const int c = column - 1;
    // Ties on the sort column keep each card's rows together (by card key)
    // and order them by keyword; ties on the keyword go by card key. The
    // sort moves row numbers, and the rows once at the end.
    const std::vector<int> byColumn = ranksOf(m_rows, c);
    const std::vector<int> byKey = c == 1 ? byColumn : ranksOf(m_rows, 1);
    const std::vector<int> byKeyword = c == 0 ? byColumn : ranksOf(m_rows, 0);
    // Each row's ranks packed in the order they count, its place last: the
    // sort compares two numbers and keeps rows that tie in their order.
    struct Place {
        quint64 first, second;
        bool operator<(const Place &o) const { return first != o.first ? first < o.first : second < o.second; }
    };
    std::vector<Place> places(size_t(m_rows.size()));
    for (size_t i = 0; i < places.size(); ++i) {
        const quint64 first = quint64(byColumn[i]) << 32;
        if (c == 0)
            places[i] = {first | quint64(byKey[i]), quint64(i)};
        else if (c == 1)
            places[i] = {first | quint64(byKeyword[i]), quint64(i)};
        else
            places[i] = {first | quint64(byKey[i]), (quint64(byKeyword[i]) << 32) | quint64(i)};
    }
    std::sort(places.begin(), places.end());
    std::vector<int> order(places.size());
    for (size_t i = 0; i < places.size(); ++i)
        order[i] = int(places[i].second & 0xffffffffu);
    QList<ResultRow> sorted;
    sorted.reserve(m_rows.size());
    for (int i : order)
        sorted.append(std::move(m_rows[i]));
    m_rows = std::move(sorted);
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
