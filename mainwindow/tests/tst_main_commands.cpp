// The main window's searches and card commands on a real base, with the
// other folders' windows replaced by hooks that note what they were asked:
// the record tests and their messages, the three-character minimum on every
// road into the word searches, which chooser opens with which caption and
// list, and the card kind each command leaves.

#include "Dialogs.h"
#include "MainCommands.h"
#include "ProgramState.h"
#include "Start.h"
#include "Tabdef.h"
#include "WindowLinks.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace mainwindow;

namespace {

QStringList g_calls;

QString describe(const ChooserRequest &r)
{
    static const char *const modes[] = {"KWNoteSelect", "KWCitAdd", "KWBibAdd", "KWCitSel", "KWBibSel",
                                        "KWnoteSel",    "AuthorSel", "AuthorCit", "cBibAutSel", "cNoteAutSel"};
    QString s = QStringLiteral("chooser %1 '%2' %3.%4").arg(QString::fromLatin1(modes[int(r.mode)]), r.caption,
                                                            r.source.Name(), r.sourceField.Name());
    if (!r.source.Index().isEmpty())
        s += QStringLiteral(" by ") + r.source.Index();
    if (r.defaultButton)
        s += QStringLiteral(" default");
    if (r.listButtons)
        s += QStringLiteral(" list buttons");
    return s;
}

void installFakeHooks()
{
    WindowLinks &w = windowLinks();
    w = WindowLinks();
    auto note = [](const char *what) { return [what] { g_calls << QString::fromLatin1(what); }; };
    w.showChooser = [](const ChooserRequest &r) { g_calls << describe(r); };
    w.unloadChooser = note("unload chooser");
    w.listNotesOfKeyword = [](QString &k) { g_calls << QStringLiteral("notes of ") + k; };
    w.listCitsOfKeyword = [](QString &k) { g_calls << QStringLiteral("quotes of ") + k; };
    w.listRefsOfKeyword = [](QString &k) { g_calls << QStringLiteral("references of ") + k; };
    w.listNotesByDate = [] { g_calls << QStringLiteral("notes by date ") + g_ListKind; };
    w.listCitsByDate = [] { g_calls << QStringLiteral("quotes by date ") + g_ListKind; };
    w.listRefsByDate = [] { g_calls << QStringLiteral("references by date ") + g_ListKind; };
    w.searchNotesByWord = note("search notes");
    w.searchQuotesByWord = note("search quotes");
    w.textSearchNotes = note("grid of notes");
    w.textSearchQuotes = note("grid of quotes");
    w.indexAllNotes = note("index notes");
    w.indexAllQuotes = note("index quotes");
    w.allKeywordsNotes = note("totals of notes");
    w.allKeywordsQuotes = note("totals of quotes");
    w.showAuthorSelection = note("authors of a new reference");
    w.showNoteAuthorSelection = note("author of a new note");
}

struct FakeHost : MainCommandHost {
    CardType kind = CardType::Quote;
    OtherOrder order = OtherOrder::None;
    QString keyword, text;
    bool searchDown = true, otherDown = false;

    CardType checkedKind() const override { return kind; }
    void checkKind(CardType type) override
    {
        kind = type;
        g_calls << QStringLiteral("option ") + cardKindName(type);
    }
    OtherOrder otherOrder() const override { return order; }
    QString selectedKeyword() const override { return keyword; }
    QString searchText() const override { return text; }
    bool searchModeDown() const override { return searchDown; }
    bool otherModeDown() const override { return otherDown; }
    void cascade() override { g_calls << QStringLiteral("cascade"); }
    void showAllKeywordsTab() override { g_calls << QStringLiteral("all keywords tab"); }
};

void addRow(dao::Recordset &rs, dao::Field &f, const QString &v)
{
    rs.AddNew();
    f.setValue(v);
    rs.Update();
}

} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void optionsListTheSelectedKeyword();
    void notesWithoutLinksFallBackToQuotes();
    void goNeedsThreeCharactersAndRecords();
    void enterNeedsTheSameMinimum();
    void displayCardsAndDisplayGrid();
    void otherSearch_data();
    void otherSearch();
    void cardMenus();
    void keywordMenusNeedKeywordsAndLinks();
    void wordIndexMenusSetTheKind();

private:
    // Rows: "keywords", "note", "note link", "quote", "quote link",
    // "reference link".
    void fill(const QStringList &what);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<vb::DialogScript> m_script;
    FakeHost m_host;
    std::unique_ptr<MainCommands> m_commands;
};

void TestMainCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    g_Db = dao::DBEngine::CreateDatabase(m_dir->filePath(QStringLiteral("c.cvb")),
                                         QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Qv47Tz28"),
                                         dao::dbEncrypt);
    CreateBaseTables();
    OpenBaseTables();
    addRow(rsAuteurs, fldAuteursNom, QStringLiteral("Zola"));
    addRow(rsAuteurs, fldAuteursNom, QStringLiteral("Balzac"));
    ResetProgramState();
    installFakeHooks();
    g_calls.clear();
    m_host = FakeHost();
    m_commands = std::make_unique<MainCommands>(m_host);
    m_script = std::make_unique<vb::DialogScript>();
}

void TestMainCommands::cleanup()
{
    QVERIFY2(m_script->ok(), m_script->report());
    m_script.reset();
    windowLinks() = WindowLinks();
    g_Db.Close();
    g_Db = dao::Database();
    m_dir.reset();
}

void TestMainCommands::fill(const QStringList &what)
{
    if (what.contains(QStringLiteral("keywords")))
        addRow(rsCGroup1, fldCGroup1Groupe, QStringLiteral("Memory"));
    if (what.contains(QStringLiteral("note")))
        addRow(rsNote, fldNoteCit, QStringLiteral("NOTE0001.TXT"));
    if (what.contains(QStringLiteral("note link"))) {
        rsGrNote.AddNew();
        fldGrNoteGroupe.setValue(QStringLiteral("Memory"));
        fldGrNoteNdx.setValue(QStringLiteral("NOTE0001.TXT"));
        rsGrNote.Update();
    }
    if (what.contains(QStringLiteral("quote"))) {
        rsCit.AddNew();
        fldCitCit.setValue(QStringLiteral("QUOT001.TXT"));
        fldCitNdx.setValue(QStringLiteral("Ref_001"));
        rsCit.Update();
    }
    if (what.contains(QStringLiteral("quote link"))) {
        rsGrCit.AddNew();
        fldGrCitGroupe.setValue(QStringLiteral("Memory"));
        fldGrCitNdx.setValue(QStringLiteral("QUOT001.TXT"));
        rsGrCit.Update();
    }
    if (what.contains(QStringLiteral("reference link"))) {
        rsGrBib.AddNew();
        fldGrBibGroupe.setValue(QStringLiteral("Memory"));
        fldGrBibNdx.setValue(QStringLiteral("Ref_001"));
        rsGrBib.Update();
    }
}

void TestMainCommands::optionsListTheSelectedKeyword()
{
    m_host.keyword = QStringLiteral("Memory");
    m_commands->OptionRef_Click();
    QCOMPARE(CardKind, QStringLiteral("Bib"));
    m_commands->OptionCit_Click();
    QCOMPARE(CardKind, QStringLiteral("Cit"));
    QCOMPARE(g_calls, (QStringList{"references of Memory", "quotes of Memory"}));

    // No keyword selected, or the search toggle up: nothing listed; the
    // other search runs when its toggle is down.
    g_calls.clear();
    m_host.searchDown = false;
    m_host.otherDown = true;
    m_host.order = OtherOrder::Date;
    m_host.kind = CardType::Reference;
    m_commands->OptionRef_Click();
    m_host.keyword.clear();
    m_host.searchDown = true;
    m_host.otherDown = false;
    m_commands->OptionCit_Click();
    QCOMPARE(g_calls, (QStringList{"unload chooser", "references by date Bib"}));
}

void TestMainCommands::notesWithoutLinksFallBackToQuotes()
{
    fill({"keywords", "note"});
    m_host.keyword = QStringLiteral("Memory");
    m_host.kind = CardType::Note;
    m_script->msgBox(vb::vbOK, kNoRecords);
    m_commands->OptionNote_Click();
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbInformation));
    QCOMPARE(m_host.kind, CardType::Quote);
    QCOMPARE(CardKind, QStringLiteral("Cit"));
    QCOMPARE(g_calls, (QStringList{"option Cit", "quotes of Memory"}));

    g_calls.clear();
    fill({"note link"});
    m_host.kind = CardType::Note;
    m_commands->OptionNote_Click();
    QCOMPARE(CardKind, QStringLiteral("Note"));
    QCOMPARE(g_calls, QStringList{"notes of Memory"});
}

