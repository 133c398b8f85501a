// The top-down browser's logic over a real base: roots and columns of
// chains, diamonds, case variants and a keyword with 150 lower keywords; the
// upward columns; drops (first column, same keyword, loops, existing links,
// a label, a read-only base) and "Supp"; two instances side by side.

#include "DragPayload.h"
#include "KeywordWindowTexts.h"
#include "LinksBrowser.h"
#include "TestBase.h"

using namespace keywords;
using testbase::Base;
using vb::DialogScript;

namespace {

vb::DragPayload box(const QString &text) { return vb::DragPayload::fromTextBox(nullptr, text); }

// Clicks the row holding `keyword` in column `column`.
StripClick choose(LinksBrowser &b, int column, const QString &keyword)
{
    const int row = int(b.strip().column(column).rows.indexOf(keyword));
    if (row < 0)
        qWarning() << "no row" << keyword << "in column" << column << b.strip().column(column).rows;
    return b.click(column, row);
}

} // namespace

class TestLinksBrowser : public QObject {
    Q_OBJECT

private slots:
    void rootsAndColumnsOfChainsAndDiamonds()
    {
        Base base;
        Base::keyword("Alone");
        LinksBrowser b;
        b.load();
        QCOMPARE(b.strip().column(0).rows, QStringList());

        Base::link("A", "B");
        Base::link("B", "C");
        Base::link("P", "Q");
        Base::link("P", "R");
        Base::link("Q", "S");
        Base::link("R", "S");
        b.load();
        QCOMPARE(b.strip().column(0).rows, (QStringList{"A", "P"}));
        choose(b, 0, "P");
        QCOMPARE(b.strip().column(1).rows, (QStringList{"Q", "R"}));
        choose(b, 1, "R");
        QCOMPARE(b.strip().column(2).rows, QStringList{"S"});
        choose(b, 2, "S");
        QCOMPARE(b.strip().column(3).rows, QStringList{QString()});
        QCOMPARE(b.strip().path(), (QStringList{"Root", "P", "R", "S"}));
        // The other side of the diamond reaches the same keyword.
        choose(b, 1, "Q");
        QCOMPARE(b.strip().column(2).rows, QStringList{"S"});
        QCOMPARE(b.strip().columnCount(), 3);
    }

    void caseVariantsEndTheLoadAndShowOnce()
    {
        Base base;
        // "Apple" and "apple" are one keyword to the index: the roots walk
        // ends and lists it once; its column holds the lower keywords of
        // both spellings.
        Base::link("Apple", "x");
        Base::link("apple", "y");
        Base::link("Pear", "z");
        LinksBrowser b;
        b.load();
        QCOMPARE(b.strip().column(0).rows.size(), 2);
        QVERIFY(keywords::sameKeyword(b.strip().column(0).rows.at(0), "apple"));
        QCOMPARE(b.strip().column(0).rows.at(1), QStringLiteral("Pear"));
        b.click(0, 0);
        QCOMPARE(b.strip().column(1).rows, (QStringList{"x", "y"}));
    }

    void columnHoldsAtMost101Keywords()
    {
        Base base;
        for (int i = 0; i < 150; ++i)
            Base::link("Many", QStringLiteral("Sub%1").arg(i, 3, 10, QLatin1Char('0')));
        LinksBrowser b;
        b.load();
        QCOMPARE(b.strip().column(0).rows, QStringList{"Many"});
        b.click(0, 0);
        const QStringList rows = b.strip().column(1).rows;
        QCOMPARE(rows.size(), keywords::kMaxListEntries);
        QCOMPARE(rows.first(), QStringLiteral("Sub000"));
        QCOMPARE(rows.last(), QStringLiteral("Sub100"));
        b.click(1, 100);
        QCOMPARE(b.strip().currentColumn(), 1);
        QCOMPARE(b.strip().column(1).chosen, QStringLiteral("Sub100"));
    }

