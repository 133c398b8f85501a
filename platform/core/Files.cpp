#include "Files.h"

#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace vb {

QString Dir(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty())
        return QString();
    QDir folder = info.dir();
    if (!folder.exists())
        return QString();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        const QStringList found = folder.entryList({name}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        return found.isEmpty() ? QString() : found.constFirst();
    }
    // Listed, not stat'ed: on a file system that ignores case a stat would
    // find "ABC" for "abc".
    const QStringList entries = folder.entryList(QDir::Files);
    return entries.contains(name) ? name : QString();
}

namespace {

[[noreturn]] void fail(int number, const QString &path)
{
    switch (number) {
    case ErrFileNotFound: raise(number, QStringLiteral("File not found"), path);
    case ErrFileExists: raise(number, QStringLiteral("File already exists"), path);
    case ErrPathNotFound: raise(number, QStringLiteral("Path not found"), path);
    case ErrRenameAcrossDrives: raise(number, QStringLiteral("Can't rename with different drive"), path);
    default: raise(ErrPathAccess, QStringLiteral("Path/File access error"), path);
    }
}

bool existsNoFollow(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Copies a file to a name that must not exist yet, keeping its mode and
// times; the copy is removed again on any failure.
void copyAcross(const QByteArray &from, const QByteArray &to, const QString &newPath)
{
    struct stat st;
    if (::stat(from.constData(), &st) != 0)
        fail(ErrFileNotFound, newPath);
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        fail(ErrPathAccess, newPath);
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        fail(e == EEXIST ? ErrFileExists : e == ENOENT ? ErrPathNotFound : ErrPathAccess, newPath);
    }
    bool ok = true;
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    if (ok) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        ok = ::fsync(out) == 0;
    }
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok) {
        ::unlink(to.constData());
        fail(ErrPathAccess, newPath);
    }
}

// Set by tests on a machine with a single file system.
bool g_everyMoveAcross = false;

} // namespace

void testing::setEveryMoveAcrossFileSystems(bool on) { g_everyMoveAcross = on; }

void Name(const QString &oldPath, const QString &newPath)
{
    const QByteArray from = QFile::encodeName(oldPath);
    const QByteArray to = QFile::encodeName(newPath);
    if (oldPath.isEmpty() || !existsNoFollow(from))
        fail(ErrFileNotFound, oldPath);
    if (newPath.isEmpty())
        fail(ErrPathAccess, newPath);
    if (existsNoFollow(to))
        fail(ErrFileExists, newPath);
    if (!QFileInfo(newPath).dir().exists())
        fail(ErrPathNotFound, newPath);

    if (!g_everyMoveAcross
        && ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return;
    int e = g_everyMoveAcross ? EXDEV : errno;
    if (e == EINVAL || e == ENOSYS || e == ENOTSUP) {
        // The file system knows no "no replace": a hard link refuses an
        // existing name just as well.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return;
        }
        e = errno;
        if (e != EXDEV && e != EEXIST) {
            if (existsNoFollow(to))
                fail(ErrFileExists, newPath);
            if (::rename(from.constData(), to.constData()) == 0)
                return;
            e = errno;
        }
    }
    switch (e) {
    case EEXIST:
    case ENOTEMPTY: fail(ErrFileExists, newPath);
    case ENOENT: fail(existsNoFollow(from) ? ErrPathNotFound : ErrFileNotFound, newPath);
    case EXDEV: break;
    default: fail(ErrPathAccess, newPath);
    }

    // Another file system: files are copied then removed; folders are refused.
    if (QFileInfo(oldPath).isDir())
        fail(ErrRenameAcrossDrives, newPath);
    copyAcross(from, to, newPath);
    if (::unlink(from.constData()) != 0) {
        ::unlink(to.constData());
        fail(ErrPathAccess, oldPath);
    }
}

} // namespace vb
