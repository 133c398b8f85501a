#include "CardOpeners.h"

#include "CardRecords.h"
#include "CardRules.h"
#include "CardWindows.h"
#include "DaoReads.h"
#include "Dialogs.h"
#include "Error.h"
#include "Memory.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Start.h"
#include "WindowLinks.h"
#include "Working.h"
#include "fCitMulti.h"
#include "fNoteMulti.h"

#include <new>

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
    if (LowMemoryGuard())
        return;
    try {
        CardKind = cardKindName(type);
        BeginCardSet(type);
        if (type == CardType::Note)
            GridRowCount = 0;
        const QStringList keys = keywordCardKeys(type, keyword);
        if (!CardSetMayOpen(keys.size(), QString::number(keys.size()) + QStringLiteral(" cards are filed under '") +
                                             keyword + QStringLiteral("' - open them all ?")))
            return;
        CardSetProgress progress(keys.size());
        // The records of the whole set are read under one lock of the file.
        const dao::ReadScope scope(g_Db);
        qsizetype done = 0;
        for (const QString &key : keys) {
            // The user may stop a long opening; the cards open stay.
            if (done++ && !progress.opened(done - 1))
                break;
            if (!seekCard(type, key))
                continue;
            // A set opener selects no hit.
            if (type == CardType::Note)
                openWindow<fNoteMulti>(type, fillNoteSlot(0));
            else
                openWindow<fCitMulti>(type, fillQuoteSlot(0, false));
        }
    } catch (const std::bad_alloc &) {
        vb::MsgBox(QString::fromLatin1(kNotEnoughMemory), vb::vbExclamation);
    } catch (const vb::Error &e) {
        // Out of memory says so; anything else ends the opening quietly and
        // the cards opened so far stay.
        if (e.number() == vb::ErrOutOfMemory)
            vb::MsgBox(QString::fromLatin1(kNotEnoughMemory), vb::vbExclamation);
    }
}

} // namespace cards
