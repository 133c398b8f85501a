// The link editor over a real base: adding and removing pairs around the
// central Set, stale grids, refused writes, drops and the tooltip texts.

#include "BrowserTexts.h"
#include "DragPayload.h"
#include "LinkEditor.h"
#include "TestBase.h"

#include <QLabel>
#include <QLineEdit>

using namespace browser;
using testbase::Base;
using vb::DialogScript;

class TestLinkEditor : public QObject {
    Q_OBJECT

    KeywordGraph m_graph;

private slots:
    void addBelowAndAbove()
    {
        Base base;
        m_graph.bindShared();
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("A");
        QCOMPARE(ed.downRows(), QStringList{QString()});
        QCOMPARE(ed.upRows(), QStringList{QString()});

        QVERIFY(ed.addSubset("B"));
        QCOMPARE(Base::links(), QStringList{"A>B"});
        QCOMPARE(ed.downRows(), QStringList{"B"});
        QCOMPARE(ed.upRows(), QStringList{QString()});

        QVERIFY(ed.addSuperset("C"));
        QCOMPARE(Base::links(), (QStringList{"A>B", "C>A"}));
        QCOMPARE(ed.upRows(), QStringList{"C"});
        QCOMPARE(ed.central(), QStringLiteral("A"));

        // A listed keyword made the central Set lists its own links.
        ed.showKeywordLinks("B");
        QCOMPARE(ed.upRows(), QStringList{"A"});
        QCOMPARE(ed.downRows(), QStringList{QString()});

    }

    // A keyword under itself, or a link that closes a loop, would take its
    // keywords out of every root column: refused with the column browsers'
    // messages, the base unchanged.
    void selfLinksAndLoopsAreRefused()
    {
        Base base;
        m_graph.bindShared();
        Base::link("A", "B");
        Base::link("B", "C");
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("B");

        DialogScript script;
        script.msgBox(vb::vbOK, texts::selfLink)
            .msgBox(vb::vbOK, texts::selfLink)
            .msgBox(vb::vbOK, texts::loopLink("A", "B"))
            .msgBox(vb::vbOK, texts::loopLink("A", "C"))
            .msgBox(vb::vbOK, texts::loopLink("a", "B"));
        QVERIFY(!ed.addSubset("B"));
        QVERIFY(!ed.addSuperset("b")); // letter case aside
        QVERIFY(!ed.addSubset("A"));   // A is above B already
        ed.showKeywordLinks("A");
        QVERIFY(!ed.addSuperset("C")); // C lies two levels below A
        ed.showKeywordLinks("a");
        QVERIFY(!ed.addSuperset("B"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbExclamation));
        QCOMPARE(script.shown().at(2).buttons, int(vb::vbExclamation));
        QCOMPARE(Base::links(), (QStringList{"A>B", "B>C"}));

        // A second way down is no loop.
        ed.showKeywordLinks("A");
        QVERIFY(ed.addSubset("C"));
        QCOMPARE(Base::links(), (QStringList{"A>B", "A>C", "B>C"}));
    }

    void addsThatAreRefused()
    {
        Base base;
        m_graph.bindShared();
        Base::link("A", "B");
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("A");

        DialogScript script;
        script.msgBox(vb::vbOK, texts::linkExists)
            .msgBox(vb::vbOK, texts::linkNeedsKeywords)
            .msgBox(vb::vbOK, texts::keywordTooLong)
            .msgBox(vb::vbOK, texts::linkNeedsKeywords);
        QVERIFY(!ed.addSubset("b")); // the same pair in another case
        QVERIFY(!ed.addSubset(""));
        QVERIFY(!ed.addSubset(QString(31, 'x')));
        ed.showKeywordLinks("");
        QVERIFY(!ed.addSuperset("B"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbExclamation));
        QCOMPARE(script.shown().at(2).buttons, int(vb::vbCritical));
        QCOMPARE(Base::links(), QStringList{"A>B"});
        // An empty central Set shows one empty row in each grid.
        QCOMPARE(ed.downRows(), QStringList{QString()});
        QCOMPARE(ed.upRows(), QStringList{QString()});

        // Thirty characters fit.
        ed.showKeywordLinks("A");
        QVERIFY(ed.addSubset(QString(30, 'y')));
    }

