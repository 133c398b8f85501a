// Walks of the keyword graph over a real base: roots, subsets, supersets,
// keywords that differ only in case, the list bound, single links.

#include "KeywordGraph.h"
#include "TestBase.h"

using namespace keywords;
using testbase::Base;

class TestKeywordGraph : public QObject {
    Q_OBJECT

    KeywordGraph graph()
    {
        KeywordGraph g;
        g.bindShared();
        return g;
    }

private slots:
    void rootsOfChainsDiamondsAndSelfLinks()
    {
        Base base;
        KeywordGraph g = graph();
        QVERIFY(g.isEmpty());
        QCOMPARE(g.rootKeywords().keywords, QStringList());

        // Chain A > B > C.
        Base::link("A", "B");
        Base::link("B", "C");
        // Diamond P > Q, P > R, Q > S, R > S.
        Base::link("P", "Q");
        Base::link("P", "R");
        Base::link("Q", "S");
        Base::link("R", "S");
        // A keyword linked only to itself, and one above itself and another.
        Base::link("Self", "Self");
        Base::link("Loop", "Loop");
        Base::link("Loop", "Z");
        // An unlinked keyword exists only in CGROUP1.
        Base::keyword("Alone");
        QVERIFY(!g.isEmpty());

        const KeywordList roots = g.rootKeywords();
        QCOMPARE(roots.keywords, (QStringList{"A", "P"}));
        QVERIFY(!roots.truncated);

        QCOMPARE(g.subsets("A").keywords, QStringList{"B"});
        QCOMPARE(g.subsets("B").keywords, QStringList{"C"});
        QCOMPARE(g.subsets("C").keywords, QStringList());
        QCOMPARE(g.subsets("P").keywords, (QStringList{"Q", "R"}));
        QCOMPARE(g.supersets("S").keywords, (QStringList{"Q", "R"}));
        QCOMPARE(g.supersets("A").keywords, QStringList());
        QCOMPARE(g.subsets("Self").keywords, QStringList{"Self"});
        QCOMPARE(g.supersets("Self").keywords, QStringList{"Self"});
        QCOMPARE(g.subsets("Loop").keywords, (QStringList{"Loop", "Z"}));
        QCOMPARE(g.subsets("Alone").keywords, QStringList());
        QCOMPARE(g.supersets("Alone").keywords, QStringList());
        QCOMPARE(g.subsets("").keywords, QStringList());
    }

    void lastRowsOfTheTableEndTheWalk()
    {
        Base base;
        KeywordGraph g = graph();
        Base::link("M", "a");
        Base::link("Zed", "x");
        Base::link("Zed", "y");
        QCOMPARE(g.subsets("Zed").keywords, (QStringList{"x", "y"}));
        QCOMPARE(g.supersets("y").keywords, QStringList{"Zed"});
        QCOMPARE(g.rootKeywords().keywords, (QStringList{"M", "Zed"}));
        // Past the last key: no row at all.
        QCOMPARE(g.subsets("zz").keywords, QStringList());
    }

    void caseVariantsAreOneKeyword()
    {
        Base base;
        KeywordGraph g = graph();
        // The unique pair index refuses ("abc", "x") beside ("ABC", "X"),
        // but the same upper keyword in two cases with other lower ones is
        // allowed, and so is a lower keyword in two cases.
        Base::link("abc", "one");
        Base::link("ABC", "two");
        Base::link("Abc", "three");
        Base::link("up1", "Leaf");
        Base::link("UP2", "leaf");
        Base::link("top", "ABC");

        // The root walk ends and tests each keyword once.
        const KeywordList roots = g.rootKeywords();
        QCOMPARE(roots.keywords, (QStringList{"top", "up1", "UP2"}));

        // Lists are complete whatever the case of the stored rows.
        QCOMPARE(g.subsets("abc").keywords.size(), 3);
        QCOMPARE(g.subsets("ABC").keywords.size(), 3);
        QCOMPARE(g.supersets("LEAF").keywords, (QStringList{"up1", "UP2"}));
        QCOMPARE(g.supersets("abc").keywords, QStringList{"top"});
        QVERIFY(g.hasLink("TOP", "abc"));
    }

    void caseVariantRootsWithoutOtherLinks()
    {
        Base base;
        KeywordGraph g = graph();
        Base::link("x", "a");
        Base::link("X", "b");
        Base::link("x2", "c");
        QCOMPARE(g.rootKeywords().keywords, (QStringList{"x", "x2"}));
    }

