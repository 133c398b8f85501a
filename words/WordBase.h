#pragma once
// What the word windows read from and write to the open base: the excluded
// words, the keywords that match words of a text, the keyword links of the
// analysed card. Plain code over the shared recordsets, driven by the
// windows and by the tests alike.

#include "CardSets.h"
#include "Error.h"
#include "TextFind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace words {

// A stored word is at most this long (field Word of the table Words).
inline constexpr int kMaxExcludedWord = 40;
// A keyword is at most this long (field GROUPE).
inline constexpr int kMaxKeyword = 30;
// WordsNb of a link is a 16-bit column.
inline constexpr int kMaxWordsNb = 32767;

// Reports a refused write: the read-only message with the exclamation icon
// for 3027, else the engine's description.
void reportWriteFailure(const vb::Error &e);

// ---- excluded words -------------------------------------------------------

// The stored excluded words in the order of the index "WNDX", empty ones left out.
QStringList excludedWordList();

enum class AddExcluded { Added, Empty, TooLong, Duplicate };
// Adds the word as typed unless it is empty, too long or already there
// (letter case aside). A refused write raises.
AddExcluded addExcludedWord(const QString &word);
// Deletes the row whose seek found the word; false when none was found.
bool removeExcludedWord(const QString &word);

// ---- keywords -------------------------------------------------------------

struct KeywordTerm {
    QString keyword; // as the keyword table stores it
    int count = 0;   // the word's count in the text
};

// Each word of slots 1..n that is a keyword (letter case aside), in list order.
QList<KeywordTerm> keywordTerms(const textfind::WordList &list);

// First character upper case, the rest lower case.
QString capitalised(const QString &word);

enum class NewKeyword { Ok, Empty, TooLong, Exists };
// Checks a keyword before it is made; `existing` gets the stored spelling
// when it exists.
NewKeyword checkNewKeyword(const QString &keyword, QString *existing = nullptr);
// Adds it to CGROUP1 (raises on a refused write).
void addKeyword(const QString &keyword);

// ---- the analysed card ----------------------------------------------------

// The card's key as stored when its record exists (seek by key).
std::optional<QString> storedCardKey(CardType type, const QString &key);
// The plain text stored for the card, when its record exists.
std::optional<QString> storedCardText(CardType type, const QString &key);
// The card's keyword links, in the order of the by-card index.
QStringList cardKeywords(CardType type, const QString &key);

// Writes one link per term for the card, all or none (one transaction);
// `withCount` writes the term's count into WordsNb. A keyword the card is
// already filed under (letter case aside) gets no second link. Returns the
// terms written; nothing when the card's record no longer exists (nothing
// written). A refused write raises.
std::optional<QList<KeywordTerm>> attachKeywords(CardType type, const QString &key, const QList<KeywordTerm> &terms,
                                                 bool withCount);

} // namespace words
