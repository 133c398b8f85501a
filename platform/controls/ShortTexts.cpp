#include "ShortTexts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

namespace vb {

void ShownTextDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->text.size() > kShownChars)
        option->text = shownText(option->text);
}

void showShortTexts(QAbstractItemView *view)
{
    view->setItemDelegate(new ShownTextDelegate(view));
}

namespace {

// The program's style, with the text of a plain label cut as shownText
// cuts it (a label paints its text through drawItemText).
class ShortTextStyle : public QProxyStyle {
public:
    ShortTextStyle()
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
    {
    }
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &pal, bool enabled,
                      const QString &text, QPalette::ColorRole textRole) const override
    {
        QProxyStyle::drawItemText(painter, rect, flags, pal, enabled, shownText(text), textRole);
    }
};

} // namespace

void showShortTexts(QLabel *label)
{
    // One for the program, gone with it; the labels that use it go first.
    static QPointer<QStyle> style;
    if (!style) {
        style = new ShortTextStyle;
        style->setParent(qApp);
    }
    label->setStyle(style);
}

} // namespace vb
