#pragma once
// What this user's program knows of the bases it closed: a base it closed
// cleanly, unchanged since by anyone, needs no look in the checker process
// when it is opened again. One record per base, in the user's settings
// folder, never inside the base.

#include <QByteArray>
#include <QString>

namespace dao::leftbases {

// Records the file at path, as it is now, as left by this program. Called
// only once the program has closed it cleanly; records nothing when the file cannot be told apart from a later change
// (a hot journal beside it, coarse file times, no private key).
bool record(const QString &path);

// Whether the record of path still matches the file; a record that does
// not is removed.
bool matches(const QString &path);

// Removes the record of path: called as soon as the base is open, since a
// base is "as left" only until it is opened again, so that a crash while it
// is open leaves nothing to trust. (A failed open, such as a wrong key,
// keeps it: the file was not touched.)
void forget(const QString &path);

// Where the record of path is kept, and the folder of all of them.
QString recordFile(const QString &path);
QString folder();

} // namespace dao::leftbases
