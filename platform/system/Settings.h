#pragma once
// The per-user settings store of GetSetting, SaveSetting and DeleteSetting:
// one ini file per application name, under $CORVANE_SETTINGS_DIR when it is
// set, else in the user's configuration folder.

#include <QString>

namespace vb {

// The folder of this user's settings (not made here).
QString settingsFolder();
QString settingsFile(const QString &appName);

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
void SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value);
// An empty key deletes the whole section. Deleting an entry or section that
// does not exist raises 5, as the runtime does.
void DeleteSetting(const QString &appName, const QString &section, const QString &key = QString());

} // namespace vb
