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

namespace {

// A text's UTF-16 units from `at`, four of them packed into one number
// that orders as they do; past the end counts as 0.
quint64 chunkOf(QStringView text, qsizetype at)
{
    quint64 v = 0;
    for (qsizetype u = at; u < at + 4; ++u)
        v = (v << 16) | (u < text.size() ? text[u].unicode() : 0u);
    return v;
}

// How far texts are compared a step at a time.
constexpr qsizetype kChunkedUnits = 64;

// Units compared at each step: two packed numbers.
constexpr qsizetype kStep = 8;

struct Ranked {
    quint64 hi, lo; // the units at this step
    quint32 id;
    bool operator<(const Ranked &o) const { return hi != o.hi ? hi < o.hi : lo < o.lo; }
    bool sameUnits(const Ranked &o) const { return hi == o.hi && lo == o.lo; }
};

// Ranks texts[e.id] for the entries in [first, last), which share their
// first `at` units: sorted by the next eight, each run of equal ones by the
// eight after, so texts are read only as far as they differ. Ranks are
// handed out from `next` in the order of the texts, equal texts alike.
void rankRun(Ranked *first, Ranked *last, qsizetype at, const std::vector<QStringView> &texts,
             std::vector<quint32> &rank, quint32 &next)
{
    if (last - first == 1) {
        rank[first->id] = next++;
        return;
    }
    if (at >= kChunkedUnits) {
        // Long texts alike this far: compared whole, so that the depth
        // stays bounded.
        std::sort(first, last, [&texts](const Ranked &a, const Ranked &b) {
            return texts[a.id].compare(texts[b.id]) < 0;
        });
        for (Ranked *e = first; e != last; ++e) {
            if (e != first && texts[e->id] != texts[(e - 1)->id])
                ++next;
            rank[e->id] = next;
        }
        ++next;
        return;
    }
    for (Ranked *e = first; e != last; ++e) {
        e->hi = chunkOf(texts[e->id], at);
        e->lo = chunkOf(texts[e->id], at + 4);
    }
    std::sort(first, last);
    for (Ranked *run = first; run != last;) {
        Ranked *end = run + 1;
        bool longer = texts[run->id].size() > at + kStep;
        while (end != last && end->sameUnits(*run)) {
            longer = longer || texts[end->id].size() > at + kStep;
            ++end;
        }
        if (longer) {
            rankRun(run, end, at + kStep, texts, rank, next);
        } else {
            // All end within these units and agree on them: a text padded
            // with characters 0 only differs by its length, shorter first.
            std::sort(run, end, [&texts](const Ranked &a, const Ranked &b) {
                return texts[a.id].size() < texts[b.id].size();
            });
            for (Ranked *e = run; e != end; ++e) {
                if (e != run && texts[e->id].size() != texts[(e - 1)->id].size())
                    ++next;
                rank[e->id] = next;
            }
            ++next;
        }
        run = end;
    }
}

// The rank of each row's text in column c among the column's distinct
// texts, in character-code order.
std::vector<quint32> ranksOfColumn(const QList<ResultRow> &rows, int c)
{
    const size_t n = size_t(rows.size());
    std::vector<quint32> rank(n);
    std::vector<QStringView> texts;
    std::vector<Ranked> entries;
    // 1 + the row whose text this one shares, or 0: rows of one card, and
    // the texts a listing made once, share their data and are ranked once.
    std::vector<quint32> sharesWith(n, 0);
    size_t width = 16;
    while (width < n * 2)
        width *= 2;
    std::vector<quint32> byData(width, 0); // 1 + a row, by its text's data
    texts.reserve(n);
    entries.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const QString &text = rows.at(qsizetype(i)).cells[c];
        texts.emplace_back(text);
        const quintptr data = quintptr(text.constData());
        size_t at = size_t((data >> 3) * 0x9E3779B97F4A7C15ull >> 20) & (width - 1);
        for (;; at = (at + 1) & (width - 1)) {
            const quint32 other = byData[at];
            if (other == 0) {
                byData[at] = quint32(i + 1);
                entries.push_back({0, 0, quint32(i)});
                break;
            }
            const QStringView seen = texts[other - 1];
            if (quintptr(seen.data()) == data && seen.size() == text.size()) {
                sharesWith[i] = other;
                break;
            }
        }
    }
    quint32 next = 0;
    if (!entries.empty())
        rankRun(entries.data(), entries.data() + entries.size(), 0, texts, rank, next);
    for (size_t i = 0; i < n; ++i)
        if (sharesWith[i])
            rank[i] = rank[sharesWith[i] - 1];
    return rank;
}

} // namespace

int ResultTable::sort(int column, const QString &currentKey)
{
    column = std::clamp(column, 1, 4);
    const int c = column - 1;
    // The texts are ranked once per column, then the rows sorted on their
    // ranks: the order of sortsBefore, reading each text a few times
    // rather than at every comparison.
    // Sorting by keyword, its ties go by key: both are ranked. Otherwise
    // the ties left after the column and the key are a card's rows, a
    // few, put in keyword order as texts.
    const std::vector<quint32> byColumn = ranksOfColumn(m_rows, c);
    const std::vector<quint32> byKey = c == 1 ? byColumn : ranksOfColumn(m_rows, 1);
    // Its ranks, then its place, which keeps equal rows in their order.
    struct Place {
        quint64 ranks;
        quint32 row;
    };
    std::vector<Place> places(size_t(m_rows.size()));
    for (size_t i = 0; i < places.size(); ++i)
        places[i] = {c == 1 ? quint64(byKey[i]) : quint64(byColumn[i]) << 32 | byKey[i], quint32(i)};
    std::sort(places.begin(), places.end(), [](const Place &a, const Place &b) {
        return a.ranks != b.ranks ? a.ranks < b.ranks : a.row < b.row;
    });
    if (c != 0) {
        for (auto run = places.begin(); run != places.end();) {
            auto end = run + 1;
            while (end != places.end() && end->ranks == run->ranks)
                ++end;
            if (end - run > 1)
                std::stable_sort(run, end, [this](const Place &a, const Place &b) {
                    return m_rows.at(a.row).cells[0] < m_rows.at(b.row).cells[0];
                });
            run = end;
        }
    }
    // Rows put in place along the cycles of the order, so no second table
    // is made: places[i].row is the row that goes to i, until it is there.
    ResultRow *rows = m_rows.data();
    for (size_t start = 0; start < places.size(); ++start) {
        if (places[start].row == start)
            continue;
        ResultRow held = std::move(rows[start]);
        size_t at = start;
        while (places[at].row != start) {
            const size_t next = places[at].row;
            rows[at] = std::move(rows[next]);
            places[at].row = quint32(at);
            at = next;
        }
        rows[at] = std::move(held);
        places[at].row = quint32(at);
    }
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
