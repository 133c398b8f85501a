// A keyword with 10,000 notes: the listing into the result window and the
// window's re-sort by each column with its refill. Then the table's sort,
// the packed sort it had before and a plain std::stable_sort with the
// window's rules, on the keyword's rows and on listings of 10,000 and
// 100,000 rows, each kind after the other, three rounds, with the medians
// and ratios at the end.

#include "Dao.h"
#include "Listings.h"
#include "MedianReporter.h"
#include "ProgramState.h"
#include "ResultTable.h"
#include "Start.h"
#include "Tabdef.h"
#include "fGrid.h"

#include <QApplication>
#include <QTemporaryDir>

#include "BenchFailure.h"

#include <benchmark/benchmark.h>

#include <QHash>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

constexpr int kNotes = 10000;
QTemporaryDir *g_dir = nullptr;

void buildBase()
{
    g_dir = new QTemporaryDir;
    g_Db = dao::DBEngine::CreateDatabase(g_dir->filePath("bench.cvb"),
                                         QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Qv47Tz28"),
                                         dao::dbEncrypt);
    CreateBaseTables();
    OpenBaseTables();
    dao::TransactionScope t;
    for (int i = 0; i < kNotes; ++i) {
        // Keys, authors and titles in an order unlike the key order.
        const int scrambled = (i * 7919) % kNotes;
        const QString key = QStringLiteral("NOTE%1.TXT").arg(scrambled, 4, 10, QLatin1Char('0'));
        rsNote.AddNew();
        fldNoteCit.setValue(key);
        fldNoteAuteur.setValue(QStringLiteral("Author %1").arg(i % 97));
        fldNoteTitre1.setValue(QStringLiteral("Title %1").arg((i * 31) % 1009));
        rsNote.Update();
        rsGrNote.AddNew();
        fldGrNoteGroupe.setValue(QStringLiteral("Big"));
        fldGrNoteNdx.setValue(key);
        rsGrNote.Update();
    }
    t.Commit();
}

QList<keywords::ResultRow> &rowsOfKeyword()
{
    static QList<keywords::ResultRow> rows = keywords::CardsOfKeyword(CardType::Note, "Big");
    return rows;
}

void BM_ListIntoGrid(benchmark::State &state)
{
    for (auto _ : state) {
        QString k = QStringLiteral("Big");
        keywords::ListNotesOfKeyword(k);
        benchmark::DoNotOptimize(vb::Forms::find<fGrid>());
    }
}
BENCHMARK_GUARDED(BM_ListIntoGrid)->Unit(benchmark::kMillisecond);

// The walk alone, without the window.
void BM_CardsOfKeyword(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(keywords::CardsOfKeyword(CardType::Note, "Big").size());
}
BENCHMARK_GUARDED(BM_CardsOfKeyword)->Unit(benchmark::kMillisecond);
// ---- the sort: the table's, the packed sort it had before, and a plain
// std::stable_sort, on the same rows.

// The packed sort the table had before: each column's texts ranked once
// (open addressing on a hash, then the distinct texts ordered), the ranks
// packed into two numbers per row, one std::sort, the rows moved once.
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

