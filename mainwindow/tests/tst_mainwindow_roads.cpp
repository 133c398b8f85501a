// The Database menu on real bases, with the program's own services: the
// base lies outside the working directory, Save As moves it or refuses,
// Import copies a base and reopens it with its key, a cancelled import
// changes nothing, and a changed card is asked before the
// base closes.

#include "BaseCommands.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Form.h"
#include "ImportBase.h"
#include "InstallMainWindowLink.h"
#include "OuvreBase.h"
#include "ProgramState.h"
#include "Start.h"
#include "fAccueil.h"
#include "fCorvane.h"

#include <QAction>
#include <QPushButton>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kChanged = QStringLiteral("The data have changed - do you want save?");
const QString kSelect = QStringLiteral("Select a base to import");

QStringList g_log;

// A changed card: asks on closing and stores into the open base on Yes.
class ChangedCard : public vb::Form {
public:
    ChangedCard()
    {
        setObjectName(QStringLiteral("fNoteMulti"));
        setMdiChild(true);
    }

protected:
    void formQueryUnload(int &, int) override
    {
        if (vb::MsgBox(kChanged, vb::vbYesNo) != vb::vbYes)
            return;
        rsCGroup1.AddNew();
        fldCGroup1Groupe.setValue(QStringLiteral("stored by the card"));
        rsCGroup1.Update();
        g_log << QStringLiteral("stored");
    }
};

} // namespace

class TestRoads : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void saveAsMovesABaseOfAnotherFolder();
    void saveAsRefusesAnExistingFile();
    void saveAsCancelledKeepsTheWindow();
    void saveAsThatFailsSaysWhyOverTheSameBase();
    void importReopensWithTheBaseKey();
    void importCancelledKeepsTheWindow();
    void importIntoAMovedBaseIsUndone();
    void loadAsksTheChangedCardFirst();
    void lockedBaseStaysLockedThroughImportAndSaveAs();
    void baseFromTheWelcomeReloadsTheWindow();
    void loadForgetsTheSearchOfTheOtherBase();

private:
    QString basePath(const QString &name) const
    {
        return QDir(m_dir.path()).filePath(QStringLiteral("bases/") + name);
    }
    fCorvane &openOnBase(const QString &name, const QString &connect = BuiltInConnect());
    QString sourceWithKeyword(const QString &keyword);

    QTemporaryDir m_dir;
    std::unique_ptr<vb::DialogScript> m_script;
};

void TestRoads::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    root.mkdir(QStringLiteral("bases"));
    root.mkdir(QStringLiteral("elsewhere"));
    // The working directory is not the base's folder.
    QDir::setCurrent(root.filePath(QStringLiteral("elsewhere")));
    vb::Forms::setProgramEndHandler([] {});
    InstallMainWindowLink();
    InstallImport();
}

void TestRoads::init()
{
    g_log.clear();
    m_script = std::make_unique<vb::DialogScript>();
}

void TestRoads::cleanup()
{
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY2(m_script->ok(), m_script->report());
    m_script.reset();
}

fCorvane &TestRoads::openOnBase(const QString &name, const QString &connect)
{
    CreateKnowledgeBase(basePath(name), connect);
    OpenAndBindBase(basePath(name), connect);
    fCorvane &f = vb::Forms::get<fCorvane>();
    f.show();
    return f;
}

void TestRoads::saveAsMovesABaseOfAnotherFolder()
{
    fCorvane *f = &openOnBase(QStringLiteral("Move.cvb"));
    m_script->fileSave(basePath(QStringLiteral("Moved.cvb")));
    f->menuItem(QStringLiteral("mSaveAs"))->trigger();
    QVERIFY(!QFile::exists(basePath(QStringLiteral("Move.cvb"))));
    QVERIFY(QFile::exists(basePath(QStringLiteral("Moved.cvb"))));
    QCOMPARE(g_BasePath, basePath(QStringLiteral("Moved.cvb")));
    f = vb::Forms::find<fCorvane>();
    QVERIFY(f);
    QCOMPARE(f->caption(), QStringLiteral("Corvane Studio - Moved.cvb"));
    QCOMPARE(f->StatusBar1->panelText(1), QStringLiteral("Moved.cvb"));
    QCOMPARE(rsCGroup1.RecordCount(), 1L); // its "No Keyword", read from the moved file
}

