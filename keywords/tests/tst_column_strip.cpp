// The column strip of the two graph browsers without widgets or base: the
// path through chains and a 25-level chain, the frame that grows to three
// columns and narrows again, the shift of the strip, scrolling both ways,
// the path cut back by a click or a relisting, and the upward start.

#include "ColumnStrip.h"

#include <QMap>
#include <QtTest>

using namespace keywords;

namespace {

// A graph as a map from a keyword to the keywords of its next column.
ColumnStrip::Lister listerOf(const QMap<QString, QStringList> &next)
{
    return [next](const QString &k) { return keywords::KeywordList{next.value(k), false}; };
}

// A chain K0 > K1 > ... > K(n-1).
QMap<QString, QStringList> chain(int n)
{
    QMap<QString, QStringList> next;
    for (int i = 0; i + 1 < n; ++i)
        next[QStringLiteral("K%1").arg(i)] = {QStringLiteral("K%1").arg(i + 1)};
    return next;
}

// Clicks the first row of each column from `from` on, `count` times.
void walkDown(ColumnStrip &s, int from, int count)
{
    for (int c = from; c < from + count; ++c)
        QVERIFY(s.click(c, 0).opened);
}

QList<int> visibleColumns(const ColumnStrip &s)
{
    QList<int> out;
    for (int i = 0; i < s.columnCount(); ++i)
        if (s.isVisible(i))
            out << i;
    return out;
}

// The rule every state keeps: slot(i) = i - value going down, i + value up,
// and the value inside a range that covers exactly the open columns.
void checkSlots(const ColumnStrip &s)
{
    const bool down = s.direction() == StripDirection::Down;
    for (int i = 0; i < s.columnCount(); ++i)
        QCOMPARE(s.slot(i), down ? i - s.scrollValue() : i + s.scrollValue());
    const int hidden = std::max(0, s.columnCount() - kVisibleColumns);
    QCOMPARE(s.scrollMax() - s.scrollMin(), hidden);
    QVERIFY(s.scrollValue() >= s.scrollMin() && s.scrollValue() <= s.scrollMax());
    QCOMPARE(s.frameColumns(), std::min(s.columnCount(), kVisibleColumns));
}

} // namespace

class TestColumnStrip : public QObject {
    Q_OBJECT

private slots:
    void emptyFirstColumnIgnoresClicks()
    {
        ColumnStrip s(StripDirection::Down, listerOf({}));
        s.startWithRows({});
        QVERIFY(s.click(0, 0).ignored);
        QVERIFY(s.click(3, 0).ignored);
        QCOMPARE(s.columnCount(), 1);
        QCOMPARE(s.path(), QStringList{"Root"});
        QCOMPARE(s.frameColumns(), 1);
    }

    void keywordWithoutLowerKeywordsOpensOneEmptyRow()
    {
        ColumnStrip s(StripDirection::Down, listerOf({{"A", {"B"}}}));
        s.startWithRows({"A"});
        s.click(0, 0);
        QCOMPARE(s.column(1).rows, QStringList{"B"});
        QCOMPARE(s.column(1).chosen, QString());
        s.click(1, 0);
        QCOMPARE(s.column(2).rows, QStringList{QString()});
        // The empty row opens another such column.
        const StripClick c = s.click(2, 0);
        QVERIFY(c.opened);
        QCOMPARE(c.keyword, QString());
        QCOMPARE(s.column(3).rows, QStringList{QString()});
        QCOMPARE(s.path(), (QStringList{"Root", "A", "B", ""}));
        QCOMPARE(s.pathIndex(), 3);
    }