std::vector<int> packedRanks(const QList<keywords::ResultRow> &rows, int c)
{
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

void packedSort(QList<keywords::ResultRow> &rows, int c)
{
    const std::vector<int> byColumn = packedRanks(rows, c);
    const std::vector<int> byKey = c == 1 ? byColumn : packedRanks(rows, 1);
    const std::vector<int> byKeyword = c == 0 ? byColumn : packedRanks(rows, 0);
    struct Place {
        quint64 first, second;
        bool operator<(const Place &o) const { return first != o.first ? first < o.first : second < o.second; }
    };
    std::vector<Place> places(size_t(rows.size()));
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
    QList<keywords::ResultRow> sorted;
    sorted.reserve(rows.size());
    for (const Place &p : places)
        sorted.append(std::move(rows[qsizetype(p.second & 0xffffffffu)]));
    rows = std::move(sorted);
}

// Rows as a big keyword's listing gives them: `cards` cards of two or
// three keywords each (2.5 rows a card), keys in an order unlike the card
// order, 97 authors and 1009 titles, accented spellings among them.
QList<keywords::ResultRow> listingRows(int cards)
{
    QList<keywords::ResultRow> rows;
    for (int i = 0; i < cards; ++i) {
        const int scrambled = int((qint64(i) * 7919) % cards);
        const QString key = QStringLiteral("NOTE%1.TXT").arg(scrambled, 6, 10, QLatin1Char('0'));
        const QString author = (i % 3 ? QStringLiteral("Auteur ") : QStringLiteral(u"\u00C9crivain ")) + QString::number(i % 97);
        const QString title = QStringLiteral("Title %1").arg((i * 31) % 1009);
        QStringList words{QStringLiteral("Big"), QStringLiteral("keyword %1").arg((i * 13) % 500, 3, 10, QLatin1Char('0'))};
        if (i % 2)
            words.append(QStringLiteral(u"\u00E9t\u00E9 %1").arg(i % 50));
        std::sort(words.begin(), words.end());
        for (const QString &k : words)
            rows.append(keywords::ResultRow{{k, key, author, title}, key});
    }
    return rows;
}

// 0: the rows of the base's keyword (10,000 notes), else a listing of
// that many cards.
const QList<keywords::ResultRow> &rowsOf(int cards)
{
    static QHash<int, QList<keywords::ResultRow>> made;
    auto it = made.find(cards);
    if (it == made.end())
        it = made.insert(cards, cards == 0 ? rowsOfKeyword() : listingRows(cards));
    return *it;
}

enum SortKind { Table, Packed, Plain };
const char *const kKinds[] = {"table", "packed", "plain"};

void BM_Sort(benchmark::State &state, SortKind kind, int cards, int column)
{
    const int c = column - 1;
    const QList<keywords::ResultRow> &source = rowsOf(cards);
    auto run = [&](QList<keywords::ResultRow> &rows) {
        switch (kind) {
        case Table: {
            keywords::ResultTable t;
            t.rows() = std::move(rows);
            benchmark::DoNotOptimize(t.sort(column, QString()));
            rows = std::move(t.rows());
            break;
        }
        case Packed: packedSort(rows, c); break;
        case Plain:
            std::stable_sort(rows.begin(), rows.end(),
                             [c](const keywords::ResultRow &a, const keywords::ResultRow &b) { return keywords::sortsBefore(a, b, c + 1); });
            break;
        }
    };
    // Each gives the order of the window's rules, or says so untimed.
    {
        QList<keywords::ResultRow> got = source, want = source;
        run(got);
        std::stable_sort(want.begin(), want.end(),
                         [c](const keywords::ResultRow &a, const keywords::ResultRow &b) { return keywords::sortsBefore(a, b, c + 1); });
        for (qsizetype i = 0; i < got.size(); ++i)
            if (got.at(i).key != want.at(i).key || got.at(i).cells[0] != want.at(i).cells[0]) {
                state.SkipWithError(QStringLiteral("%1 sort: row %2 out of the window's order").arg(kKinds[kind]).arg(i + 1).toStdString().c_str());
                return;
            }
    }
    for (auto _ : state) {
        state.PauseTiming();
        QList<keywords::ResultRow> rows = source;
        state.ResumeTiming();
        run(rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = double(source.size());
}

std::string sortName(int kind, int cards, int column)
{
    const QString rows = cards == 0 ? QStringLiteral("base10000") : QString::number(cards * 5 / 2);
    return QStringLiteral("Sort/%1/%2/col%3").arg(QLatin1String(kKinds[kind]), rows).arg(column).toStdString();
}


// The window's own re-sort: a click in row 1 of the column sorts and refills.
void BM_GridResort(benchmark::State &state)
{
    const int column = int(state.range(0));
    QString k = QStringLiteral("Big");
    keywords::ListNotesOfKeyword(k);
    fGrid *g = vb::Forms::find<fGrid>();
    for (auto _ : state) {
        g->Grid1->setRow(1);
        g->Grid1->setCol(column);
        g->Grid1_Click();
    }
}
BENCHMARK_GUARDED(BM_GridResort)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    buildBase();
    // Three rounds, each kind after the other on the same rows.
    const int sizes[] = {0, 4000, 40000};
    for (int round = 0; round < 3; ++round)
        for (int cards : sizes)
            for (int column : {1, 3})
                for (SortKind kind : {Table, Packed, Plain})
                    benchfail::registerGuarded(sortName(kind, cards, column).c_str(),
                                                 [=](benchmark::State &st) { BM_Sort(st, kind, cards, column); })
                        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchbase::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nSorts, median of three (ms), by the window's rules:\n");
    for (int cards : sizes)
        for (int column : {1, 3}) {
            const double table = reporter.median(sortName(Table, cards, column)),
                         packed = reporter.median(sortName(Packed, cards, column)),
                         plain = reporter.median(sortName(Plain, cards, column));
            if (table > 0 && packed > 0 && plain > 0)
                std::printf("  %-26s table %7.2f  packed (old) %7.2f  plain %7.2f   old/plain %.2f  table/plain %.2f\n",
                            sortName(Table, cards, column).substr(11).c_str(), table, packed, plain, packed / plain,
                            table / plain);
        }
    benchmark::Shutdown();
    vb::Forms::unload<fGrid>();
    g_Db.Close();
    delete g_dir;
    return 0;
}
