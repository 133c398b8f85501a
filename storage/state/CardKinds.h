#pragma once
// The kinds of card and what a card window takes of a record, apart from
// the card sets and their windows: the rules and record operations of the
// cards use them without linking any window.

#include <QString>
#include <optional>

enum class CardType { Note, Quote, Reference };

// Said when the record a window was opened for is no longer in the base:
// deleted, or its key taken since by a newer card.
inline constexpr const char *kCardGoneText = "This card is no longer in the base.";
inline constexpr const char *kReferenceGoneText = "This reference is no longer in the base.";
QString cardGoneMessage(CardType type);

// "Note", "Cit" or "Bib", the names CardKind and the result grid's Tag use.
QString cardKindName(CardType type);
std::optional<CardType> cardTypeOfKind(const QString &kind);

// At most this many keywords and authors reach a card window.
inline constexpr int kMaxCardKeywords = 51;
inline constexpr int kMaxCardAuthors = 6;
