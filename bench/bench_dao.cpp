// Seek by key, walking an index and adding rows through the engine, each
// beside the same work written directly on SQLCipher on the same file, in
// the same run; the ratios are printed at the end. Also the time to create
// a base with its tables and types and bind it.

#include "Collation.h"
#include "Dao.h"
#include "Start.h"
#include "Tabdef.h"
#include "../storage/tests/SyncCount.h"

#include "BenchFailure.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>

using namespace dao;

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");
const QByteArray kKey = "Qv47Tz28";
constexpr int kNotes = 20000;
constexpr int kKeywords = 500;

QString noteKey(int i) { return QStringLiteral("NOTE%1.TXT").arg(i, 5, 10, QChar('0')); }
QString keyword(int i) { return QStringLiteral("keyword %1").arg(i, 4, 10, QChar('0')); }

// One base filled once: NOTE with kNotes cards, GRNOTE with three links per
// card spread over kKeywords keywords.
struct Fixture {
    QTemporaryDir dir;
    QString path;
    Database db;
    sqlite3 *raw = nullptr;
    int serial = 0;

    Fixture()
    {
        path = dir.filePath("bench.cvb");
        g_Db = DBEngine::CreateDatabase(path, QString(dbLangGeneral) + kConnect, dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        OpenBaseTables();
        DBEngine::BeginTrans();
        for (int i = 0; i < kNotes; ++i) {
            rsNote.AddNew();
            fldNoteCit.setValue(noteKey(i));
            fldNoteTitre1.setValue(QStringLiteral("Title of note %1").arg(i));
            fldNoteAuteur.setValue(QStringLiteral("Author %1").arg(i % 97));
            fldNoteTexte.setValue(QString(400, u'x'));
            rsNote.Update();
            for (int k = 0; k < 3; ++k) {
                rsGrNote.AddNew();
                fldGrNoteGroupe.setValue(keyword((i * 7 + k * 131) % kKeywords));
                fldGrNoteNdx.setValue(noteKey(i));
                rsGrNote.Update();
            }
        }
        DBEngine::CommitTrans();
        // Both sides read the base as opened after the fill, as the program
        // opens a base: the connection that wrote it holds a page cache laid
        // out by the writes and full of every table's pages, which walks
        // the same statement 20 % slower than a fresh connection does.
        g_Db.Close();
        g_Db = DBEngine::OpenDatabase(path, false, false, kConnect);
        OpenBaseTables();
        db = g_Db;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_key(raw, kKey.constData(), int(kKey.size()));
        registerTextCollation(raw);
        // The same page cache as the engine's connection.
        sqlite3_exec(raw, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    }
    ~Fixture() { sqlite3_close_v2(raw); }
};

Fixture &fx()
{
    static Fixture f;
    return f;
}

sqlite3_stmt *prep(const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(fx().raw, sql, -1, &s, nullptr) != SQLITE_OK)
        benchfail::fail(sql, sqlite3_errmsg(fx().raw));
    return s;
}

QString text(sqlite3_stmt *s, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)),
                             sqlite3_column_bytes(s, i));
}

