// The openers and the set opener: what each hands to its window, the
// numbering of the sets, the memory guard and the reference stand-in.

#include "Alert.h"
#include "CardOpeners.h"
#include "CardTestBase.h"
#include "CardRules.h"
#include "CommonControls.h"
#include "FlexGrid.h"
#include "GridClicks.h"
#include "InstallCards.h"
#include "Memory.h"
#include "MemoryStatus.h"
#include "RichTextBox.h"
#include "Runtime.h"
#include "WindowLinks.h"
#include "Working.h"
#include "ZoneScope.h"
#include "ReferenceCardDouble.h"
#include "fCitMulti.h"
#include "fNoteMulti.h"

#include <QLineEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

using namespace cardtest;

namespace {

vb::MemoryStatus memory(qint64 availPhys, qint64 availVirtual)
{
    vb::MemoryStatus s;
    s.totalPhys = 4000;
    s.availPhys = availPhys;
    s.totalVirtual = 80000;
    s.availVirtual = availVirtual;
    return s;
}

fNoteMulti *noteWindow(const QString &key, int index = 0)
{
    const QList<CardWindowLink *> cards = cardwindows::find(CardType::Note, key);
    return index < cards.size() ? static_cast<fNoteMulti *>(cards.at(index)->cardForm()) : nullptr;
}

// The same paragraphs, runs, characters and formats, read one by one.
bool sameDocument(const QTextDocument &a, const QTextDocument &b, QString *why)
{
    if (a.toPlainText() != b.toPlainText()) {
        *why = QStringLiteral("text: ") + a.toPlainText() + QStringLiteral(" / ") + b.toPlainText();
        return false;
    }
    QTextBlock x = a.begin(), y = b.begin();
    for (; x.isValid() && y.isValid(); x = x.next(), y = y.next()) {
        if (x.blockFormat() != y.blockFormat()) {
            *why = QStringLiteral("paragraph format of: ") + x.text();
            return false;
        }
        QTextBlock::iterator i = x.begin(), j = y.begin();
        for (; !i.atEnd() && !j.atEnd(); ++i, ++j) {
            if (i.fragment().text() != j.fragment().text() || i.fragment().charFormat() != j.fragment().charFormat()) {
                *why = QStringLiteral("run: ") + i.fragment().text() + QStringLiteral(" / ") + j.fragment().text();
                return false;
            }
        }
        if (!i.atEnd() || !j.atEnd()) {
            *why = QStringLiteral("runs of: ") + x.text();
            return false;
        }
    }
    if (x.isValid() || y.isValid()) {
        *why = QStringLiteral("paragraph count");
        return false;
    }
    return true;
}

} // namespace

