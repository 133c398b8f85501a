// The all-keywords pane over a real base: type-ahead, adding with its
// checks, deleting with confirm and cancel, the list kept in step.

#include "AllKeywords.h"
#include "BrowserTexts.h"
#include "TestBase.h"

using namespace browser;
using testbase::Base;
using vb::DialogScript;

namespace {

class MemoryRows : public KeywordRows {
public:
    QStringList items;
    int current = -1;
    int top = 0;
    int rows() const override { return int(items.size()); }
    QString text(int row) const override { return items.at(row); }
    int currentRow() const override { return current; }
    void setCurrentRow(int row) override { current = row; }
    int topRow() const override { return top; }
    void setTopRow(int row) override { top = row; }
    void removeRow(int row) override
    {
        items.removeAt(row);
        current = std::min(current, int(items.size()) - 1);
    }
    void setKeywords(const QStringList &keywords) override
    {
        items = keywords;
        current = items.isEmpty() ? -1 : 0;
        top = 0;
    }
};

} // namespace

class TestAllKeywords : public QObject {
    Q_OBJECT

private slots:
    void capitalisesTheFirstLetterOnly()
    {
        TypedText t = capitaliseFirst("a", 1);
        QCOMPARE(t.text, QStringLiteral("A"));
        QCOMPARE(t.caret, 1);
        QVERIFY(t.changed);
        // Pasted or edited text keeps its rest and its caret.
        t = capitaliseFirst("apple pie", 3);
        QCOMPARE(t.text, QStringLiteral("Apple pie"));
        QCOMPARE(t.caret, 3);
        t = capitaliseFirst("pple", 0); // "Apple" with its first letter deleted
        QCOMPARE(t.text, QStringLiteral("Pple"));
        QCOMPARE(t.caret, 0);
        QVERIFY(!capitaliseFirst("Apple", 5).changed);
        QVERIFY(!capitaliseFirst("", 0).changed);
        QVERIFY(!capitaliseFirst("1abc", 1).changed);
        QVERIFY(!capitaliseFirst(QStringLiteral("été"), 1).changed);
    }

    void typeAheadFindsTheFirstRowThatBeginsWithTheText()
    {
        Base base;
        Base::keywords({"Apple", "Banana", "Berry", "Cherry"});
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        QCOMPARE(rows.items, (QStringList{"Apple", "Banana", "Berry", "Cherry"}));

        pane.typeAhead("B");
        QCOMPARE(rows.current, 1);
        QCOMPARE(rows.top, 1);
        pane.typeAhead("Be");
        QCOMPARE(rows.current, 2);
        QCOMPARE(rows.top, 2);
        pane.typeAhead("");
        QCOMPARE(rows.current, 2);
        // Case counts here; without a match the list ends on its last row.
        pane.typeAhead("BA");
        QCOMPARE(rows.current, 3);
        pane.typeAhead("Zz");
        QCOMPARE(rows.current, 3);
        QCOMPARE(texts::addKeywordTip(""), QStringLiteral("  Add  '  '  to Keywords list  "));
    }

    void scrollRuleAfterAnAdd()
    {
        QCOMPARE(addedRowTopRow(10, 20), std::optional<int>(7));
        QCOMPARE(addedRowTopRow(3, 20), std::optional<int>(0));
        QCOMPARE(addedRowTopRow(15, 20), std::optional<int>(8));
        QCOMPARE(addedRowTopRow(13, 20), std::nullopt);
        QCOMPARE(addedRowTopRow(2, 20), std::nullopt);
        QCOMPARE(addedRowTopRow(1, 5), std::optional<int>(0));
        QCOMPARE(addedRowTopRow(19, 20), std::optional<int>(12));
    }

    void addWithItsChecks()
    {
        Base base;
        QStringList many;
        for (int i = 0; i < 20; ++i)
            many << QStringLiteral("K%1").arg(i, 2, 10, QLatin1Char('0'));
        Base::keywords(many);
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();

        DialogScript script;
        script.msgBox(vb::vbOK, texts::fillInText)
            .msgBox(vb::vbOK, texts::keywordExists)
            .msgBox(vb::vbOK, texts::keywordExists)
            .msgBox(vb::vbOK, texts::keywordTooLong)
            .msgBox(vb::vbNo, texts::confirmAdd("New"))
            .msgBox(vb::vbYes, texts::confirmAdd("Zeta"));
        QVERIFY(!pane.add(""));
        QVERIFY(!pane.add("K10"));
        QCOMPARE(rows.current, 10);
        QCOMPARE(rows.top, 7);
        // Another case of a listed keyword is the same keyword.
        QVERIFY(!pane.add("k15"));
        QCOMPARE(rows.current, 15);
        QCOMPARE(rows.top, 8);
        QVERIFY(!pane.add(QString(31, 'Q')));
        QVERIFY(!pane.add("New"));
        QVERIFY(pane.add("Zeta"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbInformation));
        QCOMPARE(script.shown().at(1).buttons, int(vb::vbExclamation));
        QCOMPARE(script.shown().at(3).buttons, int(vb::vbCritical));
        QCOMPARE(script.shown().at(4).buttons, int(vb::vbYesNo));

        // Stored, listed last, selected, the end of the list in view.
        QCOMPARE(Base::storedKeywords().size(), 21);
        QCOMPARE(rows.items.size(), 21);
        QCOMPARE(rows.items.last(), QStringLiteral("Zeta"));
        QCOMPARE(rows.current, 20);
        QCOMPARE(rows.top, 13);
        QVERIFY(!Base::storedKeywords().contains("New"));
    }

