// The host's road to the control: libVantrel.so loaded from beside this
// executable by class identifier (nothing of it is linked here), its four
// exports, registration, late binding and events across the boundary.

#include "ComponentHost.h"
#include "Dialogs.h"
#include "Error.h"
#include "Palvex_Ctl.h"
#include "PropertyBag.h"
#include "Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QWidget>
#include <QtTest>

#include <dlfcn.h>

using namespace Palvex_Ctl;

namespace {

struct Sink : IPalvexEvents {
    QStringList events;
    void MouseDown(short &b, short &, float &, float &) override
    {
        events << QStringLiteral("MouseDown");
        b = 0; // the host cancels the pushed look
    }
    void MouseUp(short &, short &, float &, float &) override { events << QStringLiteral("MouseUp"); }
    void Click() override { events << QStringLiteral("Click"); }
};

// The library's own exports, looked up in the copy the layer loaded.
struct Exports {
    void *handle = nullptr;
    com::DllRegisterServerFn registerServer = nullptr;
    com::DllUnregisterServerFn unregisterServer = nullptr;
    com::DllGetClassObjectFn getClassObject = nullptr;
    com::DllCanUnloadNowFn canUnloadNow = nullptr;
};

QString libraryFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libVantrel.so"));
}

} // namespace

class TestVantrelComponent : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void createByClassIdBesideExecutable();
    void aRegisteredLibraryNeverComesBeforeTheShippedOne();
    void mainWindowRoad();
    void canUnloadNowWhileInstanceLives();
    void getClassObjectRefusesOthers();
    void registrationRoundTrip();
    void errorsCrossTheBoundary();
    void aboutThroughTheSharedDialogSeam();
    void unusedLibraryIsUnloaded();

private:
    Exports m_exports;
    QWidget *m_form = nullptr;
};

void TestVantrelComponent::initTestCase()
{
    QFile::remove(com::registry::storePath());
    QVERIFY2(QFile::exists(libraryFile()), qPrintable(libraryFile()));
    m_form = new QWidget;
    m_form->resize(400, 300);
    m_form->show();
}

void TestVantrelComponent::cleanupTestCase()
{
    delete m_form;
    if (m_exports.handle)
        dlclose(m_exports.handle);
}

void TestVantrelComponent::createByClassIdBesideExecutable()
{
    QVERIFY(com::registry::serverPath(CLSID_Palvex).isEmpty());
    com::Control c = com::Control::create(CLSID_Palvex, m_form, LibraryName);
    QVERIFY(!c.isNull());
    QCOMPARE(c.widget()->parentWidget(), m_form);
    QCOMPARE(com::loadedLibraries(), QStringList{QFileInfo(libraryFile()).absoluteFilePath()});

    // The same copy of the library, to reach its exports.
    m_exports.handle = dlopen(QFile::encodeName(libraryFile()).constData(), RTLD_NOW | RTLD_NOLOAD);
    QVERIFY(m_exports.handle);
    m_exports.registerServer = reinterpret_cast<com::DllRegisterServerFn>(dlsym(m_exports.handle, "DllRegisterServer"));
    m_exports.unregisterServer = reinterpret_cast<com::DllUnregisterServerFn>(dlsym(m_exports.handle, "DllUnregisterServer"));
    m_exports.getClassObject = reinterpret_cast<com::DllGetClassObjectFn>(dlsym(m_exports.handle, "DllGetClassObject"));
    m_exports.canUnloadNow = reinterpret_cast<com::DllCanUnloadNowFn>(dlsym(m_exports.handle, "DllCanUnloadNow"));
    QVERIFY(m_exports.registerServer && m_exports.unregisterServer && m_exports.getClassObject
            && m_exports.canUnloadNow);
    delete c.widget();
}

