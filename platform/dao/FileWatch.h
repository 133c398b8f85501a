#pragma once
// The descriptors the engine holds on base files, and what this program's
// own writes left on them.
//
// A look at a file (the checker's, or a record of a base as this program
// left it) vouches for one file in one state. What the engine then reads
// must be that very file: SQLite opens the path again, and the path may by
// then name another file. So the engine's own descriptor is taken note of
// as SQLite opens it, and held against what the look saw. And a base is "as
// left" only if nobody but this program wrote it while it was open: every
// write SQLite makes through a watched descriptor first holds the file
// against what the last write of ours left, then takes it anew.
//
// What this cannot see: a change that leaves size and times as they were
// (a write through a shared mapping on file systems that do not stamp it,
// another process of this user's that sets the times back, root), and a
// write that lands within the same tick of the file system's clock as one
// of ours. Records are therefore kept only where such writes need this
// user's own processes (LeftBases.h).

#include "Guard.h"

#include <QByteArray>

#include <memory>
#include <mutex>

namespace dao::filewatch {

// Routes the default VFS's "open", "fstat" and write calls through here.
// Done once, before the first connection of this program.
void install();

// While it lives, the main file of the connection this thread opens is taken
// note of, and only a regular file is opened: a path that names a pipe or a
// device by the time SQLite opens it (a link changed after it was looked
// at) fails to open instead of blocking the program or feeding it.
class OpenWatch {
public:
    OpenWatch();
    ~OpenWatch();
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;
    // The descriptor SQLite read the main file through, -1 if none.
    int fd() const;
};

// What the writes of this program left on one file; shared by every
// connection of ours to it.
class OwnWrites {
public:
    // The file as this program last left it: at open, then after each of
    // our writes.
    void start(const FileIdentity &atOpen);
    // Whether someone else changed the file since we last left it; the
    // identity it has now in *now.
    bool changedByOthers(int fd, FileIdentity *now = nullptr) const;

private:
    friend struct Hooks;
    mutable std::mutex m_mutex;
    FileIdentity m_last;
    bool m_others = false;
};

// Writes through fd are this program's own until unwatch(fd), which must
// come before SQLite closes fd (its number may be given to another file).
// The journal named journalPath is never played back into it: a journal the
// engine did not make itself (planted after the file was looked at, or left
// by another program that died) would put pages nobody looked at into the
// file; the read that meets one fails instead (replayRefused), and the next
// open has the checker roll it back where it can do no harm.
void watch(int fd, const std::shared_ptr<OwnWrites> &own, const QByteArray &journalPath);
void unwatch(int fd);
bool replayRefused(int fd);

// fstat of fd as an identity; unknown when it fails.
FileIdentity identityOfFd(int fd);

} // namespace dao::filewatch
