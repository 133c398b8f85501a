#pragma once
// The chooser's logic without its window: the selection list and the
// linking of the chosen keywords to a card.

#include "CardSets.h"

#include <QString>
#include <QStringList>

namespace keywords {

// The selection: one chosen entry per row, never fewer than one row (an
// empty selection is one empty row).
class Selection {
public:
    const QStringList &rows() const { return m_rows; }
    void clear() { m_rows = QStringList{QString()}; }
    // Into the single empty row, else appended (an entry may come twice).
    void add(const QString &entry);
    // The only row is emptied; any other row goes.
    void remove(int row);
    bool isEmpty() const { return m_rows.size() == 1 && m_rows.first().isEmpty(); }

private:
    QStringList m_rows{QString()};
};

// The keywords of a selection worth linking to a card: no empty rows, each
// keyword once, none the card already has (all compared as the keyword
// index compares). existing: the card's keywords now.
QStringList KeywordsToLink(const QStringList &selection, const QStringList &existing);

// The keyword links of a card, in the order of its by-card index.
QStringList LinkedKeywords(CardType type, const QString &cardKey);

// Links the selection to the card of that kind and key in one transaction,
// then asks that card (if open) to read its keywords again, raises
// KeywordsChanged and, for a note, sets SelectMode. counter: the record's
// counter as the card read it (NoteCount, CitCount, BiblioCount); a record
// of that key with another counter is a newer card, and is refused as the
// card no longer in the base. A failure says why and writes nothing. False
// when nothing was written because of a failure or a missing card.
bool LinkKeywords(CardType type, const QString &cardKey, qint64 counter, const QStringList &selection);

} // namespace keywords
