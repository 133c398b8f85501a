// The import command as the user meets it: the choice of a base, the
// refusals that change nothing, the progress window and the closing summary.

#include "Dialogs.h"
#include "Form.h"
#include "ImportBase.h"
#include "ImportTestBases.h"
#include "WindowLinks.h"
#include "Working.h"

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>
#include <QtTest>

using namespace importtest;

namespace {
const QString kSelect = QStringLiteral("Select a base to import");
}

class TestImportWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aCancelledChoiceChangesNothing();
    void theOpenBaseItselfIsRefused();
    void sourcesThatCannotBeRead_data();
    void sourcesThatCannotBeRead();
    void theSummaryClosesTheImport();
    void somethingUnreadIsShownWithTheExclamation();
    void nothingAddedChangesNothing();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void openTarget()
    {
        createAndBind(path(QStringLiteral("open.cvb")));
        add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("Mine")}});
        g_BasePath = path(QStringLiteral("open.cvb"));
    }
    QString sampleSource()
    {
        const QString p = path(QStringLiteral("source.cvb"));
        if (!QFile::exists(p)) {
            createAndBind(p);
            fillSample();
            closeBase();
        }
        return p;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<vb::DialogScript> m_script;
};

void TestImportWindow::initTestCase()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    InstallImport();
}

void TestImportWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_script = std::make_unique<vb::DialogScript>();
}

void TestImportWindow::cleanup()
{
    QVERIFY2(m_script->ok(), m_script->report());
    m_script.reset();
    QVERIFY(!vb::Forms::isLoaded<Working>());
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    closeBase();
    m_dir.reset();
}

void TestImportWindow::aCancelledChoiceChangesNothing()
{
    openTarget();
    const QString open = g_BasePath;
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(QString(), QStringLiteral("Please select a base"));
    QVERIFY(!ImportBase());
    QCOMPARE(m_script->shown().first().buttons, int(vb::vbOKOnly));
    QCOMPARE(g_BasePath, open);
    QCOMPARE(rowsOf(QStringLiteral("CGROUP1")), QStringList{"Mine"});
}

void TestImportWindow::theOpenBaseItselfIsRefused()
{
    openTarget();
    // Another spelling of the same file.
    const QString same = m_dir->path() + QStringLiteral("/./open.cvb");
    m_script->msgBox(vb::vbOK, kSelect)
        .fileOpen(same)
        .msgBox(vb::vbOK, QStringLiteral("This base is the one open : it cannot be imported into itself"));
    QVERIFY(!ImportBase());
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbExclamation));
    QCOMPARE(g_BasePath, path(QStringLiteral("open.cvb")));
    QCOMPARE(rowsOf(QStringLiteral("CGROUP1")), QStringList{"Mine"});
}

void TestImportWindow::sourcesThatCannotBeRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString cannot = QStringLiteral("This base cannot be imported : ");
    QTest::newRow("own password") << "password"
                                  << cannot + "it cannot be opened with the built-in password (it has a "
                                              "password of its own, or it is not a base)";
    QTest::newRow("text file") << "plain" << cannot + "it is not a base of this program";
    QTest::newRow("cut short") << "cut" << cannot + "it is damaged or cut short";
}

void TestImportWindow::sourcesThatCannotBeRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString source = path(QStringLiteral("bad.cvb"));
    if (kind == QStringLiteral("password")) {
        createAndBind(source, kConnect + QStringLiteral("own"));
        fillSample();
        closeBase();
    } else if (kind == QStringLiteral("plain")) {
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'z'));
    } else {
        createAndBind(source);
        fillSample();
        closeBase();
        QVERIFY(QFile::resize(source, QFileInfo(source).size() - 10));
    }
    openTarget();
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK, message);
    QVERIFY(!ImportBase());
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbExclamation));
    QCOMPARE(rowsOf(QStringLiteral("CGROUP1")), QStringList{"Mine"});
}

void TestImportWindow::theSummaryClosesTheImport()
{
    const QString source = sampleSource();
    openTarget();
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    QVERIFY(ImportBase());
    const vb::DialogRequest summary = m_script->shown().last();
    QCOMPARE(summary.buttons, int(vb::vbInformation));
    QVERIFY2(summary.prompt.startsWith(QStringLiteral("Import of source.cvb : 24 rows added, 0 skipped.\n")),
             qPrintable(summary.prompt));
    QVERIFY2(summary.prompt.contains(QStringLiteral("\nNOTE : 1 added, 0 skipped\n")), qPrintable(summary.prompt));
    QCOMPARE(g_BasePath, path(QStringLiteral("open.cvb")));
    QCOMPARE(rowsOf(QStringLiteral("CGROUP1")), (QStringList{"History", "Memory", "Mine", "Travel"}));
}

void TestImportWindow::somethingUnreadIsShownWithTheExclamation()
{
    const QString source = path(QStringLiteral("partial.cvb"));
    createPartialBase(source);
    openTarget();
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    QVERIFY(ImportBase());
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbExclamation));
    QVERIFY(m_script->shown().last().prompt.contains(QStringLiteral("GROUP2 : not in the source, nothing read")));
}

void TestImportWindow::nothingAddedChangesNothing()
{
    // The same base twice: the second time the summary says nothing was
    // added and the caller has no reason to reload its window.
    const QString source = sampleSource();
    openTarget();
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    QVERIFY(ImportBase());
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    QVERIFY(!ImportBase());
    QVERIFY(m_script->shown().last().prompt.startsWith(QStringLiteral("Import of source.cvb : 0 rows added, 24 skipped.")));
}

QTEST_MAIN(TestImportWindow)
#include "tst_import_window.moc"
