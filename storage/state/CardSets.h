#pragma once
// The card sets: for each kind, the number of cards of the set opened last
// (which is also the slot of the card opened last) and the hand-over of that
// slot from the opener to the window it creates. Every opener empties the
// hand-over and fills it for its new slot; the window copies it at load and
// from then on owns its data, so nothing outside a window reads its slot.

#include "CardKinds.h"
#include "Form.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>

// What one slot hands to the window created for it.
struct CardSlot {
    QString key;
    // 1-based position of the search hit in the text (below 1: no hit).
    int hitPosition = 0;
    QString title;
    // Rich text when the record has any, else the plain text.
    QString text;
    // The author field of a note or quote (NOTE.AUTEUR, CIT.Auteur).
    QString noteAuthor;
    // Authors of a quote's reference or of a reference, in index order.
    QStringList authors;
    // Keyword links of the card, in the order of the by-card index.
    QStringList keywords;
    // What the opener read of the record, for the window's store to compare
    // with the record then: its counter (-1: not read) and the digest of
    // the values a store replaces.
    qint64 counter = -1;
    QByteArray digest;
};

struct CardSet {
    // Cards of the set opened last; the slot of the card opened last.
    int count = 0;
    // The hand-over of slot `count`.
    CardSlot slot;
    // The window of slot `count`, while it is open.
    QPointer<vb::Form> window;
};

extern CardSet NoteCards, QuoteCards, ReferenceCards;
CardSet &cardSet(CardType type);

// A set opener starts a new set: the next card opened gets slot 1.
void BeginCardSet(CardType type);
// A new slot: the count rises by one and the hand-over is emptied. Returns
// the new slot number.
int NextCardSlot(CardType type);

// Author and keyword counts of the card being filled.
extern int CardAuthorCount;
extern int CardKeywordCount;
