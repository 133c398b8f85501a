// The chooser: its selection, the list procedures (add, delete with
// Cancel, type-ahead), linking keywords twice and with a failure midway,
// and a reconfiguration while it is open.

#include "CardTables.h"
#include "CardWindows.h"
#include "Chooser.h"
#include "KeywordsTestBase.h"
#include "ListRecordSet.h"
#include "ProgramState.h"
#include "WindowLinks.h"
#include "fMultSel.h"
#include "fGrid.h"

#include <QApplication>
#include <QtTest>
#include <QLineEdit>
#include <QPushButton>

using kwtest::Base;
using vb::DialogScript;

namespace {

// A plain list for the list procedures.
class Rows : public keywords::ListRows {
public:
    QStringList items;
    int current = -1;
    int top = 0;
    int rows() const override { return int(items.size()); }
    QString text(int row) const override { return items.value(row); }
    int currentRow() const override { return current; }
    void setCurrentRow(int row) override { current = row; }
    void clearSelection() override {}
    int topRow() const override { return top; }
    void setTopRow(int row) override { top = row; }
    void setItems(const QStringList &list) override { items = list; }
    void removeRow(int row) override { items.removeAt(row); }
};

// An open card as the chooser reaches it.
class FakeCard : public CardWindowLink {
public:
    FakeCard(CardType t, QString k) : type(t), key(std::move(k)) { cardwindows::add(this); }
    ~FakeCard() override { cardwindows::remove(this); }
    CardType cardType() const override { return type; }
    QString cardKey() const override { return key; }
    vb::Form *cardForm() override { return nullptr; }
    void setCardNumber(int) override {}
    int cardNumber() const override { return 1; }
    void reloadKeywords() override { reloaded << keywords::LinkedKeywords(type, key); }
    QString cardPlainText() const override { return {}; }
    void closeWithoutAsking() override {}
    CardType type;
    QString key;
    QList<QStringList> reloaded;
};

// The counter of a card's record, as its card read it.
qint64 counterOf(CardType type, const QString &key)
{
    CardTables t = cardTablesOf(type);
    t.cards.setIndex(t.cardIndex);
    t.cards.Seek(QStringLiteral("="), key);
    return t.cards.NoMatch() ? -1 : t.cards.Fields(t.counter).Value().toLongLong();
}

// The request of a note card's "Select Keywords", as the card makes it.
ChooserRequest noteKeywordsRequest(const QString &key)
{
    ChooserRequest r;
    r.mode = ChooserMode::KWNoteSelect;
    r.caption = "Select Keywords";
    r.source = g_Db.OpenRecordset("CGROUP1");
    r.source.setIndex("Groupe");
    r.sourceField = r.source.Fields("GROUPE");
    r.defaultButton = false;
    r.targetType = CardType::Note;
    r.targetKey = key;
    r.targetCounter = counterOf(CardType::Note, key);
    return r;
}

QStringList tableValues(dao::Recordset rs, const QString &field)
{
    QStringList out;
    if (rs.RecordCount() == 0)
        return out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        out << rs.Fields(field).Value().toString();
    return out;
}

} // namespace

