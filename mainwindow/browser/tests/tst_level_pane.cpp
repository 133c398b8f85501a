// The Down and Up pane state without widgets: levels, the three visible
// slots, scrolling, growth, colours, the level bound, and the Up pane built
// from the Down pane; then the same over a real base.

#include "LevelPane.h"
#include "TestBase.h"

#include <QMap>

using namespace browser;

namespace {

// A graph given as "upper>lower" pairs.
struct FakeGraph {
    QList<QPair<QString, QString>> links;
    explicit FakeGraph(const QStringList &pairs)
    {
        for (const QString &p : pairs)
            links.append({p.section('>', 0, 0), p.section('>', 1, 1)});
    }
    KeywordList down(const QString &k) const
    {
        KeywordList l;
        for (const auto &p : links)
            if (p.first == k)
                l.keywords << p.second;
        return l;
    }
    KeywordList up(const QString &k) const
    {
        KeywordList l;
        for (const auto &p : links)
            if (p.second == k)
                l.keywords << p.first;
        return l;
    }
};

LevelPane downPane(const FakeGraph &g)
{
    return LevelPane(
        PaneDirection::Down, [&g](const QString &k) { return g.down(k); },
        [&g] { return g.links.isEmpty(); });
}

LevelPane upPane(const FakeGraph &g)
{
    return LevelPane(PaneDirection::Up, [&g](const QString &k) { return g.up(k); });
}

QList<int> visibleLevels(const LevelPane &p)
{
    QList<int> out;
    for (int i = 0; i < p.levelCount(); ++i)
        if (p.isLevelVisible(i))
            out << i;
    return out;
}

} // namespace

class TestLevelPane : public QObject {
    Q_OBJECT
private slots:
    void chainOpensOneLevelPerClickAndGrows()
    {
        FakeGraph g({"A>B", "B>C"});
        LevelPane p = downPane(g);
        p.setRootRows({"A"});
        QCOMPARE(p.paneHeight(), 2055.0);

        PaneClick c = p.click(0, 0);
        QCOMPARE(c.keyword, QStringLiteral("A"));
        QVERIFY(c.opened);
        QCOMPARE(p.level(1).rows, QStringList{"B"});
        QCOMPARE(p.extraHeight(), 2000);
        QCOMPARE(p.scrollHeight(), 3815.0);

        c = p.click(1, 0);
        QCOMPARE(p.level(2).rows, QStringList{"C"});
        QCOMPARE(p.extraHeight(), 4000);
        QCOMPARE(p.lastLevel(), 2);
        QCOMPARE(p.currentLevel(), 1);
        QCOMPARE(visibleLevels(p), (QList<int>{0, 1, 2}));
        QCOMPARE(p.gridTop(0), 120.0);
        QCOMPARE(p.gridTop(2), 4120.0);
        QCOMPARE(p.boxTop(2), 4240.0);
        QCOMPARE(p.level(1).selected, QStringLiteral("B"));

        // A leaf opens a level with one empty row.
        c = p.click(2, 0);
        QCOMPARE(p.level(3).rows, QStringList{QString()});
    }

    void clickOnTheLowestSlotScrollsAndBack()
    {
        FakeGraph g({"A>B", "B>C", "C>D"});
        LevelPane p = downPane(g);
        p.setRootRows({"A"});
        p.click(0, 0);
        p.click(1, 0);
        QCOMPARE(p.scrollMax(), 0);

        p.click(2, 0); // level 2 holds slot 2
        QCOMPARE(p.scrollMax(), 1);
        QCOMPARE(p.scrollValue(), 1);
        QCOMPARE(visibleLevels(p), (QList<int>{1, 2, 3}));
        QCOMPARE(p.slot(0), -1);
        QCOMPARE(p.gridTop(3), 4120.0);
        QCOMPARE(p.extraHeight(), 4000);

        p.setScrollValue(0);
        QCOMPARE(visibleLevels(p), (QList<int>{0, 1, 2}));
        QCOMPARE(p.slot(3), 3);
        p.setScrollValue(7); // brought inside the range
        QCOMPARE(p.scrollValue(), 1);
        QCOMPARE(visibleLevels(p), (QList<int>{1, 2, 3}));
        p.setScrollValue(-2);
        QCOMPARE(p.scrollValue(), 0);
    }

