#include "ComponentHost.h"

#include "Error.h"
#include "Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QWidget>

#include <dlfcn.h>

namespace com {

namespace {

struct LoadedLibrary {
    void *handle = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
};

// Loaded libraries by absolute path; one process-wide list, used on the UI
// thread only.
QHash<QString, LoadedLibrary> &libraries()
{
    static QHash<QString, LoadedLibrary> loaded;
    return loaded;
}

[[noreturn]] void cannotCreate(const QString &why)
{
    vb::raise(ErrCannotCreateObject,
              QStringLiteral("ActiveX component can't create object (%1)").arg(why));
}

[[noreturn]] void noSuchMember()
{
    vb::raise(ErrNoSuchMember, QStringLiteral("Object doesn't support this property or method"));
}

// The library at path, loading it on first use; nullptr with why set when it
// does not load or lacks the exports.
const LoadedLibrary *loadLibrary(const QString &path, QString &why)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    auto it = libraries().constFind(key);
    if (it != libraries().constEnd())
        return &it.value();
    if (!QFileInfo::exists(key)) {
        why = QStringLiteral("%1 not found").arg(key);
        return nullptr;
    }
    void *handle = dlopen(QFile::encodeName(key).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        why = QString::fromLocal8Bit(dlerror());
        return nullptr;
    }
    LoadedLibrary lib;
    lib.handle = handle;
    lib.getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    lib.canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    if (!lib.getClassObject || !lib.canUnloadNow) {
        dlclose(handle);
        why = QStringLiteral("%1 is not a component library").arg(key);
        return nullptr;
    }
    return &libraries().insert(key, lib).value();
}

IClassFactory *factoryFrom(const QString &path, const QUuid &clsid, QString &why)
{
    const LoadedLibrary *lib = loadLibrary(path, why);
    if (!lib)
        return nullptr;
    void *factory = nullptr;
    const HResult hr = lib->getClassObject(&clsid, &IClassFactory::iid, &factory);
    if (!succeeded(hr) || !factory) {
        why = QStringLiteral("%1 does not serve class %2").arg(path, clsid.toString());
        return nullptr;
    }
    return static_cast<IClassFactory *>(factory);
}

} // namespace

QString shippedLibrary(const QString &name)
{
    if (name.contains(QLatin1Char('/')))
        return name;
    const QString file = QStringLiteral("lib%1.so").arg(name);
    const QDir own(QCoreApplication::applicationDirPath());
    const QString beside = own.filePath(file);
#ifdef CORVANE_LIB_FROM_BIN
    // Installed, the library lies in the program's own folder under the
    // library folder of its prefix; the build tree keeps both side by side.
    if (!QFileInfo::exists(beside)) {
        const QString installed = QDir::cleanPath(own.filePath(QStringLiteral(CORVANE_LIB_FROM_BIN "/") + file));
        if (QFileInfo::exists(installed))
            return installed;
    }
#endif
    return beside;
}

IClassFactory *getClassObject(const QUuid &clsid, const QString &shipped)
{
    QString why;
    // The library shipped with the program comes first: the store of
    // registrations is the user's to write, and a stale or planted entry
    // must not bring another library into the process at start.
    if (!shipped.isEmpty()) {
        if (IClassFactory *f = factoryFrom(shippedLibrary(shipped), clsid, why))
            return f;
    }
    const QString registered = registry::serverPath(clsid);
    if (!registered.isEmpty()) {
        if (IClassFactory *f = factoryFrom(registered, clsid, why))
            return f;
    }
    if (why.isEmpty())
        why = QStringLiteral("class %1 is not registered").arg(clsid.toString());
    cannotCreate(why);
}

IUnknown *createInstance(const QUuid &clsid, QWidget *parent, const QString &shipped)
{
    IUnknown *object = getClassObject(clsid, shipped)->createInstance(parent);
    if (!object)
        cannotCreate(QStringLiteral("class %1 made no instance").arg(clsid.toString()));
    return object;
}

int freeUnusedLibraries()
{
    int unloaded = 0;
    auto &libs = libraries();
    for (auto it = libs.begin(); it != libs.end();) {
        if (it->canUnloadNow() == S_OK) {
            dlclose(it->handle);
            it = libs.erase(it);
            ++unloaded;
        } else {
            ++it;
        }
    }
    return unloaded;
}

QStringList loadedLibraries()
{
    return libraries().keys();
}

static IDispatch *dispatchOf(IUnknown *object)
{
    IDispatch *d = query<IDispatch>(object);
    if (!d)
        noSuchMember();
    return d;
}

QVariant getProperty(IUnknown *object, DispId id)
{
    return dispatchOf(object)->invoke(id, InvokeKind::PropertyGet);
}

void putProperty(IUnknown *object, DispId id, const QVariant &value)
{
    dispatchOf(object)->invoke(id, InvokeKind::PropertyPut, {value});
}

QVariant callMethod(IUnknown *object, DispId id, const QVariantList &args)
{
    return dispatchOf(object)->invoke(id, InvokeKind::Method, args);
}

DispId idOfName(IUnknown *object, const QString &name)
{
    const DispId id = dispatchOf(object)->idOfName(name);
    if (id == DISPID_UNKNOWN)
        noSuchMember();
    return id;
}

QVariant getProperty(IUnknown *object, const QString &name)
{
    return getProperty(object, idOfName(object, name));
}

void putProperty(IUnknown *object, const QString &name, const QVariant &value)
{
    putProperty(object, idOfName(object, name), value);
}

Control Control::create(const QUuid &clsid, QWidget *parent, const QString &shipped)
{
    return Control(createInstance(clsid, parent, shipped));
}

template <class I>
I *Control::need() const
{
    I *i = query<I>(m_object);
    if (!i)
        noSuchMember();
    return i;
}

QWidget *Control::widget() const
{
    return need<IControl>()->widget();
}

void Control::setSite(IControlSite *site) const
{
    need<IControl>()->setSite(site);
}

void Control::initNew() const
{
    need<IPersistPropertyBag>()->initNew();
}

void Control::load(const PropertyBag &bag) const
{
    need<IPersistPropertyBag>()->load(bag);
}

PropertyBag Control::save() const
{
    PropertyBag bag;
    need<IPersistPropertyBag>()->save(bag);
    return bag;
}

void Control::adviseRaw(const QUuid &iid, void *sink) const
{
    if (!need<IConnectionPointContainer>()->advise(iid, sink))
        noSuchMember();
}

void Control::unadviseRaw(const QUuid &iid, void *sink) const
{
    need<IConnectionPointContainer>()->unadvise(iid, sink);
}

} // namespace com