class TestOpeners : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFont();
        InstallCardWindows();
    }
    void cleanup()
    {
        unloadAll();
        vb::setMemoryStatusSource({});
        windowLinks().createReferenceWindow = nullptr;
    }

    void noteOpenerNumbersAndHandsOver()
    {
        Base base;
        addNote(QStringLiteral("MART0001.TXT"), QStringLiteral("Martin"), QStringLiteral("Memory"),
                QStringLiteral("plain only text"));
        addNote(QStringLiteral("MART0002.TXT"), {}, {}, {});
        link(CardType::Note, QStringLiteral("delta"), QStringLiteral("MART0001.TXT"));
        link(CardType::Note, QStringLiteral("Alpha"), QStringLiteral("MART0001.TXT"));
        link(CardType::Note, QStringLiteral("other"), QStringLiteral("MART0002.TXT"));

        QVERIFY(seekKey(CardType::Note, QStringLiteral("MART0001.TXT")));
        ShowNoteCard();
        fNoteMulti *one = noteWindow(QStringLiteral("MART0001.TXT"));
        QVERIFY(one && one->isVisible());
        QCOMPARE(NoteCards.count, 1);
        QCOMPARE(CurrentNoteNumber, 1);
        QCOMPARE(CardKeywordCount, 2);
        QCOMPARE(one->caption(), QStringLiteral("Memory : '' (1)"));
        QCOMPARE(one->FenNum->text(), QStringLiteral("1"));
        QCOMPARE(one->tag(), QStringLiteral("MART0001.TXT"));
        QCOMPARE(one->cNoteAuthor->text(), QStringLiteral("Martin"));
        QCOMPARE(one->NoteRTF->Text(), QStringLiteral("plain only text"));
        QCOMPARE(one->cNoteDate->text(), vb::DateText(QVariant(QDate(2024, 3, 5))));
        QCOMPARE(one->cgMCNote->textMatrix(0, 0), QStringLiteral("Alpha"));
        QCOMPARE(one->cgMCNote->textMatrix(1, 0), QStringLiteral("delta"));
        QVERIFY(!one->isChanged());

        // A second single opener: slot 2; the first window keeps its data.
        QVERIFY(seekKey(CardType::Note, QStringLiteral("MART0002.TXT")));
        SearchText = QStringLiteral("stale");
        SearchTextPos = 0;
        ShowNoteCard();
        fNoteMulti *two = noteWindow(QStringLiteral("MART0002.TXT"));
        QCOMPARE(NoteCards.count, 2);
        QCOMPARE(two->caption(), QStringLiteral(" : '' (2)"));
        // The last search's term stays for the next opening at a hit.
        QCOMPARE(SearchText, QStringLiteral("stale"));
        QCOMPARE(two->cgMCNote->rows(), 1);
        QCOMPARE(one->keywords(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("delta")}));
        QCOMPARE(one->FenNum->text(), QStringLiteral("1"));
    }

    void searchHitIsSelectedAndClamped()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, QStringLiteral("T"), QStringLiteral("abcdwordefgh"));
        QVERIFY(seekKey(CardType::Note, QStringLiteral("A.TXT")));
        SearchText = QStringLiteral("word");
        SearchTextPos = 5;
        ShowNoteCard();
        fNoteMulti *w = noteWindow(QStringLiteral("A.TXT"));
        QCOMPARE(w->caption(), QStringLiteral("T : 'word' (1)"));
        QCOMPARE(w->NoteRTF->SelStart(), 4);
        QCOMPARE(w->NoteRTF->SelLength(), 4);

        // A hit past the text selects nothing past it.
        QVERIFY(seekKey(CardType::Note, QStringLiteral("A.TXT")));
        SearchTextPos = 11;
        ShowNoteCard();
        fNoteMulti *w2 = noteWindow(QStringLiteral("A.TXT"), 1);
        QCOMPARE(w2->NoteRTF->SelStart(), 10);
        QCOMPARE(w2->NoteRTF->SelLength(), 2);
    }

    // A hit belongs to the one opening it was set for: the quote list of a
    // reference and its "Add Quote" set none, and get none.
    void hitGoesToItsOwnOpeningOnly()
    {
        Base base;
        addReference(QStringLiteral("Durand_001"), QStringLiteral("Book"), {QStringLiteral("Durand")});
        addQuote(QStringLiteral("DURAN001.TXT"), QStringLiteral("Durand_001"), {}, QStringLiteral("one word here"));
        addQuote(QStringLiteral("DURAN002.TXT"), QStringLiteral("Durand_001"), {}, QStringLiteral("nothing found"));
        addNote(QStringLiteral("N.TXT"), {}, QStringLiteral("T"), QStringLiteral("a plain note"));

        // The result grid's double-click: the term's position, then the opener.
        QVERIFY(seekKey(CardType::Quote, QStringLiteral("DURAN001.TXT")));
        SearchText = QStringLiteral("word");
        SearchTextPos = 5;
        ShowQuoteCard();
        auto *hit = static_cast<fCitMulti *>(cardwindows::find(CardType::Quote, QStringLiteral("DURAN001.TXT")).first()->cardForm());
        QCOMPARE(hit->caption(), QStringLiteral("Durand : 'word' (1)"));
        QCOMPARE(hit->CitRTF->SelLength(), 4);
        QCOMPARE(SearchTextPos, 0);

        // Then a quote opened from its reference card: no hit of its own.
        QVERIFY(seekKey(CardType::Quote, QStringLiteral("DURAN002.TXT")));
        ShowQuoteCard();
        auto *later = static_cast<fCitMulti *>(cardwindows::find(CardType::Quote, QStringLiteral("DURAN002.TXT")).first()->cardForm());
        QCOMPARE(later->caption(), QStringLiteral("Durand : '' (2)"));
        QCOMPARE(later->CitRTF->SelLength(), 0);
        // The first key typed adds to the text, it replaces nothing.
        QTest::keyClick(later->CitRTF->editor(), Qt::Key_X);
        QCOMPARE(later->CitRTF->Text(), QStringLiteral("xnothing found"));

        // A note opened by the list by date neither: and the term survives
        // for the next opening at a hit.
        QVERIFY(seekKey(CardType::Note, QStringLiteral("N.TXT")));
        ShowNoteCard();
        QCOMPARE(noteWindow(QStringLiteral("N.TXT"))->caption(), QStringLiteral("T : '' (1)"));
        QCOMPARE(SearchText, QStringLiteral("word"));
        QVERIFY(seekKey(CardType::Quote, QStringLiteral("DURAN001.TXT")));
        SearchTextPos = 5;
        ShowQuoteCard();
        auto *again = static_cast<fCitMulti *>(cardwindows::find(CardType::Quote, QStringLiteral("DURAN001.TXT")).at(1)->cardForm());
        QCOMPARE(again->caption(), QStringLiteral("Durand : 'word' (3)"));
        QCOMPARE(again->CitRTF->SelStart(), 4);
        QCOMPARE(again->CitRTF->SelLength(), 4);
    }

    // Stored text counts CR LF as two characters, the document as one break.
    void hitAfterLineBreaksSelectsTheTerm()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, QStringLiteral("T"), QStringLiteral("one\r\ntwo\r\n\r\nthe word\rend"));
        QVERIFY(seekKey(CardType::Note, QStringLiteral("A.TXT")));
        SearchText = QStringLiteral("word");
        SearchTextPos = 17; // in the stored text
        ShowNoteCard();
        fNoteMulti *w = noteWindow(QStringLiteral("A.TXT"));
        QCOMPARE(w->NoteRTF->SelLength(), 4);
        QCOMPARE(w->NoteRTF->editor()->textCursor().selectedText(), QStringLiteral("word"));

        // A hit before any break is where it was.
        QCOMPARE(cards::documentHitPosition(QStringLiteral("ab\r\ncd"), 2), 2);
        QCOMPARE(cards::documentHitPosition(QStringLiteral("ab\r\ncd"), 5), 4);
        QCOMPARE(cards::documentHitPosition(QStringLiteral("ab\r\ncd"), 0), 0);
    }

    // The card's keyword grid finds the cards of its keyword as the index
    // compares, letter case aside, as the main window and the result grid do.
    void keywordDoubleClickIgnoresLetterCase()
    {
        Base base;
        addNote(QStringLiteral("N1.TXT"), {}, QStringLiteral("one"), {});
        addNote(QStringLiteral("N2.TXT"), {}, QStringLiteral("two"), {});
        link(CardType::Note, QStringLiteral("Apple"), QStringLiteral("N2.TXT"));
        link(CardType::Note, QStringLiteral("apple"), QStringLiteral("N1.TXT"));
        QVERIFY(seekKey(CardType::Note, QStringLiteral("N1.TXT")));
        ShowNoteCard();
        fNoteMulti *from = noteWindow(QStringLiteral("N1.TXT"));
        QCOMPARE(from->cgMCNote->textMatrix(0, 0), QStringLiteral("apple"));
        gridtest::doubleClickCell(from->cgMCNote, 0);
        QTRY_COMPARE_WITH_TIMEOUT(cardwindows::all().size(), 3, 60000);
        QVERIFY(!cardwindows::find(CardType::Note, QStringLiteral("N2.TXT")).isEmpty());
        QCOMPARE(NoteCards.count, 2);
    }

    // The date boxes show a stored date as stored, where the local clock
    // skips that hour (Paris, spring) or that midnight (Sao Paulo).
    void dateBoxesShowTimesTheClockSkips()
    {
        for (const char *zone : {"Europe/Paris", "America/Sao_Paulo"}) {
            const ZoneScope scope(zone);
            Base base;
            addNote(QStringLiteral("SKIP0001.TXT"), QStringLiteral("Ann"), {}, QStringLiteral("x"), {}, QDate());
            rsNote.setIndex(QStringLiteral("NoteNDX"));
            rsNote.Seek(QStringLiteral("="), QStringLiteral("SKIP0001.TXT"));
            rsNote.Edit();
            fldNoteJour.setValue(QStringLiteral("2024-03-31 02:30:00"));
            rsNote.Update();
            addQuote(QStringLiteral("SKIP0001.TXT"), QStringLiteral("Nobody_001"), {}, QStringLiteral("y"),
                     QDate(2018, 11, 4));
            QVERIFY(seekKey(CardType::Note, QStringLiteral("SKIP0001.TXT")));
            ShowNoteCard();
            fNoteMulti *note = noteWindow(QStringLiteral("SKIP0001.TXT"));
            QVERIFY(note);
            QCOMPARE(note->cNoteDate->text(), vb::DateText(QDate(2024, 3, 31), QTime(2, 30)));
            QVERIFY(seekKey(CardType::Quote, QStringLiteral("SKIP0001.TXT")));
            ShowQuoteCard();
            auto *quote = static_cast<fCitMulti *>(
                cardwindows::find(CardType::Quote, QStringLiteral("SKIP0001.TXT")).first()->cardForm());
            QCOMPARE(quote->cCitDate->text(), vb::DateText(QVariant(QDate(2018, 11, 4))));
            QVERIFY(quote->cCitDate->text().contains(QStringLiteral("2018")));
            unloadAll();
        }
    }

    void quoteOpenerTakesTheReferenceAuthors()
    {
        Base base;
        addReference(QStringLiteral("Duran__001"), QStringLiteral("Book"),
                     {QStringLiteral("Duran"), QStringLiteral("Li"), QStringLiteral("Ng")});
        addQuote(QStringLiteral("DURAN001.TXT"), QStringLiteral("Duran__001"), QStringLiteral("qt"),
                 QStringLiteral("quoted text"));
        addQuote(QStringLiteral("NOREF001.TXT"), QStringLiteral("Nobody_001"), QString(), QStringLiteral("x"));
        QVERIFY(seekKey(CardType::Quote, QStringLiteral("DURAN001.TXT")));
        ShowQuoteCard();
        auto *q = static_cast<fCitMulti *>(cardwindows::find(CardType::Quote, QStringLiteral("DURAN001.TXT"))
                                              .first()->cardForm());
        QCOMPARE(q->caption(), QStringLiteral("Duran : '' (1)"));
        QCOMPARE(q->cgAutCit->rows(), 3);
        QCOMPARE(q->cgAutCit->textMatrix(2, 0), QStringLiteral("Ng"));
        QCOMPARE(q->cCitNDX->text(), QStringLiteral("DURAN001.TXT"));
        QCOMPARE(q->FormCount->text(), QString::number(vb::Forms::count()));
        QCOMPARE(q->CitRTF->Text(), QStringLiteral("quoted text"));
        // The whole text is indented 200 twips and nothing stays selected.
        q->CitRTF->setSelStart(3);
        QCOMPARE(q->CitRTF->SelIndent(), std::optional<int>(200));
        QCOMPARE(CardAuthorCount, 3);
        QVERIFY(!q->isChanged());

        QVERIFY(seekKey(CardType::Quote, QStringLiteral("NOREF001.TXT")));
        ShowQuoteCard();
        auto *none = static_cast<fCitMulti *>(
            cardwindows::find(CardType::Quote, QStringLiteral("NOREF001.TXT")).first()->cardForm());
        QCOMPARE(none->caption(), QStringLiteral(" : '' (2)"));
        QCOMPARE(none->cgAutCit->rows(), 1);
        QCOMPARE(none->cgAutCit->textMatrix(0, 0), QString());
        QCOMPARE(CardAuthorCount, 0);
    }

    void setFromAKeywordBehindTheMemoryGuard()
    {
        Base base;
        for (const char *k : {"N1.TXT", "N2.TXT", "N3.TXT"})
            addNote(QString::fromLatin1(k), {}, QString::fromLatin1(k), {});
        link(CardType::Note, QStringLiteral("Shared"), QStringLiteral("N1.TXT"));
        link(CardType::Note, QStringLiteral("Shared"), QStringLiteral("GONE.TXT"));
        link(CardType::Note, QStringLiteral("Shared"), QStringLiteral("N3.TXT"));
        link(CardType::Note, QStringLiteral("Shared"), QStringLiteral("N2.TXT"));
        QVERIFY(seekKey(CardType::Note, QStringLiteral("N1.TXT")));
        ShowNoteCard();
        fNoteMulti *from = noteWindow(QStringLiteral("N1.TXT"));
        QCOMPARE(from->cgMCNote->text(), QStringLiteral("Shared"));

        // Short on both figures: Alert only, the set stays as it was.
        vb::setMemoryStatusSource([] { return memory(40, 1500); });
        from->KeywordGridDblClick();
        QVERIFY(vb::Forms::isLoaded<Alert>());
        QCOMPARE(vb::Forms::find<Alert>()->Text1->text(), QStringLiteral(" 99 %"));
        QCOMPARE(NoteCards.count, 1);
        QCOMPARE(cardwindows::all().size(), 1);
        vb::Forms::unload<Alert>();

        // Physical short, virtual not: the cards open, numbered without a gap
        // for the missing one, each with its number in FenNum.
        vb::setMemoryStatusSource([] { return memory(40, 3000); });
        SearchTextPos = 3;
        SearchText = QStringLiteral("stale");
        from->KeywordGridDblClick();
        QVERIFY(!vb::Forms::isLoaded<Alert>());
        QCOMPARE(NoteCards.count, 3);
        QCOMPARE(CardKind, QStringLiteral("Note"));
        QCOMPARE(cardwindows::all().size(), 4);
        QCOMPARE(noteWindow(QStringLiteral("N1.TXT"), 1)->FenNum->text(), QStringLiteral("1"));
        QCOMPARE(noteWindow(QStringLiteral("N3.TXT"))->FenNum->text(), QStringLiteral("2"));
        fNoteMulti *n2 = noteWindow(QStringLiteral("N2.TXT"));
        QCOMPARE(n2->FenNum->text(), QStringLiteral("3"));
        // A set opens with no hit selected.
        QCOMPARE(n2->caption(), QStringLiteral("N2.TXT : '' (3)"));
        QCOMPARE(n2->NoteRTF->SelLength(), 0);
        QCOMPARE(CurrentNoteNumber, 1);

        // A keyword without links: nothing opens, nothing is said.
        vb::DialogScript script;
        from->cgMCNote->setRows(1);
        from->cgMCNote->setTextMatrix(0, 0, QStringLiteral("nothing here"));
        from->KeywordGridDblClick();
        QCOMPARE(cardwindows::all().size(), 4);
        QVERIFY(script.ok());
    }

    // A large set asks before anything changes: Cancel at the question, to
    // a double-click on a card's keyword, leaves the set in use (its count,
    // the card of its last slot), the result grid's count and the open
    // cards as they were.
    void aLargeSetFromAKeywordGridAsksBeforeAnythingChanges()
    {
        Base base;
        {
            dao::TransactionScope tx;
            for (int i = 0; i <= kCardsWithoutQuestion; ++i) {
                const QString key = QStringLiteral("BIG%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
                addNote(key, {}, key, {});
                link(CardType::Note, QStringLiteral("Big"), key);
            }
            tx.Commit();
        }
        vb::setMemoryStatusSource([] { return memory(qint64(1) << 24, qint64(1) << 24); });
        QVERIFY(seekKey(CardType::Note, QStringLiteral("BIG0007.TXT")));
        ShowNoteCard();
        fNoteMulti *from = noteWindow(QStringLiteral("BIG0007.TXT"));
        QVERIFY(from);
        GridRowCount = 9;
        const int count = NoteCards.count;

        vb::DialogScript script;
        script.msgBox(vb::vbCancel, QStringLiteral("301 cards are filed under 'Big' - open them all ?"));
        gridtest::doubleClickCell(from->cgMCNote, 0);
        QVERIFY_SCRIPT(script);
        QCOMPARE(NoteCards.count, count);
        QVERIFY(NoteCards.window == from);
        QCOMPARE(GridRowCount, 9);
        QCOMPARE(cardwindows::all().size(), 1);
        QVERIFY(!vb::Forms::isLoaded<Working>());
    }

    // Each card of a set shows its own record: its boxes, its keywords in
    // their order, its text with every run formatted as the stored markup
    // says; the print buffer waits until asked for; closed cards go whole.
    void setShowsEachCardsOwnRecordAndClosingFreesIt()
    {
        Base base;
        const QString rtfOne = QStringLiteral(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
            "{\\colortbl ;\\red255\\green0\\blue0;}\\pard\\li200\\f0\\fs20 Caf\\'e9 {\\b gras} et "
            "{\\i\\cf1 italique} \\u8364? fin\\par\r\n\\pard\\qc\\f1\\fs28 {\\ul centre}\\par}");
        const QString rtfTwo = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 {\\strike two} words\\par}");
        addNote(QStringLiteral("S1.TXT"), QStringLiteral("Ann"), QStringLiteral("One"), QStringLiteral("x"), rtfOne);
        addNote(QStringLiteral("S2.TXT"), QStringLiteral("Bob"), QStringLiteral("Two"), QStringLiteral("x"), rtfTwo,
                QDate(2023, 1, 2));
        addNote(QStringLiteral("S3.TXT"), {}, {}, QStringLiteral("plain\r\nlines"));
        for (const char *k : {"set", "zeta", "Alpha"})
            link(CardType::Note, QString::fromLatin1(k), QStringLiteral("S1.TXT"));
        link(CardType::Note, QStringLiteral("set"), QStringLiteral("S2.TXT"));
        link(CardType::Note, QStringLiteral("set"), QStringLiteral("S3.TXT"));
        link(CardType::Note, QStringLiteral("beta"), QStringLiteral("S3.TXT"));

        cards::OpenCardsOfKeyword(CardType::Note, QStringLiteral("set"));
        QCOMPARE(cardwindows::all().size(), 3);
        struct Expected {
            const char *key, *author, *title;
            QString rtf;
            QStringList keywords;
            QDate date;
        };
        const QList<Expected> expected{
            {"S1.TXT", "Ann", "One", rtfOne, {QStringLiteral("Alpha"), QStringLiteral("set"), QStringLiteral("zeta")},
             QDate(2024, 3, 5)},
            {"S2.TXT", "Bob", "Two", rtfTwo, {QStringLiteral("set")}, QDate(2023, 1, 2)},
            {"S3.TXT", "", "", QStringLiteral("plain\r\nlines"), {QStringLiteral("beta"), QStringLiteral("set")},
             QDate(2024, 3, 5)},
        };
        QList<QPointer<QObject>> parts;
        for (const Expected &e : expected) {
            fNoteMulti *w = noteWindow(QString::fromLatin1(e.key));
            QVERIFY(w);
            QCOMPARE(w->cNoteNDX->text(), QString::fromLatin1(e.key));
            QCOMPARE(w->cNoteAuthor->text(), QString::fromLatin1(e.author));
            QCOMPARE(w->cNoteTitle->text(), QString::fromLatin1(e.title));
            QCOMPARE(w->cNoteDate->text(), vb::DateText(QVariant(e.date)));
            QCOMPARE(w->cgMCNote->rows(), int(e.keywords.size()));
            for (int r = 0; r < e.keywords.size(); ++r)
                QCOMPARE(w->cgMCNote->textMatrix(r, 0), e.keywords.at(r));
            vb::RichTextBox alone;
            alone.setTextRTF(e.rtf);
            QString why;
            QVERIFY2(sameDocument(*w->NoteRTF->document(), *alone.document(), &why), qPrintable(why));
            QVERIFY(!w->isChanged());

            QVERIFY(!w->findChild<vb::RichTextBox *>(QStringLiteral("ToPrint")));
            auto *buffer = qobject_cast<vb::RichTextBox *>(w->control(QStringLiteral("ToPrint")));
            QVERIFY(buffer);
            QCOMPARE(w->ToPrint(), buffer);
            QVERIFY(!buffer->isVisible());
            QCOMPARE(buffer->parentWidget(), w->client());
            parts << QPointer<QObject>(w) << QPointer<QObject>(w->window()) << QPointer<QObject>(buffer)
                  << QPointer<QObject>(w->cgMCNote) << QPointer<QObject>(w->Toolbar1);
        }

        for (CardWindowLink *c : cardwindows::all())
            c->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(cardwindows::all().isEmpty());
        for (const QPointer<QObject> &p : parts)
            QVERIFY(p.isNull());
    }

    void referenceCardUntilItsWindowIsInstalled()
    {
        Base base;
        addReference(QStringLiteral("Duran__001"), QStringLiteral("A Book"), {QStringLiteral("Duran")});
        link(CardType::Reference, QStringLiteral("kw"), QStringLiteral("Duran__001"));
        QVERIFY(seekKey(CardType::Reference, QStringLiteral("Duran__001")));
        {
            // No reference window: said so, and no slot taken.
            const int before = ReferenceCards.count;
            vb::DialogScript script;
            script.msgBox(vb::vbOK, QString::fromLatin1(kNotAvailableYet));
            ShowReferenceCard();
            QVERIFY2(script.ok(), script.report());
            QCOMPARE(ReferenceCards.count, before);
            QVERIFY(cardwindows::find(CardType::Reference, QStringLiteral("Duran__001")).isEmpty());
        }
        windowLinks().createReferenceWindow = []() -> CardWindowLink * {
            auto *w = new ReferenceCardDouble();
            w->load();
            return w;
        };
        ShowReferenceCard();
        auto *r = qobject_cast<ReferenceCardDouble *>(
            cardwindows::find(CardType::Reference, QStringLiteral("Duran__001")).first()->cardForm());
        QVERIFY(r && r->isVisible());
        QCOMPARE(r->cBibNDX->text(), QStringLiteral("Duran__001"));
        QCOMPARE(r->cBibTitle->text(), QStringLiteral("A Book"));
        QVERIFY(r->cBibTitle->isReadOnly());
        QCOMPARE(r->tag(), QStringLiteral("Duran__001"));
        QCOMPARE(CurrentReferenceNumber, 1);
        QCOMPARE(ReferenceCards.slot.authors, QStringList{QStringLiteral("Duran")});
        QCOMPARE(ReferenceCards.slot.keywords, QStringList{QStringLiteral("kw")});

        // Each opening makes a new window in the next slot.
        ReferenceCardDouble *made = nullptr;
        windowLinks().createReferenceWindow = [&]() -> CardWindowLink * {
            made = new ReferenceCardDouble();
            made->load();
            return made;
        };
        QVERIFY(seekKey(CardType::Reference, QStringLiteral("Duran__001")));
        ShowReferenceCard();
        QVERIFY(made && made->isVisible());
        QCOMPARE(made->FenNum->text(), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestOpeners)
#include "tst_openers.moc"