    void reclickingLevelZeroShrinks()
    {
        FakeGraph g({"A>B", "B>C", "P>Q"});
        LevelPane p = downPane(g);
        p.setRootRows({"A", "P"});
        p.click(0, 0);
        p.click(1, 0);
        QCOMPARE(p.levelCount(), 3);

        PaneClick c = p.click(0, 1);
        QCOMPARE(c.keyword, QStringLiteral("P"));
        QCOMPARE(p.levelCount(), 2);
        QCOMPARE(p.level(1).rows, QStringList{"Q"});
        QCOMPARE(p.extraHeight(), 2000);
        // Level 0 with 1 loaded: no change of height.
        p.click(0, 0);
        QCOMPARE(p.extraHeight(), 2000);
        QCOMPARE(p.level(1).rows, QStringList{"B"});
    }

    void coloursFollowTheClickedRow()
    {
        FakeGraph g({"A>B", "P>Q"});
        LevelPane p = downPane(g);
        p.setRootRows({"A", "P"});
        QVERIFY(!p.level(0).painted);
        const int before = p.level(0).serial;
        p.click(0, 1);
        QVERIFY(p.level(0).painted);
        QCOMPARE(p.level(0).highlighted, 1);
        QCOMPARE(p.level(0).current, 1);
        QVERIFY(p.level(0).serial != before);
        QVERIFY(!p.level(1).painted);
    }

    void emptyCellsEmptyTablesAndStaleLevels()
    {
        FakeGraph none({});
        LevelPane empty = downPane(none);
        empty.setRootRows({});
        QVERIFY(empty.click(0, 0).ignored);
        QCOMPARE(empty.levelCount(), 1);

        FakeGraph g({"A>B"});
        LevelPane p = downPane(g);
        p.setRootRows({"A"});
        p.click(0, 0);
        // The empty row of a leaf level: the selection becomes empty and no
        // level opens.
        p.click(1, 0);
        const int last = p.lastLevel();
        PaneClick c = p.click(2, 0);
        QVERIFY(!c.ignored);
        QCOMPARE(c.keyword, QString());
        QVERIFY(!c.opened);
        QCOMPARE(p.lastLevel(), last);
        QCOMPARE(p.currentLevel(), 2);
        // No cell under the click.
        QCOMPARE(p.click(0, -1).keyword, QString());
        QCOMPARE(p.click(0, 5).keyword, QString());
        // A level that is not loaded.
        QVERIFY(p.click(9, 0).ignored);
        QVERIFY(p.click(-1, 0).ignored);
    }

    void levelBoundStopsCleanly()
    {
        QStringList chain;
        for (int i = 0; i < 30; ++i)
            chain << QStringLiteral("k%1>k%2").arg(i).arg(i + 1);
        FakeGraph g(chain);
        LevelPane p = downPane(g);
        p.setRootRows({"k0"});
        for (int j = 0; j < kMaxLevel; ++j) {
            PaneClick c = p.click(j, 0);
            QVERIFY(c.opened);
            QCOMPARE(visibleLevels(p).size(), std::min(3, p.levelCount()));
            for (int v : visibleLevels(p))
                QVERIFY(p.gridTop(v) == 120 || p.gridTop(v) == 2120 || p.gridTop(v) == 4120);
        }
        QCOMPARE(p.lastLevel(), kMaxLevel);
        QCOMPARE(p.scrollMax(), kMaxLevel - 2);

        PaneClick c = p.click(kMaxLevel, 0);
        QVERIFY(c.levelLimit);
        QVERIFY(!c.opened);
        QCOMPARE(c.keyword, QStringLiteral("k20"));
        QCOMPARE(p.lastLevel(), kMaxLevel);
        QCOMPARE(p.levelCount(), kMaxLevel + 1);
        QCOMPARE(p.level(kMaxLevel).highlighted, 0);

        // Scrolling all the way back still places every level.
        p.setScrollValue(0);
        QCOMPARE(visibleLevels(p), (QList<int>{0, 1, 2}));
        QCOMPARE(p.slot(kMaxLevel), kMaxLevel);
    }

