// The note and quote card windows driven as the user drives them, with
// every message answered through the dialog seam.

#include "CardOpeners.h"
#include "CardRecords.h"
#include "CardRules.h"
#include "CardTestBase.h"
#include "fCitMulti.h"
#include "FlexGrid.h"
#include "FListSel.h"
#include "fNoteMulti.h"
#include "InstallCards.h"
#include "ReferenceCardDouble.h"
#include "RichTextBox.h"
#include "Twips.h"
#include "WindowClicks.h"
#include "WindowLinks.h"

#include <QMdiSubWindow>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

using namespace cardtest;
using vb::DialogScript;

#define QVERIFY_SCRIPT(script) QVERIFY2((script).ok(), (script).report().constData())

namespace {

const QString kNotYet = QString::fromLatin1(kNotAvailableYet);
const QString kGone = QString::fromLatin1(cards::kCardGone);
const QString kReadOnly = QStringLiteral("Fichier en lecture seule !");
const QString kChangedHere = QStringLiteral(
    "This card was changed in the base since it was read here (in another window or by another "
    "program).\n\nReplace those changes with what this window holds?");
const QString kSave = QStringLiteral("The data have changed - do you want save?");

fNoteMulti *openNote(const QString &key)
{
    if (!seekKey(CardType::Note, key))
        return nullptr;
    SearchTextPos = 0;
    cards::ShowNoteCard();
    return static_cast<fNoteMulti *>(cardwindows::find(CardType::Note, key).last()->cardForm());
}

fCitMulti *openQuote(const QString &key)
{
    if (!seekKey(CardType::Quote, key))
        return nullptr;
    SearchTextPos = 0;
    cards::ShowQuoteCard();
    return static_cast<fCitMulti *>(cardwindows::find(CardType::Quote, key).last()->cardForm());
}

// Types a text and makes its second word bold.
void typeBold(vb::RichTextBox *box)
{
    box->setText(QStringLiteral("plain bold tail"));
    box->setSelStart(6);
    box->setSelLength(4);
    box->setSelBold(true);
}

bool boldAt(vb::RichTextBox *box, int start, int length)
{
    box->setSelStart(start);
    box->setSelLength(length);
    return box->SelBold().value_or(false);
}

// The program's main window as far as the cards need one: the area they
// open in.
vb::MdiForm *showMainArea()
{
    auto *main = vb::Forms::create<vb::MdiForm>();
    main->move(0, 0, 12000, 9000);
    main->show();
    return main;
}

// A card at the area's top left, in front.
template <class Card> Card *atTopLeft(Card *card)
{
    card->subWindow()->move(0, 0);
    card->bringToFront();
    return card;
}

// A title typed into a note and stored; the answers to the questions the
// store asks, in order.
void storeTitle(fNoteMulti *w, const QString &title, QList<int> answers = {}, const QString &prompt = {})
{
    w->cNoteTitle->setText(title);
    DialogScript script;
    for (int a : answers)
        script.msgBox(a, prompt);
    w->CmdStore->click();
    QVERIFY_SCRIPT(script);
}

} // namespace


class TestCardWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFont();
        InstallCardWindows();
        InstallReferenceCardDouble();
    }
    void cleanup()
    {
        unloadAll();
        windowLinks().showChooser = nullptr;
        windowLinks().parseTextWords = nullptr;
    }

    void storeCloseAndReopenKeepsTheFormatting()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), QStringLiteral("au"), QStringLiteral("ti"), QStringLiteral("old"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        typeBold(w->NoteRTF);
        w->cNoteTitle->setText(QStringLiteral("new title"));
        QVERIFY(w->isChanged());
        w->CmdStore->click();
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("Texte")),
                 QStringLiteral("plain bold tail"));
        QVERIFY(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TEXTRTF")).startsWith(QStringLiteral("{\\rtf1")));

        // A stored card still asks on closing; OK stores again.
        w->NoteRTF->setSelStart(15);
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("The data have changed - do you want save?"));
            QVERIFY(w->unload());
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(cardwindows::all().isEmpty());

        fNoteMulti *again = openNote(QStringLiteral("A.TXT"));
        QCOMPARE(again->NoteRTF->Text(), QStringLiteral("plain bold tail"));
        QCOMPARE(again->cNoteTitle->text(), QStringLiteral("new title"));
        QVERIFY(boldAt(again->NoteRTF, 6, 4));
        QVERIFY(!boldAt(again->NoteRTF, 0, 5));
        // Unchanged: closes without a question.
        DialogScript quiet;
        QVERIFY(again->unload());
        QVERIFY_SCRIPT(quiet);
    }

    void deleteClosesTheDeletedCardOnly()
    {
        Base base;
        for (const char *k : {"N1.TXT", "N2.TXT", "N3.TXT"}) {
            addNote(QString::fromLatin1(k), {}, QString::fromLatin1(k), QStringLiteral("t"));
            link(CardType::Note, QStringLiteral("kw"), QString::fromLatin1(k));
        }
        link(CardType::Note, QStringLiteral("kw2"), QStringLiteral("N2.TXT"));
        fNoteMulti *one = openNote(QStringLiteral("N1.TXT"));
        fNoteMulti *two = openNote(QStringLiteral("N2.TXT"));
        fNoteMulti *three = openNote(QStringLiteral("N3.TXT"));
        vb::Forms::get<FListSel>().show();
        two->NoteRTF->setText(QStringLiteral("changed, then deleted"));
        three->NoteRTF->setText(QStringLiteral("three keeps working"));

        {
            DialogScript script; // Delete asks nothing
            two->Command2->click();
            QVERIFY_SCRIPT(script);
        }
        QCoreApplication::processEvents();
        QVERIFY(!two || !two->isLoaded());
        QVERIFY(one->isLoaded() && three->isLoaded());
        QCOMPARE(NoteCards.count, 3);
        QCOMPARE(field(CardType::Note, QStringLiteral("N2.TXT"), QStringLiteral("CIT")), QStringLiteral("<gone>"));
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("N2.TXT")), 0);
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("N1.TXT")), 1);
        QVERIFY(!vb::Forms::isLoaded<FListSel>());

        QVERIFY(three->Store());
        QCOMPARE(field(CardType::Note, QStringLiteral("N3.TXT"), QStringLiteral("Texte")),
                 QStringLiteral("three keeps working"));

        // The card of the last slot: the count comes down with it, never below 0.
        three->Delete();
        QCOMPARE(NoteCards.count, 2);
        QVERIFY(one->isLoaded());
        NoteCards.count = 0;
        one->Delete();
        QCOMPARE(NoteCards.count, 0);
        QVERIFY(cardwindows::all().isEmpty());
    }

    void readOnlyStoreKeepsTheWindowAndItsEdits()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("old"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        base.reopenReadOnly();
        w->NoteRTF->setText(QStringLiteral("typed by the user"));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, kReadOnly);
            QVERIFY(!w->Store());
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().first().buttons, int(vb::vbExclamation));
        }
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("The data have changed - do you want save?"));
            script.msgBox(vb::vbOK, kReadOnly);
            QVERIFY(!w->unload());
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(w->isLoaded());
        QCOMPARE(w->NoteRTF->Text(), QStringLiteral("typed by the user"));
        // Delete says so too and leaves everything.
        {
            DialogScript script;
            script.msgBox(vb::vbOK, kReadOnly);
            w->Delete();
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(w->isLoaded());
        // Cancel discards.
        DialogScript script;
        script.msgBox(vb::vbCancel);
        QVERIFY(w->unload());
        QVERIFY_SCRIPT(script);
    }

    void suppStoresBothTextsAndRemovesTheKeyword()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("old"));
        for (const char *k : {"beta", "Alpha", "gamma"})
            link(CardType::Note, QString::fromLatin1(k), QStringLiteral("A.TXT"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        typeBold(w->NoteRTF);
        w->cgMCNote->setRow(1);
        QCOMPARE(w->cgMCNote->text(), QStringLiteral("beta"));

        // Cancel: the card was stored, both texts, the link stays.
        {
            DialogScript script;
            script.msgBox(vb::vbCancel, cards::suppQuestion(QStringLiteral("beta"), CardType::Note));
            w->KWSupp->click();
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().first().buttons, int(vb::vbOKCancel | vb::vbQuestion));
        }
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("Texte")), QStringLiteral("plain bold tail"));
        fNoteMulti *reader = openNote(QStringLiteral("A.TXT"));
        QVERIFY(boldAt(reader->NoteRTF, 6, 4));
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("A.TXT")), 3);

        {
            DialogScript script;
            script.msgBox(vb::vbOK);
            w->RemoveKeyword();
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("A.TXT")), 2);
        QCOMPARE(w->keywords(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("gamma")}));
        QCOMPARE(w->cgMCNote->rows(), 2);

        // Removing the last ones leaves one empty row.
        for (int i = 0; i < 2; ++i) {
            DialogScript script;
            script.msgBox(vb::vbOK);
            w->cgMCNote->setRow(0);
            w->RemoveKeyword();
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(w->cgMCNote->rows(), 1);
        QCOMPARE(w->cgMCNote->textMatrix(0, 0), QString());
    }

    void aCardDeletedElsewhereSaysSo()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("old"));
        addNote(QStringLiteral("B.TXT"), {}, {}, QStringLiteral("b"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        fNoteMulti *other = openNote(QStringLiteral("A.TXT"));
        cards::deleteCard(CardType::Note, QStringLiteral("A.TXT"));
        // The cursor stands on another valid card: nothing may touch it.
        seekKey(CardType::Note, QStringLiteral("B.TXT"));
        w->NoteRTF->setText(QStringLiteral("edits"));
        w->show(); // activation seeks a key that is gone: no failure
        DialogScript script;
        script.msgBox(vb::vbOK, kGone).msgBox(vb::vbOK, kGone).msgBox(vb::vbOK, kGone).msgBox(vb::vbOK, kGone);
        QVERIFY(!w->Store());
        w->Delete();
        w->AddKeywords();
        w->TextCompare();
        QVERIFY_SCRIPT(script);
        QVERIFY(w->isLoaded() && other->isLoaded());
        QCOMPARE(w->NoteRTF->Text(), QStringLiteral("edits"));
        QCOMPARE(field(CardType::Note, QStringLiteral("B.TXT"), QStringLiteral("Texte")), QStringLiteral("b"));
    }

    // Two cards of one author stored at the same place, the front one's
    // Delete double-clicked: the front card goes, the one beneath stays.
    void doubleClickOnDeleteDeletesOneCard()
    {
        Base base;
        addNote(QStringLiteral("ALPH0001.TXT"), QStringLiteral("Alpha"), QStringLiteral("one"), QStringLiteral("1"));
        addNote(QStringLiteral("ALPH0002.TXT"), QStringLiteral("Alpha"), QStringLiteral("two"), QStringLiteral("2"));
        addQuote(QStringLiteral("REF00001.TXT"), QStringLiteral("Ref0000001"), QStringLiteral("q1"), QStringLiteral("x"));
        addQuote(QStringLiteral("REF00002.TXT"), QStringLiteral("Ref0000001"), QStringLiteral("q2"), QStringLiteral("y"));
        vb::MdiForm *main = showMainArea();
        QVERIFY(QTest::qWaitForWindowExposed(main->window()));
        fNoteMulti *beneath = atTopLeft(openNote(QStringLiteral("ALPH0001.TXT")));
        fNoteMulti *front = atTopLeft(openNote(QStringLiteral("ALPH0002.TXT")));
        QCOMPARE(main->activeChild(), front);
        {
            DialogScript script; // no question before a delete
            windowclicks::doubleClickAt(front->Command2);
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(field(CardType::Note, QStringLiteral("ALPH0002.TXT"), QStringLiteral("CIT")), QStringLiteral("<gone>"));
        QCOMPARE(field(CardType::Note, QStringLiteral("ALPH0001.TXT"), QStringLiteral("TITRE1")), QStringLiteral("one"));
        QVERIFY(beneath->isLoaded());

        // The same as two clicks a moment apart, on quotes.
        fCitMulti *q1 = atTopLeft(openQuote(QStringLiteral("REF00001.TXT")));
        fCitMulti *q2 = atTopLeft(openQuote(QStringLiteral("REF00002.TXT")));
        windowclicks::clickTwiceAt(q2->CmdDelete, 80);
        QCOMPARE(field(CardType::Quote, QStringLiteral("REF00002.TXT"), QStringLiteral("Cit")), QStringLiteral("<gone>"));
        QCOMPARE(field(CardType::Quote, QStringLiteral("REF00001.TXT"), QStringLiteral("Titre1")), QStringLiteral("q1"));
        QVERIFY(q1->isLoaded());
    }

    // A note open twice, deleted in one window, its key taken by a new note
    // of the same author: the old window's commands never reach the new note.
    void aKeyTakenByANewCardIsNotThisCard()
    {
        Base base;
        addNote(QStringLiteral("ALPH0001.TXT"), QStringLiteral("Alpha"), QStringLiteral("old"), QStringLiteral("old text"));
        link(CardType::Note, QStringLiteral("kw"), QStringLiteral("ALPH0001.TXT"));
        fNoteMulti *deleting = openNote(QStringLiteral("ALPH0001.TXT"));
        fNoteMulti *stale = openNote(QStringLiteral("ALPH0001.TXT"));
        deleting->Command2->click();
        addNote(QStringLiteral("ALPH0001.TXT"), QStringLiteral("Alpha"), QStringLiteral("new"), QStringLiteral("new text"));
        link(CardType::Note, QStringLiteral("kw"), QStringLiteral("ALPH0001.TXT"));

        stale->cNoteTitle->setText(QStringLiteral("typed in the old window"));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, kGone).msgBox(vb::vbOK, kGone);
            stale->CmdStore->click();
            stale->Command2->click();
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(field(CardType::Note, QStringLiteral("ALPH0001.TXT"), QStringLiteral("TITRE1")), QStringLiteral("new"));
        QCOMPARE(field(CardType::Note, QStringLiteral("ALPH0001.TXT"), QStringLiteral("Texte")), QStringLiteral("new text"));
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("ALPH0001.TXT")), 1);
        {
            // Supp stores first, and stops there.
            DialogScript script;
            script.msgBox(vb::vbOK, kGone);
            stale->KWSupp->click();
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("ALPH0001.TXT")), 1);
        {
            // Closing: the store behind OK fails, the window stays with what
            // was typed.
            DialogScript script;
            script.msgBox(vb::vbOK, kSave).msgBox(vb::vbOK, kGone);
            QVERIFY(!stale->unload());
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(stale->isLoaded());
        QCOMPARE(stale->cNoteTitle->text(), QStringLiteral("typed in the old window"));
    }

    // Two windows of one card: a store never silently replaces what the
    // other stored since this one read the card; the user chooses.
    void aStoreOverAnotherWindowsStoreAsks()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), QStringLiteral("au"), QStringLiteral("read"), QStringLiteral("text"));
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), QStringLiteral("read"), QStringLiteral("x"));
        fNoteMulti *one = openNote(QStringLiteral("A.TXT"));
        fNoteMulti *two = openNote(QStringLiteral("A.TXT"));
        storeTitle(one, QStringLiteral("first"));
        // A window's own earlier store is no change made elsewhere.
        storeTitle(one, QStringLiteral("first again"));
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("first again"));

        storeTitle(two, QStringLiteral("second"), {vb::vbNo}, kChangedHere);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("first again"));
        QCOMPARE(two->cNoteTitle->text(), QStringLiteral("second"));
        QVERIFY(two->isChanged());
        // Asked again, and told to replace.
        storeTitle(two, QStringLiteral("second"), {vb::vbYes}, kChangedHere);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("second"));
        // The first window has not read that one.
        storeTitle(one, QStringLiteral("first"), {vb::vbNo}, kChangedHere);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("second"));

        // Closing with the answer No keeps the window and what it holds.
        {
            DialogScript script;
            script.msgBox(vb::vbOK, kSave).msgBox(vb::vbNo, kChangedHere);
            QVERIFY(!one->unload());
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(one->isLoaded());

        // The quote card too.
        fCitMulti *q1 = openQuote(QStringLiteral("Q.TXT"));
        fCitMulti *q2 = openQuote(QStringLiteral("Q.TXT"));
        q1->CitRTF->setText(QStringLiteral("from one"));
        q1->CmdStore->click();
        q2->CitRTF->setText(QStringLiteral("from two"));
        {
            DialogScript script;
            script.msgBox(vb::vbNo, kChangedHere);
            q2->CmdStore->click();
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(field(CardType::Quote, QStringLiteral("Q.TXT"), QStringLiteral("Texte")), QStringLiteral("from one"));
    }

    // Another running copy of the program writes the record through a
    // connection of its own.
    void aStoreOverAnotherProgramsStoreAsks()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), QStringLiteral("au"), QStringLiteral("read"), QStringLiteral("text"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        {
            dao::Database other = dao::DBEngine::OpenDatabase(g_Db.Name(), false, false, testbase::kConnect);
            dao::Recordset notes = other.OpenRecordset(QStringLiteral("NOTE"));
            notes.setIndex(QStringLiteral("NoteNDX"));
            notes.Seek(QStringLiteral("="), QStringLiteral("A.TXT"));
            QVERIFY(!notes.NoMatch());
            notes.Edit();
            notes.Fields(QStringLiteral("Texte")).setValue(QStringLiteral("written by the other copy"));
            notes.Update();
            other.Close();
        }
        storeTitle(w, QStringLiteral("mine"), {vb::vbNo}, kChangedHere);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("Texte")),
                 QStringLiteral("written by the other copy"));
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("read"));
        QCOMPARE(w->cNoteTitle->text(), QStringLiteral("mine"));
    }

    void keywordsRefreshByTheCardsOwnKey()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, {});
        addNote(QStringLiteral("B.TXT"), {}, {}, {});
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), {}, {});
        fNoteMulti *a1 = openNote(QStringLiteral("A.TXT"));
        fNoteMulti *b = openNote(QStringLiteral("B.TXT"));
        fNoteMulti *a2 = openNote(QStringLiteral("A.TXT"));
        fCitMulti *q = openQuote(QStringLiteral("Q.TXT"));
        link(CardType::Note, QStringLiteral("new"), QStringLiteral("A.TXT"));
        const int windows = vb::Forms::count();
        RefreshCardKeywords(CardType::Note, QStringLiteral("a.txt"));
        QCOMPARE(a1->keywords(), QStringList{QStringLiteral("new")});
        QCOMPARE(a2->cgMCNote->textMatrix(0, 0), QStringLiteral("new"));
        QVERIFY(b->keywords().isEmpty());
        RefreshCardKeywords(CardType::Quote, QStringLiteral("NONE.TXT"));
        QCOMPARE(vb::Forms::count(), windows);

        // The flag: the first card activated after it refreshes itself.
        link(CardType::Quote, QStringLiteral("qkw"), QStringLiteral("Q.TXT"));
        link(CardType::Note, QStringLiteral("bkw"), QStringLiteral("B.TXT"));
        KeywordsChanged = true;
        b->show();
        QVERIFY(!KeywordsChanged);
        QCOMPARE(b->keywords(), QStringList{QStringLiteral("bkw")});
        QVERIFY(q->keywords().isEmpty());
        QCOMPARE(CardKind, QStringLiteral("Note"));
    }

    void commandsOfLaterWindowsGoThroughTheLinks()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("some words"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, kNotYet).msgBox(vb::vbOK, kNotYet).msgBox(vb::vbOK, kNotYet);
            w->KWAdd->click();
            w->Command7->click();
            w->Command1->click();
            QVERIFY_SCRIPT(script);
        }
        ChooserRequest seen;
        windowLinks().showChooser = [&](const ChooserRequest &r) { seen = r; };
        QString analysed;
        windowLinks().parseTextWords = [&](const QString &text) { analysed = text; };
        w->setCardNumber(7);
        w->KWAdd->click();
        QVERIFY(seen.mode == ChooserMode::KWNoteSelect);
        QCOMPARE(seen.caption, QStringLiteral("Select Keywords"));
        QCOMPARE(seen.targetKey, QStringLiteral("A.TXT"));
        QCOMPARE(seen.targetNumber, 7);
        QCOMPARE(CurrentNoteKey, QStringLiteral("A.TXT"));
        QCOMPARE(CurrentNoteNumber, 7);
        QCOMPARE(seen.source.Name(), QStringLiteral("CGROUP1"));
        QCOMPARE(seen.sourceField.Name().toUpper(), QStringLiteral("GROUPE"));
        QCOMPARE(SelectMode, 1);
        w->NoteRTF->setText(QStringLiteral("edited words"));
        w->Command7->click();
        QCOMPARE(analysed, QStringLiteral("edited words"));
        QCOMPARE(AnalysedCardKey, QStringLiteral("A.TXT"));
        QCOMPARE(AnalysedCardKind, QStringLiteral("Note"));
    }

    void quoteLeadsToItsOwnReference()
    {
        Base base;
        addReference(QStringLiteral("Duran__001"), QStringLiteral("Book"), {QStringLiteral("Duran")});
        addReference(QStringLiteral("Other__001"), QStringLiteral("Other"), {});
        addQuote(QStringLiteral("DURAN001.TXT"), QStringLiteral("Duran__001"), {}, QStringLiteral("q"));
        addQuote(QStringLiteral("LOST0001.TXT"), QStringLiteral("Lost___001"), {}, QStringLiteral("q"));
        fCitMulti *q = openQuote(QStringLiteral("DURAN001.TXT"));
        fCitMulti *lost = openQuote(QStringLiteral("LOST0001.TXT"));
        const int quotes = int(rsCit.RecordCount());

        // The cursor on another reference: only the quote's own one opens.
        seekKey(CardType::Reference, QStringLiteral("Other__001"));
        q->Command1->click();
        q->Command1->click();
        const QList<CardWindowLink *> refs = cardwindows::find(CardType::Reference, QStringLiteral("Duran__001"));
        QCOMPARE(refs.size(), 2);
        QCOMPARE(refs.at(0)->cardNumber(), 1);
        QCOMPARE(refs.at(1)->cardNumber(), 2);
        QCOMPARE(OpenReferenceKey, QStringLiteral("Duran__001"));
        QVERIFY(cardwindows::find(CardType::Reference, QStringLiteral("Other__001")).isEmpty());

        {
            DialogScript script;
            script.msgBox(vb::vbOK, QString::fromLatin1(cards::kReferenceGone));
            lost->Command1->click();
            QVERIFY_SCRIPT(script);
        }
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral(" You shall select or create a Reference, then run the Add Quote button from it "));
            q->Command2->click();
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().first().buttons, int(vb::vbInformation));
        }
        QCOMPARE(cardwindows::find(CardType::Reference, QStringLiteral("Duran__001")).size(), 3);
        QCOMPARE(int(rsCit.RecordCount()), quotes);

        // The quote's close question has its own words.
        q->cCitTitle->setText(QStringLiteral("x"));
        DialogScript script;
        script.msgBox(vb::vbCancel, QStringLiteral("The data have changed - do you want to save?"));
        QVERIFY(q->unload());
        QVERIFY_SCRIPT(script);
    }

    void resizingNeverGivesNegativeSizes()
    {
        Base base;
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), {}, QStringLiteral("q"));
        addNote(QStringLiteral("A.TXT"), {}, {}, {});
        fCitMulti *q = openQuote(QStringLiteral("Q.TXT"));
        const double textBottom = vb::topOf(q->CitRTF) + vb::heightOf(q->CitRTF);
        // Twips land on whole pixels (15 twips at 96 dpi).
        QVERIFY(qAbs(vb::topOf(q->Frame2) - textBottom) < 15.5);
        QVERIFY(qAbs(vb::topOf(q->Command1) - (textBottom + 100)) < 15.5);

        q->setHeight(q->height() + 1500);
        QCoreApplication::processEvents();
        const double grown = vb::topOf(q->CitRTF) + vb::heightOf(q->CitRTF);
        QVERIFY(grown > textBottom);
        QVERIFY(qAbs(vb::topOf(q->Command1) - (grown + 100)) < 15.5);
        const double before = vb::topOf(q->Command1);

        // Minimised: nothing moves.
        q->setWindowState(vb::vbMinimized);
        QCoreApplication::processEvents();
        QCOMPARE(vb::topOf(q->Command1), before);

        // The note's text box: the window less its left or top and the
        // margins (240 right, 1140 below), nothing when the window is smaller.
        fNoteMulti *n = openNote(QStringLiteral("A.TXT"));
        const auto textBoxFits = [](vb::Form *w, QWidget *text) {
            const double width = w->width() - vb::leftOf(text) - 240;
            const double height = w->height() - vb::topOf(text) - 1140;
            return qAbs(vb::widthOf(text) - qMax(0.0, width)) < 15.5
                   && qAbs(vb::heightOf(text) - qMax(0.0, height)) < 15.5;
        };
        n->setWidth(9000);
        n->setHeight(7000);
        QCoreApplication::processEvents();
        QVERIFY(vb::widthOf(n->NoteRTF) > 7000);
        QVERIFY(textBoxFits(n, n->NoteRTF));
        n->setWidth(300);
        n->setHeight(600);
        QCoreApplication::processEvents();
        QVERIFY(n->width() < vb::leftOf(n->NoteRTF) + 240);
        QVERIFY(n->height() < vb::topOf(n->NoteRTF) + 1140);
        QCOMPARE(vb::widthOf(n->NoteRTF), 0.0);
        QCOMPARE(vb::heightOf(n->NoteRTF), 0.0);

        // The quote's, with the frame and the button kept below it.
        q->setWindowState(vb::vbNormal);
        q->setWidth(600);
        q->setHeight(600);
        QCoreApplication::processEvents();
        QCOMPARE(vb::heightOf(q->CitRTF), 0.0);
        QVERIFY(qAbs(vb::topOf(q->Frame2) - vb::topOf(q->CitRTF)) < 15.5);
        QVERIFY(qAbs(vb::topOf(q->Command1) - (vb::topOf(q->CitRTF) + 100)) < 15.5);
        q->setWidth(9000);
        q->setHeight(8000);
        QCoreApplication::processEvents();
        QVERIFY(textBoxFits(q, q->CitRTF));
        QVERIFY(qAbs(vb::topOf(q->Command1) - (vb::topOf(q->CitRTF) + vb::heightOf(q->CitRTF) + 100)) < 15.5);
    }
};

QTEST_MAIN(TestCardWindows)
#include "tst_windows.moc"