void TestMainCommands::goNeedsThreeCharactersAndRecords()
{
    fill({"note"});
    m_host.text = QStringLiteral("ab");
    m_script->msgBox(vb::vbOK, kTooShort);
    m_commands->CommandSearchText_Click();
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbCritical));

    m_host.text = QStringLiteral("abc");
    m_script->msgBox(vb::vbOK, kNoRecordsText); // no quote yet
    m_commands->CommandSearchText_Click();
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbInformation));
    QVERIFY(g_calls.isEmpty());

    m_host.kind = CardType::Note;
    m_commands->CommandSearchText_Click();
    fill({"quote"});
    m_host.kind = CardType::Quote;
    m_commands->CommandSearchText_Click();
    QCOMPARE(g_calls, (QStringList{"search notes", "search quotes"}));

    m_host.kind = CardType::Reference;
    m_script->msgBox(vb::vbOK, kNoTextInReferences);
    m_commands->CommandSearchText_Click();
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbCritical));
}

void TestMainCommands::enterNeedsTheSameMinimum()
{
    fill({"note", "quote"});
    // One letter would open a card for nearly every card of the base.
    m_host.text = QStringLiteral("a");
    m_script->msgBox(vb::vbOK, kTooShort);
    m_commands->TextSearch_KeyDown(13, 0);
    m_host.text.clear();
    m_host.kind = CardType::Note;
    m_script->msgBox(vb::vbOK, kTooShort);
    m_commands->TextSearch_KeyDown(13, 0);
    QVERIFY(g_calls.isEmpty());

    m_host.text = QStringLiteral("rome");
    m_commands->TextSearch_KeyDown(65, 0); // other keys do nothing
    m_commands->TextSearch_KeyDown(13, 0);
    m_host.kind = CardType::Reference;
    m_commands->TextSearch_KeyDown(13, 0); // references: nothing, no message
    QCOMPARE(g_calls, QStringList{"search notes"});
}

void TestMainCommands::displayCardsAndDisplayGrid()
{
    m_host.text = QStringLiteral("rome");
    m_script->msgBox(vb::vbOK, kNoRecordsText).msgBox(vb::vbOK, kNoRecordsText);
    m_commands->mNFindText_Click();
    m_commands->GridKWText2_Click();
    QVERIFY(g_calls.isEmpty());

    fill({"note", "quote"});
    m_host.text = QStringLiteral("ro");
    m_script->msgBox(vb::vbOK, kTooShort);
    m_commands->mCitFindText_Click();
    QVERIFY(g_calls.isEmpty());

    m_host.text = QStringLiteral("rome");
    m_commands->mCitFindText_Click();
    m_commands->mNFindText_Click();
    // The grid searches ask their own term.
    m_host.text.clear();
    m_commands->GridKWText_Click();
    QCOMPARE(CardKind, QStringLiteral("Note"));
    m_commands->GridKWText2_Click();
    QCOMPARE(CardKind, QStringLiteral("Cit"));
    QCOMPARE(g_calls, (QStringList{"search quotes", "cascade", "search notes", "cascade", "grid of notes",
                                   "grid of quotes"}));
}

void TestMainCommands::otherSearch_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("noRecords");
    const int note = int(CardType::Note), quote = int(CardType::Quote), ref = int(CardType::Reference);
    const int author = int(OtherOrder::Author), keyword = int(OtherOrder::Keyword), date = int(OtherOrder::Date);
    const QString u = QStringLiteral("unload chooser");

    QTest::newRow("references by author")
        << ref << author << QStringList{} << QStringList{u, "chooser AuthorSel 'Select Author' AUTEURS.NOM by Nom default"}
        << false;
    QTest::newRow("references by keyword")
        << ref << keyword << QStringList{"keywords", "reference link"}
        << QStringList{u, u, "chooser KWBibSel 'Select Keywords' CGROUP1.GROUPE by Groupe default"} << false;
    // Quote links do not make references searchable.
    QTest::newRow("references by keyword, no reference link")
        << ref << keyword << QStringList{"keywords", "quote", "quote link"} << QStringList{u, u} << true;
    QTest::newRow("references by date") << ref << date << QStringList{} << QStringList{u, "references by date Bib"}
                                        << false;
    // The authors in stored order, from a list of their own.
    QTest::newRow("quotes by author") << quote << author << QStringList{}
                                      << QStringList{u, "chooser AuthorCit 'Select Author' AUTEURS.NOM default"} << false;
    QTest::newRow("quotes by keyword")
        << quote << keyword << QStringList{"keywords", "quote", "quote link"}
        << QStringList{u, u, "chooser KWCitSel 'Select Keywords' CGROUP1.GROUPE by Groupe default"} << false;
    QTest::newRow("quotes by keyword, no keyword") << quote << keyword << QStringList{"quote", "quote link"}
                                                   << QStringList{u, u} << true;
    QTest::newRow("quotes by date, none") << quote << date << QStringList{} << QStringList{u, "quotes by date Cit"}
                                          << false;
    QTest::newRow("notes by author") << note << author << QStringList{"note"} << QStringList{u} << false;
    QTest::newRow("notes by keyword") << note << keyword << QStringList{"keywords", "note", "note link"}
                                      << QStringList{u, u, "chooser KWnoteSel 'Select Keyword' CGROUP1.GROUPE by Groupe"}
                                      << false;
    QTest::newRow("notes by date") << note << date << QStringList{"note"} << QStringList{u, "notes by date Note"}
                                   << false;
    QTest::newRow("notes by date, none") << note << date << QStringList{} << QStringList{u} << true;
    QTest::newRow("no order chosen") << quote << int(OtherOrder::None) << QStringList{} << QStringList{u} << false;
}

