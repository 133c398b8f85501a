// The engine, its workspace and the database object: opening and creating
// encrypted bases, the catalog of what SQLite does not keep (DAO types,
// sizes, attributes, index flags), transactions.

#include "DaoImpl.h"

#include "BaseFormat.h"
#include "Collation.h"
#include "Error.h"
#include "FileWatch.h"
#include "Guard.h"
#include "LeftBases.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <optional>
#include <thread>

namespace dao {

namespace {

using format::kFormat;
// The text order the indexes of a base were built in (Collation.cpp): "nfc"
// since texts compare in normal form C. A base without the mark was written
// before and has its text indexes ordered again when it is opened writable.
const char *const kCollationMark = "nfc";

const QByteArray kCatalogSql = QByteArray(format::kMetaSql) + ';' + format::kTablesSql + ';' +
                               format::kColumnsSql + ';' + format::kIndexesSql + ';';

// Connections of this program to one file share one FileState.
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<FileState>> &fileStates()
{
    static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<FileState>> m;
    return m;
}

// The state shared by the connections of ours to the file the engine holds
// (not the file its path names now).
std::shared_ptr<FileState> fileStateFor(const FileIdentity &held)
{
    if (!held.known())
        return std::make_shared<FileState>();
    auto &m = fileStates();
    for (auto it = m.begin(); it != m.end();)
        it = it->second.expired() ? m.erase(it) : std::next(it);
    auto &slot = m[{held.dev, held.ino}];
    auto fs = slot.lock();
    if (!fs) {
        fs = std::make_shared<FileState>();
        slot = fs;
    }
    return fs;
}

std::shared_ptr<WorkspaceImpl> defaultWorkspace()
{
    static const std::shared_ptr<WorkspaceImpl> ws = std::make_shared<WorkspaceImpl>();
    return ws;
}

int g_defaultType = dbUseJet;

// The key: everything after the first ";pwd=" (any letter case), verbatim.
QByteArray keyOf(const QString &connect)
{
    qsizetype at = connect.indexOf(QLatin1String(";pwd="), 0, Qt::CaseInsensitive);
    qsizetype start = -1;
    if (at >= 0)
        start = at + 5;
    else if (connect.startsWith(QLatin1String("pwd="), Qt::CaseInsensitive))
        start = 4;
    if (start < 0)
        return {};
    return connect.mid(start).toUtf8();
}

// Whether this user may make files in the folder of path: the engine keeps
// its journal there while it writes.
bool folderWritable(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(dir.constData(), W_OK | X_OK) == 0;
}

int stepOnce(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW || rc == SQLITE_DONE)
            rc = SQLITE_OK;
        else
            rc = sqlite3_extended_errcode(db);
    }
    sqlite3_finalize(s);
    return rc;
}

