// Speed of the word analysis, the index build, the searches and the index
// window, each beside the plainest direct code doing the same work in the
// same run (a bare hash count, prepared statements on the same connection).

#include "AfficheKW.h"
#include "LargeBase.h"
#include "ProgramState.h"
#include "DaoImpl.h"
#include "Start.h"
#include "Tabdef.h"
#include "TextFind.h"
#include "WordIndexBuilder.h"
#include "WordSearch.h"

#include "BenchFailure.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// ---- texts ------------------------------------------------------------------

using benchbase::prose;
using benchbase::vocabulary;

const QString &textOfSize(qsizetype bytes)
{
    static QHash<qsizetype, QString> cache;
    auto it = cache.find(bytes);
    if (it == cache.end())
        it = cache.insert(bytes, prose(bytes, 1));
    return *it;
}

textfind::ExcludedWords stopWords()
{
    QStringList w;
    for (int i = 0; i < 300; ++i)
        w << vocabulary().at(i * 97 % vocabulary().size());
    return textfind::ExcludedWords(w);
}

void BM_Analyse(benchmark::State &state)
{
    const QString &text = textOfSize(state.range(0));
    const textfind::ExcludedWords excluded = stopWords();
    for (auto _ : state) {
        textfind::WordList list;
        textfind::analyseText(text, textfind::ParseMode::Filtered, excluded, list);
        benchmark::DoNotOptimize(list.words.size());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK_GUARDED(BM_Analyse)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// The plainest count: letters make words, a hash map counts them.
void BM_BareHashCount(benchmark::State &state)
{
    const QString &text = textOfSize(state.range(0));
    for (auto _ : state) {
        QHash<QStringView, int> counts;
        const QChar *p = text.constData();
        const qsizetype n = text.size();
        qsizetype i = 0;
        while (i < n) {
            while (i < n && !p[i].isLetter())
                ++i;
            const qsizetype from = i;
            while (i < n && p[i].isLetter())
                ++i;
            if (i > from)
                ++counts[QStringView(p + from, i - from)];
        }
        benchmark::DoNotOptimize(counts.size());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK_GUARDED(BM_BareHashCount)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// ---- a base ---------------------------------------------------------------------

struct BenchBase {
    QTemporaryDir dir;
    BenchBase()
    {
        g_Db = dao::DBEngine::CreateDatabase(dir.filePath(QStringLiteral("bench.cvb")),
                                             QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Qv47Tz28"),
                                             dao::dbEncrypt);
        CreateBaseTables();
        OpenBaseTables();
    }
    ~BenchBase()
    {
        g_Db.Close();
        g_Db.reset();
    }
    sqlite3 *sql() const { return dao::Access::impl(g_Db)->db; }
    void exec(const char *statement) const
    {
        char *err = nullptr;
        if (sqlite3_exec(sql(), statement, nullptr, nullptr, &err) != SQLITE_OK) {
            fprintf(stderr, "%s: %s\n", statement, err);
            sqlite3_free(err);
        }
    }
    // Notes of about `bytes` characters each; `marked` of them hold "xqzmarker".
    void addNotes(int count, int bytes, int marked = 0) const
    {
        exec("BEGIN");
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(sql(), "INSERT INTO NOTE (CIT, Texte) VALUES (?, ?)", -1, &s, nullptr);
        const int every = marked > 0 ? count / marked : 0;
        for (int i = 0; i < count; ++i) {
            QString text = prose(bytes, quint32(i + 11));
            if (every > 0 && i % every == 0 && i / every < marked)
                text.insert(text.size() / 2, QStringLiteral(" xqzmarker "));
            const QByteArray key = QStringLiteral("NOTE%1.TXT").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
            const QByteArray t = text.toUtf8();
            sqlite3_bind_text(s, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        exec("COMMIT");
        OpenBaseTables(); // the cursors learn of the rows written behind them
    }
};

// ---- index build --------------------------------------------------------------

constexpr int kIndexNotes = 10000;
constexpr int kNoteBytes = 2048;

void BM_IndexBuild(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto base = std::make_unique<BenchBase>();
        base->addNotes(kIndexNotes, kNoteBytes);
        state.ResumeTiming();
        const wordindex::BuildResult r = wordindex::WordIndexBuilder(CardType::Note).build();
        state.counters["rows"] = r.rowsWritten;
        state.PauseTiming();
        if (r.failure) {
            benchfail::skip(state, "the index build failed: " + r.failure->description().toStdString());
            return;
        }
        base.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_GUARDED(BM_IndexBuild)->Iterations(1)->Unit(benchmark::kMillisecond);

// The floor of the build: the same rows through one prepared INSERT into
// the index table with its lookup indexes dropped, and those made again
// after the rows, all in one transaction on the same connection (schema,
// key, cipher and page cache); the words are extracted before the clock
// starts.
void BM_DirectIndexInsert(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto base = std::make_unique<BenchBase>();
        base->addNotes(kIndexNotes, kNoteBytes);
        struct R {
            QByteArray word, key;
            int count;
        };
        std::vector<R> rows;
        const textfind::ExcludedWords none;
        textfind::WordList list;
        for (int i = 0; i < kIndexNotes; ++i) {
            textfind::extractIndexWords(prose(kNoteBytes, quint32(i + 11)), none, list);
            const QByteArray key = QStringLiteral("NOTE%1.TXT").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
            for (int k = 1; k <= list.size(); ++k)
                rows.push_back({list.words.at(k).toUtf8(), key, list.counts.at(k)});
        }
        state.ResumeTiming();
        base->exec("BEGIN");
        static const char *const indexes[][2] = {{"AsKW", "AsKW"}, {"Index", "Index"}, {"Mot", "Mot"},
                                                 {"NbOccurIndex", "NboccurIndex"}, {"TypeFichier", "TypeFichier"}};
        for (const auto &ix : indexes)
            base->exec((QByteArray("DROP INDEX \"WordsNoteIndex.") + ix[0] + '"').constData());
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(base->sql(), "INSERT INTO WordsNoteIndex (Mot, \"Index\", NboccurIndex) VALUES (?, ?, ?)",
                           -1, &s, nullptr);
        for (const R &r : rows) {
            sqlite3_bind_text(s, 1, r.word.constData(), int(r.word.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 2, r.key.constData(), int(r.key.size()), SQLITE_STATIC);
            sqlite3_bind_int(s, 3, r.count);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        for (const auto &ix : indexes)
            base->exec((QByteArray("CREATE INDEX \"WordsNoteIndex.") + ix[0] + "\" ON WordsNoteIndex(\"" + ix[1] + "\")")
                           .constData());
        base->exec("COMMIT");
        state.counters["rows"] = double(rows.size());
        state.PauseTiming();
        base.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_GUARDED(BM_DirectIndexInsert)->Iterations(1)->Unit(benchmark::kMillisecond);

struct IndexedBase {
    std::unique_ptr<BenchBase> base;
    IndexedBase()
    {
        base = std::make_unique<BenchBase>();
        base->addNotes(kIndexNotes, kNoteBytes);
        wordindex::WordIndexBuilder(CardType::Note).build();
    }
};

std::unique_ptr<IndexedBase> g_indexed;
std::unique_ptr<BenchBase> g_million;

IndexedBase &indexedBase()
{
    if (!g_indexed)
        g_indexed = std::make_unique<IndexedBase>();
    return *g_indexed;
}

void BM_IndexRerun(benchmark::State &state)
{
    indexedBase();
    for (auto _ : state) {
        const wordindex::BuildResult r = wordindex::WordIndexBuilder(CardType::Note).build();
        benchmark::DoNotOptimize(r.rowsWritten);
    }
}
BENCHMARK_GUARDED(BM_IndexRerun)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_Totals(benchmark::State &state)
{
    indexedBase();
    for (auto _ : state) {
        const wordindex::TotalsResult r = wordindex::WordIndexBuilder(CardType::Note).aggregate();
        state.counters["totals"] = r.totals;
    }
}
BENCHMARK_GUARDED(BM_Totals)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_DirectGroupBy(benchmark::State &state)
{
    BenchBase &b = *indexedBase().base;
    for (auto _ : state) {
        b.exec("BEGIN");
        b.exec("DELETE FROM WordsNoteAll");
        b.exec("INSERT INTO WordsNoteAll (Mot, Occurences) SELECT Mot, SUM(NboccurIndex) FROM WordsNoteIndex "
               "WHERE Mot IS NOT NULL AND length(Mot) <= 40 GROUP BY Mot");
        b.exec("COMMIT");
    }
    OpenBaseTables();
}
BENCHMARK_GUARDED(BM_DirectGroupBy)->Iterations(3)->Unit(benchmark::kMillisecond);

// The fastest plain aggregation: the index rows read once in stored order,
// summed in a hash by the word with its letter case folded, and the totals
// written in word order into the emptied table, in one transaction.
void BM_DirectTotals(benchmark::State &state)
{
    BenchBase &b = *indexedBase().base;
    for (auto _ : state) {
        b.exec("BEGIN");
        b.exec("DELETE FROM WordsNoteAll");
        struct Total {
            QString word;
            qint64 sum = 0;
        };
        QHash<QString, Total> sums;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(b.sql(), "SELECT Mot, NboccurIndex FROM WordsNoteIndex", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            const int bytes = sqlite3_column_bytes(s, 0);
            if (bytes == 0)
                continue;
            const QString w = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)), bytes);
            if (w.size() > wordindex::kMaxTotalsWord)
                continue;
            Total &t = sums[w.toCaseFolded()];
            if (t.word.isNull())
                t.word = w;
            t.sum += sqlite3_column_int(s, 1);
        }
        sqlite3_finalize(s);
        std::vector<const Total *> order;
        order.reserve(size_t(sums.size()));
        for (const Total &t : std::as_const(sums))
            order.push_back(&t);
        std::sort(order.begin(), order.end(),
                  [](const Total *x, const Total *y) { return dao::compareText(x->word, y->word) < 0; });
        sqlite3_prepare_v2(b.sql(), "INSERT INTO WordsNoteAll (Mot, Occurences) VALUES (?, ?)", -1, &s, nullptr);
        for (const Total *t : order) {
            const QByteArray w = t->word.toUtf8();
            sqlite3_bind_text(s, 1, w.constData(), int(w.size()), SQLITE_STATIC);
            sqlite3_bind_int64(s, 2, t->sum);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        b.exec("COMMIT");
        state.counters["totals"] = double(order.size());
    }
    OpenBaseTables();
}
BENCHMARK_GUARDED(BM_DirectTotals)->Iterations(3)->Unit(benchmark::kMillisecond);

// ---- search ---------------------------------------------------------------------

// The base of 100,000 notes of about 2 KB kept in the build folder (made on
// first use); a term held by one note in a hundred, one held by none, and an
// accented one held by most notes.
constexpr int kSearchNotes = 100000;
QString g_searchPath;
sqlite3 *g_searchRaw = nullptr;

QString searchTerm(int which)
{
    switch (which) {
    case 1: return QString::fromLatin1(benchbase::kMarker);
    case 2: return u"\u00E9t\u00E9s"_qs;
    default: return QStringLiteral("zzqqnothing");
    }
}

void openSearchBase()
{
    if (!g_searchPath.isEmpty())
        return;
    g_indexed.reset();
    g_searchPath = benchbase::OpenLargeBase(kSearchNotes);
    g_searchRaw = benchbase::OpenDirect(g_searchPath);
}

void BM_Search(benchmark::State &state)
{
    openSearchBase();
    const QString term = searchTerm(int(state.range(0)));
    for (auto _ : state) {
        const words::ScanResult r = words::scanCardTexts(CardType::Note, term);
        state.counters["hits"] = double(r.hits.size());
    }
}
BENCHMARK_GUARDED(BM_Search)->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond);

// The floor: the same texts read with the same cipher and searched as they
// are stored, each hit's key and position taken as the search gives them.
void BM_DirectSearch(benchmark::State &state)
{
    openSearchBase();
    const QByteArray term = searchTerm(int(state.range(0))).toUtf8();
    for (auto _ : state) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(g_searchRaw, "SELECT TEXTE, CIT FROM NOTE", -1, &s, nullptr);
        int hits = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const char *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
            const int n = sqlite3_column_bytes(s, 0);
            const void *at = memmem(text, size_t(n), term.constData(), size_t(term.size()));
            if (!at)
                continue;
            const QString key = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1)),
                                                  sqlite3_column_bytes(s, 1));
            const int position =
                int(QString::fromUtf8(text, int(static_cast<const char *>(at) - text)).size()) + 1;
            benchmark::DoNotOptimize(key);
            benchmark::DoNotOptimize(position);
            ++hits;
        }
        sqlite3_finalize(s);
        state.counters["hits"] = hits;
    }
}
BENCHMARK_GUARDED(BM_DirectSearch)->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond);

// ---- the index window over a million rows ------------------------------------

void BM_AfficheKWMillion(benchmark::State &state)
{
    std::unique_ptr<BenchBase> &b = g_million;
    if (!b) {
        if (g_searchRaw)
            sqlite3_close_v2(g_searchRaw);
        g_searchRaw = nullptr;
        g_searchPath.clear();
        benchbase::CloseLargeBase();
        b = std::make_unique<BenchBase>();
        b->exec("BEGIN");
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(b->sql(), "INSERT INTO WordsNoteIndex (Mot, \"Index\", NboccurIndex) VALUES (?, ?, ?)", -1,
                           &s, nullptr);
        QRandomGenerator rng(3);
        for (int i = 0; i < 1000000; ++i) {
            const QByteArray w = vocabulary().at(i % vocabulary().size()).toUtf8();
            const QByteArray k = QStringLiteral("NOTE%1.TXT").arg(i / 100, 6, 10, QLatin1Char('0')).toUtf8();
            sqlite3_bind_text(s, 1, w.constData(), int(w.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, k.constData(), int(k.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(s, 3, int(rng.bounded(1, 200)));
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        b->exec("COMMIT");
        OpenBaseTables();
    }
    CardKind = QStringLiteral("Note");
    for (auto _ : state) {
        vb::Forms::unload<AfficheKW>();
        words::ShowWordIndexWindow();
        state.counters["shown"] = vb::Forms::find<AfficheKW>()->rowsShown();
    }
}
BENCHMARK_GUARDED(BM_AfficheKWMillion)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchbase::RunBenchmarks(argc, argv);
    // The bases go before the application does.
    g_indexed.reset();
    g_million.reset();
    if (g_searchRaw)
        sqlite3_close_v2(g_searchRaw);
    benchbase::CloseLargeBase();
    return 0;
}
