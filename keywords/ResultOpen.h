#pragma once
// Opening the card of a result row: seek the record by its key on the key
// index, work out where the searched term lies in its text, and call the
// card opener of its kind.

#include "CardSets.h"

#include <QString>
#include <QVariant>

namespace keywords {

// 1-based position of term in text by character codes; 0 when absent or
// when the text is Null; 1 for an empty term in a non-empty text.
int SearchPosition(const QVariant &text, const QString &term);

// "This record does not exists" when the key is not found; true when a
// card opener was called.
bool OpenResultCard(CardType type, const QString &key);

} // namespace keywords
