// The keyword list over a real base: the "No Keyword" seed, adding (at the
// end, refused in another letter case or past 30 characters, cancelled),
// deleting (no selection, cancelled, links kept, a keyword gone meanwhile)
// and a read-only base.

#include "KeywordListModel.h"
#include "KeywordWindowTexts.h"
#include "TestBase.h"

using namespace keywords;
using testbase::Base;
using vb::DialogScript;

namespace {

KeywordListModel model() { return KeywordListModel(rsCGroup1, fldCGroup1Groupe); }

} // namespace

class TestKeywordList : public QObject {
    Q_OBJECT

private slots:
    void emptyBaseGetsNoKeyword()
    {
        Base base;
        KeywordListModel m = model();
        m.load();
        QCOMPARE(m.rows(), QStringList{texts::noKeyword});
        QCOMPARE(Base::storedKeywords(), QStringList{texts::noKeyword});
        QCOMPARE(m.selected(), -1);
        // Only an empty table is seeded.
        m.load();
        QCOMPARE(Base::storedKeywords(), QStringList{texts::noKeyword});
    }

    void listIsInIndexOrder()
    {
        Base base;
        Base::keywords({"pear", "Apple", "banana"});
        KeywordListModel m = model();
        m.load();
        QCOMPARE(m.rows(), (QStringList{"Apple", "banana", "pear"}));
    }

    void addAppendsAndRefusesWhatTheBaseWouldNot()
    {
        Base base;
        Base::keywords({"Beta", "Delta"});
        KeywordListModel m = model();
        m.load();
        DialogScript script;
        script.inputBox("Alpha", texts::newKeywordPrompt);
        QVERIFY(m.add());
        QCOMPARE(m.rows(), (QStringList{"Beta", "Delta", "Alpha"}));
        QCOMPARE(script.shown().at(0).title, texts::newKeywordTitle);

        // Another letter case of a stored keyword.
        script.inputBox("beta", texts::newKeywordPrompt);
        script.msgBox(vb::vbOK, texts::keywordExists);
        QVERIFY(!m.add());
        // 31 characters.
        script.inputBox(QString(31, QLatin1Char('x')), texts::newKeywordPrompt);
        script.msgBox(vb::vbOK, texts::keywordTooLong);
        QVERIFY(!m.add());
        // Cancel and an empty answer.
        script.inputBoxCancel(texts::newKeywordPrompt);
        QVERIFY(!m.add());
        script.inputBox(QString(), texts::newKeywordPrompt);
        QVERIFY(!m.add());
        // 30 characters is a keyword.
        script.inputBox(QString(30, QLatin1Char('y')), texts::newKeywordPrompt);
        QVERIFY(m.add());
        QVERIFY_SCRIPT(script);

        QCOMPARE(m.rows(), (QStringList{"Beta", "Delta", "Alpha", QString(30, QLatin1Char('y'))}));
        QCOMPARE(Base::storedKeywords(),
                 (QStringList{"Alpha", "Beta", "Delta", QString(30, QLatin1Char('y'))}));
        // Opened again, the list is in order.
        m.fill();
        QCOMPARE(m.rows().first(), QStringLiteral("Alpha"));
    }

    void deleteNeedsASelectionAndACleanOK()
    {
        Base base;
        Base::keywords({"Alpha", "Beta", "Gamma"});
        Base::link("Beta", "Gamma");
        KeywordListModel m = model();
        m.load();
        DialogScript script;
        // No line selected: nothing asked, nothing deleted.
        QVERIFY(!m.removeSelected());
        m.select(7);
        QCOMPARE(m.selected(), -1);
        QVERIFY(!m.removeSelected());

        // Cancel keeps the keyword.
        m.select(1);
        script.msgBox(vb::vbCancel, texts::discardKeyword);
        QVERIFY(!m.removeSelected());
        QCOMPARE(m.rows(), (QStringList{"Alpha", "Beta", "Gamma"}));
        QCOMPARE(script.shown().last().buttons, int(vb::vbQuestion + vb::vbOKCancel));

        script.msgBox(vb::vbOK, texts::discardKeyword);
        QVERIFY(m.removeSelected());
        QCOMPARE(m.rows(), (QStringList{"Alpha", "Gamma"}));
        QCOMPARE(Base::storedKeywords(), (QStringList{"Alpha", "Gamma"}));
        // Its links stay.
        QCOMPARE(Base::links(), QStringList{"Beta>Gamma"});
        // The selection went with the line: a second delete does nothing.
        QCOMPARE(m.selected(), -1);
        QVERIFY(!m.removeSelected());
        QVERIFY_SCRIPT(script);
    }

    void keywordDeletedElsewhereLeavesTheList()
    {
        Base base;
        Base::keywords({"Alpha", "Beta"});
        KeywordListModel m = model();
        m.load();
        rsCGroup1.setIndex("Groupe");
        rsCGroup1.Seek("=", "Alpha");
        rsCGroup1.Delete();
        m.select(0);
        DialogScript script;
        script.msgBox(vb::vbOK, texts::discardKeyword);
        QVERIFY(m.removeSelected());
        QVERIFY_SCRIPT(script);
        QCOMPARE(m.rows(), QStringList{"Beta"});
        QCOMPARE(Base::storedKeywords(), QStringList{"Beta"});
    }

    void readOnlyBase()
    {
        {
            // Nothing to seed into: the message, and an empty list.
            Base base;
            base.reopenReadOnly();
            KeywordListModel m = model();
            DialogScript script;
            script.msgBox(vb::vbOK, texts::readOnly);
            m.load();
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().at(0).buttons, int(vb::vbExclamation));
            QCOMPARE(m.rows(), QStringList());
        }
        Base base;
        Base::keywords({"Alpha"});
        base.reopenReadOnly();
        KeywordListModel m = model();
        DialogScript script;
        m.load();
        script.inputBox("Beta", texts::newKeywordPrompt);
        script.msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!m.add());
        m.select(0);
        script.msgBox(vb::vbOK, texts::discardKeyword);
        script.msgBox(vb::vbOK, texts::readOnly);
        QVERIFY(!m.removeSelected());
        QVERIFY_SCRIPT(script);
        // Neither the list nor the base changed.
        QCOMPARE(m.rows(), QStringList{"Alpha"});
        QCOMPARE(m.selected(), 0);
        QCOMPARE(Base::storedKeywords(), QStringList{"Alpha"});
    }
};

QTEST_GUILESS_MAIN(TestKeywordList)
#include "tst_keyword_list.moc"
