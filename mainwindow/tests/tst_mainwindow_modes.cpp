// The mode toggles and browser toggles as a state machine: the positions
// they are left in and the controls each mode shows, after sequences of
// clicks (a click is a press then a release).

#include "MainWindowModes.h"

#include <QtTest>

using namespace mainwindow;

namespace {

ToggleEffect click(MainWindowModes &m, Toggle t)
{
    m.mouseDown(t);
    return m.mouseUp(t);
}

QString positions(const MainWindowModes &m)
{
    return QStringLiteral("K%1 S%2 O%3 Sb%4 Db%5")
        .arg(m.position(Toggle::KW))
        .arg(m.position(Toggle::Search))
        .arg(m.position(Toggle::Other))
        .arg(m.position(Toggle::SimpleBrowser))
        .arg(m.position(Toggle::DoubleBrowser));
}

QSet<QString> names(std::initializer_list<const char *> list)
{
    QSet<QString> s;
    for (const char *n : list)
        s << QString::fromLatin1(n);
    return s;
}

const QSet<QString> kSearchTab1 = names(
    {"FrameFile", "FrameSearch", "TabStrip1", "OptionNote", "OptionCit", "OptionRef", "DownPanel", "KWSel2"});
const QSet<QString> kSimple =
    names({"FrameKW", "AllKWPanel", "KWSel", "DownUpPanel", "cmdAddFromListUp", "cmdAddFromListDown",
           "cmdFindIfLinks", "cmdSelFromUp", "cmdSelFromDown", "cmdSuppFromListUp", "cmdSuppFromListDown"});
// cmdReverseSearch, without an action, stays as the simple layout left it.
const QSet<QString> kDouble = names({"FrameKW", "AllKWPanel", "DownPanel", "UpPanel", "cmdSearchUp",
                                     "Label1", "KWSel", "KWSel2"});

} // namespace

class TestModes : public QObject {
    Q_OBJECT
private slots:
    void designState();
    void keywordModeAndBack();
    void reclickingTheDownToggleKeepsItDown_data();
    void reclickingTheDownToggleKeepsItDown();
    void browserPairShowsTheLayoutInForce();
    void otherModeAppliesTabsOnPress();
    void tabsPickTheOnePane();
    void pressOfKeyWordsChangesOnlyTheFrames();
    void pressOfSearchHidesThePanes();
    void everyModeHasAKnownSet();
};

void TestModes::designState()
{
    MainWindowModes m;
    QCOMPARE(positions(m), QStringLiteral("K1 S0 O1 Sb0 Db1"));
    QCOMPARE(m.mode(), Mode::Search);
    QVERIFY(!m.kwFrameHidden());
    QCOMPARE(m.visibleControls(), kSearchTab1);
}

void TestModes::keywordModeAndBack()
{
    MainWindowModes m;
    ToggleEffect e = click(m, Toggle::KW);
    QCOMPARE(positions(m), QStringLiteral("K0 S1 O1 Sb0 Db1"));
    QCOMPARE(e.layout, Layout::SimpleBrowser);
    QCOMPARE(e.resultWindow, ResultWindow::Hide);
    QVERIFY(m.kwFrameHidden());
    QCOMPARE(m.visibleControls(), kSimple);

    e = click(m, Toggle::DoubleBrowser);
    QCOMPARE(positions(m), QStringLiteral("K0 S1 O1 Sb1 Db0"));
    QCOMPARE(e.layout, Layout::DoubleBrowser);
    QCOMPARE(e.resultWindow, ResultWindow::Unchanged);
    QCOMPARE(m.visibleControls(), kDouble);
    QCOMPARE(m.mode(), Mode::KeywordDouble);

    e = click(m, Toggle::Search);
    QCOMPARE(positions(m).left(8), QStringLiteral("K1 S0 O1"));
    QCOMPARE(e.layout, Layout::Tabs);
    QVERIFY(!m.kwFrameHidden());
    QCOMPARE(m.visibleControls(), kSearchTab1);

    e = click(m, Toggle::Other);
    QCOMPARE(positions(m).left(8), QStringLiteral("K1 S1 O0"));
    QSet<QString> other = kSearchTab1;
    other.remove(QStringLiteral("FrameSearch"));
    other << QStringLiteral("FrameOther");
    QCOMPARE(m.visibleControls(), other);
}

void TestModes::reclickingTheDownToggleKeepsItDown_data()
{
    QTest::addColumn<int>("toggle");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("layout");
    QTest::newRow("Search") << int(Toggle::Search) << "K1 S0 O1" << int(Layout::Tabs);
    QTest::newRow("Other") << int(Toggle::Other) << "K1 S1 O0" << int(Layout::Tabs);
    QTest::newRow("KeyWords") << int(Toggle::KW) << "K0 S1 O1" << int(Layout::SimpleBrowser);
}