    void readOnlyBase()
    {
        Base base;
        Base::link("A", "B");
        base.reopenReadOnly();
        m_graph.bindShared();
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("A");
        DialogScript script;
        script.msgBox(vb::vbOK, texts::readOnly).msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!ed.addSubset("C"));
        QVERIFY(!ed.removeSubset("B"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(Base::links(), QStringList{"A>B"});
        QCOMPARE(ed.downRows(), QStringList{"B"});
    }

    void removeDeletesExactlyThePairShown()
    {
        Base base;
        m_graph.bindShared();
        Base::keywords({"A", "B", "C"});
        Base::link("A", "B");
        Base::link("C", "B");
        Base::link("B", "A");
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("A");
        QCOMPARE(ed.downRows(), QStringList{"B"});
        QCOMPARE(ed.upRows(), QStringList{"B"});

        QVERIFY(ed.removeSubset("B"));
        QCOMPARE(Base::links(), (QStringList{"B>A", "C>B"}));
        QCOMPARE(ed.downRows(), QStringList{QString()});
        QVERIFY(ed.removeSuperset("B"));
        QCOMPARE(Base::links(), QStringList{"C>B"});
        // The keywords themselves stay.
        QCOMPARE(Base::storedKeywords(), (QStringList{"A", "B", "C"}));
    }

    void staleGridDeletesNothing()
    {
        Base base;
        m_graph.bindShared();
        Base::link("A", "B");
        Base::link("C", "B");
        Base::link("D", "A");
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("A");
        QCOMPARE(ed.downRows(), QStringList{"B"});
        // Another window removes the pairs meanwhile.
        QVERIFY(m_graph.removeLink("A", "B"));
        QVERIFY(m_graph.removeLink("D", "A"));

        DialogScript script;
        script.msgBox(vb::vbOK, texts::linkGone)
            .msgBox(vb::vbOK, texts::linkGone)
            .msgBox(vb::vbOK, texts::linkGone);
        QVERIFY(!ed.removeSubset("B"));
        QVERIFY(!ed.removeSuperset("D"));
        // The grids are listed again: now one empty row each.
        QCOMPARE(ed.downRows(), QStringList{QString()});
        QCOMPARE(ed.upRows(), QStringList{QString()});
        QVERIFY(!ed.removeSubset(QString()));
        QVERIFY_SCRIPT(script);
        QCOMPARE(Base::links(), QStringList{"C>B"});
    }

    void dropsCarryTheirKeyword()
    {
        QLabel label;
        QLineEdit box;
        QCOMPARE(vb::droppedText(vb::DragPayload::fromLabel(&label, "C")), std::optional<QString>("C"));
        QCOMPARE(vb::droppedText(vb::DragPayload::fromTextBox(&box, "D")), std::optional<QString>("D"));
        QVERIFY(!vb::droppedText(vb::DragPayload::fromLabel(&label, "")));
        QVERIFY(!vb::droppedText(vb::DragPayload::fromTextBox(&box, "")));
        vb::DragPayload grid;
        grid.sourceKind = "Grid";
        QVERIFY(!vb::droppedText(grid));

        Base base;
        m_graph.bindShared();
        LinkEditor ed(m_graph);
        ed.showKeywordLinks("A");
        // A drop of the label C on GridUp stores (C, A), A stays central.
        QVERIFY(ed.addSuperset(*vb::droppedText(vb::DragPayload::fromLabel(&label, "C"))));
        QCOMPARE(Base::links(), QStringList{"C>A"});
        QCOMPARE(ed.central(), QStringLiteral("A"));
    }

    void tooltipTexts()
    {
        QCOMPARE(texts::selectAsCentralTip("B"), QStringLiteral("  Selects  ' B '  as central Set  "));
        QCOMPARE(texts::discardSubsetTip("B", "A"),
                 QStringLiteral(" Discards  ' B ' from  ' A ' Subsets  "));
        QCOMPARE(texts::discardSupersetTip("B", "A"),
                 QStringLiteral(" Discards  ' B ' from  ' A ' Supersets  "));
        QCOMPARE(texts::showLinksTip("K"), QStringLiteral("  Show K Subsets and Supersets  "));
        QCOMPARE(texts::addToSupersetsTip("K", "A"), QStringLiteral("  Add K to A Supersets  "));
        QCOMPARE(texts::addToSubsetsTip("K", "A"), QStringLiteral("   Add K to A Subsets  "));
        QCOMPARE(texts::addKeywordTip("Ab"), QStringLiteral("  Add  ' Ab '  to Keywords list  "));
    }
};

QTEST_MAIN(TestLinkEditor)
#include "tst_link_editor.moc"