    void deepChainStopsAtTheLastColumn()
    {
        Base base;
        for (int i = 0; i < 25; ++i)
            Base::link(QStringLiteral("L%1").arg(i, 2, 10, QLatin1Char('0')),
                       QStringLiteral("L%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        LinksBrowser b;
        b.load();
        for (int c = 0; c < kMaxColumn; ++c)
            QVERIFY(b.click(c, 0).opened);
        QVERIFY(b.click(kMaxColumn, 0).pathLimit);
        QCOMPARE(b.strip().columnCount(), kMaxColumn + 1);
        QCOMPARE(b.currentKeyword(), QStringLiteral("L20"));
    }

    void upwardColumns()
    {
        Base base;
        Base::link("P", "Q");
        Base::link("P", "R");
        Base::link("Q", "S");
        Base::link("R", "S");
        Base::link("apple", "S");
        keywords::KeywordGraph g;
        g.bindShared();
        ColumnStrip up(StripDirection::Up, [&g](const QString &k) { return g.supersets(k); });
        up.startOn("S");
        QCOMPARE(up.column(1).rows, (QStringList{"apple", "Q", "R"}));
        up.click(1, 2);
        QCOMPARE(up.column(2).rows, QStringList{"P"});
        up.click(2, 0);
        QCOMPARE(up.column(3).rows, QStringList{QString()});
        QCOMPARE(up.path(), (QStringList{"S", "R", "P"}));
        // A keyword the graph does not hold starts the same way.
        up.startOn("Nowhere");
        QCOMPARE(up.column(1).rows, QStringList{QString()});
    }

    void dropsThatWriteNothing()
    {
        Base base;
        Base::link("A", "B");
        Base::link("B", "C");
        LinksBrowser b;
        b.load();
        choose(b, 0, "A");
        choose(b, 1, "B");
        {
            DialogScript script;
            script.msgBox(vb::vbOK, texts::rootDrop);
            QVERIFY(!b.drop(0, box("C")));
            QVERIFY_SCRIPT(script);
        }
        {
            // Linking B under B, in any letter case.
            DialogScript script;
            script.msgBox(vb::vbOK, texts::selfLink);
            QVERIFY(!b.drop(2, box("b")));
            QVERIFY_SCRIPT(script);
        }
        {
            // A under B would close the loop A > B > A; so would A under C.
            DialogScript script;
            script.msgBox(vb::vbOK, texts::loopLink("a", "B"));
            QVERIFY(!b.drop(2, box("a")));
            QVERIFY_SCRIPT(script);
        }
        {
            // An existing link, a label's caption, an empty box: silence.
            DialogScript script;
            QVERIFY(!b.drop(2, box("C")));
            QVERIFY(!b.drop(2, box("c")));
            QVERIFY(!b.drop(2, vb::DragPayload::fromLabel(nullptr, "Z")));
            QVERIFY(!b.drop(2, box(QString())));
            QVERIFY(!b.drop(7, box("Z")));
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(Base::links(), (QStringList{"A>B", "B>C"}));
        QCOMPARE(b.strip().columnCount(), 3);
        QCOMPARE(b.strip().currentColumn(), 1);
    }

    void loopThroughManyLowerKeywordsIsFound()
    {
        Base base;
        // The way from Hub down to Deep runs through its 150th lower keyword,
        // past what one column lists.
        for (int i = 0; i < 150; ++i)
            Base::link("Hub", QStringLiteral("Sub%1").arg(i, 3, 10, QLatin1Char('0')));
        Base::link("Sub149", "Deep");
        Base::link("Other", "Deep");
        LinksBrowser b;
        b.load();
        QCOMPARE(b.strip().column(0).rows, (QStringList{"Hub", "Other"}));
        choose(b, 0, "Other");
        choose(b, 1, "Deep");
        DialogScript script;
        script.msgBox(vb::vbOK, texts::loopLink("Hub", "Deep"));
        QVERIFY(!b.drop(2, box("Hub")));
        // Sub000 is no way back to Deep: that link is fine.
        QVERIFY(b.drop(2, box("Sub000")));
        QVERIFY_SCRIPT(script);
        QVERIFY(Base::links().contains("Deep>Sub000"));
    }

    void dropLinksAndRelists()
    {
        Base base;
        Base::link("A", "B");
        Base::link("B", "C");
        Base::link("C", "D");
        Base::link("D", "E");
        LinksBrowser b;
        b.load();
        for (int c = 0; c < 4; ++c)
            b.click(c, 0);
        QCOMPARE(b.strip().columnCount(), 5);
        // A drop on column 2 while 0..4 are open: 3 and 4 close, column 2 is
        // listed again with the new keyword in its place.
        DialogScript script;
        QVERIFY(b.drop(2, box("Bz")));
        QVERIFY_SCRIPT(script);
        QCOMPARE(b.strip().columnCount(), 3);
        QCOMPARE(b.strip().currentColumn(), 1);
        QCOMPARE(b.strip().column(2).rows, (QStringList{"Bz", "C"}));
        QCOMPARE(b.strip().column(2).chosen, QString());
        QVERIFY(Base::links().contains("B>Bz"));
        // A following click anywhere works normally.
        QVERIFY(choose(b, 2, "C").opened);
        QCOMPARE(b.strip().column(3).rows, QStringList{"D"});
    }

    void suppRemovesThePathBottomUp()
    {
        Base base;
        Base::link("A", "B");
        Base::link("B", "C");
        Base::link("B", "X");
        LinksBrowser b;
        b.load();
        DialogScript script;
        // A root chosen in the first column: nothing to remove.
        choose(b, 0, "A");
        QVERIFY(!b.supp());
        choose(b, 1, "B");
        choose(b, 2, "C");
        QVERIFY(b.supp());
        QCOMPARE(b.strip().currentColumn(), 1);
        QCOMPARE(b.strip().column(2).rows, QStringList{"X"});
        QVERIFY(b.supp());
        QCOMPARE(b.strip().currentColumn(), 0);
        QCOMPARE(b.strip().column(1).rows, QStringList{QString()});
        QCOMPARE(Base::links(), QStringList{"B>X"});
        // Nothing chosen in the current column any more.
        QVERIFY(!b.supp());
        QVERIFY_SCRIPT(script);
    }

    void suppOfALinkAnotherWindowRemoved()
    {
        Base base;
        Base::link("A", "B");
        Base::link("A", "C");
        LinksBrowser b;
        b.load();
        choose(b, 0, "A");
        choose(b, 1, "B");
        rsGroup2.setIndex("GrUpDown");
        rsGroup2.Seek("=", "A", "B");
        rsGroup2.Delete();
        DialogScript script;
        QVERIFY(!b.supp());
        QVERIFY_SCRIPT(script);
        // The other link of A stays.
        QCOMPARE(Base::links(), QStringList{"A>C"});
    }

    void readOnlyBaseSaysSo()
    {
        Base base;
        Base::link("A", "B");
        base.reopenReadOnly();
        LinksBrowser b;
        b.load();
        choose(b, 0, "A");
        choose(b, 1, "B");
        DialogScript script;
        script.msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!b.drop(2, box("C")));
        script.msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!b.supp());
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbExclamation));
        QCOMPARE(Base::links(), QStringList{"A>B"});
        QCOMPARE(b.strip().currentColumn(), 1);
    }

    void twoInstancesKeepTheirOwnColumns()
    {
        Base base;
        Base::link("A", "B");
        Base::link("P", "Q");
        LinksBrowser first;
        LinksBrowser second;
        first.load();
        second.load();
        choose(first, 0, "A");
        choose(second, 0, "P");
        choose(second, 1, "Q");
        QCOMPARE(first.strip().columnCount(), 2);
        QCOMPARE(first.strip().path(), (QStringList{"Root", "A"}));
        QCOMPARE(second.strip().columnCount(), 3);
        // A keyword dragged from the first onto the second is linked under
        // the keyword chosen in the second's column before the drop.
        QVERIFY(second.drop(1, box(first.strip().column(0).chosen)));
        QCOMPARE(Base::links(), (QStringList{"A>B", "P>A", "P>Q"}));
        QCOMPARE(second.strip().column(1).rows, (QStringList{"A", "Q"}));
        // The first shows the change only once it lists again.
        QCOMPARE(first.strip().column(0).rows, (QStringList{"A", "P"}));
        first.load();
        QCOMPARE(first.strip().column(0).rows, QStringList{"P"});
        QCOMPARE(second.strip().path(), (QStringList{"Root", "P", "Q"}));
    }
};

QTEST_GUILESS_MAIN(TestLinksBrowser)
#include "tst_links_browser.moc"
