// Opening, creating, reopening and moving bases: the welcome window's roads
// with their passwords, what a failure leaves behind, Save As, and the
// sample base openers.

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Guard.h"
#include "OuvreBase.h"
#include "OuvreFichier.h"
#include "StorageTestUtil.h"
#include "SyncCount.h"
#include "Twips.h"
#include "Util.h"
#include "fAccueil.h"
#include "fChoix1.h"
#include "../../platform/core/tests/OtherFileSystem.h"
#include "../../platform/core/tests/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>


using namespace vb;

namespace {

const QString kAskPassword = QStringLiteral("Enter the Password for your base");
const QString kNewPassword = QStringLiteral("Enter a Password for your base - or leave it blank");
const QString kInvalid = QStringLiteral("Invalid Password - Please select an operation :");

void makeBase(const QString &path, const QString &typed = {})
{
    CreateKnowledgeBase(path, ConnectFor(typed));
}

} // namespace

class TestBases : public QObject {
    Q_OBJECT
    int m_ends = 0;
    QString m_home;
    QTemporaryDir m_dir;

    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        m_home = QDir::currentPath();
        Forms::setProgramEndHandler([this] { ++m_ends; });
    }
    void cleanup()
    {
        resetShared();
        QDir::setCurrent(m_home);
        QCoreApplication::processEvents();
    }

    void fileNameOfPath()
    {
        QCOMPARE(FileNameOfPath(QStringLiteral("C:\\Bases\\Work\\Mine.cvb")), QStringLiteral("Mine.cvb"));
        QCOMPARE(FileNameOfPath(QStringLiteral("/home/u/bases/Mine.cvb")), QStringLiteral("Mine.cvb"));
        QCOMPARE(FileNameOfPath(QStringLiteral("/home/u\\mixed/Mine.cvb")), QStringLiteral("Mine.cvb"));
        QCOMPARE(FileNameOfPath(QStringLiteral("Mine.cvb")), QStringLiteral("Mine.cvb"));
        QCOMPARE(FileNameOfPath(QStringLiteral("C:\\Bases\\")), QString());
        QCOMPARE(FileNameOfPath(QStringLiteral("/home/u/")), QString());
        QCOMPARE(FileNameOfPath(QString()), QString());
    }

    void openWithoutUserPasswordAsksNothing()
    {
        const QString path = file(QStringLiteral("plain.cvb"));
        makeBase(path);
        FakeMainWindow main;
        DialogScript script;
        script.fileOpen(path, QStringLiteral("Please select a base"));

        ShowWelcome();
        fAccueil *w = Forms::find<fAccueil>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->Label1->text(), QStringLiteral("Do you want to open :"));
        QVERIFY(w->Command1->isVisibleTo(w->client()) && !w->CommandAgain->isVisibleTo(w->client()));
        QVERIFY(qAbs(w->scaleWidth() - 4710) <= 15);
        QVERIFY(qAbs(w->scaleHeight() - 2145) <= 15);
        w->Command2->click();
        QVERIFY2(script.ok(), script.report());
        QCOMPARE(script.shown().first().filter, kBaseFileFilter);

        QCOMPARE(g_BasePath, path);
        QCOMPARE(g_Connect, QStringLiteral(";pwd=Qv47Tz28"));
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QVERIFY(!Forms::isLoaded<fAccueil>());
    }

    void userPasswordRefusedThenRetried()
    {
        const QString path = file(QStringLiteral("secret.cvb"));
        makeBase(path, QStringLiteral("s3;cr=t"));
        // An open base that must survive every refusal.
        const QString before = file(QStringLiteral("before.cvb"));
        makeBase(before);
        OpenAndBindBase(before, BuiltInConnect());
        const dao::Database open = g_Db;

        FakeMainWindow main;
        {
            DialogScript script;
            script.fileOpen(path).passwordBox(QStringLiteral("wrong"), kAskPassword);
            ShowWelcome();
            Forms::find<fAccueil>()->Command2->click();
            QVERIFY2(script.ok(), script.report());
        }
        fAccueil *w = Forms::find<fAccueil>();
        QVERIFY(w && w->isVisible() && w->invalidPasswordView());
        QCOMPARE(w->Label1->text(), kInvalid);
        for (QPushButton *b : {w->CommandAgain, w->CommandOther, w->CommandNew, w->CommandQuit})
            QVERIFY(b->isVisibleTo(w->client()));
        QVERIFY(!w->Command1->isVisibleTo(w->client()) && !w->Command2->isVisibleTo(w->client()));
        QVERIFY(qAbs(w->width() - 6290) <= 15);
        QVERIFY(qAbs(w->height() - 3915) <= 15);
        // Nothing of the refused base was committed.
        QCOMPARE(g_BasePath, before);
        QCOMPARE(g_Connect, BuiltInConnect());
        QVERIFY(g_Db == open);
        QVERIFY(main.calls.isEmpty());

        {
            // An empty answer is refused the same way, as often as it comes.
            DialogScript script;
            script.passwordBox(QString(), kAskPassword);
            w->CommandAgain->click();
            QVERIFY2(script.ok(), script.report());
            QVERIFY(w->isVisible() && w->invalidPasswordView());
        }
        {
            DialogScript script;
            script.passwordBox(QStringLiteral("s3;cr=t"), kAskPassword);
            w->CommandAgain->click();
            QVERIFY2(script.ok(), script.report());
        }
        QCOMPARE(g_BasePath, path);
        QCOMPARE(g_Connect, QStringLiteral(";pwd=Qv47Tz28s3;cr=t"));
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QVERIFY(!Forms::isLoaded<fAccueil>());
    }

    void createWithPasswordOpensTheNewBase()
    {
        const QString path = file(QStringLiteral("created.cvb"));
        FakeMainWindow main;
        DialogScript script;
        script.fileOpen(path, QStringLiteral(" Enter a name for your new base "))
            .passwordBox(QStringLiteral("pw"), kNewPassword);
        ShowWelcome();
        Forms::find<fAccueil>()->Command1->click();
        QVERIFY2(script.ok(), script.report());

        QCOMPARE(g_BasePath, path);
        QCOMPARE(g_Connect, QStringLiteral(";pwd=Qv47Tz28pw"));
        QCOMPARE(g_Db.TableDefs().Count(), 20);
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(rsNote.RecordCount(), 0L);
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QCOMPARE(errorOf([&] { dao::DBEngine::OpenDatabase(path, false, false, BuiltInConnect()); }),
                 int(dao::ErrInvalidPassword));
    }

    void aNewBaseIsWrittenByOneCommit()
    {
        const QString open = file(QStringLiteral("open.cvb"));
        makeBase(open);
        OpenAndBindBase(open, BuiltInConnect());
        const QString path = file(QStringLiteral("onecommit.cvb"));
        {
            SyncCount syncs;
            CreateKnowledgeBase(path, ConnectFor(QStringLiteral("pw")));
            // The new base's file, catalog, tables and types in one commit;
            // nothing written to the base that stays open.
            QCOMPARE(syncs.baseSyncs(), 1);
        }
        QCOMPARE(dao::DBEngine::Workspaces(0).TransactionLevel(), 0);
        dao::Database db = dao::DBEngine::OpenDatabase(path, false, false, ConnectFor(QStringLiteral("pw")));
        QCOMPARE(db.TableDefs().Count(), 20);
        QCOMPARE(db.OpenRecordset(QStringLiteral("TYPES")).RecordCount(), 13L);
        db.Close();
        // The open base is still in use.
        QCOMPARE(rsTypes.RecordCount(), 13L);
        rsCGroup1.AddNew();
        fldCGroup1Groupe.setValue(QStringLiteral("still open"));
        rsCGroup1.Update();
    }

    void createOverAnExistingFileKeepsEverything()
    {
        const QString before = file(QStringLiteral("kept.cvb"));
        makeBase(before);
        OpenAndBindBase(before, BuiltInConnect());
        const dao::Database open = g_Db;
        const QString other = file(QStringLiteral("notes.txt"));
        {
            QFile f(other);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a base");
        }
        FakeMainWindow main;
        main.loaded = true;
        DialogScript script;
        script.fileOpen(other).passwordBox(QStringLiteral("pw")).msgBox(vbOK);
        ShowWelcome();
        fAccueil *w = Forms::find<fAccueil>();
        w->Command1->click();
        QVERIFY2(script.ok(), script.report());
        QVERIFY(script.shown().last().prompt.contains(QStringLiteral("already exists")));

        QVERIFY(w->isLoaded() && w->isVisible());
        QCOMPARE(g_BasePath, before);
        QCOMPARE(g_Connect, BuiltInConnect());
        QVERIFY(g_Db == open);
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QVERIFY(main.calls.isEmpty());
        QFile f(other);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a base"));
    }

    void damagedFileGivesAMessageAndTheWelcomeWindow()
    {
        const QString bad = file(QStringLiteral("damaged.cvb"));
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("short and not a base");
        }
        FakeMainWindow main;
        DialogScript script;
        script.fileOpen(bad).msgBox(vbOK);
        ShowWelcome();
        Forms::find<fAccueil>()->Command2->click();
        QVERIFY2(script.ok(), script.report());
        QCOMPARE(script.shown().last().buttons, int(vbExclamation));
        fAccueil *w = Forms::find<fAccueil>();
        QVERIFY(w && w->isVisible());
        QVERIFY(main.calls.isEmpty());
        QVERIFY(g_Db.isNothing());
        QVERIFY(g_BasePath.isEmpty());
    }

    void cancelledChoiceLeavesAWindow()
    {
        FakeMainWindow main;
        {
            DialogScript script;
            script.fileOpen(QString());
            ShowWelcome();
            Forms::find<fAccueil>()->Command2->click();
            QVERIFY2(script.ok(), script.report());
            // No main window: the welcome window comes back.
            QVERIFY(Forms::find<fAccueil>() && Forms::find<fAccueil>()->isVisible());
        }
        main.loaded = true;
        {
            DialogScript script;
            script.fileOpen(QString());
            Forms::find<fAccueil>()->Command2->click();
            QVERIFY2(script.ok(), script.report());
            QVERIFY(!Forms::isLoaded<fAccueil>());
        }
        QVERIFY(main.calls.isEmpty());
    }

    void newOverTheMainWindowClosesCardsFirst()
    {
        const QString before = file(QStringLiteral("first.cvb"));
        const QString next = file(QStringLiteral("second.cvb"));
        makeBase(before);
        makeBase(next);
        OpenAndBindBase(before, BuiltInConnect());
        const dao::Database old = g_Db;
        FakeMainWindow main;
        main.loaded = true;

        // A card that refuses to close keeps everything as it was.
        main.cardsClose = false;
        {
            DialogScript script;
            script.fileOpen(next);
            ShowWelcome();
            Forms::find<fAccueil>()->Command2->click();
            QVERIFY2(script.ok(), script.report());
        }
        QCOMPARE(main.calls, QStringList{QStringLiteral("unloadCardWindows")});
        QCOMPARE(g_BasePath, before);
        QVERIFY(g_Db == old);
        QVERIFY(Forms::find<fAccueil>()->isVisible());

        main.calls.clear();
        main.cardsClose = true;
        {
            DialogScript script;
            script.fileOpen(next);
            Forms::find<fAccueil>()->Command2->click();
            QVERIFY2(script.ok(), script.report());
        }
        QCOMPARE(main.calls, (QStringList{QStringLiteral("unloadCardWindows"), QStringLiteral("unload"),
                                          QStringLiteral("loadAndShow")}));
        QCOMPARE(g_BasePath, next);
        // The old base is closed once replaced.
        QCOMPARE(errorOf([&] { old.TableDefs().Count(); }), int(dao::ErrObjectClosed));
    }

    void refusedCardsRemoveTheBaseJustCreated()
    {
        const QString path = file(QStringLiteral("never.cvb"));
        FakeMainWindow main;
        main.loaded = true;
        main.cardsClose = false;
        DialogScript script;
        script.fileOpen(path).passwordBox(QString());
        ShowWelcome();
        Forms::find<fAccueil>()->Command1->click();
        QVERIFY2(script.ok(), script.report());
        QVERIFY(!QFile::exists(path));
        QVERIFY(g_BasePath.isEmpty());
    }

    void quitEndsAtOnce()
    {
        FakeMainWindow main;
        DialogScript script;
        ShowWelcome();
        fAccueil *w = Forms::find<fAccueil>();
        w->ShowInvalidPasswordChoices();
        const int ends = m_ends;
        w->CommandQuit->click();
        QCOMPARE(m_ends, ends + 1);
        QCOMPARE(Forms::count(), 0);
        QVERIFY(main.calls.isEmpty());
    }

    void openAndBindFailureKeepsTheOpenBase()
    {
        const QString before = file(QStringLiteral("stay.cvb"));
        makeBase(before);
        OpenAndBindBase(before, BuiltInConnect());
        const dao::Database open = g_Db;
        const dao::Recordset notes = rsNote;
        // A base of another shape: open, but without the tables.
        const QString empty = file(QStringLiteral("empty.cvb"));
        dao::DBEngine::CreateDatabase(empty, QString::fromLatin1(dao::dbLangGeneral) + BuiltInConnect(),
                                      dao::dbEncrypt)
            .Close();
        QVERIFY(errorOf([&] { OpenAndBindBase(empty, BuiltInConnect()); }) != 0);
        QCOMPARE(errorOf([&] { OpenAndBindBase(before, ConnectFor(QStringLiteral("x"))); }),
                 int(dao::ErrInvalidPassword));
        QCOMPARE(errorOf([&] { OpenAndBindBase(file(QStringLiteral("missing.cvb")), BuiltInConnect()); }),
                 int(dao::ErrFileNotFound));
        QVERIFY(g_Db == open);
        QVERIFY(rsNote == notes);
        QCOMPARE(g_BasePath, before);
        QCOMPARE(g_Connect, BuiltInConnect());
        QCOMPARE(rsTypes.RecordCount(), 13L);
    }

    void reopenAsksAgainUntilRightOrCancelled()
    {
        const QString path = file(QStringLiteral("reopen.cvb"));
        makeBase(path, QStringLiteral("key"));
        OpenAndBindBase(path, ConnectFor(QStringLiteral("key")));
        g_Db.Close();
        {
            DialogScript script;
            script.passwordBox(QStringLiteral("bad"), kNewPassword)
                .passwordBox(QString(), kNewPassword)
                .passwordBox(QStringLiteral("key"), kNewPassword);
            QVERIFY(ReopenBaseAskPassword());
            QVERIFY2(script.ok(), script.report());
            QCOMPARE(script.shown().first().kind, DialogKind::PasswordBox);
            QCOMPARE(script.shown().first().title, QStringLiteral("Password"));
        }
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(g_Connect, ConnectFor(QStringLiteral("key")));
        QVERIFY(!Forms::isLoaded<fAccueil>());

        g_Db.Close();
        {
            // A cancelled box: the welcome window, and nothing else changes.
            DialogScript script;
            script.passwordBox(QStringLiteral("bad")).expect(DialogKind::PasswordBox, DialogAnswer::cancel());
            QVERIFY(!ReopenBaseAskPassword());
            QVERIFY2(script.ok(), script.report());
        }
        QVERIFY(Forms::find<fAccueil>() && Forms::find<fAccueil>()->isVisible());
        QCOMPARE(g_BasePath, path);
        QCOMPARE(g_Connect, ConnectFor(QStringLiteral("key")));
    }

    void saveAsRefusesCancelAndExistingTargets()
    {
        const QString path = file(QStringLiteral("saveme.cvb"));
        makeBase(path);
        OpenAndBindBase(path, BuiltInConnect());
        {
            DialogScript script;
            script.fileSave(QString());
            QCOMPARE(PickNewBaseFileName(), QString());
            QVERIFY2(script.ok(), script.report());
            QVERIFY(!script.shown().first().overwritePrompt);
        }
        const QString taken = file(QStringLiteral("taken.cvb"));
        makeBase(taken);
        for (const QString &target : {taken, path}) {
            DialogScript script;
            script.fileSave(target).msgBox(vbOK);
            QCOMPARE(PickNewBaseFileName(), QString());
            QVERIFY2(script.ok(), script.report());
        }
        {
            DialogScript script;
            script.fileSave(file(QStringLiteral("fresh.cvb")));
            QCOMPARE(PickNewBaseFileName(), file(QStringLiteral("fresh.cvb")));
        }
        // The base stays open on its own name all along.
        QCOMPARE(g_BasePath, path);
        QCOMPARE(rsTypes.RecordCount(), 13L);
    }

    void saveAsMovesAcrossFoldersWithTheUserPassword()
    {
        const QString path = file(QStringLiteral("moving.cvb"));
        makeBase(path, QStringLiteral("pw"));
        OpenAndBindBase(path, ConnectFor(QStringLiteral("pw")));
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("moved.cvb"));
        FakeMainWindow main;
        DialogScript script;
        g_Db.Close();
        const int checks = dao::checksRun();
        QVERIFY(MoveBaseFile(target));
        QVERIFY2(script.ok(), script.report());
        // The program's own base, moved by the program: no checker.
        QCOMPARE(dao::checksRun(), checks);
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(target));
        QCOMPARE(g_BasePath, target);
        QCOMPARE(g_Connect, ConnectFor(QStringLiteral("pw")));
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
    }

    void saveAsAcrossFileSystems()
    {
        const QString path = file(QStringLiteral("far.cvb"));
        makeBase(path);
        OpenAndBindBase(path, BuiltInConnect());
        const OtherFileSystem far(QFileInfo(path).path());
        QVERIFY(far.isValid());
        const QString target = far.filePath(QStringLiteral("far.cvb"));
        FakeMainWindow main;
        g_Db.Close();
        QVERIFY(MoveBaseFile(target));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(g_BasePath, target);
        QCOMPARE(rsTypes.RecordCount(), 13L);
        g_Db.Close();
    }

    void saveAsOntoAFileThatAppearedReopensTheOriginal()
    {
        const QString path = file(QStringLiteral("orig.cvb"));
        makeBase(path);
        OpenAndBindBase(path, BuiltInConnect());
        const QString target = file(QStringLiteral("appeared.cvb"));
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("someone else's");
        }
        FakeMainWindow main;
        DialogScript script;
        script.msgBox(vbOK);
        g_Db.Close();
        QVERIFY(!MoveBaseFile(target));
        QVERIFY2(script.ok(), script.report());
        QCOMPARE(g_BasePath, path);
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("someone else's"));
    }

    void openBaseThroughTheFileChoice()
    {
        const QString path = file(QStringLiteral("picked.cvb"));
        makeBase(path);
        {
            DialogScript script;
            script.fileOpen(QString());
            OpenBase();
            QVERIFY(g_Db.isNothing());
        }
        {
            DialogScript script;
            script.fileOpen(path);
            OpenBase();
        }
        QCOMPARE(g_BasePath, path);
        QCOMPARE(rsTypes.RecordCount(), 13L);
        // OuvreFichier as the import uses it: the choice lands in g_BasePath.
        {
            DialogScript script;
            script.fileOpen(file(QStringLiteral("other.cvb")), QStringLiteral("Please select a base"));
            Forms::get<OuvreFichier>().unload();
            QVERIFY2(script.ok(), script.report());
        }
        QCOMPARE(g_BasePath, file(QStringLiteral("other.cvb")));
    }

    void lockedSampleBaseRefusesWrites()
    {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        makeBase(QStringLiteral("Corvane.mdb"));
        FakeMainWindow main;
        DialogScript script;
        fChoix1 &chooser = Forms::get<fChoix1>();
        chooser.Command2->click();
        QVERIFY2(script.ok(), script.report());
        QCOMPARE(OpenMode, QStringLiteral("Locked"));
        QVERIFY(ReadOnlyMode);
        QCOMPARE(g_BasePath, file(QStringLiteral("Corvane.mdb")));
        QCOMPARE(g_Connect, BuiltInConnect());
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QCOMPARE(errorOf([] { rsTypes.AddNew(); }), int(dao::ErrReadOnly));
        rsTypes.MoveFirst();
        QCOMPARE(errorOf([] { rsTypes.Edit(); }), int(dao::ErrReadOnly));
        QCOMPARE(errorOf([] { rsTypes.Delete(); }), int(dao::ErrReadOnly));
        QCOMPARE(rsTypes.RecordCount(), 13L);

        g_Db.Close();
        QVERIFY(OpenSampleBaseEdit());
        QVERIFY(!ReadOnlyMode);
        QCOMPARE(errorOf([] { rsTypes.AddNew(); fldTypesType.setValue(QStringLiteral("Map")); rsTypes.Update(); }), 0);
    }

    void lockedModeIsKeptThroughSaveAs()
    {
        // A folder of its own, so that the sample base is a fresh one.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("locked")));
        QVERIFY(QDir::setCurrent(file(QStringLiteral("locked"))));
        makeBase(QStringLiteral("Corvane.mdb"));
        FakeMainWindow main;
        DialogScript script;
        Forms::get<fChoix1>().Command2->click();
        QVERIFY(!g_Db.Updatable());

        const QString moved = file(QStringLiteral("locked/Moved.mdb"));
        g_Db.Close();
        QVERIFY(MoveBaseFile(moved));
        QCOMPARE(g_BasePath, moved);
        QVERIFY(!g_Db.Updatable());
        QCOMPARE(errorOf([] { rsTypes.AddNew(); }), int(dao::ErrReadOnly));

        // A move that fails reopens the original as locked as it was.
        script.msgBox(vbOK);
        g_Db.Close();
        QVERIFY(!MoveBaseFile(file(QStringLiteral("no-such-folder/Moved.mdb"))));
        QCOMPARE(g_BasePath, moved);
        QVERIFY(!g_Db.Updatable());

        // So does a reopen that asks the password again.
        script.passwordBox(QString());
        QVERIFY(ReopenBaseAskPassword());
        QVERIFY(!g_Db.Updatable());
        QVERIFY2(script.ok(), script.report());

        // A base opened for editing stays writable through its move.
        OpenAndBindBase(moved, BuiltInConnect());
        g_Db.Close();
        QVERIFY(MoveBaseFile(file(QStringLiteral("locked/Edited.mdb"))));
        QVERIFY(g_Db.Updatable());
        QCOMPARE(errorOf([] { rsTypes.AddNew(); fldTypesType.setValue(QStringLiteral("Map")); rsTypes.Update(); }), 0);
    }

    void baseInAFolderThatCannotBeWrittenIsReadOnly()
    {
        // The base file may be written, its folder may not: every write
        // must be refused as read-only (3027), whichever window tries it.
        const QString dir = file(QStringLiteral("read-only-folder"));
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/base.cvb");
        makeBase(path);
        const QByteArray d = QFile::encodeName(dir);
        const QByteArray f = QFile::encodeName(path);
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(f.constData(), 0666) == 0);
        QVERIFY(::chmod(d.constData(), 0555) == 0);
        const int failed = runUnprivileged([&] {
            OpenAndBindBase(path, BuiltInConnect());
            if (g_Db.Updatable())
                return 1;
            if (errorOf([] { rsCGroup1.AddNew(); }) != dao::ErrReadOnly)
                return 2;
            rsTypes.MoveFirst();
            if (errorOf([] { rsTypes.Edit(); }) != dao::ErrReadOnly)
                return 3;
            if (errorOf([] { rsTypes.Delete(); }) != dao::ErrReadOnly)
                return 4;
            return rsTypes.RecordCount() == 13 ? 0 : 5;
        });
        QVERIFY(::chmod(d.constData(), 0755) == 0);
        QCOMPARE(failed, 0);
    }

    void sampleBaseFailuresShowAMessageNotTheMainWindow()
    {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QFile::remove(QStringLiteral("Corvane.mdb"));
        FakeMainWindow main;
        {
            DialogScript script;
            script.msgBox(vbOK);
            Forms::get<fChoix1>().Command1->click();
            QVERIFY2(script.ok(), script.report());
        }
        makeBase(QStringLiteral("Corvane.mdb"), QStringLiteral("not built-in"));
        {
            DialogScript script;
            script.msgBox(vbOK, QStringLiteral("Invalid Password !"));
            Forms::find<fChoix1>()->Command1->click();
            QVERIFY2(script.ok(), script.report());
            QCOMPARE(script.shown().first().buttons, int(vbExclamation));
        }
        {
            DialogScript script;
            script.msgBox(vbOK);
            QVERIFY(!OpenSampleBaseLocked());
        }
        QVERIFY(main.calls.isEmpty());
        QVERIFY(g_BasePath.isEmpty());
        QVERIFY(Forms::isLoaded<fChoix1>());
    }
};

QTEST_MAIN(TestBases)
#include "tst_bases.moc"
