// The main window on a real base: what its load shows, the five toggles
// clicked through the control library, the tab strip, the keyword list's
// scroll rule, "Close All", the menu tree, the search controls and a fresh
// state on every load.

#include "DaoErrors.h"
#include "DaoImpl.h"
#include "Dialogs.h"
#include "Form.h"
#include "InstallKeywords.h"
#include "ProgramState.h"
#include "MainWindowModes.h"
#include "MainWindowRules.h"
#include "OuvreBase.h"
#include "Screen.h"
#include "ShownText.h"
#include "PaintedTexts.h"
#include "Start.h"
#include "Twips.h"
#include "fCorvane.h"
#include "fGrid.h"
#include "Watchdog.h"
#include "WindowLinks.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using mainwindow::Toggle;

namespace {

QStringList g_hookLog;

struct RecordingBrowser : mainwindow::KeywordBrowserHooks {
    fCorvane *form = nullptr;
    void BindLinkRecordset() override { g_hookLog << QStringLiteral("Bind"); }
    void CollectRootKeywords() override { g_hookLog << QStringLiteral("Collect"); }
    void FillRootGrid(vb::FlexGrid *grid) override
    {
        g_hookLog << (grid == form->DownGrid[0] ? QStringLiteral("Fill DownGrid(0)") : QStringLiteral("Fill ?"));
    }
    void ResetNavigation() override { g_hookLog << QStringLiteral("Reset"); }
    void RefreshUpPane() override { g_hookLog << QStringLiteral("RefreshUp"); }
};

class CardForm : public vb::Form {
public:
    explicit CardForm(const QString &name, bool changed = false) : m_changed(changed)
    {
        setObjectName(name);
        setMdiChild(true);
    }

protected:
    void formQueryUnload(int &cancel, int) override
    {
        if (m_changed &&
            vb::MsgBox(QStringLiteral("The data have changed - do you want save?"), vb::vbOKCancel) == vb::vbCancel)
            cancel = 1;
    }

private:
    bool m_changed;
};

void addKeyword(const QString &k)
{
    rsCGroup1.AddNew();
    fldCGroup1Groupe.setValue(k);
    rsCGroup1.Update();
}

QStringList listRows(vb::FlexGrid *g)
{
    QStringList out;
    for (int i = 0; i < g->rows(); ++i)
        out << g->textMatrix(i, 0);
    return out;
}

// Geometry goes through whole pixels: 15 twips at 96 dpi.
bool near(double a, double b) { return qAbs(a - b) <= 15; }

void clickToggle(com::Control &c, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *w = c.widget();
    QTest::mouseClick(w, button, {}, w->rect().center());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void captionAndStatusFromAnotherFolder();
    void emptyBaseGetsNoKeyword();
    void keywordsInIndexOrder();
    void readOnlyEmptyBaseLoadsWithAnEmptyList();
    void updateRefusedAfterAddNewTakesTheReadOnlyRoad();
    void updateFailingAfterAddNewReportsItsOwnError();
    void loadCallsTheBrowserInOrder();
    void togglesThroughTheControlLibrary();
    void rightButtonSwitchesToo();
    void tabsShowOnePane();
    void keywordBroughtIntoView();
    void unmatchedKeywordKeepsTheCurrentRow();
    void labelsPaintAPrefixOfAHugeKeyword();
    void everyLoadStartsAfresh();
    void closeAllClosesEveryWindowButTheMain();
    void searchControlsRunTheirCommands();
    void referencesByKeywordShowsTheAllKeywordsTab();
    void menuTree();
    void centredOnTheScreen();

private:
    fCorvane &loadMain();
    void openBase(const QString &name, bool readOnly = false);
    void checkVisibleSet(fCorvane &f);

    QTemporaryDir m_dir;
    QString m_oldCwd;
    std::unique_ptr<vb::DialogScript> m_script;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_oldCwd = QDir::currentPath();
    QDir(m_dir.path()).mkdir(QStringLiteral("other"));
    QDir::setCurrent(m_dir.path());
    vb::Forms::setProgramEndHandler([] {});
    InstallKeywordWindows();
    mainwindow::setKeywordBrowserFactory([](fCorvane &f) {
        auto b = std::make_unique<RecordingBrowser>();
        b->form = &f;
        return b;
    });
}

void TestMainWindow::init()
{
    g_hookLog.clear();
    m_script = std::make_unique<vb::DialogScript>();
}

void TestMainWindow::cleanup()
{
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY2(m_script->ok(), m_script->report());
    m_script.reset();
}

void TestMainWindow::openBase(const QString &name, bool readOnly)
{
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("other/") + name);
    if (!QFile::exists(path))
        CreateKnowledgeBase(path, BuiltInConnect());
    if (readOnly)
        OpenAndBindBaseReadOnly(path, BuiltInConnect());
    else
        OpenAndBindBase(path, BuiltInConnect());
}

