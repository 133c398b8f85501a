#pragma once
// Module CARDS: the openers that make a card window for the record on which
// its table's shared recordset stands, the author collectors, and the set
// opener of a card's keyword grid. The caller makes the record current
// (key index, Seek "=", only on a match) and, for a search hit, sets
// SearchText and SearchTextPos; every other caller passes no hit
// (SearchTextPos = 0). An opener takes the hit and leaves none for the next.

#include "CardSets.h"

#include <QString>

class CardWindowLink;

namespace cards {

void ShowNoteCard();
void ShowQuoteCard();
void ShowReferenceCard();

// The authors of the current quote's reference (of the current reference)
// into the hand-over of the set's current slot; sets CardAuthorCount.
void CollectQuoteAuthors();
void CollectReferenceAuthors();

// A new set of every card of that kind filed under the keyword, one window
// each, through the one opener of a keyword's cards (OpenKeywordCardSet).
void OpenCardsOfKeyword(CardType type, const QString &keyword);

} // namespace cards
