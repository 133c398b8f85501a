#pragma once
// Opening many cards at once. Every road that does (a keyword's cards from
// the main window or from a card's keyword grid, the hits of a word search)
// goes through one opener: the set is judged against free memory and, above
// the road's threshold, asked about; only then does anything change. The
// new set begins, the road's own resets run, and the cards open one by one,
// in Working with its Stop beyond a small set.

#include "CardSets.h"
#include "Memory.h"

#include <QString>

#include <functional>
#include <optional>

struct CardSetOpening {
    CardType type = CardType::Note;
    qsizetype count = 0;
    // Asked (OK / Cancel) when the set holds more than askAbove cards.
    QString question;
    int askAbove = kCardsWithoutQuestion;
    // The road's own resets, run once the new set has begun.
    std::function<void()> begun;
    // Opens card i of the set (from 0); true when a card opened.
    std::function<bool(qsizetype i)> open;
};

// The number of cards opened; nothing when memory cannot hold the set (said
// with its figures) or the question was cancelled, and then the open set,
// its count and every shared value are as they were.
std::optional<int> OpenCardSet(const CardSetOpening &opening);

// What differs between the roads that open the cards of a keyword.
struct KeywordCardsRoad {
    // "No Match" when the keyword has no card of the kind (the main window
    // says so; a card's keyword grid says nothing).
    bool sayNoMatch = false;
    // The result grid's count goes back to 0 as the set begins.
    bool clearGridCount = false;
    // Opens the card on which the kind's shared recordset stands; empty:
    // the kind's opener (ShowNoteCard, ShowQuoteCard, ShowReferenceCard).
    std::function<void()> openCurrent;
};

// Every card of that kind filed under the keyword, as one new set, behind
// the low-memory guard: "N cards are filed under 'K' - open them all ?"
// above kCardsWithoutQuestion. Links to deleted cards are skipped; the cards
// open with no search hit and CardKind names their kind. Out of memory says
// so; any other failure ends the opening quietly, the cards opened so far
// staying open. Returns the number of cards opened.
int OpenKeywordCardSet(CardType type, const QString &keyword, const KeywordCardsRoad &road);
