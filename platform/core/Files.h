#pragma once
// File functions of the runtime.

#include <QString>

namespace vb {

enum : int { ErrRenameAcrossDrives = 74 };

// Dir(path): the name (without folder) of the file the path names, or "" when
// there is none. The name must match exactly, case included. Only ordinary
// files count: not folders, hidden files (names starting with '.'), devices
// or broken links. A name with '*' or '?' gives the first match in name
// order, compared without regard to case.
QString Dir(const QString &path);

// Name old As new: renames or moves a file; never replaces. Raises 53 when
// old is missing, 58 when new exists, 76 when new's folder is missing, 74
// when a folder would move to another file system and 75 for other refusals.
// A file moves across file systems by copy and delete.
void Name(const QString &oldPath, const QString &newPath);

namespace testing {
// For tests on a machine with a single file system: while on, every Name
// takes the road of a move to another file system (copy, then delete).
void setEveryMoveAcrossFileSystems(bool on);
} // namespace testing

} // namespace vb
