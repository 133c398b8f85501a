#pragma once
// Module UTIL: the openers of the sample base "Corvane.mdb" of the current
// directory, for editing or locked (read-only).

#include <QString>

// "Edit" or "Locked", the mode chosen last in fChoix1.
extern QString OpenMode;
// True after OpenSampleBaseLocked, false after OpenSampleBaseEdit.
extern bool ReadOnlyMode;

inline const QString kSampleBaseName = QStringLiteral("Corvane.mdb");

// Each opens the sample base with the built-in password and binds it; on
// success g_BasePath (absolute) and g_Connect name it and true is returned.
// On failure a message is shown ("Invalid Password !" for a refused
// password), nothing changes, and false is returned.
bool OpenSampleBaseEdit();
bool OpenSampleBaseLocked();
