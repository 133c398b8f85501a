#pragma once
// What this user's program knows of the bases it closed: a base it closed
// cleanly, that nobody else wrote while it was open nor since, needs no look
// in the checker process when it is opened again. One record per base, in
// the user's settings folder (folder()), never inside the base; deleting
// the folder only costs the next opens a check.
//
// What a record trusts: a MAC, under a secret only this user can read, over
// the file's path, device, inode, size, uid, mode, times of change and
// modification to the nanosecond, and its first and last pages, taken
// through the descriptor the engine held, after waiting for the file
// system's clock to pass those times. Any write, rename or replacement
// after that changes the inode's change time, which nobody can set by hand
// on a local file system while it is mounted.
//
// What it cannot see, and so where no record is kept: file systems whose
// times others control or that others can write beneath us (tmpfs, FUSE,
// network shares, removable, loop and network block devices: a stick or an
// image can be written raw while unmounted, with any times), files others
// may write or that are not this user's, folders where others could replace
// the file. Against this user's own processes and root a record is no
// defence (they can read the secret): such files go through the checker as
// any other only when their record no longer matches.

#include "Guard.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace dao::leftbases {

// Takes the record of path: the identity it vouches for when it matches
// the file as it is now. The record is removed whatever the answer, before
// anything reads the file, so that a file that crashes the engine can never
// be trusted at the next open again.
std::optional<FileIdentity> take(const QString &path);

// What a connection about to close saw of its file, through its own
// descriptor.
struct Left {
    FileIdentity id;
    QByteArray first, last; // the first and the last page
    QByteArray canonical;   // the path that named the file at the look
    uid_t uid = 0;
    mode_t mode = 0;
    bool usable = false;
};

// Looks at the file the engine holds through fd, once the clock the file
// system stamps with has passed its times. Nothing usable when another
// program changed it since this one's last write (changedByOthers), or
// when the file and where it lies cannot keep a record (untrusted).
Left look(int fd, const QString &path, bool changedByOthers);

// Once the engine has let go of it: records the file at path, as left,
// when the path still names the very file look saw, unchanged.
bool record(const QString &path, const Left &left);

// Why no record of the file open on fd (named by canonicalPath) can be
// trusted; empty when one can.
QString untrusted(int fd, const QByteArray &canonicalPath);

// A Save As moves a closed base to another name: its record is carried
// over only for the very bytes the record vouched for.
struct Carried {
    std::optional<Left> left;
    int fd = -1; // the source, held across the move
};
Carried beforeMove(const QString &from);
bool afterMove(Carried &carried, const QString &to);

void forget(const QString &path);

// Where the record of path is kept, and the folder of all of them.
QString recordFile(const QString &path);
QString folder();

namespace testing {
// Records the file at path as it is now, as if this program had just closed
// it: for tests and benchmarks that stand for the program's own bases.
bool recordAsItIs(const QString &path);
// The clock a look waits on, in place of the one the file system stamps
// with; an empty function puts that one back.
void setClock(std::function<timespec()> clock);
} // namespace testing

namespace detail {
// Whether the block device behind a file system may be trusted, from the
// mount table (as /proc/self/mountinfo) and the kernel's device folder (as
// /sys): a reason when not, empty when it may.
QString deviceUntrusted(unsigned major, unsigned minor, const QByteArray &mountInfo, const QString &sysRoot);
} // namespace detail

} // namespace dao::leftbases
