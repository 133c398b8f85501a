// The Database menu's sequences: card windows are unloaded (each changed card
// asking) before the base closes, a card that refuses stops the command,
// and the Save As and Import failure roads end with a usable program.

#include "BaseCommands.h"
#include "Dialogs.h"
#include "Error.h"
#include "Form.h"
#include "InstallMainWindowLink.h"

#include <QtTest>

using namespace mainwindow;

namespace {

QStringList g_log;

struct FakeServices : BaseServices {
    bool cardsClose = true;
    bool mainLoaded = true;
    QString pickedName = QStringLiteral("/tmp/elsewhere/New.cvb");
    bool moveSucceeds = true;
    bool importFails = false;
    bool importChanges = true;
    bool reopenFails = false;

    bool unloadCardWindows() override
    {
        g_log << QStringLiteral("cards");
        return cardsClose;
    }
    void closeBase() override { g_log << QStringLiteral("close base"); }
    bool isMainWindowLoaded() override { return mainLoaded; }
    void hideMainWindow() override { g_log << QStringLiteral("hide main"); }
    void unloadMainWindow() override
    {
        g_log << QStringLiteral("unload main");
        mainLoaded = false;
    }
    void showMainWindow() override
    {
        g_log << QStringLiteral("show main");
        mainLoaded = true;
    }
    void showWelcome() override { g_log << QStringLiteral("welcome"); }
    QString pickNewBaseFileName() override
    {
        g_log << QStringLiteral("pick");
        return pickedName;
    }
    bool moveBaseFile(const QString &p) override
    {
        g_log << QStringLiteral("move ") + p;
        return moveSucceeds;
    }
    bool importBase() override
    {
        g_log << QStringLiteral("import");
        if (importFails)
            vb::raise(3051, QStringLiteral("cannot open the source"));
        return importChanges;
    }
    void reopenBase() override
    {
        g_log << QStringLiteral("reopen");
        if (reopenFails)
            vb::raise(3031, QStringLiteral("Not a valid password."));
    }
    void endProgram() override { g_log << QStringLiteral("end"); }
};

// A card window: a changed one asks in its QueryUnload and stores on OK,
// noting whether its base was still open then.
class CardForm : public vb::Form {
public:
    CardForm(QString name, bool changed, bool *baseOpen)
        : m_changed(changed), m_baseOpen(baseOpen)
    {
        setObjectName(name);
        setMdiChild(true);
    }

protected:
    void formQueryUnload(int &cancel, int) override
    {
        g_log << name() + QStringLiteral(" asked");
        if (!m_changed)
            return;
        const int r = vb::MsgBox(QStringLiteral("The data have changed - do you want save?"),
                                 vb::vbYesNoCancel);
        if (r == vb::vbCancel)
            cancel = 1;
        else if (r == vb::vbYes)
            g_log << name() + (*m_baseOpen ? QStringLiteral(" stored") : QStringLiteral(" lost"));
    }

private:
    bool m_changed;
    bool *m_baseOpen;
};

// Real card windows behind the fake's other services.
struct CardWindowServices : FakeServices {
    bool baseOpen = true;
    bool unloadCardWindows() override
    {
        g_log << QStringLiteral("cards");
        return UnloadCardWindows();
    }
    void closeBase() override
    {
        g_log << QStringLiteral("close base");
        baseOpen = false;
    }
};

} // namespace

class TestBaseCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void load();
    void loadStopsWhenACardRefuses();
    void newOnlyShowsTheWelcome();
    void saveAsPicksFirst();
    void saveAsCancelledClosesNothing();
    void saveAsFailedMoveKeepsAWindow();
    void importReopensWithItsKey();
    void importReopenFailureGoesToTheWelcome();
    void importFailureBringsTheWindowBack();
    void importThatChangedNothingKeepsTheWindow();
    void quitAsksTheCardsFirst();
    void changedCardIsStoredBeforeTheBaseCloses();
    void cancelledCardKeepsEverything();
    void noServicesRaises();
};

void TestBaseCommands::init()
{
    g_log.clear();
    vb::Forms::setProgramEndHandler([] {});
}

void TestBaseCommands::load()
{
    FakeServices s;
    LoadAnotherBase(s);
    QCOMPARE(g_log, (QStringList{"cards", "close base", "unload main", "welcome"}));
}

void TestBaseCommands::loadStopsWhenACardRefuses()
{
    FakeServices s;
    s.cardsClose = false;
    LoadAnotherBase(s);
    SaveBaseAs(s);
    ImportIntoBase(s);
    QuitProgram(s);
    QCOMPARE(g_log, (QStringList{"cards", "pick", "cards", "cards", "cards"}));
}

void TestBaseCommands::newOnlyShowsTheWelcome()
{
    FakeServices s;
    ShowNewBaseWelcome(s);
    QCOMPARE(g_log, QStringList{"welcome"});
}