fCorvane &TestMainWindow::loadMain()
{
    fCorvane &f = vb::Forms::get<fCorvane>();
    f.show();
    return f;
}

void TestMainWindow::checkVisibleSet(fCorvane &f)
{
    const QSet<QString> visible = f.modes().visibleControls();
    for (const QString &name : mainwindow::MainWindowModes::allControls()) {
        QWidget *w = f.window()->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY2(w->isHidden() != visible.contains(name), qPrintable(name));
        if (mainwindow::MainWindowModes::isPane(name))
            QVERIFY2(w->isEnabled() == visible.contains(name), qPrintable(name));
    }
}

void TestMainWindow::captionAndStatusFromAnotherFolder()
{
    openBase(QStringLiteral("Caption.cvb"));
    fCorvane &f = loadMain();
    QCOMPARE(f.caption(), QStringLiteral("Corvane Studio - Caption.cvb"));
    QCOMPARE(f.StatusBar1->panelText(1), QStringLiteral("Caption.cvb"));
    // The shared path keeps the folder, so the base commands find the file.
    QCOMPARE(g_BasePath, QDir(m_dir.path()).filePath(QStringLiteral("other/Caption.cvb")));
    QVERIFY(QFileInfo(g_BasePath).isAbsolute());
    QCOMPARE(CardKind, QStringLiteral("Cit"));
    QVERIFY(f.OptionCit->isChecked());
    QCOMPARE(GridRows, QList<QStringList>{QStringList{QString()}});
}

void TestMainWindow::emptyBaseGetsNoKeyword()
{
    openBase(QStringLiteral("Empty.cvb"));
    QCOMPARE(rsCGroup1.RecordCount(), 0L);
    fCorvane &f = loadMain();
    QCOMPARE(rsCGroup1.RecordCount(), 1L);
    QCOMPARE(listRows(f.KWList), QStringList{QStringLiteral("No Keyword")});
    // Loaded again: the row is there already and is not added twice.
    f.unload();
    QCOMPARE(listRows(loadMain().KWList), QStringList{QStringLiteral("No Keyword")});
    QCOMPARE(rsCGroup1.RecordCount(), 1L);
}

void TestMainWindow::keywordsInIndexOrder()
{
    openBase(QStringLiteral("Order.cvb"));
    addKeyword(QStringLiteral("gamma"));
    addKeyword(QStringLiteral("Alpha"));
    addKeyword(QStringLiteral("beta"));
    fCorvane &f = loadMain();
    QCOMPARE(listRows(f.KWList), (QStringList{"Alpha", "beta", "gamma"}));
    QVERIFY(near(f.KWList->colWidth(0), 5000));
}

