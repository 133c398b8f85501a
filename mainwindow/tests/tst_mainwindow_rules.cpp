// The main window's arithmetic: caption, centring, the keyword list's
// scroll rule, "Close All" and the places of the two browser layouts.

#include "MainWindowRules.h"

#include <QtTest>

using namespace mainwindow;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void caption();
    void centringTruncates_data();
    void centringTruncates();
    void keywordScroll_data();
    void keywordScroll();
    void simpleBrowserPlaces_();
    void doubleBrowserPlaces_();
};

void TestRules::caption()
{
    QCOMPARE(mainCaption(QStringLiteral("Base.cvb")), QStringLiteral("Corvane Studio - Base.cvb"));
}

void TestRules::centringTruncates_data()
{
    QTest::addColumn<double>("screen");
    QTest::addColumn<double>("window");
    QTest::addColumn<int>("offset");
    QTest::newRow("even") << 15360.0 << 11730.0 << 1815;
    QTest::newRow("odd difference") << 12001.0 << 11730.0 << 135;
    QTest::newRow("fraction rounds first") << 11731.6 << 11730.0 << 1;
    QTest::newRow("wider than the screen") << 11000.0 << 11730.0 << -365;
    QTest::newRow("odd negative truncates toward zero") << 11729.0 << 11732.0 << -1;
}

void TestRules::centringTruncates()
{
    QFETCH(double, screen);
    QFETCH(double, window);
    QFETCH(int, offset);
    QCOMPARE(centredOffset(screen, window), offset);
}

void TestRules::keywordScroll_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("top"); // -1: unchanged
    QTest::newRow("middle of 20") << 10 << 20 << 7;
    QTest::newRow("near the end") << 15 << 20 << 8;
    QTest::newRow("row 13 of 20 stays") << 13 << 20 << -1;
    QTest::newRow("row 1 of 5") << 1 << 5 << 0;
    QTest::newRow("row 0 stays") << 0 << 20 << -1;
    QTest::newRow("row 2 stays") << 2 << 20 << -1;
    QTest::newRow("row 3 of 20") << 3 << 20 << 0;
    QTest::newRow("last row of 20") << 19 << 20 << 12;
    QTest::newRow("only row") << 0 << 1 << -1;
}

void TestRules::keywordScroll()
{
    QFETCH(int, row);
    QFETCH(int, rows);
    QFETCH(int, top);
    const std::optional<int> t = keywordListTopRow(row, rows);
    QCOMPARE(t.value_or(-1), top);
}

void TestRules::simpleBrowserPlaces_()
{
    SimpleBrowserInput in;
    in.allKWPanel = {105, 420, 2200.4, 6000};
    in.downUpPanelTop = 900;
    in.downUpPanelWidth = 3300;
    in.selUpDownTop = 0;
    in.gridUpTop = 690;
    in.gridDownTop = 3060;
    in.selFromUpHeight = 375;
    in.selFromDownHeight = 360;
    const SimpleBrowserPlaces p = simpleBrowserPlaces(in);
    QCOMPARE(p.addFromListUpLeft, 2305.0); // a whole number
    QCOMPARE(p.addFromListUpTop, 520.0);
    QCOMPARE(p.addFromListDownTop, 3400.0);
    QCOMPARE(p.findIfLinksTop, 900.0);
    QCOMPARE(p.downUpPanelLeft, 2805.0);
    QCOMPARE(p.selFromUpLeft, 6105.0);
    QCOMPARE(p.selFromUpTop, 1590.0);
    QCOMPARE(p.suppFromListUpTop, 1965.0);
    QCOMPARE(p.selFromDownTop, 3960.0);
    QCOMPARE(p.suppFromListDownTop, 4320.0);
    QCOMPARE(p.suppFromListDownLeft, 6105.0);
    QCOMPARE(p.leftPanelWidth, 6605.0);
}

void TestRules::doubleBrowserPlaces_()
{
    const DoubleBrowserPlaces p = doubleBrowserPlaces({105, 420, 2200, 6000}, 2100.6, 2000);
    QCOMPARE(p.downPanelLeft, 2605.0);
    QCOMPARE(p.searchUpLeft, 4706.0); // 2605 + 2100.6 made whole
    QCOMPARE(p.upPanelLeft, 5106.0);
    QCOMPARE(p.leftPanelWidth, 7306.0);
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_mainwindow_rules.moc"
