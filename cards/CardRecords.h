#pragma once
// The records behind the note and quote cards, through the shared
// recordsets of the open base. Every operation seeks the card by its own key
// on its key index first and acts only on a match, so that no other window's
// move of the shared cursor can make it act on another card.

#include "CardKinds.h"

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
inline constexpr const char *kCardGone = kCardGoneText;
// Said when a quote's reference is not in the base.
inline constexpr const char *kReferenceGone = "The reference of this quote is not in the base";
// The read-only message (error 3027).
inline constexpr const char *kReadOnly = "Fichier en lecture seule !";
// Error number raised with kCardGone.
inline constexpr int kCardGoneError = 3021;

// The card's table on its key index ("NoteNDX", "CitNDX", "BibNDX").
dao::Recordset cardTable(CardType type); // the program's own, shared
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
    QString richText;  // TEXTRTF as stored
    QString date;   // JOUR as text
    QString referenceKey; // a quote's CIT.NDX
    qint64 counter = -1; // NoteCount, CitCount, BiblioCount
};
CardRecord readCurrentCard(CardType type);

// The keyword links of a card, in the order of the link table's by-card
// index, at most kMaxCardKeywords.
QStringList readCardKeywords(CardType type, const QString &key);
// The authors of a reference, in the order of "AutNDX", at most kMaxCardAuthors.
QStringList readReferenceAuthors(const QString &referenceKey);

// What Store writes: the author only on a note (a quote's own author is
// not shown on its card), and the text as plain and rich text together.
struct CardEdits {
    std::optional<QString> author;
    QString title;
    QString plainText;
    QString richText;
};

// Which record a card read, and what it read there: the record's counter
// (NoteCount, CitCount), which no later record takes again, tells it from a
// newer card that took its key; the digest stands for the values a store
// replaces (a note's author, title and both texts; a quote's title and both
// texts) as the card read them.
struct CardStamp {
    qint64 counter = -1;
    QByteArray digest;
    bool operator==(const CardStamp &) const = default;
};
// The stamp of the record under that key now, read without moving the
// shared recordsets; nothing when the key is not in the base.
std::optional<CardStamp> readCardStamp(CardType type, const QString &key);
// The stamp of a note or quote record just read, made from the values read
// (no second read of the record): equal to readCardStamp's while the record
// stays as it was.
CardStamp stampOf(CardType type, const CardRecord &record);
// Raises kCardGoneError unless the key names the record the counter names.
void checkSameCard(CardType type, const QString &key, qint64 counter);

// Writes the edits into the record the stamp names, with the check in the
// same transaction, so that no other window or running copy of the program
// can slip a change in between. Returns false and writes nothing when the
// values a store replaces are not those the stamp read: `stamp` then holds
// the record's present ones, for a store that replaces them knowingly. On a
// write, `stamp` becomes what the record holds now. Raises vb::Error:
// kCardGoneError when the key is gone or holds another record, the engine's
// error otherwise (3027 read-only, 3163 too long, ...). Nothing is half
// written.
bool storeCard(CardType type, const QString &key, const CardEdits &edits, CardStamp &stamp);
// Deletes the card's keyword links and its record, all or nothing; raises as
// storeCard does. With a counter, a record of that key but another counter
// counts as gone.
void deleteCard(CardType type, const QString &key, std::optional<qint64> counter = std::nullopt);
// Deletes the card's links whose keyword is exactly that text (case
// included); returns how many went.
int removeKeywordLinks(CardType type, const QString &key, const QString &keyword);

// The question of a store whose record changed since the card read it.
inline constexpr const char *kChangedSinceRead =
    "This card was changed in the base since it was read here (in another window or by another "
    "program).\n\nReplace those changes with what this window holds?";

// The message a failed write shows.
QString writeFailureText(const vb::Error &error);
// Shows it with the exclamation icon.
void reportWriteFailure(const vb::Error &error);

} // namespace cards