// Reads the catalog into table descriptions. Returns an SQLite code.
int loadCatalog(sqlite3 *db, std::vector<std::shared_ptr<TableMeta>> &out, bool &isBase)
{
    isBase = false;
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT value FROM \"dao.meta\" WHERE key='format'", -1, &s,
                                nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        return (rc & 0xff) == SQLITE_ERROR ? SQLITE_OK : rc; // no catalog: not a base
    }
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW)
        isBase = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))) == kFormat;
    else if (rc != SQLITE_DONE)
        rc = sqlite3_extended_errcode(db);
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return rc;
    if (!isBase)
        return SQLITE_OK;

    std::map<int, std::shared_ptr<TableMeta>> byId;
    auto each = [&](const char *sql, auto &&fn) -> int {
        sqlite3_stmt *q = nullptr;
        int r = sqlite3_prepare_v2(db, sql, -1, &q, nullptr);
        if (r == SQLITE_OK) {
            while ((r = sqlite3_step(q)) == SQLITE_ROW)
                fn(q);
            r = r == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
        }
        sqlite3_finalize(q);
        return r;
    };
    auto text = [](sqlite3_stmt *q, int i) {
        return fromStoredText(QByteArrayView(reinterpret_cast<const char *>(sqlite3_column_text(q, i)),
                                             sqlite3_column_bytes(q, i)));
    };
    bool bad = false;
    rc = each("SELECT id, name FROM \"dao.tables\" ORDER BY id", [&](sqlite3_stmt *q) {
        auto t = std::make_shared<TableMeta>();
        t->id = sqlite3_column_int(q, 0);
        t->name = text(q, 1);
        t->sql = quoteName(t->name);
        byId[t->id] = t;
        out.push_back(t);
    });
    if (rc != SQLITE_OK)
        return rc;
    rc = each("SELECT tbl, name, type, size, attributes, zerolength, required FROM \"dao.columns\" "
              "ORDER BY tbl, ord",
              [&](sqlite3_stmt *q) {
                  auto it = byId.find(sqlite3_column_int(q, 0));
                  if (it == byId.end()) {
                      bad = true;
                      return;
                  }
                  ColumnMeta c;
                  c.name = text(q, 1);
                  c.type = sqlite3_column_int(q, 2);
                  c.size = sqlite3_column_int(q, 3);
                  c.attributes = long(sqlite3_column_int64(q, 4));
                  c.allowZeroLength = sqlite3_column_int(q, 5) != 0;
                  c.required = sqlite3_column_int(q, 6) != 0;
                  c.counter = (c.attributes & dbAutoIncrField) != 0;
                  c.sql = quoteName(c.name);
                  if (c.counter)
                      it->second->counter = int(it->second->cols.size());
                  it->second->cols.push_back(std::move(c));
              });
    if (rc != SQLITE_OK)
        return rc;
    rc = each("SELECT tbl, name, isprimary, isunique, isrequired, ignorenulls, fields "
              "FROM \"dao.indexes\" ORDER BY tbl, ord",
              [&](sqlite3_stmt *q) {
                  auto it = byId.find(sqlite3_column_int(q, 0));
                  if (it == byId.end()) {
                      bad = true;
                      return;
                  }
                  IndexMeta ix;
                  ix.name = text(q, 1);
                  ix.primary = sqlite3_column_int(q, 2) != 0;
                  ix.unique = sqlite3_column_int(q, 3) != 0;
                  ix.required = sqlite3_column_int(q, 4) != 0;
                  ix.ignoreNulls = sqlite3_column_int(q, 5) != 0;
                  for (const QString &f : text(q, 6).split(u',', Qt::SkipEmptyParts)) {
                      bool ok = false;
                      const int c = f.toInt(&ok);
                      if (!ok || c < 0 || c >= int(it->second->cols.size()))
                          bad = true;
                      else
                          ix.cols.push_back(c);
                  }
                  if (ix.cols.empty())
                      bad = true;
                  it->second->indexes.push_back(std::move(ix));
              });
    if (rc != SQLITE_OK)
        return rc;
    if (bad)
        return SQLITE_CORRUPT;
    for (auto &t : out) {
        if (t->cols.empty())
            return SQLITE_CORRUPT;
        t->finish();
    }
    return SQLITE_OK;
}

void markCollation(sqlite3 *db)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT value FROM \"dao.meta\" WHERE key='collation'", -1, &s,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        return;
    }
    const bool current = sqlite3_step(s) == SQLITE_ROW
                         && QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)))
                                == kCollationMark;
    sqlite3_finalize(s);
    if (current)
        return;
    const QByteArray sql = QByteArray("BEGIN; REINDEX ") + kTextCollation
                           + "; INSERT OR REPLACE INTO \"dao.meta\" VALUES('collation','" + kCollationMark
                           + "'); COMMIT;";
    // Two keys of a unique index that are one key now (the same word in both
    // normal forms) refuse the new order: the base is then used as it was.
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

// opened: the workspace's transaction levels the connection is in already.
void joinWorkspace(const std::shared_ptr<DatabaseImpl> &d, const std::shared_ptr<WorkspaceImpl> &ws,
                   int opened = 0)
{
    d->ws = ws;
    auto &v = ws->dbs;
    v.erase(std::remove_if(v.begin(), v.end(), [](auto &w) { return w.expired(); }), v.end());
    v.push_back(d);
    d->savepoints = opened;
    for (int l = opened + 1; l <= ws->level; ++l) {
        d->exec("SAVEPOINT \"t" + QByteArray::number(l) + "\"");
        d->savepoints = l;
    }
}

// Pages of a base kept decrypted in memory: enough for the index pages an
// index build, an import or a listing of a big base keeps going back to (the
// engine's own 2 MB would read and decrypt them again and again). Memory is
// taken only as pages are read.
void setWorkingCache(sqlite3 *db)
{
    stepOnce(db, "PRAGMA cache_size=-65536");
}

// Waits for a lock another process holds on the file, trying again every
// millisecond, two thousand times. SQLite's own wait tries less and less
// often (every 100 ms in the end), and another copy of the program writing
// row after row takes the lock again in every gap between two of its
// writes: that wait ran out while the file was free many times. As in
// SQLite's own, the time is counted in the sleeps asked for, so a loaded
// machine waits longer.
int waitForLock(void *, int count)
{
    if (count >= 2000)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

void prepareConnection(sqlite3 *db, const QByteArray &key)
{
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, waitForLock, nullptr);
    if (!key.isEmpty())
        sqlite3_key(db, key.constData(), int(key.size()));
    registerTextCollation(db);
    guardConnection(db);
}

