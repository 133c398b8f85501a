#pragma once
// The card analysis with its windows: progress on Working, the option of
// fChoixMots, the result in fWords (filled afresh, or refilled in place
// when it is open).

#include <QString>

namespace words {

void ParseTextWords(const QString &text);
// A card's "Text Compare": a quote's starts with "Include All Words" cleared,
// then the text is analysed.
void CompareCardText(const QString &text);
// Closes the word window (and with it the excluded-words window).
void UnloadWordWindows();

} // namespace words
