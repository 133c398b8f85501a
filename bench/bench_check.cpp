// What the look at a base from elsewhere costs before it is opened: the
// checker process on a new base and on one of about 100 MB, beside opening
// the same file without it. Run build/bin/bench_check (not a test).

#include "Collation.h"
#include "Dao.h"
#include "Guard.h"
#include "Start.h"
#include "Tabdef.h"

#include "BenchFailure.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace dao;

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");

// A new base, and a copy of it grown to about 100 MB of notes. Both are
// copies made outside the engine, so the program has not left them as they
// are and looks at them each time.
struct Fixture {
    QTemporaryDir dir;
    QString small, large;

    Fixture()
    {
        const QString made = dir.filePath(QStringLiteral("made.cvb"));
        g_Db = DBEngine::CreateDatabase(made, QString(dbLangGeneral) + kConnect, dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        g_Db.Close();
        small = dir.filePath(QStringLiteral("small.cvb"));
        large = dir.filePath(QStringLiteral("large.cvb"));
        QFile::copy(made, small);
        QFile::copy(made, large);
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(large).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_key(db, "Qv47Tz28", 8);
        registerTextCollation(db);
        sqlite3_exec(db,
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                     "INSERT INTO \"NOTE\"(CIT, TEXTE) SELECT 'N' || i || '.TXT', hex(randomblob(50000)) FROM n",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (qEnvironmentVariableIsSet("BENCH_CHECK_KEEP"))
            QFile::copy(large, qEnvironmentVariable("BENCH_CHECK_KEEP"));
        std::printf("large base: %.1f MB\n", QFileInfo(large).size() / 1048576.0);
    }
};

Fixture &fx()
{
    static Fixture f;
    return f;
}

void BM_CheckNewBase(benchmark::State &st)
{
    fx();
    for (auto _ : st)
        checkBeforeOpening(fx().small, "Qv47Tz28", true);
}
BENCHMARK_GUARDED(BM_CheckNewBase)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Check100MB(benchmark::State &st)
{
    for (auto _ : st)
        checkBeforeOpening(fx().large, "Qv47Tz28", true);
}
BENCHMARK_GUARDED(BM_Check100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// The open that follows, for scale: one key derivation and the catalog.
void BM_OpenNewBaseUnchecked(benchmark::State &st)
{
    for (auto _ : st) {
        trustAsLeft(fx().small);
        DBEngine::OpenDatabase(fx().small, false, true, kConnect).Close();
    }
}
BENCHMARK_GUARDED(BM_OpenNewBaseUnchecked)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