void TestVantrelComponent::aRegisteredLibraryNeverComesBeforeTheShippedOne()
{
    // The store of registrations is the user's to write: an entry naming
    // another library that serves the same class (here a copy of ours) must
    // not bring that file into the process while ours is there.
    const QString planted = QDir(qEnvironmentVariable("CORVANE_SETTINGS_DIR")).filePath("planted/libVantrel.so");
    QDir().mkpath(QFileInfo(planted).absolutePath());
    QFile::remove(planted);
    QVERIFY(QFile::copy(libraryFile(), planted));
    com::registry::registerServer(CLSID_Palvex, planted, ProgId);

    com::Control c = com::Control::create(CLSID_Palvex, m_form, LibraryName);
    QVERIFY(!c.isNull());
    QCOMPARE(com::loadedLibraries(), QStringList{QFileInfo(libraryFile()).absoluteFilePath()});
    delete c.widget();
    // The entry itself is left for the user to mend.
    QCOMPARE(com::registry::serverPath(CLSID_Palvex), planted);

    com::registry::unregisterServer(CLSID_Palvex);
    QFile::remove(planted);
}

void TestVantrelComponent::mainWindowRoad()
{
    // As a form does: create, pass the saved design, place, connect, then
    // set and read Position by its dispatch identifier.
    com::Control sw = com::Control::create(CLSID_Palvex, m_form, LibraryName);
    sw.load(com::PropertyBag{{"Caption", QStringLiteral("Search")}, {"Style", qint32(Switch)},
                             {"Position", qint32(Down)}});
    sw.widget()->setGeometry(10, 10, 90, 25);
    Sink sink;
    sw.advise(&sink);
    QCOMPARE(sw.get(DISPID_Position).toInt(), int(Down));
    QCOMPARE(sw.get(QStringLiteral("Caption")).toString(), QStringLiteral("Search"));

    sw.put(DISPID_Position, qint32(up));
    QCOMPARE(sw.get(DISPID_Position).toInt(), int(up));

    // A click inside a Switch: the control flips to Down before MouseUp.
    int positionAtMouseUp = -1;
    struct UpReader : IPalvexEvents {
        com::Control *c;
        int *seen;
        void MouseUp(short &, short &, float &, float &) override { *seen = c->get(DISPID_Position).toInt(); }
    } reader;
    reader.c = &sw;
    reader.seen = &positionAtMouseUp;
    sw.advise(&reader);
    QTest::mouseClick(sw.widget(), Qt::LeftButton, {}, QPoint(30, 12));
    QCOMPARE(sink.events, (QStringList{"MouseDown", "Click", "MouseUp"}));
    QCOMPARE(positionAtMouseUp, int(Down));
    // The typed interface answers too.
    IPalvex *typed = com::query<IPalvex>(sw.object());
    QVERIFY(typed);
    QCOMPARE(typed->Position(), Down);

    sw.unadvise(&sink);
    sw.unadvise(&reader);
    sink.events.clear();
    QTest::mouseClick(sw.widget(), Qt::LeftButton, {}, QPoint(30, 12));
    QVERIFY(sink.events.isEmpty());

    const com::PropertyBag saved = sw.save();
    QCOMPARE(saved.readProperty("Caption").toString(), QStringLiteral("Search"));
    delete sw.widget();
}

void TestVantrelComponent::canUnloadNowWhileInstanceLives()
{
    QVERIFY(m_exports.canUnloadNow);
    QCOMPARE(m_exports.canUnloadNow(), com::S_OK);
    QPointer<QWidget> w = com::Control::create(CLSID_Palvex, m_form, LibraryName).widget();
    QCOMPARE(m_exports.canUnloadNow(), com::S_FALSE);
    QCOMPARE(com::freeUnusedLibraries(), 0);
    QCOMPARE(com::loadedLibraries().size(), 1);
    delete w.data();
    QCOMPARE(m_exports.canUnloadNow(), com::S_OK);

    // Instances owned by their form end with it.
    auto *form = new QWidget;
    com::createInstance(CLSID_Palvex, form, LibraryName);
    com::createInstance(CLSID_Palvex, form, LibraryName);
    QCOMPARE(m_exports.canUnloadNow(), com::S_FALSE);
    delete form;
    QCOMPARE(m_exports.canUnloadNow(), com::S_OK);

    // A locked factory keeps the library too.
    com::IClassFactory *factory = com::getClassObject(CLSID_Palvex, LibraryName);
    factory->lockServer(true);
    QCOMPARE(m_exports.canUnloadNow(), com::S_FALSE);
    factory->lockServer(false);
    QCOMPARE(m_exports.canUnloadNow(), com::S_OK);
}

