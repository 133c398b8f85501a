#pragma once
// Module TEXTFIND, the part without windows: cutting a card's text into its
// distinct words, removing the excluded words, merging plurals into their
// singulars and sorting the list. The word window and the word-index
// builders drive it; it knows nothing of them.
//
// Characters are classed by their one-byte code in the Windows Latin-1 code
// page (CP-1252): letters of that page are word characters, everything else
// separates words. Punctuation of the page (’ “ ” « » – — … • and the rest)
// separates too, the no-break space is a space, and the text is put in
// Unicode normal form C first, so a decomposed accent stays on its letter.

#include "Dao.h"

#include <QString>
#include <QStringList>
#include <QList>

#include <unordered_map>
#include <vector>

namespace textfind {

// The word list: slot 0 holds the empty string with count 0 and is no word;
// the words are in slots 1..n, distinct under exact comparison.
struct WordList {
    QStringList words{QString()};
    QList<int> counts{0};

    int size() const { return int(words.size()) - 1; } // n
    void reset();
    void append(const QString &word, int count);
};

enum class ParseMode {
    Filtered, // words trimmed, words under 3 characters dropped, excluded words removed
    AllWords, // every run of word characters is a word; nothing excluded
};

// Where a long analysis reports its phases. Bar values handed over are
// already within 0..100.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void step(const QString &label) = 0;
    virtual void caption(const QString &text4) = 0;
    virtual void count(int text3) = 0;
    virtual void bar(int percent) = 0;
};

// The excluded words, compared as the index of the table Words compares
// (letter case aside, accents distinct).
class ExcludedWords {
public:
    ExcludedWords() = default;
    explicit ExcludedWords(const QStringList &words);
    // Every non-empty Word of the table "Words" of the base.
    static ExcludedWords fromBase(const dao::Database &db);
    bool contains(QStringView word) const;
    bool isEmpty() const { return m_sorted.empty(); }
    int size() const { return int(m_sorted.size()); }

private:
    std::vector<QString> m_sorted;
    // Words by a hash that words equal to the index always share.
    std::unordered_multimap<quint64, QString> m_byHash;
};

// Words equal to the index (letter case aside, accents distinct) always
// have the same hash.
quint64 foldHash(QStringView word);

// The code page byte of a character; 63 ("?") for one the page cannot hold.
int ansiCode(char16_t c);
// True when the character ends a word.
bool isSeparator(char16_t c);
// The text in normal form C (no-break spaces stay: they separate words).
QString prepareText(const QString &text);

// Trimming: "~", "'", "(" and « go from the front, , ; . ? ~ ) line ends,
// tab, backspace and » from the end, while the word is longer than two.
QStringView trimWord(QStringView word);

// The longest texts, counts and lists are held in 32 bits; only a 16-bit
// column written elsewhere is clamped.
inline int percentOf(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 0;
    const qint64 p = part * 100 / whole;
    return p < 0 ? 0 : (p > 100 ? 100 : int(p));
}

// Counts the words of the text into `list` (reset first). Returns false
// when the text, its leading spaces removed, is shorter than 3 characters:
// such a text has no words.
bool countWords(const QString &text, ParseMode mode, WordList &list, ProgressSink *progress = nullptr);
// Removes every word the excluded list holds.
void removeExcluded(WordList &list, const ExcludedWords &excluded, ProgressSink *progress = nullptr);
// Slots 1..n in ascending exact order.
void sortAscending(WordList &list);
// On an ascending list: a word ending in a small "s" whose singular is the
// slot just before gives its count to the singular and keeps 0. Slot 0
// never takes part.
int mergePlurals(WordList &list, ProgressSink *progress = nullptr);
// Count descending, then the lower-cased word ascending (exact order last,
// so the result is always the same).
void sortByFrequency(WordList &list, ProgressSink *progress = nullptr);

// The card analysis: cut and count, remove the excluded words (filtered
// mode), sort, merge plurals, sort by frequency. False: the text has no words.
bool analyseText(const QString &text, ParseMode mode, const ExcludedWords &excluded, WordList &out,
                 ProgressSink *progress = nullptr);
// One card of the word index: trimmed words, excluded words removed,
// ascending, plurals merged (kept with count 0).
void extractIndexWords(const QString &text, const ExcludedWords &excluded, WordList &out);

} // namespace textfind