// A file from elsewhere is read with page checks on, no memory mapping, and
// writes refused by the engine itself (guardConnection has turned off what
// would run code of the file's own).
int hardenConnection(sqlite3 *db)
{
    for (const char *sql : {"PRAGMA cell_size_check=ON", "PRAGMA mmap_size=0", "PRAGMA query_only=1"}) {
        const int rc = stepOnce(db, sql);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

// Once the schema is checked, the connection may only read.
int readOnlyAuthorizer(void *, int action, const char *a, const char *b, const char *, const char *)
{
    switch (action) {
    case SQLITE_FUNCTION:
        return guardAuthorizer(nullptr, action, a, b, nullptr, nullptr);
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_SAVEPOINT:
    case SQLITE_TRANSACTION:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

// The file's tables are what its catalog says: each catalog table a plain
// table with every catalogued column, each index there, and no view or
// trigger anywhere (the engine never makes one). SQLITE_OK, or
// SQLITE_NOTADB when the file is not what it claims, or the read error.
int checkForeignSchema(sqlite3 *db, const std::vector<std::shared_ptr<TableMeta>> &tables)
{
    auto count = [&](const QByteArray &sql, const QByteArray &arg, int &out) {
        sqlite3_stmt *s = nullptr;
        int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr);
        out = 0;
        if (rc == SQLITE_OK) {
            if (!arg.isNull())
                sqlite3_bind_text(s, 1, arg.constData(), int(arg.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(s);
            if (rc == SQLITE_ROW) {
                out = sqlite3_column_int(s, 0);
                rc = SQLITE_OK;
            } else {
                rc = sqlite3_extended_errcode(db);
            }
        }
        sqlite3_finalize(s);
        return rc;
    };
    int n = 0;
    int rc = count("SELECT count(*) FROM sqlite_master WHERE type NOT IN ('table', 'index')", {}, n);
    if (rc != SQLITE_OK)
        return rc;
    if (n != 0)
        return SQLITE_NOTADB;
    for (const auto &t : tables) {
        rc = count("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?", toStoredText(t->name), n);
        if (rc != SQLITE_OK)
            return rc;
        if (n != 1)
            return SQLITE_NOTADB;
        for (const IndexMeta &ix : t->indexes) {
            if (ix.rowidOrder)
                continue;
            rc = count("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = ?",
                       toStoredText(t->name + u'.' + ix.name), n);
            if (rc != SQLITE_OK)
                return rc;
            if (n != 1)
                return SQLITE_NOTADB;
        }
        QSet<QString> present;
        sqlite3_stmt *s = nullptr;
        const QByteArray sql = "PRAGMA table_info(" + t->sql + ")";
        rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(s)) == SQLITE_ROW)
                present.insert(
                    fromStoredText(reinterpret_cast<const char *>(sqlite3_column_text(s, 1))).toCaseFolded());
            rc = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
        }
        sqlite3_finalize(s);
        if (rc != SQLITE_OK)
            return rc;
        for (const ColumnMeta &c : t->cols)
            if (!present.contains(c.name.toCaseFolded()))
                return SQLITE_NOTADB;
    }
    return SQLITE_OK;
}

std::shared_ptr<DatabaseImpl> openImpl(const std::shared_ptr<WorkspaceImpl> &ws, const QString &name,
                                       bool readOnly, const QString &connect, bool foreign = false)
{
    if (foreign)
        readOnly = true;
    if (name.isEmpty())
        fail(ErrFileNotFound, name);
    // A pipe, a device or a socket would block or endlessly feed the first
    // read: only a regular file (or a link to one) is ever opened.
    struct stat st {};
    if (::stat(QFile::encodeName(name).constData(), &st) != 0)
        fail(ErrFileNotFound, name);
    if (!S_ISREG(st.st_mode))
        fail(ErrNotAFile, name);
    // Our bases are made of whole 1024-byte pages; anything else was cut
    // short or is some other file.
    if (looksLikeNoBase(name))
        fail(ErrNotABase, name);
    if (st.st_size % 1024 != 0)
        fail(plainSqliteHeader(name) ? ErrNotABase : ErrCorrupt, name);

    // A base in a folder this user cannot write to could not keep its
    // journal, so every write would fail: it opens read-only, and its writes
    // are refused as those of a write-protected file are.
    if (!readOnly && !folderWritable(name))
        readOnly = true;
    const QByteArray key = keyOf(connect);
    FileIdentity vouched = checkBeforeOpening(name, key, !readOnly);

    sqlite3 *db = nullptr;
    int fd = -1;
    // One connection is used by one thread (the program's user interface):
    // no locking of SQLite's own on every call.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = SQLITE_OK;
    // SQLite opens the path again: the engine must hold the very file the
    // look vouched for, in the state it saw. Before it reads a page, the
    // descriptor it opened is held against that look; on any difference
    // the file is looked at again, and a second difference ends the open.
    FileIdentity held;
    for (int looks = 1;; ++looks) {
        if (testing::g_beforeEngineOpens)
            testing::g_beforeEngineOpens();
        {
            const filewatch::OpenWatch watch;
            rc = sqlite3_open_v2(QFile::encodeName(name).constData(), &db, flags, nullptr);
            fd = watch.fd();
        }
        if (rc != SQLITE_OK)
            break;
        held = filewatch::identityOfFd(fd);
        if (held.sameAs(vouched))
            break;
        sqlite3_close_v2(db);
        db = nullptr;
        fd = -1;
        if (looks == 2) {
            // The same file, written meanwhile: another program works on it.
            if (held.sameFile(vouched))
                fail(ErrBaseInUse, name);
            refuseBase(name, QStringLiteral("it was replaced while it was looked at"));
        }
        vouched = checkBeforeOpening(name, key, !readOnly, false);
    }
    std::shared_ptr<FileState> state;
    if (rc == SQLITE_OK) {
        state = fileStateFor(held);
        state->own->start(held);
        filewatch::watch(fd, state->own, QByteArray(sqlite3_db_filename(db, "main")) + "-journal");
    }
    std::optional<CatalogTimeLimit> limit;
    auto bail = [&](int number) {
        limit.reset();
        filewatch::unwatch(fd);
        sqlite3_close_v2(db);
        // The time limit on the catalog ended the last statement.
        fail((rc & 0xff) == SQLITE_INTERRUPT ? ErrUnsafeBase : number, name);
    };
    if (rc != SQLITE_OK)
        bail((rc & 0xff) == SQLITE_CANTOPEN ? ErrCannotOpen : errorFromSqlite(rc));
    prepareConnection(db, key);
    if (foreign && hardenConnection(db) != SQLITE_OK)
        bail(ErrCannotOpen);
    limit.emplace(db);

    // Probe right after keying: a wrong key shows here, as a file that does
    // not decrypt.
    rc = stepOnce(db, "SELECT count(*) FROM sqlite_master");
    // A journal appeared beside it since it was looked at: another program
    // is writing it, or died doing so.
    if (rc != SQLITE_OK && filewatch::replayRefused(fd))
        bail(ErrBaseInUse);
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_NOTADB)
            bail(plainSqliteHeader(name) && !key.isEmpty() ? ErrNotABase : ErrInvalidPassword);
        if ((rc & 0xff) == SQLITE_NOMEM)
            bail(vb::ErrOutOfMemory);
        // Still locked after the busy timeout: another program writes it.
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
            bail(ErrBaseInUse);
        bail(ErrCorrupt);
    }
    setWorkingCache(db);
    std::vector<std::shared_ptr<TableMeta>> tables;
    bool isBase = false;
    rc = loadCatalog(db, tables, isBase);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        bail(ErrBaseInUse);
    if (rc != SQLITE_OK)
        bail((rc & 0xff) == SQLITE_NOTADB && plainSqliteHeader(name) ? ErrNotABase : ErrCorrupt);
    if (!isBase)
        bail(ErrNotABase);
    if (foreign) {
        rc = checkForeignSchema(db, tables);
        if (rc != SQLITE_OK)
            bail((rc & 0xff) == SQLITE_NOTADB ? ErrNotABase : ErrCorrupt);
        sqlite3_set_authorizer(db, readOnlyAuthorizer, nullptr);
    }
    limit.reset();

    auto d = std::make_shared<DatabaseImpl>();
    d->db = db;
    d->fd = fd;
    d->name = name;
    d->connect = connect;
    d->readOnly = readOnly || sqlite3_db_readonly(db, "main") == 1;
    d->tables = std::move(tables);
    d->file = state;
    if (!d->readOnly) {
        stepOnce(db, "PRAGMA journal_mode=DELETE");
        markCollation(db);
    }
    joinWorkspace(d, ws);
    return d;
}

