// The library's four exports: registration of its one class, its class
// factory and whether it may be unloaded.

#include "Palvex.h"

#include "Com.h"
#include "Error.h"
#include "Registry.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <atomic>
#include <dlfcn.h>

#define VANTREL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<int> g_serverLocks{0};

class PalvexFactory final : public com::IClassFactory {
public:
    com::IUnknown *createInstance(QWidget *parent) override
    {
        return static_cast<com::IUnknown *>(new vantrel::Palvex(parent));
    }
    void lockServer(bool lock) override
    {
        if (lock)
            ++g_serverLocks;
        else if (g_serverLocks > 0)
            --g_serverLocks;
    }
};

PalvexFactory g_factory;

// The file this library was loaded from, as registration records it.
QString libraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&libraryPath), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
}

} // namespace

VANTREL_EXPORT com::HResult DllRegisterServer()
{
    const QString path = libraryPath();
    if (path.isEmpty())
        return com::SELFREG_E_CLASS;
    try {
        com::registry::registerServer(Palvex_Ctl::CLSID_Palvex, path,
                                      QString::fromLatin1(Palvex_Ctl::ProgId));
    } catch (const vb::Error &) {
        return com::SELFREG_E_CLASS;
    }
    return com::S_OK;
}

VANTREL_EXPORT com::HResult DllUnregisterServer()
{
    try {
        com::registry::unregisterServer(Palvex_Ctl::CLSID_Palvex);
    } catch (const vb::Error &) {
        return com::SELFREG_E_CLASS;
    }
    return com::S_OK;
}

VANTREL_EXPORT com::HResult DllGetClassObject(const QUuid *clsid, const QUuid *iid, void **ppv)
{
    if (!ppv)
        return com::E_POINTER;
    *ppv = nullptr;
    if (!clsid || !iid)
        return com::E_POINTER;
    if (*clsid != Palvex_Ctl::CLSID_Palvex)
        return com::CLASS_E_CLASSNOTAVAILABLE;
    if (*iid != com::IClassFactory::iid)
        return com::E_NOINTERFACE;
    *ppv = static_cast<com::IClassFactory *>(&g_factory);
    return com::S_OK;
}

VANTREL_EXPORT com::HResult DllCanUnloadNow()
{
    return vantrel::liveInstances() == 0 && g_serverLocks == 0 ? com::S_OK : com::S_FALSE;
}
