#include "WordIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace words {

namespace {

constexpr int kSize = 32;

void arrow(QPainter &p, qreal x, qreal y, qreal length, const QColor &color)
{
    p.setPen(QPen(color, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(x, y), QPointF(x + length, y));
    QPainterPath head;
    head.moveTo(x + length + 4, y);
    head.lineTo(x + length - 3, y - 5);
    head.lineTo(x + length - 3, y + 5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(head);
}

// A small index card with two text lines.
void card(QPainter &p, qreal x, qreal y)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(255, 250, 220));
    p.drawRect(QRectF(x, y, 11, 14));
    p.drawLine(QPointF(x + 2, y + 4), QPointF(x + 9, y + 4));
    p.drawLine(QPointF(x + 2, y + 7.5), QPointF(x + 9, y + 7.5));
    p.drawLine(QPointF(x + 2, y + 11), QPointF(x + 7, y + 11));
}

// A key: ring and bit.
void key(QPainter &p, qreal x, qreal y)
{
    p.setPen(QPen(QColor(170, 120, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(x, y, 8, 8));
    p.drawLine(QPointF(x + 8, y + 4), QPointF(x + 17, y + 4));
    p.drawLine(QPointF(x + 14, y + 4), QPointF(x + 14, y + 8));
    p.drawLine(QPointF(x + 17, y + 4), QPointF(x + 17, y + 8));
}

template <class Draw> QIcon drawn(Draw draw)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QIcon(pm);
}

} // namespace

QIcon makeKeywordIcon()
{
    return drawn([](QPainter &p) {
        p.setPen(QColor(30, 30, 30));
        QFont f = p.font();
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 14, 14, 12), Qt::AlignCenter, QStringLiteral("ab"));
        arrow(p, 3, 29, 18, QColor(0, 110, 0));
        key(p, 14, 12);
    });
}

QIcon attachKeywordIcon()
{
    return drawn([](QPainter &p) {
        key(p, 1, 4);
        arrow(p, 2, 22, 12, QColor(0, 70, 160));
        card(p, 19, 14);
    });
}

QIcon attachAllKeywordsIcon()
{
    return drawn([](QPainter &p) {
        key(p, 1, 1);
        key(p, 1, 9);
        arrow(p, 2, 22, 12, QColor(0, 70, 160));
        arrow(p, 2, 28, 12, QColor(0, 70, 160));
        card(p, 19, 14);
    });
}

} // namespace words
