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

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

using namespace dao;

namespace {

// Each benchmark starts as the program's next command does: the event loop
// has turned, so the engine holds no read transaction from the benchmark
// before (which would hold off the other connection's writes).
void turnEventLoop() { QCoreApplication::processEvents(); }

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
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            benchfail::fail("open the base directly", raw ? sqlite3_errmsg(raw) : "out of memory");
        benchfail::check(sqlite3_key(raw, kKey.constData(), int(kKey.size())) == SQLITE_OK, "key",
                         sqlite3_errmsg(raw));
        registerTextCollation(raw);
        // The same page cache as the engine's connection; the count proves
        // the key opens the file.
        exec("PRAGMA cache_size=-65536");
        exec("SELECT count(*) FROM GRNOTE");
        warm();
    }
    // Both connections hold the pages the reading pairs read before any of
    // them is timed: a write through either connection empties the other's
    // page cache, and the benchmark that ran first after it would pay for
    // reading and decrypting them again, whichever side it is.
    void warm()
    {
        turnEventLoop();
        for (const char *sql : {"SELECT max(TITRE1) FROM NOTE INDEXED BY \"NOTE.NoteNDX\" WHERE CIT > ''",
                                "SELECT max(NDX) FROM GRNOTE INDEXED BY \"GRNOTE.GrNote\" WHERE GROUPE > ''"})
            exec(sql);
        const std::pair<const char *, const char *> walks[] = {{"NOTE", "NoteNDX"}, {"GRNOTE", "GrNote"}};
        for (const auto &[table, index] : walks) {
            Recordset rs = db.OpenRecordset(table);
            rs.setIndex(index);
            Field f = rs.Fields(QString::fromLatin1(table) == u"NOTE" ? "TITRE1" : "NDX");
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                f.Value();
        }
    }
    ~Fixture() { sqlite3_close_v2(raw); }
    void exec(const char *sql)
    {
        char *err = nullptr;
        if (sqlite3_exec(raw, sql, nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string cause = err ? err : sqlite3_errmsg(raw);
            sqlite3_free(err);
            benchfail::fail(sql, cause);
        }
    }
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

// A prepared statement, finalized when the benchmark ends.
struct Stmt {
    sqlite3_stmt *s;
    explicit Stmt(const char *sql) : s(prep(sql)) {}
    ~Stmt() { sqlite3_finalize(s); }
    operator sqlite3_stmt *() const { return s; }
};

QString text(sqlite3_stmt *s, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)),
                             sqlite3_column_bytes(s, i));
}

// The bytes stay alive until the statement is reset: no copy by SQLite.
void bindText(sqlite3_stmt *s, int i, const QByteArray &utf8)
{
    sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
}

void stepped(int rc, const char *what)
{
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        benchfail::fail(what, sqlite3_errmsg(fx().raw));
}

// The direct reads hold one read transaction across their loop, as the
// engine holds its own between event-loop turns.
struct DirectRead {
    DirectRead()
    {
        fx().warm();
        turnEventLoop();
        fx().exec("BEGIN");
    }
    ~DirectRead() { sqlite3_exec(fx().raw, "COMMIT", nullptr, nullptr, nullptr); }
};

// ---- seek a note by its key and read its title

void Seek_Engine(benchmark::State &st)
{
    fx().warm();
    turnEventLoop();
    Recordset rs = fx().db.OpenRecordset("NOTE");
    rs.setIndex("NoteNDX");
    Field title = rs.Fields("TITRE1");
    QRandomGenerator rnd(1);
    for (auto _ : st) {
        rs.Seek("=", noteKey(int(rnd.bounded(kNotes))).toLower());
        if (rs.NoMatch())
            benchfail::fail("seek by key", "a key not found");
        benchmark::DoNotOptimize(title.Value().toString());
    }
}

// The first row of the key in the index (the key is unique): one step.
void Seek_Direct(benchmark::State &st)
{
    DirectRead read;
    Stmt s("SELECT TITRE1 FROM NOTE INDEXED BY \"NOTE.NoteNDX\" WHERE CIT = ?");
    QRandomGenerator rnd(1);
    for (auto _ : st) {
        const QByteArray key = noteKey(int(rnd.bounded(kNotes))).toLower().toUtf8();
        bindText(s, 1, key);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_ROW) {
            stepped(rc, "seek by key");
            benchfail::fail("seek by key", "a key not found");
        }
        benchmark::DoNotOptimize(text(s, 0));
        sqlite3_reset(s);
    }
}

// ---- walk the whole keyword-link index, reading keyword and card key

void Walk_Engine(benchmark::State &st)
{
    fx().warm();
    turnEventLoop();
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
    DirectRead read;
    Stmt s("SELECT GROUPE, NDX FROM GRNOTE INDEXED BY \"GRNOTE.GrNote\" ORDER BY GROUPE, rowid");
    for (auto _ : st) {
        long n = 0;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            benchmark::DoNotOptimize(text(s, 0));
            benchmark::DoNotOptimize(text(s, 1));
            ++n;
        }
        stepped(rc, "walk an index");
        sqlite3_reset(s);
        st.counters["rows"] = double(n);
    }
}

// ---- the program's usual pattern: seek a keyword, walk its links

void KeywordLinks_Engine(benchmark::State &st)
{
    fx().warm();
    turnEventLoop();
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

// The keyword is told apart by its bytes, as the engine's loop compares the
// text exactly; the walk stops at the first link of the next keyword.
void KeywordLinks_Direct(benchmark::State &st)
{
    DirectRead read;
    Stmt s("SELECT GROUPE, NDX FROM GRNOTE INDEXED BY \"GRNOTE.GrNote\" WHERE GROUPE >= ? ORDER BY GROUPE, rowid");
    QRandomGenerator rnd(2);
    for (auto _ : st) {
        const QByteArray k = keyword(int(rnd.bounded(kKeywords))).toUtf8();
        bindText(s, 1, k);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW && sqlite3_column_bytes(s, 0) == k.size() &&
               std::memcmp(sqlite3_column_text(s, 0), k.constData(), size_t(k.size())) == 0)
            benchmark::DoNotOptimize(text(s, 1));
        stepped(rc, "seek a keyword");
        sqlite3_reset(s);
    }
}

// ---- add keyword links, in a transaction (the engine's own cost) and
// one commit per row (what a card's store costs)

void AddNew_Engine(benchmark::State &st)
{
    turnEventLoop();
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
    turnEventLoop();
    Stmt s("INSERT INTO GRCIT(GROUPE, NDX, GrCitCount, WordsNb) VALUES(?, ?, NULL, NULL)");
    const bool tx = st.range(0) != 0;
    for (auto _ : st) {
        if (tx)
            fx().exec("BEGIN");
        for (int i = 0; i < 100; ++i) {
            const QByteArray kw = keyword(i).toUtf8();
            const QByteArray ndx = QStringLiteral("D%1").arg(++fx().serial).toUtf8();
            bindText(s, 1, kw);
            bindText(s, 2, ndx);
            if (sqlite3_step(s) != SQLITE_DONE)
                benchfail::fail("insert a link", sqlite3_errmsg(fx().raw));
            sqlite3_reset(s);
        }
        if (tx)
            fx().exec("COMMIT");
    }
    st.SetItemsProcessed(st.iterations() * 100);
}

// ---- a new base with its 20 tables and 13 types in one transaction, as the
// program makes it, bound; "syncs" counts the base file's syncs (commits)

void CreateBase(benchmark::State &st)
{
    turnEventLoop();
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
    QCoreApplication app(argc, argv);
    try {
        fx();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "benchmark base not made: %s\n", e.what());
        return 1;
    }
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