void bindText(sqlite3_stmt *s, int i, const QString &v)
{
    const QByteArray b = v.toUtf8();
    sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// ---- seek a note by its key and read its title

void Seek_Engine(benchmark::State &st)
{
    Recordset rs = fx().db.OpenRecordset("NOTE");
    rs.setIndex("NoteNDX");
    Field title = rs.Fields("TITRE1");
    QRandomGenerator rnd(1);
    for (auto _ : st) {
        rs.Seek("=", noteKey(int(rnd.bounded(kNotes))).toLower());
        benchmark::DoNotOptimize(title.Value().toString());
    }
}

void Seek_Direct(benchmark::State &st)
{
    sqlite3_stmt *s = prep("SELECT TITRE1 FROM NOTE WHERE CIT = ? ORDER BY rowid LIMIT 1");
    QRandomGenerator rnd(1);
    for (auto _ : st) {
        bindText(s, 1, noteKey(int(rnd.bounded(kNotes))).toLower());
        if (sqlite3_step(s) == SQLITE_ROW)
            benchmark::DoNotOptimize(text(s, 0));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// ---- walk the whole keyword-link index, reading keyword and card key

void Walk_Engine(benchmark::State &st)
{
    Recordset rs = fx().db.OpenRecordset("GRNOTE");
    rs.setIndex("GrNote");
    Field kw = rs.Fields("GROUPE"), ndx = rs.Fields("NDX");
    for (auto _ : st) {
        long n = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            benchmark::DoNotOptimize(kw.Value().toString());
            benchmark::DoNotOptimize(ndx.Value().toString());
            ++n;
        }
        st.counters["rows"] = double(n);
    }
}

void Walk_Direct(benchmark::State &st)
{
    sqlite3_stmt *s = prep("SELECT GROUPE, NDX FROM GRNOTE INDEXED BY \"GRNOTE.GrNote\" ORDER BY GROUPE, rowid");
    for (auto _ : st) {
        long n = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            benchmark::DoNotOptimize(text(s, 0));
            benchmark::DoNotOptimize(text(s, 1));
            ++n;
        }
        sqlite3_reset(s);
        st.counters["rows"] = double(n);
    }
    sqlite3_finalize(s);
}

// ---- the program's usual pattern: seek a keyword, walk its links

void KeywordLinks_Engine(benchmark::State &st)
{
    Recordset rs = fx().db.OpenRecordset("GRNOTE");
    rs.setIndex("GrNote");
    Field kw = rs.Fields("GROUPE"), ndx = rs.Fields("NDX");
    QRandomGenerator rnd(2);
    for (auto _ : st) {
        const QString k = keyword(int(rnd.bounded(kKeywords)));
        for (rs.Seek("=", k); !rs.Eof() && kw.Value().toString() == k; rs.MoveNext())
            benchmark::DoNotOptimize(ndx.Value().toString());
    }
}

void KeywordLinks_Direct(benchmark::State &st)
{
    sqlite3_stmt *s = prep("SELECT GROUPE, NDX FROM GRNOTE WHERE GROUPE >= ? ORDER BY GROUPE, rowid");
    QRandomGenerator rnd(2);
    for (auto _ : st) {
        const QString k = keyword(int(rnd.bounded(kKeywords)));
        bindText(s, 1, k);
        while (sqlite3_step(s) == SQLITE_ROW && text(s, 0) == k)
            benchmark::DoNotOptimize(text(s, 1));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// ---- add keyword links, in a transaction (the engine's own cost) and
// one commit per row (what a card's store costs)

void AddNew_Engine(benchmark::State &st)
{
    Recordset rs = fx().db.OpenRecordset("GRCIT");
    Field kw = rs.Fields("GROUPE"), ndx = rs.Fields("NDX");
    const bool tx = st.range(0) != 0;
    for (auto _ : st) {
        if (tx)
            DBEngine::BeginTrans();
        for (int i = 0; i < 100; ++i) {
            rs.AddNew();
            kw.setValue(keyword(i));
            ndx.setValue(QStringLiteral("E%1").arg(++fx().serial));
            rs.Update();
        }
        if (tx)
            DBEngine::CommitTrans();
    }
    st.SetItemsProcessed(st.iterations() * 100);
}

void AddNew_Direct(benchmark::State &st)
{
    sqlite3_stmt *s = prep("INSERT INTO GRCIT(GROUPE, NDX, GrCitCount, WordsNb) VALUES(?, ?, NULL, NULL)");
    const bool tx = st.range(0) != 0;
    for (auto _ : st) {
        if (tx)
            sqlite3_exec(fx().raw, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < 100; ++i) {
            bindText(s, 1, keyword(i));
            bindText(s, 2, QStringLiteral("D%1").arg(++fx().serial));
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        if (tx)
            sqlite3_exec(fx().raw, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(s);
    st.SetItemsProcessed(st.iterations() * 100);
}

// ---- a new base with its 20 tables and 13 types in one transaction, as the
// program makes it, bound; "syncs" counts the base file's syncs (commits)

void CreateBase(benchmark::State &st)
{
    QTemporaryDir dir;
    int n = 0;
    SyncCount syncs;
    for (auto _ : st) {
        {
            TransactionScope creation;
            g_Db = DBEngine::CreateDatabase(dir.filePath(QStringLiteral("NewBase%1.cvb").arg(++n)),
                                            QString(dbLangGeneral) + kConnect, dbEncrypt);
            CreateBaseTables();
            FillTypesTable();
            creation.Commit();
        }
        OpenBaseTables();
    }
    st.counters["syncs"] = benchmark::Counter(double(syncs.baseSyncs()), benchmark::Counter::kAvgIterations);
    g_Db = fx().db;
    OpenBaseTables();
}

// Keeps the median real time per iteration of each benchmark, to print the
// ratios; the pairs run three times each to even out a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.aggregate_name == "median" || r.run_name.repetitions.empty())
                times[r.run_name.function_name + r.run_name.args] = r.GetAdjustedRealTime();
    }
};

} // namespace

#define PAIR(name, ...)                                                                            \
    BENCHMARK_GUARDED(name##_Engine)->Repetitions(3)->ReportAggregatesOnly(true) __VA_ARGS__;             \
    BENCHMARK_GUARDED(name##_Direct)->Repetitions(3)->ReportAggregatesOnly(true) __VA_ARGS__
PAIR(Seek);
PAIR(Walk, ->Unit(benchmark::kMillisecond));
PAIR(KeywordLinks, ->Unit(benchmark::kMicrosecond));
PAIR(AddNew, ->Arg(1)->Unit(benchmark::kMillisecond));
PAIR(AddNew, ->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond));
BENCHMARK_GUARDED(CreateBase)->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The engine and direct runs are interleaved, so that neither always
    // meets a colder cache or a busier machine.
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    fx();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nEngine / direct SQLCipher (real time):\n");
    auto ratio = [&](const char *label, const std::string &e, const std::string &d) {
        auto ie = reporter.times.find(e), id = reporter.times.find(d);
        if (ie != reporter.times.end() && id != reporter.times.end() && id->second > 0)
            std::printf("  %-34s %.2fx\n", label, ie->second / id->second);
    };
    ratio("seek by key", "Seek_Engine", "Seek_Direct");
    ratio("walk an index", "Walk_Engine", "Walk_Direct");
    ratio("seek a keyword, walk its links", "KeywordLinks_Engine", "KeywordLinks_Direct");
    ratio("AddNew/Update in a transaction", "AddNew_Engine1", "AddNew_Direct1");
    ratio("AddNew/Update, one commit each", "AddNew_Engine0", "AddNew_Direct0");
    benchmark::Shutdown();
    return 0;
}
