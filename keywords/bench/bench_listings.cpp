// Listings in a base of 100,000 notes: the notes of a keyword that holds
// 30,000 of them into the result window, and every note by date into the
// list window; each beside the fastest plain SQLCipher code giving the same
// rows on the same file, with the same page cache. The base is made once
// and kept in the build folder (bench-bases).

#include "InstallCards.h"
#include "LargeBase.h"
#include "ListByDate.h"
#include "Listings.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "fGrid.h"

#include <QApplication>
#include <QHash>

#include "BenchFailure.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kNotes = 100000;
QString g_path;
sqlite3 *g_raw = nullptr;

QString textAt(sqlite3_stmt *s, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
}

sqlite3_stmt *prepare(const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(g_raw, sql, -1, &s, nullptr) != SQLITE_OK)
        fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(g_raw));
    return s;
}

// ---- the notes of a keyword --------------------------------------------------

void BM_NotesOfKeywordIntoGrid(benchmark::State &state)
{
    for (auto _ : state) {
        QString k = QString::fromLatin1(benchbase::kBigKeyword);
        keywords::ListNotesOfKeyword(k);
        state.counters["rows"] = double(vb::Forms::find<fGrid>()->table().count());
    }
}
BENCHMARK_GUARDED(BM_NotesOfKeywordIntoGrid)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NotesOfKeyword(benchmark::State &state)
{
    for (auto _ : state)
        state.counters["rows"] =
            double(keywords::CardsOfKeyword(CardType::Note, QString::fromLatin1(benchbase::kBigKeyword)).size());
}
BENCHMARK_GUARDED(BM_NotesOfKeyword)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows with three prepared statements: the links of the keyword,
// then per card its record and its links, each by its index.
void BM_DirectNotesOfKeyword(benchmark::State &state)
{
    sqlite3_stmt *links = prepare("SELECT NDX FROM GRNOTE INDEXED BY \"GRNOTE.GrNote\" WHERE GROUPE = ? ORDER BY rowid");
    sqlite3_stmt *card = prepare("SELECT CIT, AUTEUR, TITRE1 FROM NOTE INDEXED BY \"NOTE.NoteNDX\" WHERE CIT = ?");
    sqlite3_stmt *cardLinks =
        prepare("SELECT GROUPE, NDX FROM GRNOTE INDEXED BY \"GRNOTE.GrNoteNDX\" WHERE NDX = ? ORDER BY rowid");
    for (auto _ : state) {
        // One read transaction: the file is locked and checked once.
        sqlite3_exec(g_raw, "BEGIN", nullptr, nullptr, nullptr);
        std::vector<keywords::ResultRow> rows;
        std::vector<QByteArray> keys;
        sqlite3_bind_text(links, 1, benchbase::kBigKeyword, -1, SQLITE_STATIC);
        while (sqlite3_step(links) == SQLITE_ROW)
            keys.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(links, 0)),
                              sqlite3_column_bytes(links, 0));
        sqlite3_reset(links);
        keywords::ResultRow r;
        for (const QByteArray &k : keys) {
            sqlite3_bind_text(card, 1, k.constData(), int(k.size()), SQLITE_STATIC);
            const bool found = sqlite3_step(card) == SQLITE_ROW;
            if (found) {
                r.key = textAt(card, 0);
                r.cells[2] = textAt(card, 1);
                r.cells[3] = textAt(card, 2);
            }
            sqlite3_reset(card);
            if (!found)
                continue;
            const QByteArray own = r.key.toUtf8();
            sqlite3_bind_text(cardLinks, 1, own.constData(), int(own.size()), SQLITE_STATIC);
            while (sqlite3_step(cardLinks) == SQLITE_ROW) {
                r.cells[0] = textAt(cardLinks, 0);
                r.cells[1] = textAt(cardLinks, 1);
                rows.push_back(r);
            }
            sqlite3_reset(cardLinks);
        }
        sqlite3_exec(g_raw, "COMMIT", nullptr, nullptr, nullptr);
        state.counters["rows"] = double(rows.size());
    }
    sqlite3_finalize(links);
    sqlite3_finalize(card);
    sqlite3_finalize(cardLinks);
}
BENCHMARK_GUARDED(BM_DirectNotesOfKeyword)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows from one joined query.
void BM_DirectNotesOfKeywordJoin(benchmark::State &state)
{
    sqlite3_stmt *s = prepare("SELECT l.GROUPE, l.NDX, n.CIT, n.AUTEUR, n.TITRE1 "
                              "FROM GRNOTE k INDEXED BY \"GRNOTE.GrNote\" "
                              "JOIN NOTE n INDEXED BY \"NOTE.NoteNDX\" ON n.CIT = k.NDX "
                              "JOIN GRNOTE l INDEXED BY \"GRNOTE.GrNoteNDX\" ON l.NDX = n.CIT "
                              "WHERE k.GROUPE = ? ORDER BY k.rowid, l.rowid");
    for (auto _ : state) {
        std::vector<keywords::ResultRow> rows;
        sqlite3_bind_text(s, 1, benchbase::kBigKeyword, -1, SQLITE_STATIC);
        keywords::ResultRow r;
        while (sqlite3_step(s) == SQLITE_ROW) {
            r.cells[0] = textAt(s, 0);
            r.cells[1] = textAt(s, 1);
            r.key = textAt(s, 2);
            r.cells[2] = textAt(s, 3);
            r.cells[3] = textAt(s, 4);
            rows.push_back(r);
        }
        sqlite3_reset(s);
        state.counters["rows"] = double(rows.size());
    }
    sqlite3_finalize(s);
}
BENCHMARK_GUARDED(BM_DirectNotesOfKeywordJoin)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- notes by date ----------------------------------------------------------

