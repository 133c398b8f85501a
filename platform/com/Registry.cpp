#include "Registry.h"

#include "Error.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace com::registry {

namespace {

QString classKey(const QUuid &clsid)
{
    return QStringLiteral("CLSID/") + clsid.toString(QUuid::WithoutBraces).toUpper()
           + QStringLiteral("/InprocServer32");
}

QString progIdKey(const QString &progId)
{
    return QStringLiteral("ProgID/") + progId;
}

void checkWritten(QSettings &store)
{
    store.sync();
    if (store.status() != QSettings::NoError)
        vb::raise(vb::ErrPathAccess,
                  QStringLiteral("Path/File access error: %1").arg(store.fileName()));
}

} // namespace

QString storePath()
{
    const QString dir = qEnvironmentVariableIsSet("CORVANE_SETTINGS_DIR")
                            ? qEnvironmentVariable("CORVANE_SETTINGS_DIR")
                            : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                  + QStringLiteral("/Corvane");
    return QDir(dir).filePath(QStringLiteral("components.ini"));
}

void registerServer(const QUuid &clsid, const QString &libraryPath, const QString &progId)
{
    const QString path = storePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        vb::raise(vb::ErrPathAccess, QStringLiteral("Path/File access error: %1").arg(path));
    QSettings store(path, QSettings::IniFormat);
    store.setValue(classKey(clsid), libraryPath);
    if (!progId.isEmpty())
        store.setValue(progIdKey(progId), clsid.toString(QUuid::WithBraces).toUpper());
    checkWritten(store);
}

void unregisterServer(const QUuid &clsid)
{
    const QString path = storePath();
    if (!QFileInfo::exists(path))
        return;
    QSettings store(path, QSettings::IniFormat);
    store.remove(QStringLiteral("CLSID/") + clsid.toString(QUuid::WithoutBraces).toUpper());
    store.beginGroup(QStringLiteral("ProgID"));
    const QStringList names = store.childKeys();
    for (const QString &name : names) {
        if (QUuid::fromString(store.value(name).toString()) == clsid)
            store.remove(name);
    }
    store.endGroup();
    checkWritten(store);
}

QString serverPath(const QUuid &clsid)
{
    QSettings store(storePath(), QSettings::IniFormat);
    return store.value(classKey(clsid)).toString();
}

QUuid classIdFromProgId(const QString &progId)
{
    QSettings store(storePath(), QSettings::IniFormat);
    return QUuid::fromString(store.value(progIdKey(progId)).toString());
}

} // namespace com::registry
