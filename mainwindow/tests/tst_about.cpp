// The About box: caption, title and version, the system-information tool
// found through a fake registry and started through a recording shell, and
// the two web buttons.

#include "About.h"
#include "Dialogs.h"
#include "Form.h"
#include "Shell.h"
#include "SystemRegistry.h"
#include "frmAbout.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace about;

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captionTitleAndVersion();
    void versionWithoutLeadingZeros();
    void pathValueStartsTheTool();
    void folderValueStartsTheToolFromThere();
    void folderWithoutTheToolGivesTheMessage();
    void nothingInTheRegistryGivesTheMessage();
    void toolThatWillNotStartGivesTheMessage();
    void webButtonsOpenThePages();
    void okCloses();

private:
    vb::MemoryRegistry m_registry;
    vb::RecordingShell m_shell;
};

void TestAbout::init()
{
    m_registry = vb::MemoryRegistry();
    m_shell = vb::RecordingShell();
    vb::setRegistry(&m_registry);
    vb::setShell(&m_shell);
    vb::Forms::setProgramEndHandler([] {});
}

void TestAbout::cleanup()
{
    vb::Forms::unload<frmAbout>();
    vb::setRegistry(nullptr);
    vb::setShell(nullptr);
}

void TestAbout::captionTitleAndVersion()
{
    frmAbout &f = vb::Forms::get<frmAbout>();
    QCOMPARE(f.caption(), QStringLiteral("À propos de Corvane Studio"));
    QCOMPARE(f.lblTitle->text(), QStringLiteral("Corvane Studio"));
    QCOMPARE(f.lblVersion->text(), QStringLiteral("Version 1.8.66"));
    QCOMPARE(f.Label3->text(), QStringLiteral("Information Management System"));
    QCOMPARE(f.cmdSysInfo->text(), QStringLiteral("&Infos système..."));
    QCOMPARE(f.Command2->text(), kHomeHost);
    QVERIFY(f.Command1->text().isEmpty());
}

void TestAbout::versionWithoutLeadingZeros()
{
    QCOMPARE(versionText(1, 8, 66), QStringLiteral("Version 1.8.66"));
    QCOMPARE(versionText(2, 0, 5), QStringLiteral("Version 2.0.5"));
}

void TestAbout::pathValueStartsTheTool()
{
    m_registry.setString(vb::HKEY_LOCAL_MACHINE, kSysInfoKey, QStringLiteral("PATH"),
                         QStringLiteral("/opt/tools/sysinfo"));
    vb::DialogScript script;
    vb::Forms::get<frmAbout>().cmdSysInfo->click();
    QCOMPARE(m_shell.started, QStringList{"/opt/tools/sysinfo"});
    QVERIFY2(script.ok(), script.report());
}

void TestAbout::folderValueStartsTheToolFromThere()
{
    QTemporaryDir dir;
    QFile tool(QDir(dir.path()).filePath(kSysInfoProgram));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.close();
    m_registry.setString(vb::HKEY_LOCAL_MACHINE, kSysInfoLocationKey, QStringLiteral("MSINFO"), dir.path());
    QCOMPARE(findSystemInfoTool().value_or(QString()), QDir(dir.path()).filePath(kSysInfoProgram));
    vb::DialogScript script;
    StartSysInfo();
    QCOMPARE(m_shell.started, QStringList{QDir(dir.path()).filePath(kSysInfoProgram)});
    QVERIFY2(script.ok(), script.report());
}

void TestAbout::folderWithoutTheToolGivesTheMessage()
{
    QTemporaryDir dir;
    m_registry.setString(vb::HKEY_LOCAL_MACHINE, kSysInfoLocationKey, QStringLiteral("MSINFO"), dir.path());
    vb::DialogScript script;
    script.msgBox(vb::vbOK, kSysInfoUnavailable);
    StartSysInfo();
    QVERIFY2(script.ok(), script.report());
    QCOMPARE(script.shown().first().buttons, int(vb::vbInformation));
    QVERIFY(m_shell.started.isEmpty());
}

void TestAbout::nothingInTheRegistryGivesTheMessage()
{
    vb::DialogScript script;
    script.msgBox(vb::vbOK, kSysInfoUnavailable);
    vb::Forms::get<frmAbout>().cmdSysInfo->click();
    QVERIFY2(script.ok(), script.report());
    QVERIFY(m_shell.started.isEmpty());
    QString value = QStringLiteral("stale");
    QVERIFY(!GetKeyValue(vb::HKEY_LOCAL_MACHINE, kSysInfoKey, QStringLiteral("PATH"), value));
    QVERIFY(value.isEmpty());
}

void TestAbout::toolThatWillNotStartGivesTheMessage()
{
    m_registry.setString(vb::HKEY_LOCAL_MACHINE, kSysInfoKey, QStringLiteral("PATH"), QStringLiteral("/nowhere"));
    m_shell.succeed = false;
    vb::DialogScript script;
    script.msgBox(vb::vbOK, kSysInfoUnavailable);
    StartSysInfo();
    QVERIFY2(script.ok(), script.report());
}

void TestAbout::webButtonsOpenThePages()
{
    frmAbout &f = vb::Forms::get<frmAbout>();
    m_shell.succeed = false; // nothing is reported when no browser opens
    vb::DialogScript script;
    f.Command2->click();
    f.Command1->click();
    QCOMPARE(m_shell.opened, (QStringList{kHomePage, kAboutPage}));
    QVERIFY2(script.ok(), script.report());
}

void TestAbout::okCloses()
{
    frmAbout &f = vb::Forms::get<frmAbout>();
    f.show();
    f.cmdOK->click();
    QVERIFY(!vb::Forms::isLoaded<frmAbout>());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
