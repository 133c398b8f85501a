// Listings in bases of 10,000 and 100,000 notes: the notes of a keyword
// that holds 30 % of them into the result window, the first time after the
// base is opened and again, and every note by date; each beside the fastest
// plain SQLCipher code giving the same rows on the same file, with the same
// key, text order and page cache. The bases are made once and kept in the
// build folder (bench-bases).

#include "InstallCards.h"
#include "LargeBase.h"
#include "ListByDate.h"
#include "Listings.h"
#include "MedianReporter.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "fGrid.h"

#include <QApplication>

#include "BenchFailure.h"
#include "ListingFloors.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

QString g_path;
sqlite3 *g_raw = nullptr;

// ---- the notes of a keyword --------------------------------------------------

// The base of that many notes as g_Db, and the direct connection to it.
int g_notes = 0;
void useBase(int notes)
{
    if (g_notes == notes)
        return;
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    if (g_raw)
        sqlite3_close_v2(g_raw);
    benchbase::CloseLargeBase();
    g_path = benchbase::OpenLargeBase(notes);
    g_raw = benchbase::OpenDirect(g_path);
    g_notes = notes;
}

// The program's base and the direct connection opened again: their page
// caches start empty, as after the user opens the base. The direct one
// then reads its catalog, as the program's open does, so that the key is
// made and the schema read before the listing, not in it.
void reopen()
{
    vb::Forms::unload<fGrid>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    sqlite3_close_v2(g_raw);
    benchbase::CloseLargeBase();
    benchbase::OpenLargeBase(g_notes);
    g_raw = benchbase::OpenDirect(g_path);
    floors::readCatalog(g_raw);
}

// The direct rows are the program's, or the benchmark says why not.
bool sameRowsAsTheProgram(benchmark::State &state)
{
    const QList<keywords::ResultRow> mine = keywords::CardsOfKeyword(CardType::Note, QString::fromLatin1(benchbase::kBigKeyword));
    const QList<keywords::ResultRow> direct = floors::cardsOfKeyword(g_raw, benchbase::kBigKeyword);
    if (mine.size() != direct.size()) {
        state.SkipWithError(QStringLiteral("%1 rows against the program's %2").arg(direct.size()).arg(mine.size()).toStdString().c_str());
        return false;
    }
    for (qsizetype i = 0; i < mine.size(); ++i)
        for (int c = 0; c < 4; ++c)
            if (mine.at(i).cells[c] != direct.at(i).cells[c] || mine.at(i).key != direct.at(i).key) {
                state.SkipWithError(QStringLiteral("row %1 differs from the program's").arg(i + 1).toStdString().c_str());
                return false;
            }
    return true;
}

// What the event loop does after a click: the posted events, and the
// window the listing replaced destroyed, as the program's own loop does
// before it paints (processEvents alone leaves it to the outer loop).
void afterClick()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Click to filled grid: the listing, the sort, the grid's fill and the
// window it replaces closed.
void BM_KeywordIntoGrid(benchmark::State &state)
{
    useBase(int(state.range(0)));
    QString k = QString::fromLatin1(benchbase::kBigKeyword);
    keywords::ListNotesOfKeyword(k); // warm
    afterClick();
    for (auto _ : state) {
        keywords::ListNotesOfKeyword(k);
        afterClick();
    }
    state.counters["rows"] = double(vb::Forms::find<fGrid>()->table().count());
}

// The same, first after the base is opened.
void BM_KeywordIntoGridFirst(benchmark::State &state)
{
    useBase(int(state.range(0)));
    QString k = QString::fromLatin1(benchbase::kBigKeyword);
    for (auto _ : state) {
        state.PauseTiming();
        reopen();
        state.ResumeTiming();
        keywords::ListNotesOfKeyword(k);
        afterClick();
    }
    state.counters["rows"] = double(vb::Forms::find<fGrid>()->table().count());
}

// The rows alone, and the direct query for them, warm and first.
void BM_CardsOfKeyword(benchmark::State &state)
{
    useBase(int(state.range(0)));
    const bool first = state.range(1) != 0;
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            reopen();
            state.ResumeTiming();
        }
        state.counters["rows"] =
            double(keywords::CardsOfKeyword(CardType::Note, QString::fromLatin1(benchbase::kBigKeyword)).size());
        QCoreApplication::processEvents();
    }
}

