#pragma once
// The order in which every card window lists its keywords.

#include <QStringList>

// Keywords ascending by their lower-case form, compared code by code, in
// place. Entries that differ only in case end up side by side, in the order
// the gathering swaps leave them.
void SortCardKeywords(QStringList &keywords);
