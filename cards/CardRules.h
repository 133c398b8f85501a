#pragma once
// The rules of the note and quote cards that need no window: the keyword
// order, captions, the question of Supp, where a card stands and which part
// of its text a search hit selects.

#include "CardKinds.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace cards {

// "first : 'term' (n)": the note's title or the quote's first author.
QString cardCaption(const QString &first, const QString &searchText, int number);

// The question of Supp for that keyword. The note card centres the keyword
// with (32 - length) \ 2 + 1 blanks, the quote card rounds the half to even.
QString suppQuestion(const QString &keyword, CardType type);

// The close question of a changed card of that kind.
QString closeQuestion(CardType type);

struct TextSelection {
    int start = 0;
    int length = 0;
};
// What a hit at the 1-based position `hit` of a term of `termLength`
// characters selects in a text of `textLength` characters; nothing for no hit
// (below 1). A hit beyond the text is clamped to it.
std::optional<TextSelection> hitSelection(int hit, int termLength, int textLength);

// The 1-based position in the card's document of a hit found at `hit` in the
// stored plain text: a stored CR LF is one break in the document. Below 1
// stays as it is (no hit).
int documentHitPosition(const QString &stored, int hit);

// Where a card window of that outer size stands over the main window:
// Left = round(W - w) \ 2 - round(p) \ 2, Top = round(H - h) \ 8.
struct CardPlacement {
    int left = 0;
    int top = 0;
};
CardPlacement cardPlacement(double mainWidth, double mainHeight, double leftPanel, double width,
                            double height);

// The slot number in the hidden box FenNum; 0 when it holds no number.
int cardNumberOf(const QString &fenNum);

// The width left to a box that stretches to the window's edge less a
// margin: never negative (a minimised window has no room at all).
double stretchedSize(double window, double offset, double margin);

} // namespace cards