    void resetKeepsTheRoots()
    {
        FakeGraph g({"A>B", "B>C", "C>D"});
        LevelPane p = downPane(g);
        p.setRootRows({"A"});
        p.click(0, 0);
        p.click(1, 0);
        p.click(2, 0);
        p.reset();
        QCOMPARE(p.levelCount(), 1);
        QCOMPARE(p.level(0).rows, QStringList{"A"});
        QCOMPARE(p.scrollValue(), 0);
        QCOMPARE(p.scrollMax(), 0);
        QCOMPARE(p.extraHeight(), 0);
        QCOMPARE(p.slot(0), 0);
        QCOMPARE(p.slot(2), 2);
    }

    void upPaneBuiltFromTheDownPane()
    {
        FakeGraph g({"A>B", "X>B", "B>C", "T>A"});
        LevelPane down = downPane(g);
        down.setRootRows({"T", "X"});
        down.click(0, 0); // T -> A
        down.click(1, 0); // A -> B

        LevelPane up = upPane(g);
        up.rebuildFrom(down);
        QCOMPARE(up.levelCount(), 2);
        QCOMPARE(up.level(0).rows, QStringList{"A"});
        QCOMPARE(up.level(0).selected, QStringLiteral("A"));
        QCOMPARE(up.level(0).current, 0);
        QCOMPARE(up.level(0).highlighted, 0);
        QVERIFY(up.level(0).painted);
        QCOMPARE(up.level(1).rows, QStringList{"T"});
        QCOMPARE(up.paneHeight(), 4055.0);
        // Level 0 at the bottom, level 1 above it.
        QCOMPARE(up.gridTop(0), 2120.0);
        QCOMPARE(up.gridTop(1), 120.0);

        // An Up click grows the pane and keeps level 0 at the bottom.
        PaneClick c = up.click(1, 0);
        QCOMPARE(c.keyword, QStringLiteral("T"));
        QCOMPARE(up.level(2).rows, QStringList{QString()});
        QCOMPARE(up.paneHeight(), 6055.0);
        QCOMPARE(up.gridTop(0), 4120.0);
        QCOMPARE(up.gridTop(2), 120.0);
        QCOMPARE(up.boxTop(0), 4240.0);

        // Clicking level 0 again shrinks it back.
        up.click(0, 0);
        QCOMPARE(up.paneHeight(), 4055.0);
        QCOMPARE(up.gridTop(0), 2120.0);
        QCOMPARE(up.level(1).rows, QStringList{"T"});

        // Built again after a scroll: all back to the bottom.
        up.rebuildFrom(down);
        QCOMPARE(up.scrollValue(), 0);
        QCOMPARE(up.levelCount(), 2);
    }

    void upPaneWithoutDownSelection()
    {
        FakeGraph g({"A>B"});
        LevelPane down = downPane(g);
        down.setRootRows({"A"});
        LevelPane up = upPane(g);
        up.rebuildFrom(down);
        QCOMPARE(up.level(0).rows, QStringList{"A"});
        QCOMPARE(up.level(0).selected, QString());
        QCOMPARE(up.level(1).rows, QStringList{QString()});

        // A Down level without rows gives an Up level 0 without rows, whose
        // click does nothing.
        FakeGraph none({});
        LevelPane emptyDown = downPane(none);
        emptyDown.setRootRows({});
        LevelPane emptyUp = upPane(none);
        emptyUp.rebuildFrom(emptyDown);
        QCOMPARE(emptyUp.level(0).rows, QStringList());
        QCOMPARE(emptyUp.level(0).current, -1);
        PaneClick c = emptyUp.click(0, -1);
        QVERIFY(!c.opened);
        QCOMPARE(c.keyword, QString());
    }

    void realBaseThroughTheGraph()
    {
        testbase::Base base;
        testbase::Base::link("A", "B");
        testbase::Base::link("B", "C");
        testbase::Base::link("b", "D");
        KeywordGraph graph;
        graph.bindShared();
        LevelPane p(
            PaneDirection::Down, [&](const QString &k) { return graph.subsets(k); },
            [&] { return graph.isEmpty(); });
        p.setRootRows(graph.rootKeywords().keywords);
        QCOMPARE(p.level(0).rows, QStringList{"A"});
        p.click(0, 0);
        p.click(1, 0);
        QCOMPARE(p.level(2).rows, (QStringList{"C", "D"}));
    }
};

QTEST_GUILESS_MAIN(TestLevelPane)
#include "tst_level_pane.moc"