    void frameGrowsToThreeAndNarrowsOnTheFirstColumn()
    {
        ColumnStrip s(StripDirection::Down, listerOf(chain(8)));
        s.startWithRows({"K0"});
        QCOMPARE(s.frameColumns(), 1);
        s.click(0, 0);
        QCOMPARE(s.frameColumns(), 2);
        s.click(1, 0);
        QCOMPARE(s.frameColumns(), 3);
        s.click(2, 0);
        s.click(3, 0);
        QCOMPARE(s.frameColumns(), 3);
        checkSlots(s);
        // Back to the start of the strip, then a click on the first column
        // closes all but two columns.
        s.setScrollValue(0);
        s.click(0, 0);
        QCOMPARE(s.columnCount(), 2);
        QCOMPARE(s.frameColumns(), 2);
        QCOMPARE(s.scrollMax(), 0);
        QCOMPARE(s.path(), (QStringList{"Root", "K0"}));
        // A click in the second of three columns keeps the frame at three.
        s.click(1, 0);
        s.click(1, 0);
        QCOMPARE(s.frameColumns(), 3);
        checkSlots(s);
    }

    void clickInTheLastPlaceShiftsTheStripAndScrollingGoesBothWays()
    {
        ColumnStrip s(StripDirection::Down, listerOf(chain(10)));
        s.startWithRows({"K0"});
        walkDown(s, 0, 3); // columns 0..3, column 2 stood in the last place
        QCOMPARE(s.columnCount(), 4);
        QCOMPARE(s.scrollMax(), 1);
        QCOMPARE(s.scrollValue(), 1);
        QCOMPARE(visibleColumns(s), (QList<int>{1, 2, 3}));
        walkDown(s, 3, 3); // columns 0..6
        QCOMPARE(s.scrollValue(), 4);
        QCOMPARE(visibleColumns(s), (QList<int>{4, 5, 6}));
        checkSlots(s);

        s.setScrollValue(0);
        QCOMPARE(visibleColumns(s), (QList<int>{0, 1, 2}));
        checkSlots(s);
        s.setScrollValue(2);
        QCOMPARE(visibleColumns(s), (QList<int>{2, 3, 4}));
        // Out of range values stay inside it.
        s.setScrollValue(-5);
        QCOMPARE(s.scrollValue(), 0);
        s.setScrollValue(99);
        QCOMPARE(s.scrollValue(), 4);
        QCOMPARE(visibleColumns(s), (QList<int>{4, 5, 6}));
    }

    void shorterPathPullsTheScrollBackOverOpenColumns()
    {
        ColumnStrip s(StripDirection::Down, listerOf(chain(10)));
        s.startWithRows({"K0"});
        walkDown(s, 0, 6); // columns 0..6, value 4
        // A click in the first visible column cuts the path to 0..5: the
        // strip keeps three columns in view.
        s.click(4, 0);
        QCOMPARE(s.columnCount(), 6);
        QCOMPARE(s.scrollMax(), 3);
        QCOMPARE(visibleColumns(s), (QList<int>{3, 4, 5}));
        checkSlots(s);
        // Relisting column 2 closes the rest; every open column is in view.
        QVERIFY(s.relist(2));
        QCOMPARE(s.columnCount(), 3);
        QCOMPARE(s.currentColumn(), 1);
        QCOMPARE(s.scrollMax(), 0);
        QCOMPARE(visibleColumns(s), (QList<int>{0, 1, 2}));
        QCOMPARE(s.frameColumns(), 3);
        // Relisting column 1 leaves two columns and a frame two wide.
        QVERIFY(s.relist(1));
        QCOMPARE(s.frameColumns(), 2);
        QVERIFY(!s.relist(0));
        QVERIFY(!s.relist(5));
        // A following click works normally.
        QVERIFY(s.click(1, 0).opened);
        QCOMPARE(s.columnCount(), 3);
        checkSlots(s);
    }

    void pathStopsAtTwentyOneColumns()
    {
        ColumnStrip s(StripDirection::Down, listerOf(chain(25)));
        s.startWithRows({"K0"});
        walkDown(s, 0, kMaxColumn); // columns 0..20
        QCOMPARE(s.columnCount(), kMaxColumn + 1);
        QCOMPARE(s.column(kMaxColumn).rows, QStringList{"K20"});
        const StripClick last = s.click(kMaxColumn, 0);
        QVERIFY(last.pathLimit);
        QVERIFY(!last.opened);
        QCOMPARE(s.columnCount(), kMaxColumn + 1);
        QCOMPARE(s.currentColumn(), kMaxColumn);
        QCOMPARE(s.path().size(), kMaxColumn + 2);
        QCOMPARE(s.path().last(), QStringLiteral("K20"));
        QCOMPARE(visibleColumns(s), (QList<int>{18, 19, 20}));
        checkSlots(s);
        // Scrolling back still reaches the first column.
        s.setScrollValue(s.scrollMin());
        QCOMPARE(visibleColumns(s), (QList<int>{0, 1, 2}));
    }

