// A keyword with 10,000 notes: the listing into the result window, and the
// re-sort by each column (the table's sort alone, and the window's sort
// with its refill), against std::stable_sort over the same rows.

#include "Dao.h"
#include "Listings.h"
#include "ProgramState.h"
#include "ResultTable.h"
#include "Start.h"
#include "Tabdef.h"
#include "fGrid.h"

#include <QApplication>
#include <QTemporaryDir>

#include "BenchFailure.h"

#include <benchmark/benchmark.h>

#include <algorithm>

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

void BM_TableSort(benchmark::State &state)
{
    const int column = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        keywords::ResultTable t;
        t.rows() = rowsOfKeyword();
        state.ResumeTiming();
        benchmark::DoNotOptimize(t.sort(column, QString()));
    }
}
BENCHMARK_GUARDED(BM_TableSort)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);

void BM_StdStableSort(benchmark::State &state)
{
    const int c = int(state.range(0)) - 1;
    for (auto _ : state) {
        state.PauseTiming();
        QList<keywords::ResultRow> rows = rowsOfKeyword();
        state.ResumeTiming();
        std::stable_sort(rows.begin(), rows.end(),
                         [c](const keywords::ResultRow &a, const keywords::ResultRow &b) {
                             return a.cells[c] < b.cells[c];
                         });
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK_GUARDED(BM_StdStableSort)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);

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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    vb::Forms::unload<fGrid>();
    g_Db.Close();
    delete g_dir;
    return 0;
}