std::shared_ptr<DatabaseImpl> createImpl(const std::shared_ptr<WorkspaceImpl> &ws, const QString &name,
                                         const QString &locale)
{
    if (name.isEmpty())
        fail(ErrInvalidPath, name);
    const QByteArray path = QFile::encodeName(name);
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0)
        fail(ErrDatabaseExists, name);
    // Made here with O_EXCL, so that nothing that appeared meanwhile is
    // ever opened or overwritten.
    const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int e = errno;
        if (e == EEXIST)
            fail(ErrDatabaseExists, name);
        if (e == ENOENT || e == ENOTDIR || e == ENAMETOOLONG)
            fail(ErrInvalidPath, name);
        if (e == EROFS)
            fail(ErrReadOnly, name);
        fail(ErrCannotOpen, name);
    }
    sqlite3 *db = nullptr;
    int number = 0;
    int held = -1;
    int rc = SQLITE_OK;
    {
        const filewatch::OpenWatch watch;
        rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        held = watch.fd();
    }
    // The engine must write the file made here, not one put in its place
    // since (made by someone else, it would be recorded as ours at close).
    const FileIdentity made = filewatch::identityOfFd(fd);
    const FileIdentity opened = filewatch::identityOfFd(held);
    ::close(fd);
    if (rc == SQLITE_OK && !opened.sameFile(made)) {
        sqlite3_close_v2(db);
        fail(ErrCannotOpen, name);
    }
    std::shared_ptr<FileState> state;
    if (rc == SQLITE_OK) {
        state = fileStateFor(opened);
        state->own->start(opened);
        filewatch::watch(held, state->own, QByteArray(sqlite3_db_filename(db, "main")) + "-journal");
    }
    if (rc == SQLITE_OK) {
        prepareConnection(db, keyOf(locale));
        rc = stepOnce(db, "PRAGMA journal_mode=DELETE");
        setWorkingCache(db);
        char *err = nullptr;
        // Made inside the workspace's transaction, the base is written by
        // its commit, with whatever the transaction puts in it (a new base's
        // tables and types): one commit for all. Otherwise by its own.
        QByteArray begin = ws->level == 0 ? QByteArray("BEGIN") : QByteArray();
        for (int l = 1; l <= ws->level; ++l)
            begin += "SAVEPOINT \"t" + QByteArray::number(l) + "\";";
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, begin.constData(), nullptr, nullptr, &err);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, kCatalogSql.constData(), nullptr, nullptr, &err);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db,
                              (QByteArray("INSERT INTO \"dao.meta\" VALUES('format','") + kFormat
                               + "'), ('collation','" + kCollationMark + "')")
                                  .constData(),
                              nullptr, nullptr, &err);
        if (rc == SQLITE_OK && ws->level == 0)
            rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, &err);
        sqlite3_free(err);
        if (rc != SQLITE_OK)
            number = errorFromSqlite(sqlite3_extended_errcode(db));
    } else {
        number = errorFromSqlite(rc);
    }
    if (number != 0) {
        filewatch::unwatch(held);
        sqlite3_close_v2(db);
        ::unlink(path.constData()); // ours, made a moment ago
        fail(number, name);
    }
    auto d = std::make_shared<DatabaseImpl>();
    d->db = db;
    d->fd = held;
    d->name = name;
    d->file = state;
    joinWorkspace(d, ws, ws->level);
    return d;
}

} // namespace