void TestVantrelComponent::getClassObjectRefusesOthers()
{
    void *ppv = reinterpret_cast<void *>(1);
    const QUuid other = QUuid::createUuid();
    QCOMPARE(m_exports.getClassObject(&other, &com::IClassFactory::iid, &ppv), com::CLASS_E_CLASSNOTAVAILABLE);
    QVERIFY(!ppv);
    QCOMPARE(m_exports.getClassObject(&CLSID_Palvex, &com::IDispatch::iid, &ppv), com::E_NOINTERFACE);
    QCOMPARE(m_exports.getClassObject(&CLSID_Palvex, &com::IClassFactory::iid, nullptr), com::E_POINTER);
    QCOMPARE(m_exports.getClassObject(&CLSID_Palvex, &com::IClassFactory::iid, &ppv), com::S_OK);
    QVERIFY(ppv);
    // The class identifier of the type library itself is no class.
    QVERIFY_THROWS_EXCEPTION(vb::Error, com::createInstance(LIBID, m_form, LibraryName));
}

void TestVantrelComponent::registrationRoundTrip()
{
    QCOMPARE(m_exports.registerServer(), com::S_OK);
    QCOMPARE(QFileInfo(com::registry::serverPath(CLSID_Palvex)).canonicalFilePath(),
             QFileInfo(libraryFile()).canonicalFilePath());
    QCOMPARE(com::registry::classIdFromProgId(ProgId), CLSID_Palvex);
    QVERIFY(com::registry::storePath().startsWith(qEnvironmentVariable("CORVANE_SETTINGS_DIR")));

    // Registered: found without naming a library.
    QWidget *w = com::Control::create(CLSID_Palvex, m_form).widget();
    QVERIFY(w);
    delete w;

    QCOMPARE(m_exports.unregisterServer(), com::S_OK);
    QVERIFY(com::registry::serverPath(CLSID_Palvex).isEmpty());
    QVERIFY(com::registry::classIdFromProgId(ProgId).isNull());
    QCOMPARE(m_exports.unregisterServer(), com::S_OK); // twice is no error
    QVERIFY_THROWS_EXCEPTION(vb::Error, com::createInstance(CLSID_Palvex, m_form));
}

void TestVantrelComponent::errorsCrossTheBoundary()
{
    com::Control c = com::Control::create(CLSID_Palvex, m_form, LibraryName);
    try {
        c.put(DISPID_Position, QStringLiteral("sideways"));
        QFAIL("a bad put went through");
    } catch (const vb::Error &e) {
        QCOMPARE(e.number(), 13);
    }
    try {
        c.get(QStringLiteral("Value"));
        QFAIL("an unknown member answered");
    } catch (const vb::Error &e) {
        QCOMPARE(e.number(), 438);
    }
    delete c.widget();
    // A null handle raises instead of crashing.
    QVERIFY_THROWS_EXCEPTION(vb::Error, com::Control().get(DISPID_Position));
}

void TestVantrelComponent::aboutThroughTheSharedDialogSeam()
{
    com::Control c = com::Control::create(CLSID_Palvex, m_form, LibraryName);
    vb::DialogScript script;
    script.msgBox(vb::vbOK);
    c.call(DISPID_About);
    QVERIFY2(script.ok(), script.report());
    QCOMPARE(script.shown().first().buttons, int(vb::vbInformation));
    delete c.widget();
}

void TestVantrelComponent::unusedLibraryIsUnloaded()
{
    QCOMPARE(m_exports.canUnloadNow(), com::S_OK);
    dlclose(m_exports.handle);
    m_exports = Exports();
    QCOMPARE(com::freeUnusedLibraries(), 1);
    QVERIFY(com::loadedLibraries().isEmpty());
    // Loaded again on the next creation (whether the file really left the
    // process is the loader's business).
    QWidget *w = com::Control::create(CLSID_Palvex, m_form, LibraryName).widget();
    QVERIFY(w);
    delete w;
}

QTEST_MAIN(TestVantrelComponent)
#include "tst_vantrel_component.moc"