void BM_NotesByDateIntoList(benchmark::State &state)
{
    for (auto _ : state) {
        keywords::ListNotesByDate();
        benchmark::ClobberMemory();
    }
}
BENCHMARK_GUARDED(BM_NotesByDateIntoList)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NotesByDate(benchmark::State &state)
{
    for (auto _ : state)
        state.counters["rows"] = double(keywords::CardsByDate(CardType::Note).size());
}
BENCHMARK_GUARDED(BM_NotesByDate)->Unit(benchmark::kMillisecond)->Iterations(3);

// The rows in the order of the date index, newest first, from one query:
// through the index, each row fetched in date order (0), or read in stored
// order and sorted by SQLite (1).
void BM_DirectNotesByDate(benchmark::State &state)
{
    sqlite3_stmt *s = prepare(state.range(0) == 0
                                  ? "SELECT JOUR, CIT FROM NOTE INDEXED BY \"NOTE.Jour\" ORDER BY JOUR DESC, rowid DESC"
                                  : "SELECT JOUR, CIT FROM NOTE NOT INDEXED ORDER BY JOUR DESC, rowid DESC");
    for (auto _ : state) {
        QList<QStringList> rows;
        while (sqlite3_step(s) == SQLITE_ROW)
            rows.append(QStringList{textAt(s, 0), textAt(s, 1)});
        sqlite3_reset(s);
        state.counters["rows"] = double(rows.size());
    }
    sqlite3_finalize(s);
}
BENCHMARK_GUARDED(BM_DirectNotesByDate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The order from the index alone, the rows in stored order, put together.
void BM_DirectNotesByDateTwoPasses(benchmark::State &state)
{
    sqlite3_stmt *order = prepare("SELECT rowid FROM NOTE INDEXED BY \"NOTE.Jour\" ORDER BY JOUR DESC, rowid DESC");
    sqlite3_stmt *all = prepare("SELECT rowid, JOUR, CIT FROM NOTE");
    for (auto _ : state) {
        QHash<qint64, qsizetype> placeOf;
        while (sqlite3_step(order) == SQLITE_ROW)
            placeOf.insert(sqlite3_column_int64(order, 0), placeOf.size());
        sqlite3_reset(order);
        QList<QStringList> rows(placeOf.size());
        while (sqlite3_step(all) == SQLITE_ROW)
            rows[placeOf.value(sqlite3_column_int64(all, 0))] = QStringList{textAt(all, 1), textAt(all, 2)};
        sqlite3_reset(all);
        state.counters["rows"] = double(rows.size());
    }
    sqlite3_finalize(order);
    sqlite3_finalize(all);
}
BENCHMARK_GUARDED(BM_DirectNotesByDateTwoPasses)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallCardWindows();
    g_path = benchbase::OpenLargeBase(kNotes);
    g_raw = benchbase::OpenDirect(g_path);
    benchbase::RunBenchmarks(argc, argv);
    sqlite3_close_v2(g_raw);
    benchbase::CloseLargeBase();
    return 0;
}