void TestRoads::saveAsRefusesAnExistingFile()
{
    CreateKnowledgeBase(basePath(QStringLiteral("Taken.cvb")), BuiltInConnect());
    fCorvane &f = openOnBase(QStringLiteral("Keep.cvb"));
    m_script->fileSave(basePath(QStringLiteral("Taken.cvb")));
    m_script->msgBox(vb::vbOK);
    f.menuItem(QStringLiteral("mSaveAs"))->trigger();
    // Nothing closed: the same window on the same base.
    QCOMPARE(vb::Forms::find<fCorvane>(), &f);
    QCOMPARE(g_BasePath, basePath(QStringLiteral("Keep.cvb")));
    QCOMPARE(rsCGroup1.RecordCount(), 1L);
    QVERIFY(QFile::exists(basePath(QStringLiteral("Keep.cvb"))));
}

void TestRoads::saveAsCancelledKeepsTheWindow()
{
    fCorvane &f = openOnBase(QStringLiteral("Cancel.cvb"));
    m_script->fileSave(QString());
    f.menuItem(QStringLiteral("mSaveAs"))->trigger();
    QCOMPARE(vb::Forms::find<fCorvane>(), &f);
    QCOMPARE(rsCGroup1.RecordCount(), 1L);
}

namespace {

// Answers as the real boxes do: a message box runs an event loop of its own
// while it is shown. Notes what stood behind each message.
class ModalBoxes : public vb::DialogHandler {
public:
    explicit ModalBoxes(const QString &saveAs) : m_saveAs(saveAs) { m_previous = vb::setDialogHandler(this); }
    ~ModalBoxes() override { vb::setDialogHandler(m_previous); }

    vb::DialogAnswer answer(const vb::DialogRequest &r) override
    {
        if (r.kind == vb::DialogKind::FileSave)
            return vb::DialogAnswer::file(m_saveAs);
        said << r.prompt;
        const fCorvane *f = vb::Forms::find<fCorvane>();
        mainWindowBehind << (f && f->isVisible());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return vb::DialogAnswer::result(vb::vbOK);
    }

    QStringList said;
    QList<bool> mainWindowBehind;

private:
    QString m_saveAs;
    vb::DialogHandler *m_previous = nullptr;
};

} // namespace

