#include "Settings.h"

#include "Error.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace vb {

namespace {

// Names become file and group names: keep them from reaching outside the
// folder or from being read as QSettings paths.
QString safePart(QString s)
{
    s.replace(QLatin1Char('/'), QLatin1Char('_'));
    s.replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (s.isEmpty() || s == QLatin1String(".") || s == QLatin1String(".."))
        s.prepend(QLatin1Char('_'));
    return s;
}

[[noreturn]] void invalid()
{
    raise(ErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
}

QString entry(const QString &section, const QString &key)
{
    return safePart(section) + QLatin1Char('/') + safePart(key);
}

} // namespace

QString settingsFolder()
{
    QString dir = qEnvironmentVariable("CORVANE_SETTINGS_DIR");
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (dir.isEmpty())
            dir = QDir::homePath() + QStringLiteral("/.config");
        dir += QStringLiteral("/corvane");
    }
    return dir;
}

QString settingsFile(const QString &appName)
{
    return settingsFolder() + QLatin1Char('/') + safePart(appName) + QStringLiteral(".ini");
}

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    QSettings s(settingsFile(appName), QSettings::IniFormat);
    return s.value(entry(section, key), defaultValue).toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value)
{
    if (appName.isEmpty() || section.isEmpty() || key.isEmpty())
        invalid();
    QDir().mkpath(QFileInfo(settingsFile(appName)).absolutePath());
    QSettings s(settingsFile(appName), QSettings::IniFormat);
    s.setValue(entry(section, key), value);
    s.sync();
    if (s.status() != QSettings::NoError)
        raise(ErrPathAccess, QStringLiteral("Path/File access error"), settingsFile(appName));
}

void DeleteSetting(const QString &appName, const QString &section, const QString &key)
{
    QSettings s(settingsFile(appName), QSettings::IniFormat);
    if (key.isEmpty()) {
        s.beginGroup(safePart(section));
        const bool any = !s.allKeys().isEmpty();
        s.endGroup();
        if (section.isEmpty() || !any)
            invalid();
        s.remove(safePart(section));
    } else {
        // QSettings::remove is silent about a missing entry; the runtime is not.
        if (!s.contains(entry(section, key)))
            invalid();
        s.remove(entry(section, key));
    }
    s.sync();
    if (s.status() != QSettings::NoError)
        raise(ErrPathAccess, QStringLiteral("Path/File access error"), settingsFile(appName));
}

} // namespace vb
