#pragma once
// The floors of the listings: the fastest plain SQLCipher code for the rows
// the program lists, on a connection of the benchmark's own to the same
// file, with the same key, text order and page cache. Each reads its rows in
// the order of the indexes it walks, without a sort, and checks that it does.

#include "BenchFailure.h"
#include "ResultTable.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

namespace floors {

inline QString textAt(sqlite3_stmt *s, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
}

inline QString textOrEmpty(sqlite3_stmt *s, int i)
{
    return sqlite3_column_type(s, i) == SQLITE_NULL ? QString() : textAt(s, i);
}

inline sqlite3_stmt *prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        benchfail::fail(sql, sqlite3_errmsg(db));
    }
    return s;
}

// The key made and the catalog read, as the program's open does before any
// listing: what a first listing then reads is the listing's own.
inline void readCatalog(sqlite3 *db)
{
    benchfail::check(sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK,
                     "reading the catalog", sqlite3_errmsg(db));
}

// How SQLite runs a statement: the details of EXPLAIN QUERY PLAN.
inline std::string planOf(sqlite3 *db, const char *sql)
{
    std::string plan;
    sqlite3_stmt *s = prepare(db, (std::string("EXPLAIN QUERY PLAN ") + sql).c_str());
    while (sqlite3_step(s) == SQLITE_ROW)
        plan += std::string(reinterpret_cast<const char *>(sqlite3_column_text(s, 3))) + "; ";
    sqlite3_finalize(s);
    return plan;
}

inline void checkNoSort(sqlite3 *db, const char *sql)
{
    const std::string plan = planOf(db, sql);
    benchfail::check(plan.find("TEMP B-TREE") == std::string::npos, "the floor sorts", plan);
}

// The notes of a keyword: one joined query, the keyword's links by their
// index, each link's note by its key, then that note's links by theirs. The
// nested loops give the rows in the order of the indexes; an ORDER BY would
// only add a sort.
inline constexpr const char *kCardsOfKeyword = "SELECT l.GROUPE, l.NDX, n.AUTEUR, n.TITRE1, n.CIT "
                                               "FROM GRNOTE k INDEXED BY \"GRNOTE.GrNote\" "
                                               "JOIN NOTE n INDEXED BY \"NOTE.NoteNDX\" ON n.CIT = k.NDX "
                                               "JOIN GRNOTE l INDEXED BY \"GRNOTE.GrNoteNDX\" ON l.NDX = n.CIT "
                                               "WHERE k.GROUPE = ?";

inline QList<keywords::ResultRow> cardsOfKeyword(sqlite3 *db, const QByteArray &keyword)
{
    sqlite3_stmt *s = prepare(db, kCardsOfKeyword);
    QList<keywords::ResultRow> rows;
    sqlite3_bind_text(s, 1, keyword.constData(), int(keyword.size()), SQLITE_STATIC);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        rows.append(keywords::ResultRow{{textAt(s, 0), textAt(s, 1), textOrEmpty(s, 2), textOrEmpty(s, 3)}, textAt(s, 4)});
    sqlite3_finalize(s);
    benchfail::check(rc == SQLITE_DONE, "the notes of a keyword", sqlite3_errmsg(db));
    return rows;
}

// Every note by date, newest first: the order and the dates from the date
// index, the keys from the key index, each read alone (it holds its column
// beside the row's number), put together by the row's number. The dates
// stay as stored, where the program writes them out.
inline constexpr const char *kByDate =
    "SELECT rowid, JOUR FROM NOTE INDEXED BY \"NOTE.Jour\" ORDER BY JOUR DESC, rowid DESC";
inline constexpr const char *kKeys = "SELECT rowid, CIT FROM NOTE INDEXED BY \"NOTE.NoteNDX\"";

inline void checkNotesByDatePlan(sqlite3 *db)
{
    checkNoSort(db, kByDate);
    for (const char *sql : {kByDate, kKeys}) {
        const std::string plan = planOf(db, sql);
        benchfail::check(plan.find("COVERING INDEX") != std::string::npos, "a pass reads the table", plan);
    }
}

inline QList<QStringList> notesByDate(sqlite3 *db)
{
    sqlite3_stmt *order = prepare(db, kByDate);
    std::vector<qint64> ids;
    QList<QStringList> rows;
    while (sqlite3_step(order) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(order, 0));
        rows.append(QStringList{textOrEmpty(order, 1), QString()});
    }
    sqlite3_finalize(order);
    const qint64 top = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    benchfail::check(top <= qint64(ids.size()) * 4 + 1024, "row numbers too sparse for this floor");
    std::vector<qsizetype> placeOf(size_t(top) + 1, -1);
    for (size_t i = 0; i < ids.size(); ++i)
        placeOf[size_t(ids[i])] = qsizetype(i);
    sqlite3_stmt *keys = prepare(db, kKeys);
    while (sqlite3_step(keys) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(keys, 0);
        if (id >= 0 && id <= top && placeOf[size_t(id)] >= 0)
            rows[placeOf[size_t(id)]][1] = textAt(keys, 1);
    }
    sqlite3_finalize(keys);
    return rows;
}

} // namespace floors