void TestMainWindow::readOnlyEmptyBaseLoadsWithAnEmptyList()
{
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("other/ReadOnly.cvb"));
    CreateKnowledgeBase(path, BuiltInConnect());
    openBase(QStringLiteral("ReadOnly.cvb"), true);
    fCorvane &f = loadMain(); // no message: the script expects none
    QVERIFY(f.isLoaded());
    QCOMPARE(f.KWList->rows(), 0);
    QCOMPARE(rsCGroup1.RecordCount(), 0L);
    QCOMPARE(f.caption(), QStringLiteral("Corvane Studio - ReadOnly.cvb"));
    // The layouts cope with the empty list.
    clickToggle(f.SwitchKW);
    clickToggle(f.SwitchDoubleBrowser);
    QCOMPARE(f.modes().mode(), mainwindow::Mode::KeywordDouble);
}

namespace {
// Runs SQL on the open base's own connection, below the recordsets, so that
// AddNew passes and the Update that follows is refused by the file.
void onOpenConnection(const char *sql)
{
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
}
} // namespace

void TestMainWindow::updateRefusedAfterAddNewTakesTheReadOnlyRoad()
{
    openBase(QStringLiteral("RefusesWrites.cvb"));
    onOpenConnection("PRAGMA query_only = 1");
    fCorvane &f = loadMain(); // no message: the script expects none
    QVERIFY(f.isLoaded());
    QCOMPARE(f.KWList->rows(), 0);
    QCOMPARE(rsCGroup1.RecordCount(), 0L);
    QCOMPARE(rsCGroup1.EditMode(), int(dao::dbEditNone));
    onOpenConnection("PRAGMA query_only = 0");
}

