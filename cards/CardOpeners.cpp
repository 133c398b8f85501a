#include "CardOpeners.h"

#include "CardRecords.h"
#include "CardRules.h"
#include "CardSetOpener.h"
#include "CardWindows.h"
#include "Dialogs.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Start.h"
#include "WindowLinks.h"
#include "fCitMulti.h"
#include "fNoteMulti.h"

namespace cards {

namespace {

// The hit the caller set for this one opening; the next opener gets none
// unless its caller sets one again.
int takeHit()
{
    const int hit = SearchTextPos;
    SearchTextPos = 0;
    return hit;
}

// The stamp of the record just read goes with the hand-over: the window
// need not read the record again to make it.
void handStamp(CardSlot &s, CardType type, const CardRecord &r)
{
    const CardStamp stamp = stampOf(type, r);
    s.counter = stamp.counter;
    s.digest = stamp.digest;
}

// Slot n of the kind, filled from the current record. The hit, found in the
// stored plain text, becomes a position in the window's document.
int fillNoteSlot(int hit)
{
    const CardRecord r = readCurrentCard(CardType::Note);
    const int n = NextCardSlot(CardType::Note);
    CardSlot &s = NoteCards.slot;
    handStamp(s, CardType::Note, r);
    s.key = r.key;
    s.hitPosition = documentHitPosition(r.plainText, hit);
    s.noteAuthor = r.author;
    s.title = r.title;
    s.text = r.text;
    s.keywords = readCardKeywords(CardType::Note, r.key);
    CardKeywordCount = int(s.keywords.size());
    return n;
}

int fillQuoteSlot(int hit, bool withOwnAuthor)
{
    const CardRecord r = readCurrentCard(CardType::Quote);
    const int n = NextCardSlot(CardType::Quote);
    CardSlot &s = QuoteCards.slot;
    handStamp(s, CardType::Quote, r);
    s.hitPosition = documentHitPosition(r.plainText, hit);
    if (withOwnAuthor)
        s.noteAuthor = r.author;
    s.title = r.title;
    s.key = r.key;
    s.text = r.text;
    CollectQuoteAuthors();
    s.keywords = readCardKeywords(CardType::Quote, r.key);
    CardKeywordCount = int(s.keywords.size());
    return n;
}

template <class Window> Window *openWindow(CardType type, int n)
{
    auto *w = new Window();
    cardSet(type).window = w;
    w->load();
    w->setCardNumber(n);
    w->show();
    w->refresh();
    return w;
}

} // namespace

void CollectQuoteAuthors()
{
    QuoteCards.slot.authors = readReferenceAuthors(fldCitNdx.Value().toString());
    CardAuthorCount = int(QuoteCards.slot.authors.size());
}

void CollectReferenceAuthors()
{
    ReferenceCards.slot.authors = readReferenceAuthors(fldBiblioNdx.Value().toString());
    CardAuthorCount = int(ReferenceCards.slot.authors.size());
}

void ShowNoteCard()
{
    const int n = fillNoteSlot(takeHit());
    const int hit = NoteCards.slot.hitPosition;
    CurrentNoteNumber = n;
    fNoteMulti *w = openWindow<fNoteMulti>(CardType::Note, n);
    w->NoteRTF->setFocus();
    w->selectHit(hit, SearchText);
}

void ShowQuoteCard()
{
    const int n = fillQuoteSlot(takeHit(), true);
    const int hit = QuoteCards.slot.hitPosition;
    CurrentQuoteNumber = n;
    fCitMulti *w = openWindow<fCitMulti>(CardType::Quote, n);
    w->setFormCount(vb::Forms::count());
    w->CitRTF->setFocus();
    w->selectHit(hit, SearchText);
}

void ShowReferenceCard()
{
    // Without the reference window nothing opens and no slot is taken.
    if (!windowLinks().createReferenceWindow) {
        vb::MsgBox(QString::fromLatin1(kNotAvailableYet), vb::vbInformation);
        return;
    }
    const CardRecord r = readCurrentCard(CardType::Reference);
    const int n = NextCardSlot(CardType::Reference);
    CardSlot &s = ReferenceCards.slot;
    s.title = r.title;
    s.key = r.key;
    CollectReferenceAuthors();
    s.keywords = readCardKeywords(CardType::Reference, r.key);
    CardKeywordCount = int(s.keywords.size());

    CardWindowLink *card = windowLinks().createReferenceWindow();
    if (!card)
        return;
    vb::Form *form = card->cardForm();
    ReferenceCards.window = form;
    form->show();
    form->refresh();
    form->setTag(r.key);
    card->setCardNumber(n);
    CurrentReferenceNumber = n;
}

void OpenCardsOfKeyword(CardType type, const QString &keyword)
{
    KeywordCardsRoad road;
    // A note's keyword grid starts the result grid's count again.
    road.clearGridCount = type == CardType::Note;
    // Each card opens with no hit selected, leaving the numbers of the cards
    // opened one by one as they were.
    road.openCurrent = [type] {
        if (type == CardType::Note)
            openWindow<fNoteMulti>(type, fillNoteSlot(0));
        else
            openWindow<fCitMulti>(type, fillQuoteSlot(0, false));
    };
    OpenKeywordCardSet(type, keyword, road);
}

} // namespace cards
