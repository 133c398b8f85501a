#include "LeftBases.h"

#include "FileWatch.h"
#include "Settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSaveFile>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <utility>
#include <cerrno>

namespace dao::leftbases {

namespace {

constexpr int kPage = 1024;
constexpr qsizetype kSecretBytes = 32;

std::function<timespec()> g_clock;

timespec fileSystemNow()
{
    if (g_clock)
        return g_clock();
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

bool timeBefore(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool exists(const QByteArray &path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// A journal beside the file makes it another base than the file alone.
bool journalBeside(const QByteArray &canonical)
{
    return exists(canonical + "-journal") || exists(canonical + "-wal");
}

bool readAt(int fd, QByteArray &out, off_t at)
{
    out.resize(kPage);
    return ::pread(fd, out.data(), kPage, at) == kPage;
}

QByteArray canonicalOf(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QByteArray() : QFile::encodeName(c);
}

// Opens the file the canonical path names, never through a link, never
// blocking on something that is not a regular file.
int openPlain(const QByteArray &canonical)
{
    return ::open(canonical.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
}

// The look at the file through fd: its state and its first and last pages.
bool pagesOf(int fd, const struct stat &st, Left &l)
{
    if (!S_ISREG(st.st_mode) || st.st_size < kPage)
        return false;
    l.id = identityOf(st);
    l.uid = st.st_uid;
    l.mode = st.st_mode;
    return readAt(fd, l.first, 0) && readAt(fd, l.last, st.st_size - kPage);
}

QByteArray mac(const Left &l, const QByteArray &secret)
{
    QMessageAuthenticationCode m(QCryptographicHash::Sha256, secret);
    m.addData(QByteArrayLiteral("corvane left base 2\n"));
    m.addData(QByteArray::number(l.canonical.size()) + ':' + l.canonical);
    const std::array<qint64, 9> fields = {qint64(l.id.dev),          qint64(l.id.ino),
                                          qint64(l.id.size),         qint64(l.id.mtime.tv_sec),
                                          qint64(l.id.mtime.tv_nsec), qint64(l.id.ctime.tv_sec),
                                          qint64(l.id.ctime.tv_nsec), qint64(l.uid),
                                          qint64(l.mode)};
    for (qint64 f : fields)
        m.addData(QByteArray::number(f) + ' ');
    m.addData(l.first);
    m.addData(l.last);
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

bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    // Compared in full whatever the first difference.
    int diff = int(a.size() ^ b.size());
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        diff |= a.at(i) ^ b.at(i);
    return diff == 0;
}

QByteArray readText(const QString &path, qint64 most = 1 << 20)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(most) : QByteArray();
}

// The block device at major:minor, as the kernel's device folder tells:
// a reason not to trust it, or empty.
QString blockUntrusted(const QString &sysRoot, unsigned major, unsigned minor, int depth)
{
    if (depth > 4)
        return QStringLiteral("its device is stacked too deep to be told");
    const QString dir =
        QFileInfo(sysRoot + QStringLiteral("/dev/block/%1:%2").arg(major).arg(minor)).canonicalFilePath();
    if (dir.isEmpty())
        return QStringLiteral("its device is unknown");
    const QString name = QFileInfo(dir).fileName();
    for (const char *kind : {"loop", "nbd", "ram", "zram", "sr", "fd", "mmcblk", "pmem"})
        if (name.startsWith(QLatin1String(kind)))
            return QStringLiteral("it lies on a device (%1) that can be written without this system").arg(name);
    for (const char *bus : {"/usb", "/mmc", "/firewire", "/ieee1394"})
        if (dir.contains(QLatin1String(bus)))
            return QStringLiteral("it lies on a removable or virtual device (%1)").arg(name);
    // A partition's removable flag is its disk's.
    const QString disk = QFile::exists(dir + QStringLiteral("/partition")) ? QFileInfo(dir).absolutePath() : dir;
    if (readText(disk + QStringLiteral("/removable"), 16).trimmed() != "0")
        return QStringLiteral("it lies on a removable device (%1)").arg(name);
    // A mapped or assembled device is as trustworthy as what lies under it.
    const QDir slaves(dir + QStringLiteral("/slaves"));
    for (const QString &s : slaves.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QList<QByteArray> mm = readText(slaves.filePath(s) + QStringLiteral("/dev"), 32).trimmed().split(':');
        if (mm.size() != 2)
            return QStringLiteral("a device under it is unknown");
        const QString why = blockUntrusted(sysRoot, mm[0].toUInt(), mm[1].toUInt(), depth + 1);
        if (!why.isEmpty())
            return why;
    }
    return {};
}

// Every folder from the file up must be this user's or the system's, and
// not open to others' writes unless sticky (where others may not remove or
// rename what is not theirs).
QString foldersUntrusted(const QByteArray &canonical)
{
    QByteArray dir = canonical.left(canonical.lastIndexOf('/'));
    const uid_t me = ::geteuid();
    for (;;) {
        struct stat st {};
        const QByteArray at = dir.isEmpty() ? QByteArray("/") : dir;
        if (::lstat(at.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return QStringLiteral("a folder on its path cannot be looked at");
        if (st.st_uid != me && st.st_uid != 0)
            return QStringLiteral("the folder %1 belongs to another user").arg(QFile::decodeName(at));
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX))
            return QStringLiteral("others may replace files in the folder %1").arg(QFile::decodeName(at));
        if (dir.isEmpty())
            return {};
        dir = dir.left(dir.lastIndexOf('/'));
    }
}

} // namespace

namespace detail {

QString deviceUntrusted(unsigned major, unsigned minor, const QByteArray &mountInfo, const QString &sysRoot)
{
    const QByteArray id = QByteArray::number(major) + ':' + QByteArray::number(minor);
    for (const QByteArray &line : mountInfo.split('\n')) {
        // id parent major:minor root mountpoint options [optional...] - type source superoptions
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 3 || f[2] != id)
            continue;
        const qsizetype dash = f.indexOf("-");
        if (dash < 0 || dash + 2 >= f.size())
            return QStringLiteral("its mount cannot be read");
        const QByteArray source = f[dash + 2];
        // A file system on its own block device names it by number; one that
        // is not (btrfs) by its source.
        if (major != 0)
            return blockUntrusted(sysRoot, major, minor, 0);
        struct stat st {};
        if (!source.startsWith("/dev/") || ::stat(source.constData(), &st) != 0 || !S_ISBLK(st.st_mode))
            return QStringLiteral("it does not lie on a block device");
        return blockUntrusted(sysRoot, ::major(st.st_rdev), ::minor(st.st_rdev), 0);
    }
    return QStringLiteral("its file system is not in the mount table");
}

} // namespace detail

QString untrusted(int fd, const QByteArray &canonicalPath)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return QStringLiteral("it cannot be looked at");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("others may write it");
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return QStringLiteral("its file system cannot be told");
    // Local disk file systems that stamp every write with the time; not
    // tmpfs (a write through a mapping leaves the times), FUSE, network or
    // overlay file systems (others write beneath them).
    switch (quint64(quint32(fs.f_type))) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
        break;
    default:
        return QStringLiteral("its file system (type %1) does not keep times others cannot set")
            .arg(quint32(fs.f_type), 0, 16);
    }
    const QString device = detail::deviceUntrusted(::major(st.st_dev), ::minor(st.st_dev),
                                                   readText(QStringLiteral("/proc/self/mountinfo"), 4 << 20),
                                                   QStringLiteral("/sys"));
    if (!device.isEmpty())
        return device;
    return foldersUntrusted(canonicalPath);
}

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

std::optional<FileIdentity> take(const QString &path)
{
    const QString file = recordFile(path);
    const QByteArray stored = readText(file, 200).trimmed();
    if (stored.isEmpty())
        return std::nullopt;
    // Gone before the engine reads a byte: a file that makes it fail, or
    // crash, is never let through again. A record that stays (a folder
    // made read-only) would outlive such a crash: it vouches for nothing.
    if (!QFile::remove(file))
        return std::nullopt;
    const QByteArray key = secret(false);
    Left l;
    l.canonical = canonicalOf(path);
    if (key.isEmpty() || l.canonical.isEmpty() || journalBeside(l.canonical))
        return std::nullopt;
    const int fd = openPlain(l.canonical);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    const bool seen = ::fstat(fd, &st) == 0 && pagesOf(fd, st, l) && untrusted(fd, l.canonical).isEmpty();
    ::close(fd);
    if (!seen || !sameBytes(stored, mac(l, key).toHex()))
        return std::nullopt;
    return l.id;
}

Left look(int fd, const QString &path, bool changedByOthers)
{
    Left l;
    l.canonical = canonicalOf(path);
    if (changedByOthers || fd < 0 || l.canonical.isEmpty() || !untrusted(fd, l.canonical).isEmpty())
        return l;
    // A later write must show in the file's times: wait (a clock tick at
    // most) until the clock the file system stamps with has passed them.
    // The clock is read before the file, so a write after the look is
    // stamped with that time or later.
    struct stat st {};
    for (int attempt = 0;; ++attempt) {
        const timespec now = fileSystemNow();
        if (::fstat(fd, &st) != 0)
            return l;
        if (timeBefore(st.st_ctim, now) && timeBefore(st.st_mtim, now))
            break;
        if (attempt == 50)
            return l;
        ::usleep(1000);
    }
    // Times to the second or the millisecond only (FAT, some network file
    // systems): two writes in one step would look alike.
    if (st.st_ctim.tv_nsec % 1000000 == 0 || st.st_mtim.tv_nsec % 1000000 == 0)
        return l;
    l.usable = pagesOf(fd, st, l);
    return l;
}

bool record(const QString &path, const Left &left)
{
    if (!left.usable || journalBeside(left.canonical) || canonicalOf(path) != left.canonical)
        return false;
    const int fd = openPlain(left.canonical);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool same = ::fstat(fd, &st) == 0 && identityOf(st).sameAs(left.id) && st.st_uid == left.uid &&
                      st.st_mode == left.mode;
    ::close(fd);
    if (!same)
        return false;
    const QByteArray key = secret(true);
    if (key.isEmpty())
        return false;
    QSaveFile out(recordFile(path));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(mac(left, key).toHex() + '\n');
    return out.commit();
}

Carried beforeMove(const QString &from)
{
    Carried c;
    const std::optional<FileIdentity> id = take(from);
    const QByteArray canonical = canonicalOf(from);
    if (!id || canonical.isEmpty())
        return c;
    c.fd = openPlain(canonical);
    Left l;
    l.canonical = canonical;
    struct stat st {};
    if (c.fd >= 0 && ::fstat(c.fd, &st) == 0 && identityOf(st).sameAs(*id) && pagesOf(c.fd, st, l)) {
        l.usable = true;
        c.left = l;
    }
    return c;
}

bool afterMove(Carried &carried, const QString &to)
{
    const int source = std::exchange(carried.fd, -1);
    bool carriedOver = false;
    if (carried.left) {
        const Left &before = *carried.left;
        struct stat src {};
        const QByteArray canonical = canonicalOf(to);
        const int fd = canonical.isEmpty() ? -1 : openPlain(canonical);
        struct stat dst {};
        // The bytes the record vouched for: the source not written since
        // (size and modification time, which a rename or a removal leaves
        // as they were), and the target that very file renamed, or a copy
        // of it that the move made and then removed the source.
        bool same = source >= 0 && fd >= 0 && ::fstat(source, &src) == 0 && ::fstat(fd, &dst) == 0 &&
                    src.st_size == before.id.size && src.st_mtim.tv_sec == before.id.mtime.tv_sec &&
                    src.st_mtim.tv_nsec == before.id.mtime.tv_nsec && dst.st_size == src.st_size &&
                    dst.st_mtim.tv_sec == src.st_mtim.tv_sec && dst.st_mtim.tv_nsec == src.st_mtim.tv_nsec;
        if (same && (dst.st_dev != src.st_dev || dst.st_ino != src.st_ino))
            same = src.st_nlink == 0;
        if (same) {
            Left after = look(fd, to, false);
            carriedOver = after.usable && sameBytes(after.first, before.first) && sameBytes(after.last, before.last);
            if (fd >= 0)
                ::close(fd);
            if (carriedOver)
                carriedOver = record(to, after);
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    if (source >= 0)
        ::close(source);
    return carriedOver;
}

void forget(const QString &path)
{
    QFile::remove(recordFile(path));
}

void testing::setClock(std::function<timespec()> clock)
{
    g_clock = std::move(clock);
}

bool testing::recordAsItIs(const QString &path)
{
    const QByteArray canonical = canonicalOf(path);
    const int fd = canonical.isEmpty() ? -1 : openPlain(canonical);
    if (fd < 0)
        return false;
    const Left l = look(fd, path, false);
    ::close(fd);
    return record(path, l);
}

} // namespace dao::leftbases