    void listsStopAtTheirBound()
    {
        Base base;
        KeywordGraph g = graph();
        for (int i = 0; i < kMaxListEntries + 5; ++i) {
            const QString n = QStringLiteral("k%1").arg(i, 3, 10, QLatin1Char('0'));
            Base::link("Hub", n);
            Base::link(QStringLiteral("R") + n, "Sink");
        }
        const KeywordList subs = g.subsets("Hub");
        QCOMPARE(subs.keywords.size(), kMaxListEntries);
        QVERIFY(subs.truncated);
        QCOMPARE(subs.keywords.first(), QStringLiteral("k000"));
        QCOMPARE(subs.keywords.last(), QStringLiteral("k100"));

        const KeywordList sups = g.supersets("Sink");
        QCOMPARE(sups.keywords.size(), kMaxListEntries);
        QVERIFY(sups.truncated);

        // 106 roots "Rk..." and "Hub".
        const KeywordList roots = g.rootKeywords();
        QCOMPARE(roots.keywords.size(), kMaxListEntries);
        QVERIFY(roots.truncated);
        QCOMPARE(roots.keywords.first(), QStringLiteral("Hub"));

        // Exactly at the bound nothing is cut.
        Base::link("Hub2", "a");
        for (int i = 1; i < kMaxListEntries; ++i)
            Base::link("Hub2", QStringLiteral("b%1").arg(i, 3, 10, QLatin1Char('0')));
        const KeywordList exact = g.subsets("Hub2");
        QCOMPARE(exact.keywords.size(), kMaxListEntries);
        QVERIFY(!exact.truncated);
    }

    void singleLinksByExactPair()
    {
        Base base;
        KeywordGraph g = graph();
        Base::link("A", "B");
        Base::link("C", "B");
        QVERIFY(g.hasLink("A", "B"));
        QVERIFY(g.hasLink("a", "b"));
        QVERIFY(!g.hasLink("B", "A"));

        g.addLink("A", "D");
        QCOMPARE(Base::links(), (QStringList{"A>B", "A>D", "C>B"}));

        // Only the pair given goes, never another keyword's link.
        QVERIFY(!g.removeLink("X", "B"));
        QVERIFY(g.removeLink("C", "B"));
        QCOMPARE(Base::links(), (QStringList{"A>B", "A>D"}));
        QVERIFY(!g.removeLink("C", "B"));

        // A refused write leaves the recordset usable and the base unchanged.
        try {
            g.addLink("A", "b");
            QFAIL("duplicate pair stored");
        } catch (const vb::Error &e) {
            QCOMPARE(e.number(), int(dao::ErrDuplicate));
        }
        QCOMPARE(rsGroup2.EditMode(), int(dao::dbEditNone));
        QCOMPARE(Base::links(), (QStringList{"A>B", "A>D"}));
    }

    void bothNormalFormsAreOneKeyword()
    {
        // "été" as composed letters, and as "e" with a combining acute.
        const QString composed = QString::fromUtf8("\u00e9t\u00e9");
        const QString combining = QString::fromUtf8("e\u0301te\u0301");
        Base base;
        KeywordGraph g = graph();
        Base::link(composed, "Lower");
        Base::link("Upper", combining);
        Base::link(combining, "Other");
        QVERIFY(sameKeyword(composed, combining));
        QVERIFY(g.hasLink(combining, "Lower"));
        QCOMPARE(g.subsets(combining).keywords, (QStringList{"Lower", "Other"}));
        QCOMPARE(g.supersets(composed).keywords, QStringList{"Upper"});
        // Neither form is a root: the keyword has an upper keyword.
        QCOMPARE(g.rootKeywords().keywords, QStringList{"Upper"});
        try {
            g.addLink("Upper", composed);
            QFAIL("the same link stored twice");
        } catch (const vb::Error &e) {
            QCOMPARE(e.number(), int(dao::ErrDuplicate));
        }
        QCOMPARE(rsGroup2.EditMode(), int(dao::dbEditNone));
        QVERIFY(g.removeLink(composed, "Other"));
        QCOMPARE(g.subsets(composed).keywords, QStringList{"Lower"});
    }

    void readOnlyBaseRefusesLinks()
    {
        Base base;
        Base::link("A", "B");
        base.reopenReadOnly();
        KeywordGraph g = graph();
        QCOMPARE(g.subsets("A").keywords, QStringList{"B"});
        try {
            g.addLink("A", "C");
            QFAIL("write on a read-only base");
        } catch (const vb::Error &e) {
            QCOMPARE(e.number(), int(dao::ErrReadOnly));
        }
        QCOMPARE(Base::links(), QStringList{"A>B"});
    }
};

QTEST_GUILESS_MAIN(TestKeywordGraph)
#include "tst_keyword_graph.moc"