class TestChooser : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        windowLinks() = WindowLinks{};
    }
    void cleanup()
    {
        vb::Forms::unload<fMultSel>();
        vb::Forms::unload<fGrid>();
    }

    void selectionKeepsOneRow()
    {
        keywords::Selection s;
        QVERIFY(s.isEmpty());
        s.add("A");
        s.add("A");
        QCOMPARE(s.rows(), QStringList({"A", "A"}));
        s.remove(0);
        QCOMPARE(s.rows(), QStringList({"A"}));
        s.remove(0);
        QCOMPARE(s.rows(), QStringList({QString()}));
        s.add("B");
        QCOMPARE(s.rows(), QStringList({"B"}));
    }

    void addWritesFirstAndSaysWhy()
    {
        Base base;
        Base::keyword("Apple");
        Base::keyword("Pear");
        Rows list;
        keywords::FillListFromRecordset(list, rsCGroup1, fldCGroup1Groupe);
        QCOMPARE(list.items, QStringList({"Apple", "Pear"}));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QString(" This item exists "));
            QVERIFY(!keywords::AddListItem("Pear", list, rsCGroup1, fldCGroup1Groupe));
            QVERIFY_SCRIPT(script);
            QCOMPARE(list.current, 1);
        }
        {
            // apple passes the list (case counts there), the unique index refuses it.
            DialogScript script;
            script.msgBox(vb::vbYes).msgBox(vb::vbOK);
            QVERIFY(!keywords::AddListItem("apple", list, rsCGroup1, fldCGroup1Groupe));
            QVERIFY_SCRIPT(script);
            // The table's own cause, not the error of the clean-up.
            QVERIFY2(!script.shown().at(1).prompt.contains("without AddNew"),
                     qPrintable(script.shown().at(1).prompt));
            QCOMPARE(list.items, QStringList({"Apple", "Pear"}));
        }
        {
            DialogScript script;
            script.msgBox(vb::vbYes, QString(" Do you want to add Banana as a new item? "));
            QVERIFY(keywords::AddListItem("Banana", list, rsCGroup1, fldCGroup1Groupe));
            QVERIFY_SCRIPT(script);
            QCOMPARE(list.items, QStringList({"Apple", "Banana", "Pear"}));
            QCOMPARE(list.current, 1);
        }
    }

    // An entry the table cannot hold says why, in the keyword list's words,
    // and nothing is written.
    void overLongEntryInTheWindowSaysTheRealCause()
    {
        Base base;
        Base::keyword("Apple");
        ChooserRequest r;
        r.mode = ChooserMode::KWNoteSelect;
        r.caption = "Select Keywords";
        r.source = rsCGroup1;
        r.sourceField = fldCGroup1Groupe;
        r.listButtons = true;
        keywords::ShowChooser(r);
        fMultSel *w = vb::Forms::find<fMultSel>();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w->window()));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QString(" A Keyword has 30 characters at most "));
            w->Text1->setFocus();
            QTest::keyClicks(w->Text1, QString(31, 'k'));
            QTest::mouseClick(w->cListAdd, Qt::LeftButton);
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().first().buttons, int(vb::vbExclamation));
        }
        QCOMPARE(rsCGroup1.RecordCount(), 1);
    }

    void deleteCanBeCancelledAndDeletesTheChosenSpelling()
    {
        Base base;
        Base::keyword("Only");
        Rows one;
        keywords::FillListFromRecordset(one, rsCGroup1, fldCGroup1Groupe);
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QString("discard this item ?"))
                .msgBox(vb::vbOK, QString("The list cannot be empty sorry"));
            QVERIFY(!keywords::DeleteListItem(one, rsCGroup1, fldCGroup1Groupe));
            QVERIFY_SCRIPT(script);
        }
        rsAuteurs.AddNew();
        fldAuteursNom.setValue("Smith");
        rsAuteurs.Update();
        rsAuteurs.AddNew();
        fldAuteursNom.setValue("smith");
        rsAuteurs.Update();
        rsAuteurs.setIndex("Nom");
        Rows list;
        keywords::FillListFromRecordset(list, rsAuteurs, fldAuteursNom);
        list.current = list.items.indexOf("smith");
        {
            DialogScript script;
            script.msgBox(vb::vbCancel, QString("discard this item ?"));
            QVERIFY(!keywords::DeleteListItem(list, rsAuteurs, fldAuteursNom));
            QVERIFY_SCRIPT(script);
            QCOMPARE(list.items.size(), 2);
        }
        DialogScript script;
        script.msgBox(vb::vbOK);
        QVERIFY(keywords::DeleteListItem(list, rsAuteurs, fldAuteursNom));
        QVERIFY_SCRIPT(script);
        QCOMPARE(tableValues(rsAuteurs, "NOM"), QStringList({"Smith"}));
        QCOMPARE(list.items, QStringList({"Smith"}));
    }

    void deleteFromAListWithoutIndexAndAReadOnlyBase()
    {
        Base base;
        for (const char *n : {"Zola", "Hugo", "Vian"}) {
            rsAuteurs.AddNew();
            fldAuteursNom.setValue(QString(n));
            rsAuteurs.Update();
        }
        dao::Recordset plain = g_Db.OpenRecordset("AUTEURS");
        dao::Field name = plain.Fields("NOM");
        Rows list;
        keywords::FillListFromRecordset(list, plain, name);
        QCOMPARE(list.items, QStringList({"Zola", "Hugo", "Vian"}));
        list.current = 1;
        {
            DialogScript script;
            script.msgBox(vb::vbOK);
            QVERIFY(keywords::DeleteListItem(list, plain, name));
            QVERIFY_SCRIPT(script);
        }
        plain.Close();
        base.reopenReadOnly();
        rsAuteurs.setIndex("Nom");
        Rows ro;
        keywords::FillListFromRecordset(ro, rsAuteurs, fldAuteursNom);
        ro.current = 0;
        DialogScript script;
        script.msgBox(vb::vbOK).msgBox(vb::vbOK, QString("Fichier en lecture seule !"));
        QVERIFY(!keywords::DeleteListItem(ro, rsAuteurs, fldAuteursNom));
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(1).buttons & 0x70, int(vb::vbCritical));
        // The entry stays listed, as it stays in the table.
        QCOMPARE(ro.items, QStringList({"Vian", "Zola"}));
    }

    void typeAhead()
    {
        const keywords::TypedText t = keywords::CapitaliseFirst("smith jr", 3);
        QCOMPARE(t.text, QString("Smith jr"));
        QCOMPARE(t.caret, 3);
        QVERIFY(t.changed);
        QVERIFY(!keywords::CapitaliseFirst("Émile", 1).changed);
        Rows list;
        list.items = {"apple", "Banana", "ma", "Mb", "Zed"};
        QCOMPARE(keywords::FindListItemAsYouType("M", list), 2);
        QCOMPARE(keywords::FindListItemAsYouType("Mb", list), 3);
        QCOMPARE(keywords::FindListItemAsYouType("A", list), 0);
        QCOMPARE(keywords::FindListItemAsYouType("Q", list), -1);
        QCOMPARE(list.current, 4);
        QCOMPARE(keywords::FindListItemAsYouType("", list), -1);
    }

    void linkingTwiceAddsNothingTwice()
    {
        Base base;
        Base::note("MART0001.TXT");
        Base::link(rsGrNote, "Old", "MART0001.TXT");
        FakeCard card(CardType::Note, "mart0001.txt");
        const qint64 mart = counterOf(CardType::Note, "MART0001.TXT");
        QVERIFY(keywords::LinkKeywords(CardType::Note, "MART0001.TXT", mart, {"New", "", "new", "OLD", "New"}));
        QCOMPARE(keywords::LinkedKeywords(CardType::Note, "MART0001.TXT"), QStringList({"Old", "New"}));
        QVERIFY(KeywordsChanged);
        QCOMPARE(SelectMode, 1);
        QCOMPARE(card.reloaded, QList<QStringList>({{"Old", "New"}}));
        QVERIFY(keywords::LinkKeywords(CardType::Note, "MART0001.TXT", mart, {"New"}));
        QCOMPARE(Base::count(rsGrNote), 2);
    }

    void failureMidwayLeavesNothing()
    {
        Base base;
        Base::reference("Li_____001");
        const QString tooLong(31, u'x');
        DialogScript script;
        script.msgBox(vb::vbOK);
        const qint64 li = counterOf(CardType::Reference, "Li_____001");
        QVERIFY(!keywords::LinkKeywords(CardType::Reference, "Li_____001", li, {"First", tooLong}));
        QVERIFY_SCRIPT(script);
        QCOMPARE(Base::count(rsGrBib), 0);
        QVERIFY(!KeywordsChanged);
        // The retry stores each link once.
        QVERIFY(keywords::LinkKeywords(CardType::Reference, "Li_____001", li, {"First", "Second"}));
        QCOMPARE(Base::count(rsGrBib), 2);
    }

    void readOnlyBaseAndGoneCard()
    {
        Base base;
        Base::note("N1");
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QString("This record does not exists"));
            QVERIFY(!keywords::LinkKeywords(CardType::Note, "Gone", 1, {"K"}));
            QVERIFY_SCRIPT(script);
        }
        base.reopenReadOnly();
        DialogScript script;
        script.msgBox(vb::vbOK, QString("Fichier en lecture seule !"));
        QVERIFY(!keywords::LinkKeywords(CardType::Note, "N1", counterOf(CardType::Note, "N1"), {"K"}));
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons & 0x70, int(vb::vbExclamation));
    }

    // The chooser of a note stands open while another running copy of the
    // program (a connection of its own) deletes the note and makes a new
    // one under the same key: Select refuses the newer card and says why,
    // nothing is linked, and the chooser stays with its selection.
    void selectRefusesANewerCardUnderTheKey()
    {
        Base base;
        Base::keyword("Alpha");
        Base::note("N1");
        const ChooserRequest r = noteKeywordsRequest("N1");
        keywords::ShowChooser(r);
        fMultSel *w = vb::Forms::find<fMultSel>();
        QVERIFY(w);
        w->cgList->setRow(0);
        w->cgList_Click();
        QCOMPARE(w->selection().rows(), QStringList({"Alpha"}));

        // The reads of this program end their hold on the file as the event
        // loop turns; the other copy may then write.
        QCoreApplication::processEvents();
        {
            dao::Database other = dao::DBEngine::OpenDatabase(g_Db.Name(), false, false, testbase::kConnect);
            dao::Recordset notes = other.OpenRecordset("NOTE");
            notes.setIndex("NoteNDX");
            notes.Seek("=", "N1");
            QVERIFY(!notes.NoMatch());
            notes.Delete();
            notes.AddNew();
            notes.Fields("CIT").setValue("N1");
            notes.Fields("TITRE1").setValue("the other copy's note");
            notes.Update();
            other.Close();
        }
        QVERIFY(counterOf(CardType::Note, "N1") != r.targetCounter);

        QPushButton *select = w->actionButton(ChooserMode::KWNoteSelect);
        QVERIFY(select->isVisibleTo(w->window()));
        DialogScript script;
        script.msgBox(vb::vbOK, QString("This card is no longer in the base."));
        QTest::mouseClick(select, Qt::LeftButton);
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons & 0x70, int(vb::vbExclamation));
        QVERIFY(keywords::LinkedKeywords(CardType::Note, "N1").isEmpty());
        QVERIFY(!KeywordsChanged);
        QVERIFY(w->isLoaded());
        QCOMPARE(w->selection().rows(), QStringList({"Alpha"}));

        // The card of this program that took the key is served by a chooser
        // of its own.
        QVERIFY(keywords::LinkKeywords(CardType::Note, "N1", counterOf(CardType::Note, "N1"), {"Alpha"}));
        QCOMPARE(keywords::LinkedKeywords(CardType::Note, "N1"), QStringList({"Alpha"}));
    }

    void reconfiguredWhileOpenStartsAfresh()
    {
        Base base;
        Base::keyword("Alpha");
        Base::keyword("Beta");
        rsAuteurs.AddNew();
        fldAuteursNom.setValue("Hugo");
        rsAuteurs.Update();
        Base::note("N1");

        const ChooserRequest keywordsRequest = noteKeywordsRequest("N1");
        keywords::ShowChooser(keywordsRequest);
        fMultSel *w = vb::Forms::find<fMultSel>();
        QVERIFY(w);
        QCOMPARE(w->cgList->rows(), 2);
        w->cgList->setRow(1);
        w->cgList_Click();
        QCOMPARE(w->selection().rows(), QStringList({"Beta"}));

        ChooserRequest authors;
        authors.mode = ChooserMode::cBibAutSel;
        authors.caption = "Authors";
        authors.source = rsAuteurs;
        authors.sourceField = fldAuteursNom;
        authors.listButtons = true;
        authors.defaultButton = false;
        keywords::ShowChooser(authors);
        QCOMPARE(vb::Forms::find<fMultSel>(), w);
        QCOMPARE(w->caption(), QString("Authors"));
        QCOMPARE(w->cgList->rows(), 1);
        QCOMPARE(w->cgList->textMatrix(0, 0), QString("Hugo"));
        QVERIFY(w->selection().isEmpty());
        QVERIFY(w->actionButton(ChooserMode::cBibAutSel)->isVisibleTo(w->window()));
        QVERIFY(!w->actionButton(ChooserMode::KWNoteSelect)->isVisibleTo(w->window()));
        QVERIFY(!w->actionButton(ChooserMode::KWNoteSelect)->isEnabled());

        // The author mode hands the chosen rows to the creator.
        QStringList handed;
        windowLinks().createReferenceForAuthors = [&](const QStringList &a) {
            handed = a;
            return true;
        };
        w->cgList->setRow(0);
        w->cgList_Click();
        w->Action_Click(ChooserMode::cBibAutSel);
        QCOMPARE(handed, QStringList({"Hugo"}));
        QVERIFY(!w->actionButton(ChooserMode::cBibAutSel)->isVisibleTo(w->window()));

        // Back to linking: the target card is the one of this request.
        keywords::ShowChooser(keywordsRequest);
        w->cgList->setRow(0);
        w->cgList_Click();
        w->Action_Click(ChooserMode::KWNoteSelect);
        QCOMPARE(keywords::LinkedKeywords(CardType::Note, "N1"), QStringList({"Alpha"}));
        QVERIFY(!w->isLoaded());
    }

    void keywordSearchModes()
    {
        Base base;
        Base::keyword("K");
        Base::note("N1");
        Base::link(rsGrNote, "K", "N1");
        QStringList listed;
        int option = -1;
        windowLinks().listCitsOfKeyword = [&](QString &k) { listed << "cit:" + k; };
        windowLinks().setCardKindOption = [&](CardType t) { option = int(t); };
        ChooserRequest r;
        r.mode = ChooserMode::KWCitSel;
        r.caption = "Select Keywords";
        r.source = rsCGroup1;
        r.sourceField = fldCGroup1Groupe;
        keywords::ShowChooser(r);
        fMultSel *w = vb::Forms::find<fMultSel>();
        w->cgList->setRow(0);
        w->cgList_Click();
        w->cgSel->setRow(0);
        w->Action_Click(ChooserMode::KWCitSel);
        QVERIFY(w->isLoaded()); // stays open for another search
        r.mode = ChooserMode::KWBibSel;
        keywords::ShowChooser(r);
        w->cgList->setRow(0);
        w->cgList_Click();
        w->cgSel->setRow(0);
        w->Action_Click(ChooserMode::KWBibSel);
        QVERIFY(!w->isLoaded());
        QCOMPARE(CardKind, QString("Bib"));
        QCOMPARE(option, int(CardType::Reference));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFont f = app.font();
    f.setPointSize(8);
    app.setFont(f);
    TestChooser t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_chooser.moc"