void TestBaseCommands::saveAsPicksFirst()
{
    FakeServices s;
    SaveBaseAs(s);
    QCOMPARE(g_log, (QStringList{"pick", "cards", "close base", "unload main", "move /tmp/elsewhere/New.cvb"}));
}

void TestBaseCommands::saveAsCancelledClosesNothing()
{
    FakeServices s;
    s.pickedName.clear();
    SaveBaseAs(s);
    QCOMPARE(g_log, QStringList{"pick"});
}

void TestBaseCommands::saveAsFailedMoveKeepsAWindow()
{
    // The move reopens the original and shows the window itself; the
    // command adds nothing after it.
    FakeServices s;
    s.moveSucceeds = false;
    SaveBaseAs(s);
    QCOMPARE(g_log.last(), QStringLiteral("move /tmp/elsewhere/New.cvb"));
}

void TestBaseCommands::importReopensWithItsKey()
{
    FakeServices s;
    vb::DialogScript script; // no password is asked
    ImportIntoBase(s);
    QCOMPARE(g_log, (QStringList{"cards", "hide main", "import", "unload main", "close base", "reopen",
                                 "show main"}));
    QVERIFY2(script.ok(), script.report());
}

void TestBaseCommands::importReopenFailureGoesToTheWelcome()
{
    FakeServices s;
    s.reopenFails = true;
    vb::DialogScript script;
    script.msgBox(vb::vbOK, reopenFailedMessage(QStringLiteral("Not a valid password.")));
    ImportIntoBase(s);
    QVERIFY2(script.ok(), script.report());
    QCOMPARE(g_log.mid(5), (QStringList{"reopen", "welcome"}));
    QVERIFY(!g_log.contains(QStringLiteral("show main")));
}

void TestBaseCommands::importFailureBringsTheWindowBack()
{
    FakeServices s;
    s.importFails = true;
    bool raised = false;
    try {
        ImportIntoBase(s);
    } catch (const vb::Error &e) {
        raised = e.number() == 3051;
    }
    QVERIFY(raised);
    QCOMPARE(g_log, (QStringList{"cards", "hide main", "import", "show main"}));
}

void TestBaseCommands::importThatChangedNothingKeepsTheWindow()
{
    // A cancelled choice or an import undone: the base is not closed and the
    // hidden window comes back as it was.
    FakeServices s;
    s.importChanges = false;
    ImportIntoBase(s);
    QCOMPARE(g_log, (QStringList{"cards", "hide main", "import", "show main"}));
    QVERIFY(s.mainLoaded);
}

void TestBaseCommands::quitAsksTheCardsFirst()
{
    FakeServices s;
    QuitProgram(s);
    QCOMPARE(g_log, (QStringList{"cards", "close base", "end"}));
}

void TestBaseCommands::changedCardIsStoredBeforeTheBaseCloses()
{
    CardWindowServices s;
    auto *a = new CardForm(QStringLiteral("cardA"), false, &s.baseOpen);
    auto *b = new CardForm(QStringLiteral("cardB"), true, &s.baseOpen);
    a->load();
    b->load();
    vb::DialogScript script;
    script.msgBox(vb::vbYes, QStringLiteral("The data have changed - do you want save?"));
    LoadAnotherBase(s);
    QVERIFY2(script.ok(), script.report());
    QCOMPARE(g_log, (QStringList{"cards", "cardA asked", "cardB asked", "cardB stored", "close base",
                                 "unload main", "welcome"}));
    QVERIFY(!a->isLoaded());
    QVERIFY(!b->isLoaded());
}

void TestBaseCommands::cancelledCardKeepsEverything()
{
    CardWindowServices s;
    auto *a = new CardForm(QStringLiteral("cardA"), true, &s.baseOpen);
    auto *b = new CardForm(QStringLiteral("cardB"), false, &s.baseOpen);
    a->load();
    b->load();
    vb::DialogScript script;
    script.msgBox(vb::vbCancel);
    QuitProgram(s);
    QVERIFY2(script.ok(), script.report());
    QCOMPARE(g_log, (QStringList{"cards", "cardA asked"}));
    QVERIFY(a->isLoaded());
    QVERIFY(b->isLoaded());
    QVERIFY(s.baseOpen);
    vb::DialogScript after;
    after.msgBox(vb::vbNo);
    QVERIFY(a->unload());
    QVERIFY(b->unload());
    QVERIFY2(after.ok(), after.report());
}

void TestBaseCommands::noServicesRaises()
{
    setBaseServices(nullptr);
    bool raised = false;
    try {
        baseServices();
    } catch (const vb::Error &) {
        raised = true;
    }
    QVERIFY(raised);
}

QTEST_MAIN(TestBaseCommands)
#include "tst_basecommands.moc"
