#pragma once
// The full-text searches of notes and quotes: a scan of the plain texts for
// a term (letter case and accents count; part of a word matches). The word
// searches open each hit as a card of a new set; the text searches list the
// hits, one row per keyword, in the result window.

#include "CardSets.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace words {

// Opening more hits than this as cards asks first: the word searches' own
// rule, older than the question of a keyword's large set (Memory.h).
inline constexpr int kCardsWithoutAsking = 25;
// A word search needs a term at least this long.
inline constexpr int kMinSearchLength = 3;

struct TextHit {
    QString key;
    int position = 0; // 1-based, in the stored plain text
    QString author;
    QString title;
};

struct ScanResult {
    QList<TextHit> hits;
    int skipped = 0;     // records that could not be read
    QString stoppedBy;   // set when the walk itself failed
};

// Every note or quote whose plain text holds the term, in key order.
ScanResult scanCardTexts(CardType type, const QString &term);

// The term as the bytes to look for in the stored UTF-8 texts; none when
// only the decoded texts can be searched for it (half a surrogate pair, or
// U+FFFD, which stands for bytes that do not decode).
std::optional<QByteArray> byteSearchTerm(const QString &term);

// The rows a text search hands to the result window: column 0 empty, then
// keyword, key, author, title; the key of each row beside it.
struct ListedRows {
    QList<QStringList> rows;
    QStringList keys;
};
ListedRows listHits(CardType type, const QList<TextHit> &hits);

// The searches by their procedure names.
void SearchNotesByWord();
void SearchQuotesByWord();
void TextSearchNotes();
void TextSearchQuotes();

} // namespace words
