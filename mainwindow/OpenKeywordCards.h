#pragma once
// The main window's double-click on a keyword: every reference, note or
// quote filed under it opens as a card, as one new card set, through the
// one opener of a keyword's cards (OpenKeywordCardSet).

#include "CardSets.h"

#include <QString>

namespace mainwindow {

// Opens the cards. "No Match" when the keyword has no link of that kind:
// then no card set is started. Returns the number of cards opened.
int OpenKeywordCards(CardType type, const QString &keyword);
int OpenKeywordReferences(const QString &keyword);
int OpenKeywordNotes(const QString &keyword);
int OpenKeywordQuotes(const QString &keyword);

// The options "References", "Notes", "Quotes" in that order.
struct CardKindOptions {
    bool references = false, notes = false, quotes = false;
};
void OpenKeywordCardsByOptions(const CardKindOptions &options, const QString &keyword);

} // namespace mainwindow
