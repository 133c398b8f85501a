#pragma once
// The records behind the note and quote cards, through the shared
// recordsets of the open base. Every operation seeks the card by its own key
// on its key index first and acts only on a match, so that no other window's
// move of the shared cursor can make it act on another card.

#include "CardSets.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace dao {
class Recordset;
}
namespace vb {
class Error;
}

namespace cards {

// Said when a card's record is no longer in the base.
inline constexpr const char *kCardGone = "This card is no longer in the base";
// Said when a quote's reference is not in the base.
inline constexpr const char *kReferenceGone = "The reference of this quote is not in the base";
// The read-only message (error 3027).
inline constexpr const char *kReadOnly = "Fichier en lecture seule !";
// Error number raised with kCardGone.
inline constexpr int kCardGoneError = 3021;

// The card's table on its key index ("NoteNDX", "CitNDX", "BibNDX").
dao::Recordset &cardTable(CardType type);
QString keyIndexName(CardType type);

// Sets the key index and seeks the key; true when the card's record is now
// the current one.
bool seekCard(CardType type, const QString &key);

// The record the card table stands on, as a card shows it.
struct CardRecord {
    QString key;
    QString author; // NOTE.AUTEUR, CIT.Auteur
    QString title;
    QString text;   // TEXTRTF when it holds anything, else Texte
    QString plainText; // Texte, where the searches find their hits
    QString date;   // JOUR as text
    QString referenceKey; // a quote's CIT.NDX
};
CardRecord readCurrentCard(CardType type);

// The keyword links of a card, in the order of the link table's by-card
// index, at most kMaxCardKeywords.
QStringList readCardKeywords(CardType type, const QString &key);
// The authors of a reference, in the order of "AutNDX", at most kMaxCardAuthors.
QStringList readReferenceAuthors(const QString &referenceKey);
// Card keys filed under a keyword, in the order of the by-keyword index
// ("GrNote", "GrCit"), compared as the index compares (letter case aside).
QStringList keywordCardKeys(CardType type, const QString &keyword);

// What Store writes: the author only on a note (a quote's own author is
// not shown on its card), and the text as plain and rich text together.
struct CardEdits {
    std::optional<QString> author;
    QString title;
    QString plainText;
    QString richText;
};
// Raises vb::Error: kCardGoneError when the record is gone, the engine's
// error otherwise (3027 read-only, 3163 too long, ...). Nothing is half
// written.
void storeCard(CardType type, const QString &key, const CardEdits &edits);
// Deletes the card's keyword links and its record, all or nothing; raises as
// storeCard does.
void deleteCard(CardType type, const QString &key);
// Deletes the card's links whose keyword is exactly that text (case
// included); returns how many went.
int removeKeywordLinks(CardType type, const QString &key, const QString &keyword);

// The message a failed write shows.
QString writeFailureText(const vb::Error &error);
// Shows it with the exclamation icon.
void reportWriteFailure(const vb::Error &error);

} // namespace cards
