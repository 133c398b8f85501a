// The start-up road: the name of each start's base, the splash animation,
// the base it creates and a start that cannot create its base.

#include "DaoErrors.h"
#include "Dialogs.h"
#include "OuvreBase.h"
#include "StartUp.h"
#include "StorageTestUtil.h"
#include "Tabdef.h"
#include "fDebut.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vb;

namespace {

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// Answers message boxes while letting timers run, as a real modal box does.
class SpinningHandler : public DialogHandler {
public:
    QStringList prompts;
    DialogAnswer answer(const DialogRequest &r) override
    {
        prompts << r.prompt;
        QTest::qWait(80);
        return DialogAnswer::result(vbOK);
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    int m_ends = 0;
    QString m_home;

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

    void startBaseNumbering()
    {
        QTemporaryDir dir;
        QCOMPARE(FirstFreeStartBaseNumber(dir.path()), 1);
        for (int n = 1; n <= 4; ++n)
            touch(dir.filePath(StartBaseName(n)));
        QCOMPARE(FirstFreeStartBaseNumber(dir.path()), 5);

        QTemporaryDir gap;
        touch(gap.filePath(QStringLiteral("NewBase002.cvb")));
        QCOMPARE(FirstFreeStartBaseNumber(gap.path()), 1);

        // Another letter case is another name here.
        QTemporaryDir other;
        touch(other.filePath(QStringLiteral("newbase001.cvb")));
        QCOMPARE(FirstFreeStartBaseNumber(other.path()), 1);
        // A folder of that name is no free name: the creation would fail on it.
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("NewBase001.cvb")));
        QCOMPARE(FirstFreeStartBaseNumber(other.path()), 2);
    }

    void thousandthStartBaseHasFourDigits()
    {
        QCOMPARE(StartBaseName(7), QStringLiteral("NewBase007.cvb"));
        QTemporaryDir dir;
        for (int n = 1; n <= 999; ++n)
            touch(dir.filePath(StartBaseName(n)));
        QCOMPARE(FirstFreeStartBaseNumber(dir.path()), 1000);
        QCOMPARE(StartBaseName(1000), QStringLiteral("NewBase1000.cvb"));
    }

    void splashAnimation()
    {
        SplashAnimation a;
        // Picture 1440 x 1000 at (2280, 480): centre (3000, 980).
        a.start(QRect(2280, 480, 1440, 1000), 1200, 1500);
        QCOMPARE(a.picture(), QRect(3000, 980, 0, 0));
        QVERIFY(!a.label1Visible() && !a.label2Visible());
        QCOMPARE(a.label1Left(), 0);

        int endedAt = -1;
        for (int call = 0; call < 200; ++call) {
            const int t = a.ticks();
            if (a.tick()) {
                QCOMPARE(endedAt, -1);
                endedAt = call;
            }
            if (t == 7) {
                // Six sevenths of the design size, around its centre.
                QCOMPARE(a.picture().size(), QSize(1440 * 6 / 7, 1000 * 6 / 7));
                QCOMPARE(a.picture().left(), 3000 - (1440 * 6 / 7) / 2);
                QCOMPARE(a.picture().top(), 980 - (1000 * 6 / 7) / 2);
            }
            if (t == 8)
                QVERIFY(a.label2Visible() && !a.label1Visible());
            if (t == 10)
                QVERIFY(!a.label1Visible());
            if (t == 11)
                QVERIFY(a.label1Visible());
        }
        // 65 ticks, 0 to 64, and the end comes once only.
        QCOMPARE(endedAt, 64);
        QCOMPARE(a.ticks(), 64);
        // The labels stop at their design Left less its remainder by 7.
        QCOMPARE(a.label1Left(), 1200 / 7 * 7);
        QCOMPARE(a.label2Left(), 1498);
    }

    void startCreatesAnEncryptedBoundBase()
    {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("NewBase001.cvb")));
        QVERIFY(QDir::setCurrent(dir.path()));
        FakeMainWindow main;
        DialogScript script;

        Main();
        fDebut *splash = Forms::find<fDebut>();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->caption(), QStringLiteral("Debut"));
        QCOMPARE(splash->Timer1->interval(), 10);
        for (int i = 0; i < 64; ++i)
            splash->Timer1_Timer();
        QVERIFY(main.calls.isEmpty());
        splash->Timer1_Timer();
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QVERIFY(!Forms::isLoaded<fDebut>());
        QVERIFY(script.ok());

        const QString path = dir.filePath(QStringLiteral("NewBase002.cvb"));
        QCOMPARE(g_BasePath, path);
        QCOMPARE(g_Connect, QStringLiteral(";pwd=Qv47Tz28"));
        QCOMPARE(g_Db.TableDefs().Count(), 20);
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QVERIFY(!rsNote.isNothing());

        // Encrypted, with the built-in password alone.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.read(16).startsWith("SQLite format 3"));
        f.close();
        QCOMPARE(errorOf([&] { dao::DBEngine::OpenDatabase(path, false, false, QStringLiteral(";pwd=x")); }),
                 int(dao::ErrInvalidPassword));
        dao::Database again = dao::DBEngine::OpenDatabase(path, false, false, BuiltInConnect());
        QCOMPARE(again.TableDefs().Count(), 20);
        again.Close();
    }

    void eachStartLeavesOneMoreBase()
    {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        FakeMainWindow main;
        for (int start = 1; start <= 2; ++start) {
            Forms::get<fDebut>();
            fDebut *splash = Forms::find<fDebut>();
            for (int i = 0; i <= 64; ++i)
                splash->Timer1_Timer();
            QCOMPARE(FileNameOfPath(g_BasePath), StartBaseName(start));
            QCoreApplication::processEvents();
        }
        QVERIFY(QFile::exists(dir.filePath(StartBaseName(1))));
        QVERIFY(QFile::exists(dir.filePath(StartBaseName(2))));
    }

    void startThatCannotCreateEndsOnceWithItsReason()
    {
        // Nothing can be created in /proc, not even by root.
        QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
        FakeMainWindow main;
        SpinningHandler handler;
        DialogHandler *previous = setDialogHandler(&handler);
        const int ends = m_ends;

        Main();
        QVERIFY(Forms::isLoaded<fDebut>());
        // The real timer drives it; the message box lets timers run.
        QTRY_VERIFY_WITH_TIMEOUT(!handler.prompts.isEmpty(), 60000);
        QTest::qWait(200);
        setDialogHandler(previous);

        QCOMPARE(handler.prompts.size(), 1);
        QVERIFY(!handler.prompts.first().isEmpty());
        QCOMPARE(m_ends, ends + 1);
        QVERIFY(main.calls.isEmpty());
        QVERIFY(g_Db.isNothing());
        QVERIFY(g_BasePath.isEmpty());
        QVERIFY(!Forms::isLoaded<fDebut>());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