    void upwardStartAndShift()
    {
        QMap<QString, QStringList> up = chain(8); // read as "upper keywords of"
        ColumnStrip s(StripDirection::Up, listerOf(up));
        s.startOn("K0");
        QCOMPARE(s.columnCount(), 2);
        QCOMPARE(s.column(0).rows, QStringList{"K0"});
        QCOMPARE(s.column(0).chosen, QStringLiteral("K0"));
        QCOMPARE(s.column(1).rows, QStringList{"K1"});
        QCOMPARE(s.path(), QStringList{"K0"});
        QCOMPARE(s.frameColumns(), 2);
        // With three columns or fewer the scroll bar moves nothing.
        s.click(1, 0);
        s.setScrollValue(-1);
        QCOMPARE(s.scrollValue(), 0);
        QCOMPARE(visibleColumns(s), (QList<int>{0, 1, 2}));
        // A fourth column: the start column leaves the view at the right.
        s.click(2, 0);
        QCOMPARE(s.scrollMin(), -1);
        QCOMPARE(s.scrollValue(), -1);
        QCOMPARE(visibleColumns(s), (QList<int>{1, 2, 3}));
        QCOMPARE(s.path(), (QStringList{"K0", "K1", "K2"}));
        QCOMPARE(s.pathIndex(), 2);
        checkSlots(s);
        s.setScrollValue(0);
        QCOMPARE(visibleColumns(s), (QList<int>{0, 1, 2}));
        s.setScrollValue(-1);

        // The path cut back to three columns brings the start keyword back.
        s.click(1, 0);
        QCOMPARE(s.columnCount(), 3);
        QCOMPARE(s.scrollValue(), 0);
        QVERIFY(s.isVisible(0));
        checkSlots(s);
    }

    void upwardStartOnAKeywordWithoutUpperKeywords()
    {
        ColumnStrip s(StripDirection::Up, listerOf({}));
        s.startOn(QString());
        QCOMPARE(s.column(0).rows, QStringList{QString()});
        QCOMPARE(s.column(1).rows, QStringList{QString()});
        QCOMPARE(s.column(1).chosen, QString());
        QCOMPARE(s.path(), QStringList{QString()});
    }

    void layoutOfBothDirections()
    {
        ColumnStrip down(StripDirection::Down, listerOf(chain(6)));
        down.startWithRows({"K0"});
        StripLayout d(down);
        QCOMPARE(d.frameLeft(), 120.0);
        QCOMPARE(d.frameWidth(), 2415.0);
        QCOMPARE(d.scrollWidth(), 2175.0);
        walkDown(down, 0, 4); // value 2: columns 2..4 in slots 0..2
        QCOMPARE(d.frameWidth(), 7415.0);
        QCOMPARE(d.columnLeft(2), 120.0);
        QCOMPARE(d.columnLeft(4), 5120.0);

        ColumnStrip up(StripDirection::Up, listerOf(chain(6)));
        up.startOn("K0");
        StripLayout u(up);
        // The frame grows to the left; the start column stays at the right.
        QCOMPARE(u.frameLeft(), 2660.0);
        QCOMPARE(u.frameWidth(), 4915.0);
        QCOMPARE(u.frameLeft() + u.columnLeft(0), 5280.0);
        QCOMPARE(u.frameLeft() + u.columnLeft(1), 2780.0);
        up.click(1, 0);
        QCOMPARE(u.frameLeft(), 160.0);
        QCOMPARE(u.frameLeft() + u.columnLeft(0), 5280.0);
        QCOMPARE(u.frameLeft() + u.columnLeft(2), 280.0);
    }
};

QTEST_GUILESS_MAIN(TestColumnStrip)
#include "tst_column_strip.moc"
