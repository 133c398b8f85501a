#pragma once
// The lists, combo boxes' lists and labels that show values of the base
// paint them as shownText gives them (see ShownText.h); what they hold, and
// what is read back from them, stays the whole value.

#include "ShownText.h"

#include <QStyledItemDelegate>

class QAbstractItemView;
class QLabel;

namespace vb {

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