void TestRoads::saveAsThatFailsSaysWhyOverTheSameBase()
{
    fCorvane *f = &openOnBase(QStringLiteral("Stays.cvb"));
    rsCGroup1.AddNew();
    fldCGroup1Groupe.setValue(QStringLiteral("Kept"));
    rsCGroup1.Update();
    int ends = 0;
    vb::Forms::setProgramEndHandler([&] { ++ends; });
    // A rename no user can make: into a folder that is not there, and onto a
    // path whose folder is a file.
    QFile blocker(basePath(QStringLiteral("a-file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const QString &target :
         {basePath(QStringLiteral("no-such-folder/Moved.cvb")), basePath(QStringLiteral("a-file/Moved.cvb"))}) {
        {
            ModalBoxes boxes(target);
            f->menuItem(QStringLiteral("mSaveAs"))->trigger();
            QCOMPARE(boxes.said.size(), 1);
            QVERIFY2(boxes.said.first().startsWith(QStringLiteral("The base could not be saved as ") + target +
                                                   QStringLiteral(" : ")),
                     qPrintable(boxes.said.first()));
            QCOMPARE(boxes.mainWindowBehind, QList<bool>{true});
        }
        QCoreApplication::processEvents();
        QCOMPARE(ends, 0);
        f = vb::Forms::find<fCorvane>();
        QVERIFY(f);
        QVERIFY(f->isVisible());
        QCOMPARE(f->caption(), QStringLiteral("Corvane Studio - Stays.cvb"));
        QCOMPARE(g_BasePath, basePath(QStringLiteral("Stays.cvb")));
        QCOMPARE(rsCGroup1.RecordCount(), 2L);
    }
    vb::Forms::setProgramEndHandler([] {});
}

QString TestRoads::sourceWithKeyword(const QString &keyword)
{
    // Made and closed while nothing else is open.
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("elsewhere/Source.cvb"));
    QFile::remove(path);
    CreateKnowledgeBase(path, BuiltInConnect());
    dao::Database db = dao::DBEngine::OpenDatabase(path, false, false, BuiltInConnect());
    dao::Recordset rs = db.OpenRecordset(QStringLiteral("CGROUP1"));
    rs.AddNew();
    rs.Fields(QStringLiteral("GROUPE")).setValue(keyword);
    rs.Update();
    db.Close();
    return path;
}

void TestRoads::importReopensWithTheBaseKey()
{
    // A base with a password of its own: the reopen asks for nothing.
    const QString source = sourceWithKeyword(QStringLiteral("Imported"));
    const QString key = ConnectFor(QStringLiteral("secret"));
    fCorvane *f = &openOnBase(QStringLiteral("Import.cvb"), key);
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    f->menuItem(QStringLiteral("mImport"))->trigger();
    f = vb::Forms::find<fCorvane>();
    QVERIFY(f);
    QVERIFY(f->isVisible());
    QCOMPARE(f->caption(), QStringLiteral("Corvane Studio - Import.cvb"));
    QCOMPARE(g_BasePath, basePath(QStringLiteral("Import.cvb")));
    QCOMPARE(g_Connect, key);
    // The window loaded afresh lists the imported keyword.
    QStringList listed;
    for (int i = 0; i < f->KWList->rows(); ++i)
        listed << f->KWList->textMatrix(i, 0);
    QCOMPARE(listed, (QStringList{"Imported", "No Keyword"}));
}

void TestRoads::importCancelledKeepsTheWindow()
{
    fCorvane &f = openOnBase(QStringLiteral("Cancelled.cvb"));
    auto *card = new ChangedCard;
    card->show();
    m_script->msgBox(vb::vbYes, kChanged).msgBox(vb::vbOK, kSelect).fileOpen(QString());
    f.menuItem(QStringLiteral("mImport"))->trigger();
    // The same window, shown again; the base was never closed.
    QCOMPARE(vb::Forms::find<fCorvane>(), &f);
    QVERIFY(f.isVisible());
    QCOMPARE(g_log, QStringList{"stored"});
    QCOMPARE(rsCGroup1.RecordCount(), 2L);
}

void TestRoads::importIntoAMovedBaseIsUndone()
{
    const QString source = sourceWithKeyword(QStringLiteral("Imported"));
    fCorvane &f = openOnBase(QStringLiteral("Gone.cvb"));
    // The open base's file is moved away before the import: the engine
    // refuses to write to it, the import is undone and said so, and the
    // window comes back on the base as it was.
    QVERIFY(QFile::rename(basePath(QStringLiteral("Gone.cvb")), basePath(QStringLiteral("Away.cvb"))));
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    f.menuItem(QStringLiteral("mImport"))->trigger();
    const vb::DialogRequest last = m_script->shown().last();
    QVERIFY(last.prompt.startsWith(QStringLiteral("The import of Source.cvb stopped and nothing was added to the base : ")));
    QCOMPARE(last.buttons, int(vb::vbExclamation));
    QCOMPARE(vb::Forms::find<fCorvane>(), &f);
    QVERIFY(f.isVisible());
    QCOMPARE(rsCGroup1.RecordCount(), 1L);
}

void TestRoads::lockedBaseStaysLockedThroughImportAndSaveAs()
{
    CreateKnowledgeBase(basePath(QStringLiteral("Locked.cvb")), BuiltInConnect());
    OpenAndBindBaseReadOnly(basePath(QStringLiteral("Locked.cvb")), BuiltInConnect());
    QVERIFY(!g_Db.Updatable());
    fCorvane *f = &vb::Forms::get<fCorvane>();
    f->show();

    // Nothing can be written to a locked base: the import is undone, said
    // so, and the base stays as it was opened.
    const QString source = sourceWithKeyword(QStringLiteral("Imported"));
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    f->menuItem(QStringLiteral("mImport"))->trigger();
    f = vb::Forms::find<fCorvane>();
    QVERIFY(f && f->isVisible());
    QVERIFY(!g_Db.Updatable());

    m_script->fileSave(basePath(QStringLiteral("StillLocked.cvb")));
    f->menuItem(QStringLiteral("mSaveAs"))->trigger();
    QCOMPARE(g_BasePath, basePath(QStringLiteral("StillLocked.cvb")));
    QVERIFY(vb::Forms::find<fCorvane>());
    QVERIFY(!g_Db.Updatable());
    QCOMPARE(vb::errorOf([] { rsCGroup1.AddNew(); }), int(dao::ErrReadOnly));
}

void TestRoads::loadAsksTheChangedCardFirst()
{
    fCorvane &f = openOnBase(QStringLiteral("Card.cvb"));
    auto *card = new ChangedCard;
    card->show();
    m_script->msgBox(vb::vbYes, kChanged);
    f.menuItem(QStringLiteral("mLoad2"))->trigger();
    QCOMPARE(g_log, QStringList{"stored"});
    QVERIFY(!vb::Forms::isLoaded<fCorvane>());
    QVERIFY(vb::Forms::isLoaded<fAccueil>());
    // The card's row is in the file.
    OpenAndBindBase(basePath(QStringLiteral("Card.cvb")), BuiltInConnect());
    rsCGroup1.setIndex(QStringLiteral("Groupe"));
    rsCGroup1.Seek(QStringLiteral("="), QStringLiteral("stored by the card"));
    QVERIFY(!rsCGroup1.NoMatch());
}

void TestRoads::baseFromTheWelcomeReloadsTheWindow()
{
    // "&New" leaves the window up; the welcome window then opens another
    // base: the old base's cards go first, into the old base.
    fCorvane *f = &openOnBase(QStringLiteral("Old.cvb"));
    auto *card = new ChangedCard;
    card->show();
    CreateKnowledgeBase(basePath(QStringLiteral("New.cvb")), BuiltInConnect());
    dao::Database db = dao::DBEngine::OpenDatabase(basePath(QStringLiteral("New.cvb")), false, false,
                                                   BuiltInConnect());
    m_script->msgBox(vb::vbYes, kChanged);
    QVERIFY(TakeOverOpenedBase(db, basePath(QStringLiteral("New.cvb")), BuiltInConnect()));
    QCOMPARE(g_log, QStringList{"stored"});
    f = vb::Forms::find<fCorvane>();
    QVERIFY(f);
    QCOMPARE(f->caption(), QStringLiteral("Corvane Studio - New.cvb"));
    QCOMPARE(f->children().size(), 0);
    rsCGroup1.Seek(QStringLiteral("="), QStringLiteral("stored by the card"));
    QVERIFY(rsCGroup1.NoMatch()); // not written into the new base

    OpenAndBindBase(basePath(QStringLiteral("Old.cvb")), BuiltInConnect());
    rsCGroup1.setIndex(QStringLiteral("Groupe"));
    rsCGroup1.Seek(QStringLiteral("="), QStringLiteral("stored by the card"));
    QVERIFY(!rsCGroup1.NoMatch());
}

void TestRoads::loadForgetsTheSearchOfTheOtherBase()
{
    CreateKnowledgeBase(basePath(QStringLiteral("Other.cvb")), BuiltInConnect());
    fCorvane &f = openOnBase(QStringLiteral("Searched.cvb"));
    // What a search of this base left for the result grid.
    GridCaption = QStringLiteral("Notes - Keyword : Travel");
    GridRows = {QStringList{QString()}, QStringList{QStringLiteral("Travel"), QStringLiteral("DUPO0001.TXT")}};
    GridKeys = {QString(), QStringLiteral("DUPO0001.TXT")};
    f.menuItem(QStringLiteral("mLoad2"))->trigger();
    m_script->fileOpen(basePath(QStringLiteral("Other.cvb")));
    vb::Forms::get<fAccueil>().Command2->click();
    QVERIFY(vb::Forms::find<fCorvane>());
    QCOMPARE(g_BasePath, basePath(QStringLiteral("Other.cvb")));
    QCOMPARE(GridCaption, QString());
    QVERIFY(GridKeys.size() <= 1);
    QVERIFY(!GridKeys.contains(QStringLiteral("DUPO0001.TXT")));
}

QTEST_MAIN(TestRoads)
#include "tst_mainwindow_roads.moc"