void failNothing()
{
    fail(ErrObjectNotSet);
}

QByteArray quoteName(const QString &name)
{
    QByteArray q = toStoredText(name);
    q.replace('"', "\"\"");
    return '"' + q + '"';
}

bool validName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64 || name.at(0) == u' ')
        return false;
    for (QChar c : name) {
        if (c.unicode() < 32 || c == u'.' || c == u'!' || c == u'[' || c == u']' || c == u'`')
            return false;
    }
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int errorFromSqlite(int rc)
{
    switch (rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY: return ErrDuplicate;
    case SQLITE_CONSTRAINT_NOTNULL: return ErrRequiredNull;
    default: break;
    }
    switch (rc & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_PERM: return ErrReadOnly;
    case SQLITE_FULL: return ErrDiskFull;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ErrLocked;
    case SQLITE_IOERR: return ErrDiskError;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ErrCorrupt;
    case SQLITE_CANTOPEN: return ErrCannotOpen;
    case SQLITE_NOMEM: return vb::ErrOutOfMemory;
    case SQLITE_CONSTRAINT: return ErrDuplicate;
    default: return ErrEngine;
    }
}

void TableMeta::finish()
{
    selectList = "rowid";
    selectOrds.clear();
    memoOrds.clear();
    selectMask.reset();
    QByteArray names, marks;
    for (int i = 0; i < int(cols.size()); ++i) {
        if (!cols[size_t(i)].memo()) {
            selectList += ", " + cols[size_t(i)].sql;
            selectOrds.push_back(i);
            selectMask.set(size_t(i));
        } else {
            memoOrds.push_back(i);
        }
        if (i) {
            names += ", ";
            marks += ", ";
        }
        names += cols[size_t(i)].sql;
        marks += '?';
    }
    insertSql = "INSERT INTO " + sql + "(" + names + ") VALUES(" + marks + ")";
    orders.clear();
    OrderDef none;
    none.exprs = {"rowid"};
    none.ords = {-1};
    none.from = " FROM " + sql;
    none.orderAsc = " ORDER BY rowid";
    none.orderDesc = " ORDER BY rowid DESC";
    orders.push_back(none);
    for (IndexMeta &ix : indexes) {
        ix.rowidOrder = ix.cols.size() == 1 && ix.cols[0] == counter;
        if (ix.rowidOrder) {
            orders.push_back(none);
            continue;
        }
        OrderDef o;
        o.from = " FROM " + sql + " INDEXED BY " + quoteName(name + u'.' + ix.name);
        QByteArray asc, desc;
        for (int c : ix.cols) {
            o.exprs.push_back(cols[size_t(c)].sql);
            o.ords.push_back(c);
            o.cols.set(size_t(c));
            asc += cols[size_t(c)].sql + ", ";
            desc += cols[size_t(c)].sql + " DESC, ";
        }
        o.exprs.push_back("rowid");
        o.ords.push_back(-1);
        o.orderAsc = " ORDER BY " + asc + "rowid";
        o.orderDesc = " ORDER BY " + desc + "rowid DESC";
        orders.push_back(std::move(o));
    }
}

