#pragma once
// Module LIST: every card of one kind, newest first, as rows (date text,
// card key) for the list window FListSel. The rows are built here; the
// window that shows them belongs to the cards and is reached through
// ShowDateList.

#include "CardSets.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QVariant>

namespace keywords {

// A date as the list shows it: the system's short date, with the time
// after it when there is one; "" for a card without a date.
QString DateText(const QVariant &value);

// The rows of every card of that kind in descending order of the table's
// index "Jour" (JOUR; JOURHEURE for references, which show their DATE).
// Leaves the table on its key index.
QList<QStringList> CardsByDate(CardType type);

void ListNotesByDate();
void ListCitsByDate();
void ListRefsByDate();

} // namespace keywords
