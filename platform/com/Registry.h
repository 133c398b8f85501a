#pragma once
// Where the component classes are registered: class identifier -> the
// library that serves it, and programmatic identifier -> class identifier.
// A per-user store of the layer (an ini file), kept outside every base:
// $CORVANE_SETTINGS_DIR/components.ini when that variable is set, else
// <user config folder>/Corvane/components.ini.

#include <QString>
#include <QUuid>

namespace com::registry {

QString storePath();

// Raise vb::Error 75 when the store cannot be written.
void registerServer(const QUuid &clsid, const QString &libraryPath, const QString &progId = {});
// Removes the class and every programmatic identifier naming it; a class
// that is not registered is no error.
void unregisterServer(const QUuid &clsid);

// "" when the class is not registered.
QString serverPath(const QUuid &clsid);
// Null when the name is not registered.
QUuid classIdFromProgId(const QString &progId);

} // namespace com::registry
