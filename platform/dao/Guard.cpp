#include "Guard.h"

#include "DaoErrors.h"
#include "check/Answer.h"
#include "Error.h"
#include "LeftBases.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstring>
#include <map>

namespace dao {

void guardConnection(sqlite3 *db)
{
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_set_authorizer(db, guardAuthorizer, nullptr);
}

int guardAuthorizer(void *, int action, const char *a, const char *b, const char *, const char *)
{
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_VTABLE:
        return SQLITE_DENY;
    case SQLITE_PRAGMA:
        return a && sqlite3_stricmp(a, "writable_schema") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_FUNCTION:
        return b && (sqlite3_stricmp(b, "load_extension") == 0 || sqlite3_stricmp(b, "fts3_tokenizer") == 0)
                   ? SQLITE_DENY
                   : SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

CatalogTimeLimit::CatalogTimeLimit(sqlite3 *db, std::chrono::milliseconds limit)
    : m_db(db), m_deadline(std::chrono::steady_clock::now() + limit)
{
    sqlite3_progress_handler(m_db, 1000, handler, this);
}

CatalogTimeLimit::~CatalogTimeLimit() { sqlite3_progress_handler(m_db, 0, nullptr, nullptr); }

int CatalogTimeLimit::handler(void *self)
{
    return std::chrono::steady_clock::now() > static_cast<CatalogTimeLimit *>(self)->m_deadline ? 1 : 0;
}

namespace {

int g_timeLimit = 0;

int g_checksRun = 0;

// The checker lies where the program's own files lie, and nowhere else: in
// the build tree beside the program, installed in the checker folder of the
// same prefix. A program that looked further (a path of the tree it was
// built in) could start a stale or planted checker.
QString checkerPath()
{
    const QString own = QCoreApplication::instance()
                            ? QCoreApplication::applicationDirPath()
                            : QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    const QString beside = own + QStringLiteral("/corvane-check");
#ifdef CORVANE_CHECKER_FROM_BIN
    if (!QFileInfo(beside).isExecutable())
        return QDir::cleanPath(own + QStringLiteral("/" CORVANE_CHECKER_FROM_BIN "/corvane-check"));
#endif
    return beside;
}

const char *const kNotOpened = " was not opened : ";

[[noreturn]] void refuse(const QString &path, const QString &reason)
{
    vb::raise(ErrUnsafeBase, QStringLiteral("The file '") + path + u'\'' + QLatin1String(kNotOpened) + reason + u'.',
              QStringLiteral("DAO"));
}

QString kindText(const QByteArray &kind)
{
    static const std::map<QByteArray, const char *> what = {
        {"trigger", "a trigger"},
        {"view", "a view"},
        {"virtual", "a virtual table"},
        {"tableas", "a table made from a query (CREATE TABLE ... AS)"},
        {"withoutrowid", "a table without row numbers (WITHOUT ROWID)"},
        {"stats", "planner statistics (sqlite_stat tables)"},
        {"stranger", "a table or an index outside its catalog"},
    };
    if (kind == "catalog")
        return QStringLiteral("its catalog does not describe its tables");
    const auto it = what.find(kind);
    return QStringLiteral("it holds %1, which this program never makes")
        .arg(QLatin1String(it != what.end() ? it->second : "a table or an index declared in another way"));
}

} // namespace

bool plainSqliteHeader(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool looksLikeNoBase(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = f.read(4096);
    if (start.isEmpty())
        return false;
    if (start.size() >= 16 && start.left(16).count(start.at(0)) == 16)
        return true;
    for (char c : start) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f') || u == 0x7f)
            return false;
    }
    return true;
}

std::function<void()> testing::g_beforeEngineOpens;

void refuseBase(const QString &path, const QString &reason)
{
    refuse(path, reason);
}

bool FileIdentity::sameAs(const FileIdentity &o) const
{
    return sameFile(o) && size == o.size && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
}

FileIdentity identityOf(const struct stat &st)
{
    FileIdentity id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.ctime = st.st_ctim;
    id.mtime = st.st_mtim;
    return id;
}

int checksRun()
{
    return g_checksRun;
}

void setCheckTimeLimit(int milliseconds) { g_timeLimit = milliseconds; }

QString unsafeReason(const QString &description)
{
    const qsizetype at = description.indexOf(QLatin1String(kNotOpened));
    if (at < 0)
        return description;
    QString r = description.mid(at + qsizetype(std::strlen(kNotOpened)));
    if (r.endsWith(u'.'))
        r.chop(1);
    return r;
}

FileIdentity checkBeforeOpening(const QString &path, const QByteArray &key, bool writable, bool trustRecord)
{
    if (const std::optional<FileIdentity> asLeft = leftbases::take(path); asLeft && trustRecord)
        return *asLeft;
    ++g_checksRun;
    // Reading every page of a large base takes its time; a small one is
    // looked at in a fraction of a second.
    const int limit = g_timeLimit > 0 ? g_timeLimit : 4000 + int(QFileInfo(path).size() / (32 << 20)) * 1000;
    QProcess p;
    p.setProgram(checkerPath());
    // The checker is told the limit: a lock another program holds is waited
    // for only part of it, and answered "busy" before the limit runs out.
    p.setArguments({path, writable ? QStringLiteral("w") : QStringLiteral("r"), QString::number(limit)});
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start();
    if (!p.waitForStarted(5000))
        refuse(path, QStringLiteral("the checker of base files (%1) could not be started").arg(p.program()));
    p.write(key);
    p.closeWriteChannel();
    if (!p.waitForFinished(limit)) {
        p.kill();
        p.waitForFinished(2000);
        refuse(path, QStringLiteral("checking it took more than %1 seconds").arg(limit / 1000.0));
    }
    const QByteArray line = p.readAllStandardOutput().trimmed();
    // Killed by a signal, or ended without its answer (a checker built with
    // sanitizers ends so).
    if (p.exitStatus() != QProcess::NormalExit || line.isEmpty())
        refuse(path, QStringLiteral("checking it made the checker stop abnormally: it is damaged, or made to "
                                    "harm the program"));
    // "ok" comes with the identity of the file the checker read; a bare
    // "ok", or one with fields missing or malformed, is no answer of its.
    if (const std::optional<check::Identity> seen = check::parseOkAnswer(line.toStdString())) {
        FileIdentity id;
        id.dev = dev_t(seen->dev);
        id.ino = ino_t(seen->ino);
        id.size = off_t(seen->size);
        id.ctime = {time_t(seen->ctimeSec), long(seen->ctimeNsec)};
        id.mtime = {time_t(seen->mtimeSec), long(seen->mtimeNsec)};
        return id;
    }
    if (line == "key")
        fail(plainSqliteHeader(path) && !key.isEmpty() ? ErrNotABase : ErrInvalidPassword, path);
    if (line == "notabase")
        fail(ErrNotABase, path);
    if (line == "journal")
        fail(ErrNeedsRollback, path);
    if (line == "corrupt")
        fail(ErrCorrupt, path);
    if (line == "busy")
        fail(ErrBaseInUse, path);
    if (line == "nomem")
        fail(vb::ErrOutOfMemory, path);
    if (line == "open")
        fail(ErrCannotOpen, path);
    if (line.startsWith("refuse "))
        refuse(path, kindText(line.mid(7)));
    refuse(path, QStringLiteral("the checker gave an answer it should not: ") + QString::fromUtf8(line.left(40)));
}

} // namespace dao
