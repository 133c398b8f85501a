#include "FileWatch.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <unordered_map>

namespace dao::filewatch {

namespace {

using OpenFn = int (*)(const char *, int, int);
using FstatFn = int (*)(int, struct stat *);
using WriteFn = ssize_t (*)(int, const void *, size_t);
using PwriteFn = ssize_t (*)(int, const void *, size_t, off_t);
using TruncateFn = int (*)(int, off_t);

OpenFn g_open = nullptr;
FstatFn g_fstat = nullptr;
WriteFn g_write = nullptr;
PwriteFn g_pwrite = nullptr;
PwriteFn g_pwrite64 = nullptr;
TruncateFn g_ftruncate = nullptr;

struct Capture {
    int depth = 0;
    int fd = -1;
};
thread_local Capture t_capture;

// Never destroyed: connections that outlive main close through it.
struct Watched {
    std::shared_ptr<OwnWrites> own;
    std::string journal;
    bool replayRefused = false;
};
struct Registry {
    std::mutex mutex;
    std::unordered_map<int, Watched> watched;
};
Registry &registry()
{
    static Registry *r = new Registry;
    return *r;
}

std::shared_ptr<OwnWrites> watchedFile(int fd)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    const auto it = r.watched.find(fd);
    return it == r.watched.end() ? nullptr : it->second.own;
}

// Whether path is the journal of a watched file; notes the refusal.
bool refuseReplay(const char *path)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    // Every connection of ours to that file: the one opening now may be any.
    bool refused = false;
    for (auto &[fd, w] : r.watched)
        if (!w.journal.empty() && w.journal == path) {
            w.replayRefused = true;
            refused = true;
        }
    return refused;
}

int plainFstat(int fd, struct stat *st)
{
    return g_fstat ? g_fstat(fd, st) : ::fstat(fd, st);
}

int hookedOpen(const char *path, int flags, int mode)
{
    // The engine opens a journal without creating it only to play it back.
    if (!(flags & O_CREAT) && refuseReplay(path)) {
        errno = EACCES;
        return -1;
    }
    if (t_capture.depth == 0)
        return g_open(path, flags, mode);
    // Not blocking on a pipe, not taking a terminal; cleared again below
    // once the file is known to be a regular one.
    const int fd = g_open(path, flags | O_NONBLOCK | O_NOCTTY, mode);
    if (fd < 0)
        return fd;
    struct stat st {};
    if (g_fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    if (!(flags & O_NONBLOCK))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// SQLite looks at every file it opens, the main file first, and also at a
// descriptor it kept from an earlier connection and uses again: this sees
// the main file's descriptor either way.
int hookedFstat(int fd, struct stat *st)
{
    const int rc = g_fstat(fd, st);
    if (rc == 0 && t_capture.depth > 0 && t_capture.fd < 0 && S_ISREG(st->st_mode))
        t_capture.fd = fd;
    return rc;
}

} // namespace

struct Hooks {
    static void before(OwnWrites &w, int fd)
    {
        struct stat st {};
        const std::lock_guard lock(w.m_mutex);
        if (g_fstat(fd, &st) != 0 || !identityOf(st).sameAs(w.m_last))
            w.m_others = true;
    }
    static void after(OwnWrites &w, int fd)
    {
        struct stat st {};
        const std::lock_guard lock(w.m_mutex);
        if (g_fstat(fd, &st) == 0)
            w.m_last = identityOf(st);
        else
            w.m_others = true;
    }
    template <typename Fn, typename... Args>
    static auto write(Fn fn, int fd, Args... args)
    {
        const std::shared_ptr<OwnWrites> w = watchedFile(fd);
        if (w)
            before(*w, fd);
        const auto rc = fn(fd, args...);
        // SQLite reads errno right after a failed write (EINTR, ENOSPC):
        // the fstat after it must not change it.
        const int error = errno;
        if (w)
            after(*w, fd);
        errno = error;
        return rc;
    }
};

namespace {

ssize_t hookedWrite(int fd, const void *b, size_t n)
{
    return Hooks::write(g_write, fd, b, n);
}
ssize_t hookedPwrite(int fd, const void *b, size_t n, off_t at)
{
    return Hooks::write(g_pwrite, fd, b, n, at);
}
ssize_t hookedPwrite64(int fd, const void *b, size_t n, off_t at)
{
    return Hooks::write(g_pwrite64, fd, b, n, at);
}
int hookedFtruncate(int fd, off_t size)
{
    return Hooks::write(g_ftruncate, fd, size);
}

template <typename Fn>
void hook(sqlite3_vfs *vfs, const char *name, Fn &original, Fn replacement)
{
    original = reinterpret_cast<Fn>(vfs->xGetSystemCall(vfs, name));
    if (original)
        vfs->xSetSystemCall(vfs, name, reinterpret_cast<sqlite3_syscall_ptr>(replacement));
}

} // namespace

void install()
{
    static const bool done = [] {
        sqlite3_initialize();
        sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
        // Only the unix VFS has the calls; without them nothing is watched,
        // and every open finds no descriptor to hold against the look, so
        // it is refused rather than trusted.
        if (!vfs || vfs->iVersion < 3 || !vfs->xGetSystemCall || !vfs->xSetSystemCall)
            return false;
        hook(vfs, "fstat", g_fstat, &hookedFstat);
        hook(vfs, "open", g_open, &hookedOpen);
        hook(vfs, "write", g_write, &hookedWrite);
        hook(vfs, "pwrite", g_pwrite, &hookedPwrite);
        hook(vfs, "pwrite64", g_pwrite64, &hookedPwrite64);
        hook(vfs, "ftruncate", g_ftruncate, &hookedFtruncate);
        return g_fstat && g_open;
    }();
    (void)done;
}

OpenWatch::OpenWatch()
{
    install();
    if (t_capture.depth++ == 0)
        t_capture.fd = -1;
}

OpenWatch::~OpenWatch()
{
    if (--t_capture.depth == 0)
        t_capture.fd = -1;
}

int OpenWatch::fd() const
{
    return t_capture.fd;
}

void OwnWrites::start(const FileIdentity &atOpen)
{
    const std::lock_guard lock(m_mutex);
    // A second connection of ours to a file another already watches: the
    // file must still be as our writes left it.
    if (!m_last.known())
        m_last = atOpen;
    else if (!atOpen.sameAs(m_last))
        m_others = true;
}

bool OwnWrites::changedByOthers(int fd, FileIdentity *now) const
{
    const FileIdentity id = identityOfFd(fd);
    if (now)
        *now = id;
    const std::lock_guard lock(m_mutex);
    return m_others || !id.sameAs(m_last);
}

void watch(int fd, const std::shared_ptr<OwnWrites> &own, const QByteArray &journalPath)
{
    if (fd < 0 || !own)
        return;
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.watched[fd] = {own, journalPath.toStdString(), false};
}

bool replayRefused(int fd)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    const auto it = r.watched.find(fd);
    return it != r.watched.end() && it->second.replayRefused;
}

void unwatch(int fd)
{
    if (fd < 0)
        return;
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.watched.erase(fd);
}

FileIdentity identityOfFd(int fd)
{
    struct stat st {};
    if (fd < 0 || plainFstat(fd, &st) != 0)
        return {};
    return identityOf(st);
}

} // namespace dao::filewatch
