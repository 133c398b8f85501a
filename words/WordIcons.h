#pragma once
// The pictures of the word window's picture buttons, drawn rather than
// loaded: a word becoming a keyword, one keyword going to the card, all
// keywords going to the card.

#include <QIcon>

namespace words {

QIcon makeKeywordIcon();
QIcon attachKeywordIcon();
QIcon attachAllKeywordsIcon();

} // namespace words
