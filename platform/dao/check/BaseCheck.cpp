// corvane-check PATH r|w LIMIT_MS, the key on standard input.
//
// Looks at a base file before the program opens it, in a process of its own:
// the engine we ship has faults that a crafted schema reaches while it is
// read (a crash, a division by zero, an endless query), so the first reading
// of a file from elsewhere must happen where such a fault costs nothing but
// this process. The program opens the file only when this answers "ok".
//
// Prints one line: "ok" and the identity of the file it read (Answer.h),
// "key" (the key does not open it), "notabase", "journal" (a hot journal,
// and the file may not be written), "corrupt", "nomem", "busy" (another
// program holds it locked for longer than a quarter of LIMIT_MS, the
// program's own time limit for the check, or changed it while it was read),
// "open" (cannot be opened at all) or "refuse KIND" for something the
// program never makes. With "w" a hot journal is rolled back first, as any
// writable open of the file would do.
//
// Everything is read through the descriptor SQLite opened the file by, and
// only under the shared lock it takes at its first read and holds to the
// answer (Pages.h): another program writing the base is waited for, never
// read half-way. A base of ours is read as plain pages: every page
// authenticated whole, many pages a read, and decrypted as far as the check
// reads it; SQLite checks the plain pages, and each index is counted against
// its table from what the pages showed. A file that page 1 does not show to
// be one of ours under the key (another key, other settings, no key) goes
// the engine's own way, and an encrypted one is then held to the same rule:
// every page there, and none of them stored as zeros, which the engine would
// read as a page never written.

#include "Answer.h"
#include "BaseFormat.h"
#include "CipherDefaults.h"
#include "Pages.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fmt = dao::format;

// Field types and the counter attribute, as the engine numbers them (Dao.h).
constexpr int kDate = 8, kText = 10, kMemo = 12;
constexpr long kCounter = 16;

struct SchemaRow {
    std::string type, name, table, sql;
    bool hasSql = false;
};

std::string lower(std::string s)
{
    for (char &c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool startsWithNoCase(const std::string &s, const char *prefix)
{
    return lower(s.substr(0, std::strlen(prefix))) == lower(prefix);
}

std::string quoted(const std::string &name)
{
    std::string q = "\"";
    for (char c : name) {
        q += c;
        if (c == '"')
            q += '"';
    }
    return q + '"';
}

std::string columnText(sqlite3_stmt *s, int i)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
    return p ? std::string(p, size_t(sqlite3_column_bytes(s, i))) : std::string();
}

// Skips one name or string token (quoted in any of SQL's ways, or bare).
size_t skipName(const std::string &sql, size_t at)
{
    if (at >= sql.size())
        return at;
    const char open = sql[at];
    const char close = open == '[' ? ']' : open;
    if (open == '"' || open == '`' || open == '[' || open == '\'') {
        for (size_t i = at + 1; i < sql.size(); ++i) {
            if (sql[i] == close) {
                if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
                    ++i;
                    continue;
                }
                return i + 1;
            }
        }
        return sql.size();
    }
    while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) || sql[at] == '_' || sql[at] == '.'))
        ++at;
    return at;
}

size_t skipSpace(const std::string &sql, size_t at)
{
    while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at])))
        ++at;
    return at;
}

// Why a table statement that is not the one the catalog makes differs, in
// the words the program shows: a table from a query, one without row
// numbers, or simply another declaration.
std::string tableShape(const std::string &sql)
{
    size_t at = skipSpace(sql, 0);
    for (const char *word : {"create", "table"}) {
        if (!startsWithNoCase(sql.substr(at), word))
            return "declaration";
        at = skipSpace(sql, at + std::strlen(word));
    }
    if (startsWithNoCase(sql.substr(at), "if"))
        return "declaration";
    at = skipSpace(sql, skipName(sql, at));
    if (startsWithNoCase(sql.substr(at), "as"))
        return "tableas";
    if (at >= sql.size() || sql[at] != '(')
        return "declaration";
    int depth = 0;
    size_t i = at;
    for (; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            i = skipName(sql, i) - 1;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            break;
        }
    }
    const std::string rest = lower(sql.substr(std::min(i + 1, sql.size())));
    if (rest.find("without") != std::string::npos)
        return "withoutrowid";
    return "declaration";
}