int TableMeta::findColumn(const QString &n) const
{
    for (int i = 0; i < int(cols.size()); ++i)
        if (sameName(cols[size_t(i)].name, n))
            return i;
    return -1;
}

int TableMeta::findIndex(const QString &n) const
{
    for (int i = 0; i < int(indexes.size()); ++i)
        if (sameName(indexes[size_t(i)].name, n))
            return i;
    return -1;
}

DatabaseImpl::~DatabaseImpl()
{
    if (!closed)
        closeNow();
}

sqlite3_stmt *DatabaseImpl::prepare(const QByteArray &sql)
{
    checkOpen();
    auto it = stmts.constFind(sql);
    if (it != stmts.constEnd())
        return it.value();
    sqlite3_stmt *s = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        raise(rc);
    }
    stmts.insert(sql, s);
    return s;
}

void DatabaseImpl::exec(const QByteArray &sql)
{
    checkOpen();
    releaseStreams();
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        raise(sqlite3_extended_errcode(db));
}

void DatabaseImpl::raise(int rc, const QString &arg) const
{
    int number = errorFromSqlite(rc);
    // The folder was made read-only after the base was opened: the journal
    // cannot be made, and the base is read-only from now on.
    if (number == ErrCannotOpen && !folderWritable(name))
        number = ErrReadOnly;
    if (number == ErrEngine || (arg.isEmpty() && number == ErrCorrupt))
        fail(number, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::number(rc));
    fail(number, arg.isEmpty() ? name : arg);
}

std::shared_ptr<TableMeta> DatabaseImpl::findTable(const QString &n) const
{
    for (const auto &t : tables)
        if (sameName(t->name, n))
            return t;
    return {};
}

std::shared_ptr<TableMeta> DatabaseImpl::findTableFresh(const QString &n)
{
    if (auto t = findTable(n))
        return t;
    // Another connection of this program may have made it since we read
    // the catalog.
    std::vector<std::shared_ptr<TableMeta>> fresh;
    bool isBase = false;
    const CatalogTimeLimit limit(db);
    if (loadCatalog(db, fresh, isBase) == SQLITE_OK && isBase) {
        for (auto &t : fresh)
            for (const auto &old : tables)
                if (old->id == t->id && old->name == t->name)
                    t = old;
        tables = std::move(fresh);
    }
    return findTable(n);
}

void DatabaseImpl::closeNow()
{
    endHeldRead();
    closed = true;
    for (auto &w : recordsets)
        if (auto r = w.lock())
            r->invalidate();
    recordsets.clear();
    for (sqlite3_stmt *s : std::as_const(stmts))
        sqlite3_finalize(s);
    stmts.clear();
    // The file is as this program left it only once no other connection of
    // ours has it open, and only if nobody else wrote it while it was open:
    // looked at through the engine's own descriptor before it lets go, and
    // recorded only if the path still names that file, unchanged, after.
    // (An open transaction is rolled back by the close; such writes change
    // the file after the look, so nothing is recorded.)
    const bool last = !file || file.use_count() == 1;
    leftbases::Left left;
    if (db && last && file)
        left = leftbases::look(fd, name, file->own->changedByOthers(fd));
    filewatch::unwatch(fd);
    fd = -1;
    if (db && sqlite3_close_v2(db) == SQLITE_OK && last)
        leftbases::record(name, left);
    db = nullptr;
    if (auto w = ws.lock()) {
        auto &v = w->dbs;
        v.erase(std::remove_if(v.begin(), v.end(),
                               [this](auto &x) {
                                   auto p = x.lock();
                                   return !p || p.get() == this;
                               }),
                v.end());
    }
    if (file)
        ++file->version;
}

