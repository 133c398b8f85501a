#pragma once
// The main window's double-click on a keyword: every reference, note or
// quote filed under it opens as a card, as one new card set, unless memory
// is short. The keys are gathered first, then each card is sought by its
// key and handed to the single opener of its kind.

#include "CardSets.h"
#include "MemoryStatus.h"

#include <QString>
#include <QStringList>

namespace mainwindow {

// The keys of the cards linked to keyword, in the order of the keyword
// index (rows of another letter case included, as the index holds them).
QStringList KeywordCardKeys(CardType type, const QString &keyword);

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
