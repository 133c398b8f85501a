#include "LeftBases.h"

#include "Settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace dao::leftbases {

namespace {

// A record is a MAC, under a secret of this user's own (a file only this
// user can read), over everything that tells the file as left from another:
// its canonical path, device, inode, size, times of change and modification
// to the nanosecond, and its first and last pages. Someone else cannot make
// a record that matches a file of theirs without the secret; and the
// inode's change time, which nobody can set by hand, changes with every
// write, rename or replacement, so even a record copied from another base
// or one made with the secret no longer matches once the file is touched.
// The first page changes with every commit the engine makes (its counter,
// written under a new random IV), whatever the clocks do.
constexpr int kPage = 1024;
constexpr qsizetype kSecretBytes = 32;

struct Snapshot {
    QByteArray canonical;
    struct stat st {};
    QByteArray first, last;
};

bool timeBefore(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool exists(const QByteArray &path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

bool readAt(int fd, QByteArray &out, off_t at)
{
    out.resize(kPage);
    return ::pread(fd, out.data(), kPage, at) == kPage;
}

bool snapshot(const QString &path, Snapshot &s)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    s.canonical = QFile::encodeName(canonical);
    // A journal beside the file makes it another base than the file alone.
    if (exists(s.canonical + "-journal") || exists(s.canonical + "-wal"))
        return false;
    const int fd = ::open(s.canonical.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool ok = ::fstat(fd, &s.st) == 0 && S_ISREG(s.st.st_mode) && s.st.st_size >= kPage &&
                    readAt(fd, s.first, 0) && readAt(fd, s.last, s.st.st_size - kPage);
    ::close(fd);
    return ok;
}

QByteArray mac(const Snapshot &s, const QByteArray &secret)
{
    QMessageAuthenticationCode m(QCryptographicHash::Sha256, secret);
    m.addData(QByteArrayLiteral("corvane left base 1\n"));
    m.addData(QByteArray::number(s.canonical.size()) + ':' + s.canonical);
    const std::array<qint64, 9> fields = {qint64(s.st.st_dev),         qint64(s.st.st_ino),
                                          qint64(s.st.st_size),        qint64(s.st.st_mtim.tv_sec),
                                          qint64(s.st.st_mtim.tv_nsec), qint64(s.st.st_ctim.tv_sec),
                                          qint64(s.st.st_ctim.tv_nsec), qint64(s.st.st_uid),
                                          qint64(s.st.st_mode)};
    for (qint64 f : fields)
        m.addData(QByteArray::number(f) + ' ');
    m.addData(s.first);
    m.addData(s.last);
    return m.result();
}

// The secret, made on first use when create is set. Unusable (empty) when
// the file is not this user's alone.
QByteArray secret(bool create)
{
    const QByteArray path = QFile::encodeName(folder() + QStringLiteral("/key"));
    int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT && create) {
        QDir().mkpath(folder());
        const int w = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (w >= 0) {
            QByteArray bytes(kSecretBytes, Qt::Uninitialized);
            QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), kSecretBytes / 4);
            const bool written = ::write(w, bytes.constData(), size_t(bytes.size())) == bytes.size();
            ::close(w);
            if (!written) {
                ::unlink(path.constData());
                return {};
            }
        }
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0)
        return {};
    struct stat st {};
    QByteArray bytes(kSecretBytes, Qt::Uninitialized);
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                    (st.st_mode & 077) == 0 && st.st_size == kSecretBytes &&
                    ::pread(fd, bytes.data(), size_t(kSecretBytes), 0) == kSecretBytes;
    ::close(fd);
    return ok ? bytes : QByteArray();
}

} // namespace

QString folder()
{
    return vb::settingsFolder() + QStringLiteral("/bases-left");
}

QString recordFile(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QByteArray name = QCryptographicHash::hash(QFile::encodeName(canonical.isEmpty() ? path : canonical),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(40);
    return folder() + u'/' + QString::fromLatin1(name);
}

bool record(const QString &path)
{
    const QByteArray key = secret(true);
    if (key.isEmpty())
        return false;
    Snapshot s;
    // A later write must show in the file's times: wait (a clock tick at
    // most) until the clock the file system stamps with has passed them. The
    // clock is read before the file, so a write after the look is stamped
    // with that time or later.
    for (int attempt = 0;; ++attempt) {
        timespec now {};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (!snapshot(path, s))
            return false;
        if (timeBefore(s.st.st_ctim, now) && timeBefore(s.st.st_mtim, now))
            break;
        if (attempt == 50)
            return false;
        ::usleep(1000);
    }
    // Times to the second or the millisecond only (FAT, some network file
    // systems): two writes in one step would look alike.
    if (s.st.st_ctim.tv_nsec % 1000000 == 0 || s.st.st_mtim.tv_nsec % 1000000 == 0)
        return false;
    QSaveFile out(recordFile(path));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(mac(s, key).toHex() + '\n');
    return out.commit();
}

bool matches(const QString &path)
{
    const QString file = recordFile(path);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stored = in.read(200).trimmed();
    in.close();
    const QByteArray key = secret(false);
    Snapshot s;
    bool same = !key.isEmpty() && !stored.isEmpty() && snapshot(path, s);
    if (same) {
        const QByteArray expected = mac(s, key).toHex();
        // Compared in full whatever the first difference.
        int diff = int(stored.size() ^ expected.size());
        for (qsizetype i = 0; i < std::min(stored.size(), expected.size()); ++i)
            diff |= stored.at(i) ^ expected.at(i);
        same = diff == 0;
    }
    if (!same)
        QFile::remove(file);
    return same;
}

void forget(const QString &path)
{
    QFile::remove(recordFile(path));
}

} // namespace dao::leftbases