    void addSeesKeywordsOfOtherWindows()
    {
        Base base;
        Base::keywords({"Apple"});
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        Base::keyword("Mango"); // added elsewhere; the list does not show it
        DialogScript script;
        script.msgBox(vb::vbOK, texts::keywordExists);
        QVERIFY(!pane.add("MANGO"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(rows.items, (QStringList{"Apple", "Mango"}));
        QCOMPARE(rows.current, 1);
        QCOMPARE(Base::storedKeywords(), (QStringList{"Apple", "Mango"}));
    }

    void keywordsInBothNormalForms()
    {
        // "Été" typed with composed letters, and as "E" and "e" followed by
        // combining accents: one keyword to the list, the base and the add.
        const QString composed = QString::fromUtf8("\u00c9t\u00e9");
        const QString combining = QString::fromUtf8("E\u0301te\u0301");
        Base base;
        Base::keywords({"Apple", composed, "Zoo"});
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        QCOMPARE(pane.findRow(combining), 1);

        pane.typeAhead(QString::fromUtf8("E\u0301"));
        QCOMPARE(rows.current, 1);
        pane.typeAhead("E");
        QCOMPARE(rows.current, 2); // "É" is not "E": no match, the last row

        DialogScript script;
        script.msgBox(vb::vbOK, texts::keywordExists);
        QVERIFY(!pane.add(combining));
        QVERIFY_SCRIPT(script);
        QCOMPARE(rows.current, 1);
        QCOMPARE(Base::storedKeywords(), (QStringList{"Apple", composed, "Zoo"}));

        // Stored in the other form by another window: the base refuses the
        // add all the same, and the list shows the stored row.
        Base::keyword(QString::fromUtf8("o\u0302te"));
        DialogScript again;
        again.msgBox(vb::vbOK, texts::keywordExists);
        QVERIFY(!pane.add(QString::fromUtf8("\u00f4te")));
        QVERIFY_SCRIPT(again);
        QCOMPARE(Base::storedKeywords().size(), 4);
        QCOMPARE(rows.items.size(), 4);
        QCOMPARE(rows.text(rows.current), QString::fromUtf8("o\u0302te"));
    }

    void addOnAReadOnlyBase()
    {
        Base base;
        Base::keywords({"Apple"});
        base.reopenReadOnly();
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        DialogScript script;
        script.msgBox(vb::vbYes, texts::confirmAdd("Pear")).msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!pane.add("Pear"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(1).buttons, int(vb::vbExclamation));
        QCOMPARE(rows.items, QStringList{"Apple"});
        QCOMPARE(Base::storedKeywords(), QStringList{"Apple"});
        QCOMPARE(rsCGroup1.EditMode(), int(dao::dbEditNone));
    }

    void deleteAndCancel()
    {
        Base base;
        Base::keywords({"Apple", "Banana", "Cherry"});
        Base::link("Banana", "Apple");
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        rows.current = 1;

        DialogScript script;
        script.msgBox(vb::vbCancel, texts::discardKeyword).msgBox(vb::vbOK, texts::discardKeyword);
        QVERIFY(!pane.removeCurrent());
        QCOMPARE(rows.items.size(), 3);
        QCOMPARE(Base::storedKeywords().size(), 3);
        QVERIFY(pane.removeCurrent());
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbQuestion + vb::vbOKCancel));
        QCOMPARE(rows.items, (QStringList{"Apple", "Cherry"}));
        QCOMPARE(Base::storedKeywords(), (QStringList{"Apple", "Cherry"}));
        // Its links stay in the base.
        QCOMPARE(Base::links(), QStringList{"Banana>Apple"});
    }

    void lastKeywordStays()
    {
        Base base;
        Base::keywords({"Only"});
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        DialogScript script;
        script.msgBox(vb::vbOK, texts::discardKeyword).msgBox(vb::vbOK, texts::listCannotBeEmpty);
        QVERIFY(!pane.removeCurrent());
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(1).buttons, int(vb::vbCritical));
        QCOMPARE(rows.items, QStringList{"Only"});
        QCOMPARE(Base::storedKeywords(), QStringList{"Only"});
    }

    void refusedDeleteKeepsTheRow()
    {
        Base base;
        Base::keywords({"Apple", "Banana"});
        base.reopenReadOnly();
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        rows.current = 1;
        DialogScript script;
        script.msgBox(vb::vbOK, texts::discardKeyword).msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!pane.removeCurrent());
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(1).buttons, int(vb::vbCritical));
        QCOMPARE(rows.items, (QStringList{"Apple", "Banana"}));
        QCOMPARE(Base::storedKeywords(), (QStringList{"Apple", "Banana"}));
    }

    void deleteOfAKeywordGoneElsewhere()
    {
        Base base;
        Base::keywords({"Apple", "Banana", "Cherry"});
        MemoryRows rows;
        AllKeywordsPane pane(rows, rsCGroup1, fldCGroup1Groupe);
        pane.fill();
        // Another window deleted Banana.
        rsCGroup1.setIndex("Groupe");
        rsCGroup1.Seek("=", QStringLiteral("Banana"));
        rsCGroup1.Delete();
        rows.current = 1;
        DialogScript script;
        script.msgBox(vb::vbOK, texts::discardKeyword).msgBox(vb::vbOK, texts::keywordGone);
        QVERIFY(!pane.removeCurrent());
        QVERIFY_SCRIPT(script);
        // Nothing else was deleted; the stale row is gone.
        QCOMPARE(Base::storedKeywords(), (QStringList{"Apple", "Cherry"}));
        QCOMPARE(rows.items, (QStringList{"Apple", "Cherry"}));
    }
};

QTEST_GUILESS_MAIN(TestAllKeywords)
#include "tst_all_keywords.moc"
