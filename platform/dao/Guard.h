#pragma once
// What stands between the program and a base file it did not make: a look at
// the file in a process of its own before the program opens it, and the
// limits every connection works under.

#include <sqlite3.h>

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

namespace dao {

// The settings of every connection, our own bases included: no triggers,
// no extensions or tokenizers, no attached files, no writable schema, no
// views, triggers or virtual tables made.
void guardConnection(sqlite3 *db);

// The authorizer guardConnection installs, for callers that install a
// stricter one and still want its refusals.
int guardAuthorizer(void *, int action, const char *a, const char *b, const char *, const char *);

// While it lives, a statement on db that runs past the limit is ended
// (SQLITE_INTERRUPT): reading the catalog takes milliseconds, so one that
// takes seconds is a file made to hang the program.
class CatalogTimeLimit {
public:
    explicit CatalogTimeLimit(sqlite3 *db, std::chrono::milliseconds limit = std::chrono::seconds(5));
    ~CatalogTimeLimit();
    CatalogTimeLimit(const CatalogTimeLimit &) = delete;
    CatalogTimeLimit &operator=(const CatalogTimeLimit &) = delete;

private:
    static int handler(void *self);
    sqlite3 *m_db;
    std::chrono::steady_clock::time_point m_deadline;
};

// Which file, and which of its states, a look vouched for: what fstat of the
// descriptor it read through told, once the look was done. Two looks agree
// only when every field does; an unknown identity agrees with none.
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec ctime {};
    timespec mtime {};
    bool known() const { return size >= 0; }
    // The same file (device and inode), whatever was written to it.
    bool sameFile(const FileIdentity &o) const { return known() && o.known() && dev == o.dev && ino == o.ino; }
    // The same file, as it was: size and times too.
    bool sameAs(const FileIdentity &o) const;
};
FileIdentity identityOf(const struct stat &st);

// Looks at the file at path in the checker process (corvane-check, beside
// the program) with key, and raises vb::Error when it is not a base the
// program may open: 3031 for a key that does not open it, 3343 for another
// kind of file, 3049 for a damaged one, ErrNeedsRollback for a hot journal
// that may not be rolled back (writable false), ErrUnsafeBase for anything
// the program never makes, a checker that crashed or ran out of time.
// A file this program closed cleanly, unchanged since, is not looked at
// again (LeftBases.h) unless trustRecord is false; its record is gone either
// way. Returns the identity of the file as the check (or the record) saw it,
// for the caller to hold against the file it then opens.
FileIdentity checkBeforeOpening(const QString &path, const QByteArray &key, bool writable, bool trustRecord = true);

// How many times this process has started the checker.
int checksRun();

// The checker's time limit; 0 puts back the default, which grows with the
// file's size.
void setCheckTimeLimit(int milliseconds);

// Whether the file starts as a plain (unencrypted) SQLite database does.
bool plainSqliteHeader(const QString &path);

// Whether the file's start is text (no control bytes but blanks), or one
// byte repeated: a base starts with random salt and its pages look like
// noise, so it never starts so.
bool looksLikeNoBase(const QString &path);

// Raises ErrUnsafeBase: the file at path was not opened, for reason.
[[noreturn]] void refuseBase(const QString &path, const QString &reason);

namespace testing {
// Run right before the engine opens a file a look vouched for, each time:
// a test changes the file there, as another program could.
extern std::function<void()> g_beforeEngineOpens;
} // namespace testing

// The reason of an ErrUnsafeBase description, to be put in another sentence.
QString unsafeReason(const QString &description);

} // namespace dao