qint64 DatabaseImpl::takeCounter(const TableMeta &t)
{
    // A counter is a Long; a file from elsewhere may hold any 64-bit number
    // there, and the one after the largest must not wrap round to a small,
    // used one.
    constexpr qint64 kLast = 2147483647;
    auto after = [](qint64 v) { return v >= kLast ? kLast + 1 : v + 1; };
    auto it = file->nextCounter.find(t.id);
    if (it == file->nextCounter.end()) {
        qint64 next = 1;
        sqlite3_stmt *s = prepare("SELECT seq FROM sqlite_sequence WHERE name = ?");
        {
            StmtScope sc(s);
            bindText(s, 1, t.name);
            if (sqlite3_step(s) == SQLITE_ROW)
                next = std::max(next, after(sqlite3_column_int64(s, 0)));
        }
        s = prepare("SELECT max(rowid) FROM " + t.sql);
        {
            StmtScope sc(s);
            if (sqlite3_step(s) == SQLITE_ROW)
                next = std::max(next, after(sqlite3_column_int64(s, 0)));
        }
        it = file->nextCounter.insert(t.id, next);
    }
    if (it.value() > kLast)
        vb::raise(ErrOverflow,
                  QStringLiteral("The counter %1 of the table %2 has reached its largest value (%3) : no row can be "
                                 "added to this table.")
                      .arg(t.cols[size_t(t.counter)].name, t.name)
                      .arg(kLast),
                  QStringLiteral("DAO"));
    return it.value()++;
}

// ---------------------------------------------------------------- Database

QString Database::Name() const
{
    return need(m_impl)->name;
}

QString Database::Connect() const
{
    return need(m_impl)->connect;
}

bool Database::Updatable() const
{
    need(m_impl)->checkOpen();
    return !m_impl->readOnly;
}

TableDefsCollection Database::TableDefs() const
{
    need(m_impl)->checkOpen();
    TableDefsCollection c;
    Access::db(c) = m_impl;
    return c;
}

TableDef Database::TableDefs(const QString &name) const
{
    return TableDefs().Item(name);
}

TableDef Database::TableDefs(int i) const
{
    return TableDefs().Item(i);
}

Recordset Database::OpenRecordset(const QString &name, int type, int options, int) const
{
    need(m_impl)->checkOpen();
    if (type != dbOpenTable)
        fail(ErrInvalidArgument);
    auto t = m_impl->findTableFresh(name);
    if (!t)
        fail(ErrTableNotFound, name);
    auto r = std::make_shared<RecordsetImpl>();
    r->db = m_impl;
    r->t = t;
    r->readOnly = m_impl->readOnly || (options & dbReadOnly);
    auto &v = m_impl->recordsets;
    v.erase(std::remove_if(v.begin(), v.end(), [](auto &w) { return w.expired(); }), v.end());
    v.push_back(r);
    // Opens on the first record, if any.
    try {
        r->moveTo(+1, true);
    } catch (const vb::Error &e) {
        if (e.number() != ErrNoCurrentRecord)
            throw;
    }
    return Access::make<Recordset>(r);
}

void Database::Close()
{
    need(m_impl);
    if (!m_impl->closed)
        m_impl->closeNow();
}

// ---------------------------------------------------------------- Workspace

QString Workspace::Name() const
{
    return need(m_impl)->name;
}

Database Workspace::OpenDatabase(const QString &name, const QVariant &, bool readOnly,
                                 const QString &connect) const
{
    return Access::make<Database>(openImpl(need(m_impl), name, readOnly, connect));
}

Database Workspace::OpenForeignDatabase(const QString &name, const QString &connect) const
{
    return Access::make<Database>(openImpl(need(m_impl), name, true, connect, true));
}

Database Workspace::CreateDatabase(const QString &name, const QString &locale, int) const
{
    return Access::make<Database>(createImpl(need(m_impl), name, locale));
}

namespace {
template <class F> void eachDb(WorkspaceImpl &ws, F &&f)
{
    std::vector<std::shared_ptr<DatabaseImpl>> live;
    for (auto &w : ws.dbs)
        if (auto d = w.lock(); d && !d->closed)
            live.push_back(d);
    for (auto &d : live)
        f(*d);
}
} // namespace

