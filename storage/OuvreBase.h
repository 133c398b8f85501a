#pragma once
// Module OUVREBASE: opening, creating, reopening and moving the one open
// base. Every road keeps the candidate path and key to itself and commits
// g_Db, g_BasePath and g_Connect only once the base is open and bound, so
// that a refused password, an existing file or a cancel never leaves the
// shared state naming another file than the one that is open.

#include "Dao.h"

#include <QString>

// The password every base carries before what the user typed for it.
inline const QString kBuiltInPassword = QStringLiteral("Qv47Tz28");
// ";pwd=Qv47Tz28": the connect string of a base without a user password.
QString BuiltInConnect();
// ";pwd=Qv47Tz28" followed by what the user typed.
QString ConnectFor(const QString &typedPassword);
// The filter of every base dialog.
inline const QString kBaseFileFilter = QStringLiteral("Corvane Base (*.cvb)|*.cvb|Access Base (*.mdb)|*.mdb");

// The text after the last "/" or "\" of path; path itself when it holds
// neither; "" when it ends with one.
QString FileNameOfPath(const QString &path);

// Opens path with connect (the engine's OpenDatabase), binds every table
// (OpenBaseTables), and only then commits g_Db, g_BasePath (absolute path)
// and g_Connect; the base that was open before is closed. On any failure
// raises vb::Error and leaves the open base, its bindings, its path and its
// key as they were (a new connection that failed is closed).
void OpenAndBindBase(const QString &path, const QString &connect);
// The same, read-only: every write then fails with 3027.
void OpenAndBindBaseReadOnly(const QString &path, const QString &connect);
// Opens path again as OpenAndBindBase does, read-only when the base open last
// was opened so (the locked mode): for the reopens after a move, an import
// or a password asked again.
void ReopenAndBindBase(const QString &path, const QString &connect);
// Whether the base open last was opened read-only on purpose.
bool BaseOpenedReadOnly();

// Pick through OuvreFichier, open with the built-in password; raises on
// failure. A cancelled choice changes nothing.
void OpenBase();

// Asks the password (masked) and reopens g_BasePath with ";pwd=Qv47Tz28" +
// typed text, in the mode it was opened in; a wrong or empty one asks again; cancel shows the welcome
// window and returns false. Another failure (file gone, damaged) is shown,
// then the welcome window, and gives false.
bool ReopenBaseAskPassword();

// Loads the welcome window and shows it modeless.
void ShowWelcome();

// Save As, first half, before anything is closed: a save dialog for the new
// name. "" on cancel; an existing target is refused with a message and
// gives "".
QString PickNewBaseFileName();

// Save As, second half, called with g_Db closed: renames the base file
// g_BasePath to newPath without ever replacing a file (also across file
// systems), reopens with the current g_Connect in the mode it was opened in,
// binds, shows the main window. On any failure reopens the original, says
// why, shows the main window (the welcome window when even the original does
// not open) and returns false.
bool MoveBaseFile(const QString &newPath);

// Creates an encrypted base at path (locale general, key from connect) with
// the twenty tables and the thirteen reference types, and closes it again.
// Raises 3204, leaving the path untouched, when anything is there; on any
// later failure the file is removed before the error is raised. The shared
// state (g_Db, rsTypes, fldTypesType) is as it was afterwards.
void CreateKnowledgeBase(const QString &path, const QString &connect);

// The end of every window road that opened a base: with the main window
// loaded, its card windows are closed first (each changed card asking
// whether to store, into the old base); then the new base is bound and
// committed as OpenAndBindBase does, the main window is unloaded if it was
// loaded and loaded afresh on the new base. Returns false, with db closed
// and everything as it was, when a card window refused to close; raises
// (db closed, everything as it was) when the base cannot be bound.
bool TakeOverOpenedBase(dao::Database db, const QString &path, const QString &connect);
