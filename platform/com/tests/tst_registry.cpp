#include "ComponentHost.h"
#include "Error.h"
#include "Palvex_Ctl.h"
#include "Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace reg = com::registry;

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void init();
    void storeFollowsSettingsDir();
    void registerAndUnregister();
    void unregisterLeavesOtherClasses();
    void unregisterWithoutStore();
    void unknownClassCannotBeCreated();
    void staleRegistrationAndNoShippedLibrary();
    void fileThatIsNoLibrary();
};

void TestRegistry::init()
{
    QFile::remove(reg::storePath());
}

void TestRegistry::storeFollowsSettingsDir()
{
    const QString dir = qEnvironmentVariable("CORVANE_SETTINGS_DIR");
    QVERIFY2(!dir.isEmpty(), "the test runs with CORVANE_SETTINGS_DIR set");
    QCOMPARE(QFileInfo(reg::storePath()).absolutePath(), QFileInfo(dir).absoluteFilePath());
}

void TestRegistry::registerAndUnregister()
{
    const QUuid clsid = Palvex_Ctl::CLSID_Palvex;
    QVERIFY(reg::serverPath(clsid).isEmpty());
    reg::registerServer(clsid, "/opt/x/libVantrel.so", Palvex_Ctl::ProgId);
    QVERIFY(QFile::exists(reg::storePath()));
    QCOMPARE(reg::serverPath(clsid), QStringLiteral("/opt/x/libVantrel.so"));
    QCOMPARE(reg::classIdFromProgId(Palvex_Ctl::ProgId), clsid);
    // Registering again moves the class to its new library.
    reg::registerServer(clsid, "/opt/y/libVantrel.so");
    QCOMPARE(reg::serverPath(clsid), QStringLiteral("/opt/y/libVantrel.so"));

    reg::unregisterServer(clsid);
    QVERIFY(reg::serverPath(clsid).isEmpty());
    QVERIFY(reg::classIdFromProgId(Palvex_Ctl::ProgId).isNull());
}

void TestRegistry::unregisterLeavesOtherClasses()
{
    const QUuid other = QUuid::createUuid();
    reg::registerServer(Palvex_Ctl::CLSID_Palvex, "/a/libVantrel.so", Palvex_Ctl::ProgId);
    reg::registerServer(other, "/a/libOther.so", "Other.Thing");
    reg::unregisterServer(Palvex_Ctl::CLSID_Palvex);
    QCOMPARE(reg::serverPath(other), QStringLiteral("/a/libOther.so"));
    QCOMPARE(reg::classIdFromProgId("Other.Thing"), other);
    reg::unregisterServer(other);
}

void TestRegistry::unregisterWithoutStore()
{
    reg::unregisterServer(Palvex_Ctl::CLSID_Palvex);
    QVERIFY(!QFile::exists(reg::storePath()));
}

void TestRegistry::unknownClassCannotBeCreated()
{
    try {
        com::createInstance(QUuid::createUuid(), nullptr);
        QFAIL("created an instance of a class nobody serves");
    } catch (const vb::Error &e) {
        QCOMPARE(e.number(), 429);
    }
    // Nothing beside this executable either.
    try {
        com::createInstance(Palvex_Ctl::CLSID_Palvex, nullptr, "NoSuchLibrary");
        QFAIL("created an instance from a missing library");
    } catch (const vb::Error &e) {
        QCOMPARE(e.number(), 429);
    }
}

void TestRegistry::staleRegistrationAndNoShippedLibrary()
{
    reg::registerServer(Palvex_Ctl::CLSID_Palvex, "/nowhere/libVantrel.so");
    // The shipped library is missing as well: the error still says 429, and
    // the registration is left alone.
    QVERIFY_THROWS_EXCEPTION(vb::Error,
                             com::getClassObject(Palvex_Ctl::CLSID_Palvex, "NoSuchLibrary"));
    QCOMPARE(reg::serverPath(Palvex_Ctl::CLSID_Palvex), QStringLiteral("/nowhere/libVantrel.so"));
    QCOMPARE(com::shippedLibrary("Vantrel"),
             QCoreApplication::applicationDirPath() + QStringLiteral("/libVantrel.so"));
    QCOMPARE(com::shippedLibrary("/x/libY.so"), QStringLiteral("/x/libY.so"));
}

void TestRegistry::fileThatIsNoLibrary()
{
    const QString path = QDir(qEnvironmentVariable("CORVANE_SETTINGS_DIR")).filePath("libFake.so");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a library");
    f.close();
    reg::registerServer(Palvex_Ctl::CLSID_Palvex, path);
    QVERIFY_THROWS_EXCEPTION(vb::Error, com::createInstance(Palvex_Ctl::CLSID_Palvex, nullptr));
    QVERIFY(com::loadedLibraries().isEmpty());
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