void Workspace::BeginTrans() const
{
    WorkspaceImpl &ws = *need(m_impl);
    if (ws.level >= 5)
        fail(ErrTooManyTransactions);
    const int l = ws.level + 1;
    eachDb(ws, [&](DatabaseImpl &d) {
        d.exec("SAVEPOINT \"t" + QByteArray::number(l) + "\"");
        d.savepoints = l;
    });
    ws.level = l;
}

void Workspace::CommitTrans() const
{
    WorkspaceImpl &ws = *need(m_impl);
    if (ws.level == 0)
        fail(ErrNoTransaction);
    const int l = ws.level;
    ws.level = l - 1;
    releaseStreams();
    int err = 0;
    QString what;
    eachDb(ws, [&](DatabaseImpl &d) {
        if (d.savepoints < l)
            return;
        // A table filled in bulk gets its indexes back before the commit.
        int rc = SQLITE_OK;
        try {
            d.restoreIndexesFrom(l);
        } catch (const vb::Error &) {
            rc = sqlite3_extended_errcode(d.db);
            if (rc == SQLITE_OK)
                rc = SQLITE_ERROR;
        }
        if (rc == SQLITE_OK && sqlite3_exec(d.db, ("RELEASE \"t" + QByteArray::number(l) + "\"").constData(),
                                            nullptr, nullptr, nullptr) != SQLITE_OK)
            rc = sqlite3_extended_errcode(d.db);
        d.savepoints = l - 1;
        if (rc != SQLITE_OK && !err) {
            d.forgetAsideFrom(1);
            err = errorFromSqlite(rc);
            what = d.name;
            // A commit that did not go through leaves nothing half done.
            sqlite3_exec(d.db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        d.touch();
    });
    if (err)
        fail(err, what);
}

void Workspace::Rollback() const
{
    WorkspaceImpl &ws = *need(m_impl);
    if (ws.level == 0)
        fail(ErrNoTransaction);
    const int l = ws.level;
    ws.level = l - 1;
    releaseStreams();
    eachDb(ws, [&](DatabaseImpl &d) {
        if (d.savepoints < l)
            return;
        const QByteArray n = "\"t" + QByteArray::number(l) + "\"";
        sqlite3_exec(d.db, ("ROLLBACK TO " + n + "; RELEASE " + n).constData(), nullptr, nullptr,
                     nullptr);
        d.forgetAsideFrom(l);
        d.savepoints = l - 1;
        d.touch();
        // Tables made inside the transaction are gone from the file: the
        // catalog is read again (tables that stay keep their description).
        std::vector<std::shared_ptr<TableMeta>> fresh;
        bool isBase = false;
        const CatalogTimeLimit limit(d.db);
        if (loadCatalog(d.db, fresh, isBase) == SQLITE_OK && isBase) {
            for (auto &t : fresh)
                for (const auto &old : d.tables)
                    if (old->id == t->id && old->name == t->name)
                        t = old;
            d.tables = std::move(fresh);
        }
    });
}

int Workspace::TransactionLevel() const
{
    return need(m_impl)->level;
}

// ---------------------------------------------------------------- DBEngine

Workspace DBEngine::Workspaces(int i)
{
    if (i != 0)
        fail(ErrItemNotFound, QString::number(i));
    return Access::make<Workspace>(defaultWorkspace());
}

Database DBEngine::OpenDatabase(const QString &name, const QVariant &options, bool readOnly,
                                const QString &connect)
{
    return Workspaces(0).OpenDatabase(name, options, readOnly, connect);
}

Database DBEngine::CreateDatabase(const QString &name, const QString &locale, int options)
{
    return Workspaces(0).CreateDatabase(name, locale, options);
}

void DBEngine::BeginTrans() { Workspaces(0).BeginTrans(); }
void DBEngine::CommitTrans() { Workspaces(0).CommitTrans(); }
void DBEngine::Rollback() { Workspaces(0).Rollback(); }
int DBEngine::DefaultType() { return g_defaultType; }
void DBEngine::setDefaultType(int type) { g_defaultType = type; }

TransactionScope::TransactionScope(Workspace ws) : m_ws(std::move(ws))
{
    m_ws.BeginTrans();
    m_open = true;
}

TransactionScope::~TransactionScope()
{
    if (m_open) {
        try {
            m_ws.Rollback();
        } catch (...) {
        }
    }
}

void TransactionScope::Commit()
{
    if (!m_open)
        fail(ErrNoTransaction);
    m_open = false;
    m_ws.CommitTrans();
}

} // namespace dao
