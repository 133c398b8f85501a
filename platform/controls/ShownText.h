#pragma once
// How much of a value the grids, lists and labels that show values of the
// base put on the screen. A cell or an item elides what does not fit, and
// eliding lays out the whole text first: a value of millions of characters
// held the window for seconds at every paint. They show a prefix of a few
// thousand characters, more than any window is wide; the whole value stays
// where it is kept (the grid's cell, the list's item, the label's text, the
// base) and is what every command reads, compares and seeks.

#include <QString>
#include <QStyledItemDelegate>

class QAbstractItemView;
class QLabel;

namespace vb {

inline constexpr qsizetype kShownChars = 4000;

// The text itself when it has no more than kShownChars characters, else
// its first ones (a pair of surrogates is never cut) followed by "…".
QString shownText(const QString &text);

// The delegate of a list or table whose items are values: it paints and
// measures each item as shownText gives it.
class ShownTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

// Puts a ShownTextDelegate on the view (a list widget, a combo box's list).
void showShortTexts(QAbstractItemView *view);
// The label paints its text as shownText gives it; text() stays whole.
void showShortTexts(QLabel *label);

} // namespace vb
