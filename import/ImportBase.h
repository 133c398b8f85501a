#pragma once
// Base import: copies every table of another base into the open one. It
// leaves g_BasePath naming the open base when it returns.

#include <QString>

// The whole command as the Database menu runs it, the main window hidden:
// "Select a base to import", the base-file choice, the copy under the
// progress window, the closing summary. True when rows were added (the
// caller then loads the main window afresh on the base); false when nothing
// changed: the choice was cancelled, the open base itself or a source that
// cannot be read was refused, or the import was undone.
bool RunBaseImport();

// Why a chosen file cannot be imported, from the error of its opening.
QString sourceRefusalMessage(int errorNumber, const QString &description);

// True when both paths name the same file (links and other spellings too).
bool isSameFile(const QString &a, const QString &b);

// Puts the import behind the program's window links (ImportBase).
void InstallImport();