// On a fresh connection for the first listing: its page cache is empty.
void BM_DirectCardsOfKeyword(benchmark::State &state)
{
    useBase(int(state.range(0)));
    const bool first = state.range(1) != 0;
    floors::checkNoSort(g_raw, floors::kCardsOfKeyword);
    if (!sameRowsAsTheProgram(state))
        return;
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            reopen();
            state.ResumeTiming();
        }
        state.counters["rows"] = double(floors::cardsOfKeyword(g_raw, benchbase::kBigKeyword).size());
    }
}

// ---- notes by date ----------------------------------------------------------

// Into the list window.
void BM_NotesByDateIntoList(benchmark::State &state)
{
    useBase(100000);
    for (auto _ : state) {
        keywords::ListNotesByDate();
        benchmark::ClobberMemory();
    }
}
BENCHMARK_GUARDED(BM_NotesByDateIntoList)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NotesByDate(benchmark::State &state)
{
    useBase(int(state.range(0)));
    for (auto _ : state)
        state.counters["rows"] = double(keywords::CardsByDate(CardType::Note).size());
}

void BM_DirectNotesByDateTwoPasses(benchmark::State &state)
{
    useBase(int(state.range(0)));
    floors::checkNotesByDatePlan(g_raw);
    for (auto _ : state)
        state.counters["rows"] = double(floors::notesByDate(g_raw).size());
}

std::string nameOf(const char *what, int notes, int first = -1)
{
    std::string n = std::string(what) + "/" + std::to_string(notes);
    if (first >= 0)
        n += first ? "/first" : "/warm";
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallCardWindows();
    // Each size: the program and the direct query one after the other,
    // first and warm, then the notes by date, three rounds.
    const int sizes[] = {10000, 100000};
    for (int notes : sizes)
        for (int round = 0; round < 3; ++round) {
            for (int first : {1, 0}) {
                benchfail::registerGuarded(nameOf("KeywordIntoGrid", notes, first).c_str(),
                                             first ? BM_KeywordIntoGridFirst : BM_KeywordIntoGrid)
                    ->Arg(notes)->Unit(benchmark::kMillisecond)->Iterations(first ? 1 : 3);
                benchfail::registerGuarded(nameOf("CardsOfKeyword", notes, first).c_str(), BM_CardsOfKeyword)
                    ->Args({notes, first})->Unit(benchmark::kMillisecond)->Iterations(first ? 1 : 3);
                benchfail::registerGuarded(nameOf("DirectCardsOfKeyword", notes, first).c_str(), BM_DirectCardsOfKeyword)
                    ->Args({notes, first})->Unit(benchmark::kMillisecond)->Iterations(first ? 1 : 3);
            }
            benchfail::registerGuarded(nameOf("NotesByDate", notes).c_str(), BM_NotesByDate)
                ->Arg(notes)->Unit(benchmark::kMillisecond)->Iterations(3);
            benchfail::registerGuarded(nameOf("DirectNotesByDateTwoPasses", notes).c_str(), BM_DirectNotesByDateTwoPasses)
                ->Arg(notes)->Unit(benchmark::kMillisecond)->Iterations(3);
        }

    benchmark::Initialize(&argc, argv);
    benchbase::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nThe notes of a keyword of 30 %% of the notes, medians (ms), against one joined query:\n");
    for (int notes : sizes)
        for (int first : {1, 0}) {
            const double grid = reporter.median(nameOf("KeywordIntoGrid", notes, first)),
                         rows = reporter.median(nameOf("CardsOfKeyword", notes, first)),
                         direct = reporter.median(nameOf("DirectCardsOfKeyword", notes, first));
            if (grid > 0 && rows > 0 && direct > 0)
                std::printf("  %6d notes, %-5s into grid %8.1f  rows %8.1f  direct %8.1f   grid/direct %.2f  rows/direct %.2f\n",
                            notes, first ? "first" : "warm", grid, rows, direct, grid / direct, rows / direct);
        }
    std::printf("Every note by date, medians (ms), against the two passes over the indexes:\n");
    for (int notes : sizes) {
        const double mine = reporter.median(nameOf("NotesByDate", notes)),
                     direct = reporter.median(nameOf("DirectNotesByDateTwoPasses", notes));
        if (mine > 0 && direct > 0)
            std::printf("  %6d notes, by date %8.1f  direct %8.1f   ratio %.2f\n", notes, mine, direct, mine / direct);
    }
    benchmark::Shutdown();
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (g_raw)
        sqlite3_close_v2(g_raw);
    benchbase::CloseLargeBase();
    return 0;
}
