#pragma once
// How much of a value of the base the screen shows where a whole value
// would be laid out to be shown: a grid's cell, a list's item, a label, a
// window's title. Laying out a text of millions of characters held a window
// for seconds at every paint; these show a prefix of a few thousand
// characters, more than any window is wide. The whole value stays where it
// is kept (the cell, the item, the caption, the base) and is what every
// command reads, compares and seeks.

#include <QString>

namespace vb {

inline constexpr qsizetype kShownChars = 4000;

// The text itself when it has no more than kShownChars characters, else
// its first ones (a pair of surrogates is never cut) followed by "…".
QString shownText(const QString &text);

} // namespace vb