void TestMainCommands::otherSearch()
{
    QFETCH(int, kind);
    QFETCH(int, order);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, calls);
    QFETCH(bool, noRecords);
    fill(rows);
    m_host.kind = CardType(kind);
    m_host.order = OtherOrder(order);
    if (noRecords)
        m_script->msgBox(vb::vbOK, kNoRecords);
    const QString kindBefore = CardKind;
    m_commands->RunOtherSearch();
    QCOMPARE(g_calls, calls);
    QCOMPARE(CardKind, kindBefore);
}

void TestMainCommands::cardMenus()
{
    CardKind = QStringLiteral("Bib");
    m_script->msgBox(vb::vbOK, kQuoteFromReference).msgBox(vb::vbOK, kQuoteFromReference);
    m_commands->mCitNew_Click();
    m_commands->mCitNew2_Click();
    QCOMPARE(m_script->shown().last().buttons, int(vb::vbInformation));
    m_commands->mBibNew_Click();
    m_commands->mBibNew2_Click();
    m_commands->mNNew_Click();
    m_commands->mNoteNew_Click();
    // The author items bring the chooser forward as it is; "by Author" of
    // the quotes lists the quotes of the author's references.
    m_commands->mBibOpenAuthor_Click();
    m_commands->mCitOpenAuthor_Click();
    m_commands->mCitOpenDate_Click();
    m_commands->mBibOpenKW_Click();
    QCOMPARE(g_calls, (QStringList{"authors of a new reference", "authors of a new reference", "author of a new note",
                                   "author of a new note", "chooser AuthorSel 'Select Author' AUTEURS.NOM by Nom default",
                                   "chooser AuthorCit 'Select Author' AUTEURS.NOM default", "quotes by date Cit",
                                   "all keywords tab"}));
    QCOMPARE(CardKind, QStringLiteral("Bib"));
}

void TestMainCommands::keywordMenusNeedKeywordsAndLinks()
{
    fill({"keywords", "note", "quote"});
    m_script->msgBox(vb::vbOK, kNoRecords).msgBox(vb::vbOK, kNoRecords);
    m_commands->mNotebyKeyword_Click();
    m_commands->mCitOpenKW_Click();
    QCOMPARE(g_calls, (QStringList{"unload chooser", "unload chooser"}));

    g_calls.clear();
    fill({"note link", "quote link"});
    m_commands->mNotebyKeyword_Click();
    m_commands->mCitOpenKW_Click();
    m_commands->mNotebyDate_Click();
    QCOMPARE(g_calls, (QStringList{"unload chooser", "chooser KWnoteSel 'Select Keyword' CGROUP1.GROUPE by Groupe",
                                   "unload chooser",
                                   "chooser KWCitSel 'Select Keywords' CGROUP1.GROUPE by Groupe default",
                                   "notes by date Note"}));

    // Notes by date needs notes.
    rsNote.MoveFirst();
    rsNote.Delete();
    g_calls.clear();
    m_script->msgBox(vb::vbOK, kNoRecords);
    m_commands->mNotebyDate_Click();
    QVERIFY(g_calls.isEmpty());
}

void TestMainCommands::wordIndexMenusSetTheKind()
{
    m_commands->mIndexAllNotes_Click();
    QCOMPARE(CardKind, QStringLiteral("Note"));
    m_commands->mIndexAllQuotes_Click();
    QCOMPARE(CardKind, QStringLiteral("Cit"));
    m_commands->mnuAllKeywordsNotes_Click();
    QCOMPARE(CardKind, QStringLiteral("Note"));
    m_commands->mnuAllKeywordsQuotes_Click();
    QCOMPARE(CardKind, QStringLiteral("Cit"));
    QCOMPARE(g_calls, (QStringList{"index notes", "index quotes", "totals of notes", "totals of quotes"}));
}

QTEST_GUILESS_MAIN(TestMainCommands)
#include "tst_main_commands.moc"