void TestModes::reclickingTheDownToggleKeepsItDown()
{
    QFETCH(int, toggle);
    QFETCH(QString, expected);
    QFETCH(int, layout);
    MainWindowModes m;
    click(m, Toggle(toggle));
    const QSet<QString> once = m.visibleControls();
    // The control flips a Switch on release; the handler puts it back.
    const ToggleEffect e = click(m, Toggle(toggle));
    QCOMPARE(positions(m).left(8), expected);
    QCOMPARE(int(e.layout), layout); // applied again
    QCOMPARE(m.visibleControls(), once);
}

void TestModes::browserPairShowsTheLayoutInForce()
{
    MainWindowModes m;
    click(m, Toggle::KW);
    click(m, Toggle::DoubleBrowser);
    click(m, Toggle::DoubleBrowser);
    QCOMPARE(positions(m).right(7), QStringLiteral("Sb1 Db0"));
    click(m, Toggle::SimpleBrowser);
    QCOMPARE(positions(m).right(7), QStringLiteral("Sb0 Db1"));
    QCOMPARE(m.visibleControls(), kSimple);

    // Back to keyword mode after the double browser: the release opens the
    // simple browser, and the pair follows.
    click(m, Toggle::DoubleBrowser);
    click(m, Toggle::Search);
    const ToggleEffect e = click(m, Toggle::KW);
    QCOMPARE(e.layout, Layout::SimpleBrowser);
    QCOMPARE(positions(m), QStringLiteral("K0 S1 O1 Sb0 Db1"));
}

void TestModes::otherModeAppliesTabsOnPress()
{
    MainWindowModes m;
    click(m, Toggle::KW);
    const ToggleEffect e = m.mouseDown(Toggle::Other);
    QCOMPARE(e.layout, Layout::Tabs);
    QCOMPARE(e.resultWindow, ResultWindow::Show);
    QVERIFY(!m.kwFrameHidden());
    QVERIFY(m.visibleControls().contains(QStringLiteral("FrameOther")));
    QVERIFY(m.visibleControls().contains(QStringLiteral("TabStrip1")));
}

void TestModes::tabsPickTheOnePane()
{
    MainWindowModes m;
    const QStringList panes{"DownPanel", "UpPanel", "AllKWPanel"};
    for (int tab = 1; tab <= 3; ++tab) {
        m.selectTab(tab);
        const QSet<QString> v = m.visibleControls();
        for (int p = 0; p < 3; ++p)
            QCOMPARE(v.contains(panes.at(p)), p == tab - 1);
        QVERIFY(!v.contains(QStringLiteral("DownUpPanel")));
    }
    // The keyword modes do not depend on the tab.
    click(m, Toggle::KW);
    QCOMPARE(m.visibleControls(), kSimple);
    m.selectTab(1);
    QCOMPARE(m.visibleControls(), kSimple);
}

void TestModes::pressOfKeyWordsChangesOnlyTheFrames()
{
    MainWindowModes m;
    const ToggleEffect e = m.mouseDown(Toggle::KW);
    QCOMPARE(e.resultWindow, ResultWindow::Show);
    QCOMPARE(e.layout, Layout::None);
    QSet<QString> expected = kSearchTab1;
    expected.remove(QStringLiteral("FrameFile"));
    expected.remove(QStringLiteral("FrameSearch"));
    expected << QStringLiteral("FrameKW");
    QCOMPARE(m.visibleControls(), expected);
    QVERIFY(!m.kwFrameHidden()); // the release sets it
}

void TestModes::pressOfSearchHidesThePanes()
{
    MainWindowModes m;
    click(m, Toggle::KW);
    click(m, Toggle::DoubleBrowser);
    m.mouseDown(Toggle::Search);
    const QSet<QString> v = m.visibleControls();
    for (const char *hidden : {"TabStrip1", "AllKWPanel", "DownPanel", "UpPanel", "FrameKW"})
        QVERIFY2(!v.contains(QString::fromLatin1(hidden)), hidden);
    QVERIFY(v.contains(QStringLiteral("FrameFile")));
    QVERIFY(v.contains(QStringLiteral("FrameSearch")));
    m.mouseUp(Toggle::Search);
    QCOMPARE(m.visibleControls(), kSearchTab1);
}

void TestModes::everyModeHasAKnownSet()
{
    // No mode shows a control the window does not manage, and the link
    // editor never shows outside the simple browser.
    const QStringList all = MainWindowModes::allControls();
    MainWindowModes m;
    for (Toggle t : {Toggle::KW, Toggle::DoubleBrowser, Toggle::Other, Toggle::Search, Toggle::KW,
                     Toggle::SimpleBrowser}) {
        click(m, t);
        for (const QString &n : m.visibleControls())
            QVERIFY2(all.contains(n), qPrintable(n));
        QCOMPARE(m.visibleControls().contains(QStringLiteral("DownUpPanel")), m.mode() == Mode::KeywordSimple);
    }
}

QTEST_APPLESS_MAIN(TestModes)
#include "tst_mainwindow_modes.moc"
