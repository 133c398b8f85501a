#pragma once
// The word indexes of all notes or all quotes: one row per (card, word) with
// the word's count in the card's text, and the total of each word over all
// cards. Plain code over the shared recordsets; the menu commands wrap it in
// their progress windows.

#include "CardSets.h"
#include "Error.h"

#include <QString>
#include <functional>
#include <optional>

namespace wordindex {

// The longest word an index row holds (Mot, Text 50) and a totals row
// holds (Mot, Text 40).
inline constexpr int kMaxIndexWord = 50;
inline constexpr int kMaxTotalsWord = 40;

struct BuildResult {
    int cardsIndexed = 0;   // cards that got their rows in this run
    int cardsKept = 0;      // cards that already had rows
    int rowsWritten = 0;
    int wordsSkipped = 0;   // empty or too long to store
    int staleRowsDropped = 0; // rows of cards that no longer exist
    QString lastKey;          // the card indexed last
    std::optional<vb::Error> failure; // the write that stopped the build
};

struct TotalsResult {
    int rowsRead = 0;
    int totals = 0;
    int wordsSkipped = 0; // index rows without a word, or one too long for the totals
    std::optional<vb::Error> failure;
};

class WordIndexBuilder {
public:
    explicit WordIndexBuilder(CardType type);
    virtual ~WordIndexBuilder() = default;

    // Called after each card indexed: its key, its rows, the words skipped so far.
    std::function<void(const QString &key, int rows, int skipped)> onCard;
    // Called while the totals are read: rows read, rows in all.
    std::function<void(int read, int total)> onTotalsRow;

    // Indexes every card that has no index row yet and drops the rows of
    // cards that no longer exist. Each card's rows are written together or
    // not at all; a refused write ends the build, keeping the cards done.
    BuildResult build();
    // Empties the totals of the kind and adds them up again from the index,
    // all in one step: a failure leaves the totals as they were.
    TotalsResult aggregate();

protected:
    // Writes one index row (a seam for tests that make a write fail).
    virtual void writeRow(const QString &word, const QString &key, int count);

private:
    void dropRowsOf(const QString &key);

    CardType m_type;
};

} // namespace wordindex