void TestMainWindow::updateFailingAfterAddNewReportsItsOwnError()
{
    openBase(QStringLiteral("RefusesRows.cvb"));
    // The program's connections run no triggers and make none: this one is
    // let to, for the refusal the test needs.
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    onOpenConnection("CREATE TEMP TRIGGER refuse BEFORE INSERT ON main.\"CGROUP1\" "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    m_script->msgBox(vb::vbOK);
    loadMain();
    // The engine's own error, not "Update without AddNew" from giving up a
    // row that the failed Update had given up already.
    QCOMPARE(m_script->shown().size(), 1);
    QVERIFY2(m_script->shown().first().prompt.startsWith(QStringLiteral("Run-time error '3022'")),
             qPrintable(m_script->shown().first().prompt));
    QCOMPARE(rsCGroup1.RecordCount(), 0L);
    QCOMPARE(rsCGroup1.EditMode(), int(dao::dbEditNone));
    onOpenConnection("DROP TRIGGER temp.refuse");
}

void TestMainWindow::loadCallsTheBrowserInOrder()
{
    openBase(QStringLiteral("Hooks.cvb"));
    loadMain();
    QCOMPARE(g_hookLog, (QStringList{"Bind", "Collect", "Fill DownGrid(0)", "Reset"}));
}

void TestMainWindow::togglesThroughTheControlLibrary()
{
    openBase(QStringLiteral("Toggles.cvb"));
    fCorvane &f = loadMain();
    QVERIFY(!f.SwitchKW.isNull());
    auto pos = [&](com::Control &c) { return c.get(Palvex_Ctl::DISPID_Position).toInt(); };
    auto positions = [&] {
        return QStringLiteral("%1%2%3 %4%5")
            .arg(pos(f.SwitchKW))
            .arg(pos(f.SwitchSearch))
            .arg(pos(f.SwitchOther))
            .arg(pos(f.SwitchSimpleBrowser))
            .arg(pos(f.SwitchDoubleBrowser));
    };
    QCOMPARE(positions(), QStringLiteral("101 01"));
    QVERIFY(!g_KWFrameHidden);
    checkVisibleSet(f);
    QVERIFY(near(vb::leftOf(f.FrameSearch), 5880));

    clickToggle(f.SwitchKW);
    QCOMPARE(positions(), QStringLiteral("011 01"));
    QVERIFY(g_KWFrameHidden);
    checkVisibleSet(f);
    QVERIFY(!f.DownUpPanel->isHidden());
    // The result window was shown on the press and hidden on the release.
    QVERIFY(vb::Forms::isLoaded<fGrid>());
    QVERIFY(!vb::Forms::find<fGrid>()->isVisible());
    QVERIFY(near(vb::leftOf(f.FrameKW), 2620));
    // The link editor's gaps: 500 twips on either side of its panel.
    const double x = qRound(vb::leftOf(f.AllKWPanel) + vb::widthOf(f.AllKWPanel));
    QVERIFY(near(vb::leftOf(f.cmdAddFromListUp), x));
    QVERIFY(qAbs(vb::leftOf(f.DownUpPanel) - (x + 500)) <= 15);
    QVERIFY(qAbs(vb::widthOf(f.Picture1) - (vb::leftOf(f.cmdSelFromUp) + 500)) <= 15);

    clickToggle(f.SwitchDoubleBrowser);
    QCOMPARE(positions(), QStringLiteral("011 10"));
    checkVisibleSet(f);
    QVERIFY(vb::leftOf(f.DownPanel) > vb::leftOf(f.AllKWPanel));
    QVERIFY(vb::leftOf(f.UpPanel) > vb::leftOf(f.DownPanel));
    QVERIFY(f.TabStrip1->isHidden());

    // Re-clicking the one that is down keeps it down.
    clickToggle(f.SwitchDoubleBrowser);
    QCOMPARE(positions(), QStringLiteral("011 10"));
    clickToggle(f.SwitchKW);
    QCOMPARE(positions(), QStringLiteral("011 01"));
    QCOMPARE(f.modes().mode(), mainwindow::Mode::KeywordSimple);

    clickToggle(f.SwitchSearch);
    QCOMPARE(positions().left(3), QStringLiteral("101"));
    QVERIFY(!g_KWFrameHidden);
    checkVisibleSet(f);
    QVERIFY(near(vb::leftOf(f.FrameSearch), 5940));
    QVERIFY(vb::Forms::find<fGrid>()->isVisible());
    QCOMPARE(vb::widthOf(f.Picture1), double(vb::twipsX(vb::pixelsX(2350))));

    clickToggle(f.SwitchOther);
    QCOMPARE(positions().left(3), QStringLiteral("110"));
    clickToggle(f.SwitchOther);
    QCOMPARE(positions().left(3), QStringLiteral("110"));
    checkVisibleSet(f);
    QVERIFY(!f.FrameOther->isHidden());
    QVERIFY(f.FrameSearch->isHidden());
}

void TestMainWindow::rightButtonSwitchesToo()
{
    openBase(QStringLiteral("Right.cvb"));
    fCorvane &f = loadMain();
    clickToggle(f.SwitchOther, Qt::RightButton);
    QCOMPARE(f.SwitchOther.get(Palvex_Ctl::DISPID_Position).toInt(), 0);
    QCOMPARE(f.SwitchSearch.get(Palvex_Ctl::DISPID_Position).toInt(), 1);
    QCOMPARE(f.modes().mode(), mainwindow::Mode::Other);
    checkVisibleSet(f);
}

void TestMainWindow::tabsShowOnePane()
{
    openBase(QStringLiteral("Tabs.cvb"));
    fCorvane &f = loadMain();
    QCOMPARE(f.TabStrip1->tabCaption(1), QStringLiteral("Down Links,"));
    QCOMPARE(f.TabStrip1->tabCaption(3), QStringLiteral("  All Keywords   "));
    QCOMPARE(f.TabStrip1->tabToolTipText(2), QStringLiteral("displays the supersets or the selected Keyword"));
    g_hookLog.clear();
    f.TabStrip1->setSelectedIndex(2);
    QCOMPARE(g_hookLog, QStringList{"RefreshUp"});
    QVERIFY(!f.UpPanel->isHidden() && f.UpPanel->isEnabled());
    QVERIFY(f.DownPanel->isHidden() && !f.DownPanel->isEnabled());
    checkVisibleSet(f);
    f.TabStrip1->setSelectedIndex(3);
    QVERIFY(!f.AllKWPanel->isHidden() && f.AllKWPanel->isEnabled());
    QVERIFY(f.UpPanel->isHidden());
    QCOMPARE(g_hookLog, QStringList{"RefreshUp"});
    // The up pane sits 2000 twips below the down pane.
    QVERIFY(qAbs(vb::topOf(f.UpPanel) - vb::topOf(f.DownPanel) - 2000) <= 15);
    QCOMPARE(f.GridUp->toolTip(), QStringLiteral("  Double-click on a Set makes it the central Set  "));
}

void TestMainWindow::keywordBroughtIntoView()
{
    openBase(QStringLiteral("Scroll.cvb"));
    for (int i = 0; i < 20; ++i)
        addKeyword(QStringLiteral("kw%1").arg(i, 2, 10, QLatin1Char('0')));
    fCorvane &f = loadMain();
    clickToggle(f.SwitchKW); // the list in view, nothing selected yet
    QCoreApplication::processEvents();
    // Twelve and a half rows in view: row 13 shows with row 2 on top.
    const int overhead = f.KWList->height() - f.KWList->viewport()->height();
    f.KWList->resize(f.KWList->width(), overhead + f.KWList->rowHeight(0) * 25 / 2);
    QCoreApplication::processEvents();
    QCOMPARE(f.KWList->rows(), 20);
    f.KWSel->setText(QStringLiteral("kw10"));
    clickToggle(f.SwitchSimpleBrowser);
    QCOMPARE(f.KWList->row(), 10);
    QCOMPARE(f.KWList->topRow(), 7);
    f.KWSel->setText(QStringLiteral("kw15"));
    clickToggle(f.SwitchDoubleBrowser);
    QCOMPARE(f.KWList->row(), 15);
    QCOMPARE(f.KWList->topRow(), 8);
    f.KWList->setTopRow(2);
    f.KWSel->setText(QStringLiteral("kw13"));
    clickToggle(f.SwitchSimpleBrowser);
    QCOMPARE(f.KWList->row(), 13);
    QCOMPARE(f.KWList->topRow(), 2);
}

void TestMainWindow::unmatchedKeywordKeepsTheCurrentRow()
{
    openBase(QStringLiteral("NoMatch.cvb"));
    for (const char *k : {"a", "b", "c", "d"})
        addKeyword(QString::fromLatin1(k));
    fCorvane &f = loadMain();
    f.KWList->setRow(1);
    f.KWSel->setText(QStringLiteral("zzz"));
    clickToggle(f.SwitchKW);
    // The link editor's add buttons take this row: it must stay the user's.
    QCOMPARE(f.KWList->row(), 1);
}

// The labels that show the chosen keyword: a keyword of a million
// characters (a base made elsewhere) paints as a prefix without a freeze,
// and the label keeps it whole for what reads it.
void TestMainWindow::labelsPaintAPrefixOfAHugeKeyword()
{
    openBase(QStringLiteral("Huge.cvb"));
    fCorvane &f = loadMain();
    const QString huge = painted::hugeText(1000000);
    for (QLabel *l : {f.KWSel, f.KWSel2, f.SelUpDown, f.Label4, f.Label5}) {
        l->setText(huge);
        painted::TextSurface surface(l->size().expandedTo(QSize(1, 1)));
        {
            Watchdog dog(("label " + l->objectName() + " with a keyword of a million characters").toStdString(), 120);
            l->render(&surface);
        }
        QVERIFY2(surface.texts() > 0, qPrintable(l->objectName()));
        QVERIFY2(surface.characters() <= vb::kShownChars + 1, qPrintable(l->objectName()));
        QVERIFY(l->text() == huge);
    }
}

void TestMainWindow::everyLoadStartsAfresh()
{
    openBase(QStringLiteral("Fresh.cvb"));
    fCorvane *f = &loadMain();
    clickToggle(f->SwitchKW);
    clickToggle(f->SwitchDoubleBrowser);
    QVERIFY(g_KWFrameHidden);
    f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    g_hookLog.clear();
    f = &loadMain();
    QVERIFY(!g_KWFrameHidden);
    QCOMPARE(f->modes().mode(), mainwindow::Mode::Search);
    QCOMPARE(f->SwitchSearch.get(Palvex_Ctl::DISPID_Position).toInt(), 0);
    QCOMPARE(f->SwitchDoubleBrowser.get(Palvex_Ctl::DISPID_Position).toInt(), 1);
    QVERIFY(g_hookLog.contains(QStringLiteral("Reset")));
    checkVisibleSet(*f);
}

void TestMainWindow::closeAllClosesEveryWindowButTheMain()
{
    openBase(QStringLiteral("Close.cvb"));
    fCorvane &f = loadMain();
    auto *card1 = new CardForm(QStringLiteral("card1"));
    card1->show();
    f.menuItem(QStringLiteral("mCloseAll"))->trigger();
    QVERIFY(!card1->isLoaded()); // the first window after the main window too
    QCOMPARE(vb::Forms::count(), 1);

    // A changed card asks; refusing keeps it and the windows opened before it.
    auto *card2 = new CardForm(QStringLiteral("card2"));
    auto *changed = new CardForm(QStringLiteral("changed"), true);
    auto *card3 = new CardForm(QStringLiteral("card3"));
    for (CardForm *c : {card2, changed, card3})
        c->show();
    m_script->msgBox(vb::vbCancel, QStringLiteral("The data have changed - do you want save?"));
    f.menuItem(QStringLiteral("mCloseAll"))->trigger();
    QVERIFY(!card3->isLoaded());
    QVERIFY(changed->isLoaded());
    QVERIFY(card2->isLoaded());
    m_script->msgBox(vb::vbOK, QStringLiteral("The data have changed - do you want save?"));
    f.menuItem(QStringLiteral("mCloseAll"))->trigger();
    QCOMPARE(vb::Forms::count(), 1);
    QVERIFY(f.isLoaded());
}

void TestMainWindow::menuTree()
{
    openBase(QStringLiteral("Menus.cvb"));
    fCorvane &f = loadMain();
    QStringList tops;
    for (QAction *a : f.window()->menuBar()->actions())
        tops << a->text();
    QCOMPARE(tops, (QStringList{"&Database", "&DataType", "&New", "&Edit", "&Keywords", "Search Word in Text",
                                "Windows", "&?"}));
    QStringList db;
    for (QAction *a : f.menu(QStringLiteral("mDatabase"))->actions())
        db << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(db, (QStringList{"&Load", "&New", "-", "&Import", "-", "&Save As...", "-", "&Quit"}));
    QCOMPARE(f.menuItem(QStringLiteral("mQuit"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Ctrl+Q is the only shortcut.
    for (QAction *a : f.window()->findChildren<QAction *>())
        if (a != f.menuItem(QStringLiteral("mQuit")))
            QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->objectName()));
    QVERIFY(f.menu(QStringLiteral("mEdit"))->actions().isEmpty());
    QVERIFY(!f.menuItem(QStringLiteral("mEdit"))->isEnabled());
    QCOMPARE(f.menuItem(QStringLiteral("mCitOpenDate"))->text(), QStringLiteral("by &Date"));
    QCOMPARE(f.menuItem(QStringLiteral("GridKWText2"))->text(), QStringLiteral("display Grid"));
    QCOMPARE(f.menuItem(QStringLiteral("mCopyright"))->text(), QStringLiteral("&About"));
    QStringList windows;
    for (QAction *a : f.menu(QStringLiteral("mWindows"))->actions())
        windows << a->text();
    QCOMPARE(windows.mid(0, 3), (QStringList{"Cascade", "Arrange Icons", "Close All"}));

    // A quote is made from its reference only.
    m_script->msgBox(vb::vbOK, QStringLiteral("Please select or create a Reference, then run the Add Quote button "
                                              "from it"));
    f.menuItem(QStringLiteral("mCitNew"))->trigger();

    // The keyword windows open as windows of the main window.
    f.menuItem(QStringLiteral("mKWList"))->trigger();
    f.menuItem(QStringLiteral("mKWStruct"))->trigger();
    QCOMPARE(f.children().size(), 2);
}

void TestMainWindow::searchControlsRunTheirCommands()
{
    openBase(QStringLiteral("Search.cvb"));
    rsCit.AddNew();
    fldCitCit.setValue(QStringLiteral("QUOT001.TXT"));
    fldCitNdx.setValue(QStringLiteral("Ref_001"));
    rsCit.Update();
    fCorvane &f = loadMain();
    const WindowLinks saved = windowLinks();
    QStringList calls;
    windowLinks().searchQuotesByWord = [&] { calls << QStringLiteral("quotes ") + f.TextSearch->text(); };
    windowLinks().listCitsByDate = [&] { calls << QStringLiteral("quotes by date"); };
    windowLinks().listRefsByDate = [&] { calls << QStringLiteral("references by date"); };

    // Enter and "Go" in the text box, with the quotes option of the load.
    QTest::keyClicks(f.TextSearch, QStringLiteral("ab"));
    m_script->msgBox(vb::vbOK, QStringLiteral("You cannot search less than 3 characters"));
    QTest::keyClick(f.TextSearch, Qt::Key_Return);
    QTest::keyClicks(f.TextSearch, QStringLiteral("c"));
    QTest::keyClick(f.TextSearch, Qt::Key_Return);
    QTest::mouseClick(f.CommandSearchText, Qt::LeftButton);

    // "Date" lists at once, whatever the toggles; the references option
    // then lists the references by date, as the other search is down.
    f.toggleMouseDown(Toggle::Other);
    f.toggleMouseUp(Toggle::Other);
    QTest::mouseClick(f.OptionByDate, Qt::LeftButton, {}, QPoint(4, f.OptionByDate->height() / 2));
    QTest::mouseClick(f.OptionRef, Qt::LeftButton, {}, QPoint(4, f.OptionRef->height() / 2));
    QCOMPARE(CardKind, QStringLiteral("Bib"));
    QTest::mouseClick(f.CommandSearchOther, Qt::LeftButton);
    windowLinks() = saved;
    QCOMPARE(calls, (QStringList{"quotes abc", "quotes abc", "quotes by date", "references by date",
                                 "references by date"}));
}

void TestMainWindow::referencesByKeywordShowsTheAllKeywordsTab()
{
    openBase(QStringLiteral("Tab.cvb"));
    fCorvane &f = loadMain();
    QCOMPARE(f.TabStrip1->selectedIndex(), 1);
    f.menuItem(QStringLiteral("mBibOpenKW"))->trigger();
    QCOMPARE(f.TabStrip1->selectedIndex(), 3);
    QVERIFY(!f.AllKWPanel->isHidden());
    QVERIFY(f.DownPanel->isHidden());
    // In a browser layout the keyword list is there already: nothing moves.
    f.toggleMouseDown(Toggle::KW);
    f.toggleMouseUp(Toggle::KW);
    const QSet<QString> before = f.modes().visibleControls();
    f.menuItem(QStringLiteral("mBibOpenKW"))->trigger();
    QCOMPARE(f.modes().visibleControls(), before);
    checkVisibleSet(f);
}

void TestMainWindow::centredOnTheScreen()
{
    openBase(QStringLiteral("Centre.cvb"));
    fCorvane &f = loadMain();
    const int expected = mainwindow::centredOffset(vb::Screen::width(), f.width());
    QVERIFY2(qAbs(f.left() - expected) <= 30, qPrintable(QString::number(f.left())));
    QVERIFY(qAbs(f.width() - 11730) <= 30);
}

QTEST_MAIN(TestMainWindow)
#include "tst_fcorvane.moc"