class Check {
public:
    // limit: the program's time limit for the whole check. A lock another
    // program holds is waited for a quarter of it (2 s at most), so that
    // "busy" comes well before the program gives up on the checker.
    Check(std::string path, std::string key, bool writable, std::chrono::milliseconds limit)
        : m_path(std::move(path)), m_key(std::move(key)), m_writable(writable),
          m_busyUntil(std::chrono::steady_clock::now() + std::min(limit / 4, std::chrono::milliseconds(2000)))
    {
    }
    ~Check() { close(); }

    std::string run()
    {
        // Without it nothing tells which file SQLite opened and locked.
        const char *vfs = check::pageVfs(&m_pages);
        if (!vfs)
            return "open";
        if (plainPagesPossible())
            if (std::optional<std::string> v = runOnPlainPages(vfs))
                return *v;
        return runOnEngine(vfs);
    }

private:
    static int binaryOrder(void *, int n1, const void *a, int n2, const void *b)
    {
        const int r = std::memcmp(a, b, size_t(std::min(n1, n2)));
        return r != 0 ? r : n1 - n2;
    }

    // Until the deadline, the lock is tried again every few milliseconds: a
    // writer of another program holds it for a moment at a time.
    static int waitForLock(void *self, int)
    {
        const auto left = static_cast<Check *>(self)->m_busyUntil - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return 0;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(2)));
        return 1;
    }

    void close()
    {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        m_onPages = false;
    }

    // The page reader knows one passphrase derivation and the engine's
    // defaults as they are built in (CipherDefaults.h); a raw key, no key,
    // or an engine with other defaults goes the engine's own road.
    bool plainPagesPossible() const
    {
        if (m_key.empty() || m_key.rfind("x'", 0) == 0 || m_key.rfind("X'", 0) == 0)
            return false;
        sqlite3 *db = nullptr;
        const bool ours = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) ==
                              SQLITE_OK &&
                          sqlite3_key(db, "probe", 5) == SQLITE_OK && !cipherSettingThatDiffers(db);
        sqlite3_close(db);
        return ours;
    }

    // The checks on the plain pages, each page authenticated as it is read
    // and the rest at the end, all under the one lock SQLite takes at its
    // first read; nothing when page 1 does not open with the key as a base
    // of ours (then the engine's road decides).
    std::optional<std::string> runOnPlainPages(const char *vfs)
    {
        m_pages.setPassphrase(m_key);
        if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, vfs) != SQLITE_OK) {
            close();
            return std::nullopt;
        }
        m_onPages = true;
        configure();
        // The check walks each tree depth first and keeps the pages above
        // the one it reads: a small cache stays in the processor's caches.
        sqlite3_exec(m_db, "PRAGMA cache_size=256", nullptr, nullptr, nullptr);
        // One read transaction for all: the lock is held from the first
        // page read to the answer, so no writer changes the file between.
        sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
        if (const int rc = probe(); rc != SQLITE_OK) {
            const bool forged = m_pages.forgedSeen();
            close();
            if ((rc & 0xff) == SQLITE_BUSY)
                return "busy";
            if (forged)
                return "corrupt";
            if (rc == SQLITE_READONLY_ROLLBACK && !m_writable)
                return "journal";
            // Another key or other settings, a journal to roll back.
            return std::nullopt;
        }
        const uint64_t lock = m_pages.lockCount();
        // Not a page more or less than page 1 declares: SQLite would never
        // read those past its count, nor see those missing (it reads them
        // as zeros).
        std::string v = m_pages.pages() == m_pages.declaredPages() ? std::string() : "corrupt";
        if (v.empty())
            v = readSchema();
        if (v.empty())
            v = readCatalog();
        if (v.empty())
            v = quickCheck();
        if (m_pages.forgedSeen() || (v == "ok" && !m_pages.authenticateRest()))
            v = "corrupt";
        if (v == "ok")
            v = vouch(lock);
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        return v;
    }

    // The same checks through the engine's own cipher, in one read
    // transaction too; a base of ours that another key or other settings
    // kept from the plain pages is held to the same rules at the end: every
    // page there, none stored as zeros.
    std::string runOnEngine(const char *vfs)
    {
        m_pages.setPassphrase({});
        std::string v = openEngine(vfs, SQLITE_OPEN_READONLY);
        if (v == "journal" && m_writable) {
            // The engine rolls the journal back when the file is opened for
            // writing; what it rolls back to is then looked at like the rest.
            close();
            v = openEngine(vfs, SQLITE_OPEN_READWRITE);
            m_pages.restartFrom();
        }
        if (!v.empty())
            return v;
        const uint64_t lock = m_pages.lockCount();
        v = readSchema();
        if (v.empty())
            v = readCatalog();
        if (v.empty())
            v = quickCheck();
        if (v == "ok" && !m_key.empty() && !storedWhole())
            v = "corrupt";
        if (v == "ok")
            v = vouch(lock);
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        return v;
    }

    bool storedWhole()
    {
        sqlite3_int64 pageSize = 0, pageCount = 0;
        if (each("PRAGMA page_size", [&](sqlite3_stmt *s) { pageSize = sqlite3_column_int64(s, 0); }) != SQLITE_OK ||
            each("PRAGMA page_count", [&](sqlite3_stmt *s) { pageCount = sqlite3_column_int64(s, 0); }) != SQLITE_OK)
            return false;
        return pageSize > 0 && pageCount > 0 && m_pages.wholeAndWritten(uint64_t(pageSize), uint64_t(pageCount));
    }

    // The answer for a file that passed: what was read is vouched for only
    // when all of it was read under the one lock, from a file that did not
    // change meanwhile (a writer that ignores the locks).
    std::string vouch(uint64_t lock) const
    {
        if (m_pages.lockCount() != lock || !m_pages.lockedAsAtStart())
            return "busy";
        const std::optional<struct stat> st = m_pages.now();
        return st ? check::okAnswer(*st) : "open";
    }

    void configure()
    {
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_handler(m_db, waitForLock, this);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
        sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, 0);
        // The indexes name the program's text order; checking pages needs
        // only some order under that name.
        sqlite3_create_collation(m_db, "DAOTEXT", SQLITE_UTF8, nullptr, binaryOrder);
        sqlite3_exec(m_db, "PRAGMA cell_size_check=ON; PRAGMA mmap_size=0", nullptr, nullptr, nullptr);
    }

    int probe()
    {
        sqlite3_stmt *s = nullptr;
        int rc = sqlite3_prepare_v2(m_db, "SELECT count(*) FROM sqlite_master", -1, &s, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(s);
            rc = rc == SQLITE_ROW ? SQLITE_OK : sqlite3_extended_errcode(m_db);
        } else {
            rc = sqlite3_extended_errcode(m_db);
        }
        sqlite3_finalize(s);
        return rc;
    }

    std::string openEngine(const char *vfs, int flags)
    {
        if (sqlite3_open_v2(m_path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, vfs) != SQLITE_OK)
            return "open";
        if (!m_key.empty())
            sqlite3_key(m_db, m_key.data(), int(m_key.size()));
        configure();
        sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
        const int rc = probe();
        if (rc == SQLITE_OK)
            return {};
        if (rc == SQLITE_READONLY_ROLLBACK)
            return "journal";
        switch (rc & 0xff) {
        case SQLITE_NOTADB: return "key";
        case SQLITE_NOMEM: return "nomem";
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return "busy";
        case SQLITE_CANTOPEN: return "open";
        default: return "corrupt";
        }
    }

    template <class F> int each(const char *sql, F &&fn)
    {
        sqlite3_stmt *s = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(s)) == SQLITE_ROW)
                fn(s);
            rc = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(m_db);
        }
        sqlite3_finalize(s);
        return rc;
    }

    static std::string failure(int rc)
    {
        switch (rc & 0xff) {
        case SQLITE_NOMEM: return "nomem";
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return "busy";
        default: return "corrupt";
        }
    }

    // The schema as text; nothing of it is run.
    std::string readSchema()
    {
        std::vector<SchemaRow> rows;
        const int rc = each("SELECT type, name, tbl_name, sql FROM sqlite_master", [&](sqlite3_stmt *s) {
            SchemaRow r{columnText(s, 0), columnText(s, 1), columnText(s, 2), columnText(s, 3),
                        sqlite3_column_type(s, 3) != SQLITE_NULL};
            rows.push_back(std::move(r));
        });
        if (rc != SQLITE_OK)
            return failure(rc);
        // What runs code of its own or misleads the planner first, whatever
        // else the file holds.
        for (const SchemaRow &r : rows) {
            if (r.type == "trigger")
                return "refuse trigger";
            if (r.type == "view")
                return "refuse view";
            if (r.type != "table" && r.type != "index")
                return "refuse declaration";
            if (r.type == "table" && startsWithNoCase(r.sql, "create virtual"))
                return "refuse virtual";
            if (startsWithNoCase(r.name, "sqlite_stat"))
                return "refuse stats";
        }
        const std::map<std::string, const char *> catalog = {{"dao.meta", fmt::kMetaSql},
                                                             {"dao.tables", fmt::kTablesSql},
                                                             {"dao.columns", fmt::kColumnsSql},
                                                             {"dao.indexes", fmt::kIndexesSql}};
        int catalogSeen = 0;
        for (const SchemaRow &r : rows) {
            const std::string name = lower(r.name);
            if (r.type == "table") {
                if (auto it = catalog.find(name); it != catalog.end()) {
                    if (r.sql != it->second)
                        return "refuse " + tableShape(r.sql);
                    ++catalogSeen;
                } else if (name == "sqlite_sequence") {
                    if (r.sql != "CREATE TABLE sqlite_sequence(name,seq)")
                        return "refuse declaration";
                } else if (startsWithNoCase(name, "sqlite_")) {
                    return "refuse declaration";
                } else {
                    m_tables[name] = r.sql;
                }
            } else if (!r.hasSql) {
                // The engine's own index of a catalog table's key.
                const std::string table = lower(r.table);
                if (!startsWithNoCase(name, "sqlite_autoindex_") || !catalog.count(table) || table == "dao.tables")
                    return "refuse declaration";
            } else {
                m_indexes[name] = r.sql;
            }
        }
        if (catalogSeen != int(catalog.size()))
            return "notabase";
        return {};
    }

    // Every table and index is the one the catalog describes, made as the
    // program makes it; nothing stands outside the catalog.
    std::string readCatalog()
    {
        std::string format;
        int rc = each("SELECT value FROM \"dao.meta\" WHERE key='format'",
                      [&](sqlite3_stmt *s) { format = columnText(s, 0); });
        if (rc != SQLITE_OK)
            return failure(rc);
        if (format != fmt::kFormat)
            return "notabase";

        struct Column {
            std::string name;
            int type = 0;
            long attributes = 0;
        };
        struct Table {
            std::string name;
            std::vector<Column> cols;
            int counter = -1;
        };
        std::map<long long, Table> tables;
        bool bad = false;
        rc = each("SELECT id, name, typeof(name) FROM \"dao.tables\"", [&](sqlite3_stmt *s) {
            if (columnText(s, 2) != "text")
                bad = true;
            tables[sqlite3_column_int64(s, 0)].name = columnText(s, 1);
        });
        if (rc != SQLITE_OK)
            return failure(rc);
        rc = each("SELECT tbl, name, type, attributes, typeof(name) FROM \"dao.columns\" ORDER BY tbl, ord",
                  [&](sqlite3_stmt *s) {
                      auto it = tables.find(sqlite3_column_int64(s, 0));
                      if (it == tables.end() || columnText(s, 4) != "text") {
                          bad = true;
                          return;
                      }
                      Column c{columnText(s, 1), sqlite3_column_int(s, 2), long(sqlite3_column_int64(s, 3))};
                      if (c.attributes & kCounter)
                          it->second.counter = int(it->second.cols.size());
                      it->second.cols.push_back(std::move(c));
                  });
        if (rc != SQLITE_OK)
            return failure(rc);
        if (bad)
            return "refuse catalog";
        for (auto &[id, t] : tables) {
            if (t.cols.empty())
                return "refuse catalog";
            std::string sql = "CREATE TABLE " + quoted(t.name) + "(";
            for (size_t i = 0; i < t.cols.size(); ++i) {
                const Column &c = t.cols[i];
                const char *decl = (c.attributes & kCounter) ? fmt::kCounterDecl
                                   : (c.type == kText || c.type == kMemo) ? fmt::kTextDecl
                                   : c.type == kDate                      ? fmt::kDateDecl
                                                                          : fmt::kNumberDecl;
                sql += (i ? ", " : "") + quoted(c.name) + decl;
            }
            sql += ")";
            auto it = m_tables.find(lower(t.name));
            if (it == m_tables.end())
                return "refuse catalog";
            if (it->second != sql)
                return "refuse " + tableShape(it->second);
            m_tables.erase(it);
        }
        std::string why;
        rc = each("SELECT tbl, name, isunique, fields, typeof(name), typeof(fields) FROM \"dao.indexes\" "
                  "ORDER BY tbl, ord",
                  [&](sqlite3_stmt *s) {
                      auto it = tables.find(sqlite3_column_int64(s, 0));
                      if (!why.empty())
                          return;
                      if (it == tables.end() || columnText(s, 4) != "text" || columnText(s, 5) != "text") {
                          why = "refuse catalog";
                          return;
                      }
                      const Table &t = it->second;
                      std::vector<int> cols;
                      const std::string fields = columnText(s, 3);
                      size_t at = 0;
                      while (at < fields.size()) {
                          size_t end = fields.find(',', at);
                          if (end == std::string::npos)
                              end = fields.size();
                          const std::string part = fields.substr(at, end - at);
                          at = end + 1;
                          if (part.empty())
                              continue;
                          if (part.size() > 4 || part.find_first_not_of("0123456789") != std::string::npos ||
                              std::stoi(part) >= int(t.cols.size())) {
                              why = "refuse catalog";
                              return;
                          }
                          cols.push_back(std::stoi(part));
                      }
                      if (cols.empty()) {
                          why = "refuse catalog";
                          return;
                      }
                      if (cols.size() == 1 && cols[0] == t.counter)
                          return; // the table's own row order: no index of its own
                      const std::string name = t.name + "." + columnText(s, 1);
                      std::string sql = sqlite3_column_int(s, 2) ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
                      sql += quoted(name) + " ON " + quoted(t.name) + "(";
                      for (size_t i = 0; i < cols.size(); ++i)
                          sql += (i ? ", " : "") + quoted(t.cols[size_t(cols[i])].name);
                      sql += ")";
                      auto ix = m_indexes.find(lower(name));
                      if (ix == m_indexes.end())
                          why = "refuse catalog";
                      else if (ix->second != sql)
                          why = "refuse declaration";
                      else
                          m_indexes.erase(ix);
                  });
        if (rc != SQLITE_OK)
            return failure(rc);
        if (!why.empty())
            return why;
        if (!m_tables.empty() || !m_indexes.empty())
            return "refuse stranger";
        return {};
    }

    struct Index {
        std::string name, table;
        sqlite3_int64 root = 0, tableRoot = 0;
    };

    std::string quickCheck()
    {
        // Listed before the check: on the plain pages, what the engine then
        // keeps of overflow pages is only their heads.
        std::vector<Index> indexes;
        int rc = each("SELECT i.name, i.tbl_name, i.rootpage, t.rootpage FROM sqlite_master i "
                      "LEFT JOIN sqlite_master t ON t.type = 'table' AND t.name = i.tbl_name COLLATE NOCASE "
                      "WHERE i.type = 'index'",
                      [&](sqlite3_stmt *s) {
                          indexes.push_back({columnText(s, 0), columnText(s, 1), sqlite3_column_int64(s, 2),
                                             sqlite3_column_int64(s, 3)});
                      });
        if (rc != SQLITE_OK)
            return failure(rc);
        std::string first;
        // The engine we ship checks structure only, and reads of an overflow
        // page the number of the next; later ones may read rows, for their
        // constraints, and get every page whole.
        m_pages.setOverflowHeadsOnly(m_onPages && sqlite3_libversion_number() < 3016000);
        rc = each("PRAGMA quick_check(1)", [&](sqlite3_stmt *s) {
            if (first.empty())
                first = columnText(s, 0);
        });
        m_pages.setOverflowHeadsOnly(false);
        if (rc != SQLITE_OK)
            return failure(rc);
        if (first != "ok")
            return "corrupt";
        return indexesWhole(indexes);
    }

    // quick_check never matches an index with its table: an index that lost
    // entries passes it, and every read through that index misses their
    // rows. Each index counted against its table finds that, for far less
    // than integrity_check's lookup of every entry.
    std::string indexesWhole(const std::vector<Index> &indexes)
    {
        std::map<std::string, sqlite3_int64> rows;
        for (const Index &ix : indexes) {
            if (!rows.count(ix.table)) {
                const std::optional<sqlite3_int64> n = m_onPages ? treeEntries(ix.tableRoot, false) : tableRows(ix.table);
                if (!n)
                    return m_failure.empty() ? "corrupt" : m_failure;
                rows[ix.table] = *n;
            }
            const std::optional<sqlite3_int64> entries =
                m_onPages ? treeEntries(ix.root, true) : indexEntries(ix.name, ix.table);
            if (!entries)
                return m_failure.empty() ? "corrupt" : m_failure;
            if (*entries != rows[ix.table])
                return "corrupt";
        }
        return "ok";
    }

    // On the plain pages the trees are counted from what quick_check's walk
    // showed of each page: only their inner pages are read again.
    std::optional<sqlite3_int64> treeEntries(sqlite3_int64 root, bool index)
    {
        if (root < 1)
            return std::nullopt;
        const std::optional<uint64_t> n = m_pages.entries(uint64_t(root), index);
        if (!n)
            return std::nullopt;
        return sqlite3_int64(*n);
    }

    std::optional<sqlite3_int64> tableRows(const std::string &table)
    {
        std::optional<sqlite3_int64> n;
        // sum(1): a plain count(*) takes the smallest b-tree, NOT INDEXED or
        // not.
        const int rc = each(("SELECT sum(1) FROM " + quoted(table) + " NOT INDEXED").c_str(),
                            [&](sqlite3_stmt *s) { n = sqlite3_column_int64(s, 0); });
        if (rc != SQLITE_OK) {
            m_failure = failure(rc);
            return std::nullopt;
        }
        return n;
    }

    std::optional<sqlite3_int64> indexEntries(const std::string &index, const std::string &table)
    {
        // Walked in its order: a plain count may take any b-tree of the
        // table, and a scan of an index no smaller than its table is never
        // planned.
        std::string first;
        int rc = each(("PRAGMA index_info(" + quoted(index) + ")").c_str(), [&](sqlite3_stmt *s) {
            if (sqlite3_column_int(s, 0) == 0)
                first = columnText(s, 2);
        });
        if (rc != SQLITE_OK || first.empty()) {
            m_failure = rc != SQLITE_OK ? failure(rc) : "corrupt";
            return std::nullopt;
        }
        std::optional<sqlite3_int64> entries;
        rc = each(("SELECT count(*) FROM (SELECT 1 FROM " + quoted(table) + " INDEXED BY " + quoted(index) +
                   " ORDER BY " + quoted(first) + ")")
                      .c_str(),
                  [&](sqlite3_stmt *s) { entries = sqlite3_column_int64(s, 0); });
        if (rc != SQLITE_OK) {
            m_failure = failure(rc);
            return std::nullopt;
        }
        return entries;
    }

    std::string m_path, m_key;
    bool m_writable;
    std::chrono::steady_clock::time_point m_busyUntil;
    check::PageFile m_pages;
    bool m_onPages = false;
    // Why a count failed, when the engine said.
    std::string m_failure;
    sqlite3 *m_db = nullptr;
    // Of the schema, by name in lower case: what the catalog has not yet
    // accounted for.
    std::map<std::string, std::string> m_tables, m_indexes;
};

} // namespace

int main(int argc, char **argv)
{
    // The limit: the program's time limit for the check, in milliseconds.
    long long limit = -1;
    const char *const limitEnd = argc == 4 ? argv[3] + std::strlen(argv[3]) : nullptr;
    if (argc != 4 || (std::strcmp(argv[2], "r") != 0 && std::strcmp(argv[2], "w") != 0) ||
        std::from_chars(argv[3], limitEnd, limit).ptr != limitEnd || limit < 0) {
        std::fprintf(stderr, "usage: corvane-check PATH r|w LIMIT_MS (key on standard input)\n");
        return 2;
    }
    // The key comes through a pipe, never on the command line where other
    // users could read it.
    const std::string key((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    Check check(argv[1], key, std::strcmp(argv[2], "w") == 0, std::chrono::milliseconds(limit));
    const std::string verdict = check.run();
    std::printf("%s\n", verdict.c_str());
    std::fflush(stdout);
    // The process ends here: freeing what a large base took, page by page,
    // would cost more than the system's dropping it at once; the file is
    // only read, and its locks go with the process.
    std::_Exit(verdict.rfind("ok ", 0) == 0 ? 0 : 1);
}
