#include "Graphics.h"

#include "Error.h"
#include "Twips.h"

#include <QPainter>
#include <cmath>

namespace vb {

// --- LineControl -------------------------------------------------------------

LineControl::LineControl(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    place();
}

void LineControl::setPoints(double x1, double y1, double x2, double y2)
{
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    place();
}

void LineControl::place()
{
    const int ax = pixelsX(m_x1), ay = pixelsY(m_y1), bx = pixelsX(m_x2), by = pixelsY(m_y2);
    const int pad = m_width;
    setGeometry(QRect(QPoint(qMin(ax, bx) - pad, qMin(ay, by) - pad),
                      QPoint(qMax(ax, bx) + pad, qMax(ay, by) + pad)));
    update();
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(m_color, m_width));
    const QPoint o = pos();
    p.drawLine(QPoint(pixelsX(m_x1), pixelsY(m_y1)) - o, QPoint(pixelsX(m_x2), pixelsY(m_y2)) - o);
}

// --- ShapeControl ------------------------------------------------------------

ShapeControl::ShapeControl(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_opaque)
        p.fillRect(rect(), m_backColor);
    QRectF r = QRectF(rect()).adjusted(m_borderWidth / 2.0, m_borderWidth / 2.0, -m_borderWidth / 2.0,
                                       -m_borderWidth / 2.0);
    if (m_shape == Square || m_shape == Circle || m_shape == RoundedSquare) {
        const double side = qMin(r.width(), r.height());
        r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    p.setPen(m_borderWidth > 0 ? QPen(m_borderColor, m_borderWidth) : QPen(Qt::NoPen));
    p.setBrush(m_fillStyle == Solid ? QBrush(m_fillColor) : QBrush(Qt::NoBrush));
    switch (m_shape) {
    case Oval:
    case Circle: p.drawEllipse(r); break;
    case RoundedRectangle:
    case RoundedSquare: {
        const double radius = qMin(r.width(), r.height()) / 6;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    default: p.drawRect(r); break;
    }
}

// --- PictureClip -------------------------------------------------------------

namespace {
[[noreturn]] void invalidValue() { raise(380, QStringLiteral("Invalid property value")); }
[[noreturn]] void noProperty()
{
    raise(438, QStringLiteral("Object doesn't support this property or method"));
}
} // namespace

void PictureClip::setRows(int rows)
{
    if (rows < 1)
        invalidValue();
    m_rows = rows;
}

void PictureClip::setCols(int cols)
{
    if (cols < 1)
        invalidValue();
    m_cols = cols;
}

QPixmap PictureClip::graphicCell(int index) const
{
    if (index < 0 || index >= m_rows * m_cols || m_picture.isNull())
        invalidValue();
    const int w = m_picture.width() / m_cols, h = m_picture.height() / m_rows;
    return m_picture.copy((index % m_cols) * w, (index / m_cols) * h, w, h);
}

QPixmap PictureClip::clip(int x, int y, int width, int height) const
{
    if (m_picture.isNull() || width < 0 || height < 0
        || !m_picture.rect().contains(QRect(x, y, qMax(1, width), qMax(1, height))))
        invalidValue();
    return m_picture.copy(x, y, width, height);
}

// --- properties by name ------------------------------------------------------

QVariant controlProperty(const QObject *control, const QString &name)
{
    const QString n = name.toLower();
    if (const auto *line = qobject_cast<const LineControl *>(control)) {
        if (n == QLatin1String("x1")) return line->x1();
        if (n == QLatin1String("y1")) return line->y1();
        if (n == QLatin1String("x2")) return line->x2();
        if (n == QLatin1String("y2")) return line->y2();
    }
    if (n == QLatin1String("tag"))
        return control->property("tag").toString();
    const auto *w = qobject_cast<const QWidget *>(control);
    if (!w)
        noProperty();
    if (n == QLatin1String("left")) return leftOf(w);
    if (n == QLatin1String("top")) return topOf(w);
    if (n == QLatin1String("width")) return widthOf(w);
    if (n == QLatin1String("height")) return heightOf(w);
    if (n == QLatin1String("visible")) return w->isVisibleTo(w->parentWidget() ? w->parentWidget() : w);
    if (n == QLatin1String("enabled")) return w->isEnabled();
    noProperty();
}

void setControlProperty(QObject *control, const QString &name, const QVariant &value)
{
    const QString n = name.toLower();
    if (auto *line = qobject_cast<LineControl *>(control)) {
        const double v = value.toDouble();
        if (n == QLatin1String("x1")) return line->setX1(v);
        if (n == QLatin1String("y1")) return line->setY1(v);
        if (n == QLatin1String("x2")) return line->setX2(v);
        if (n == QLatin1String("y2")) return line->setY2(v);
        if (n == QLatin1String("left") || n == QLatin1String("top") || n == QLatin1String("width")
            || n == QLatin1String("height"))
            noProperty(); // a line is placed by its end points
    }
    if (n == QLatin1String("tag")) {
        control->setProperty("tag", value.toString());
        return;
    }
    auto *w = qobject_cast<QWidget *>(control);
    if (!w)
        noProperty();
    if (n == QLatin1String("left")) return setLeft(w, value.toDouble());
    if (n == QLatin1String("top")) return setTop(w, value.toDouble());
    if (n == QLatin1String("width")) return setWidth(w, value.toDouble());
    if (n == QLatin1String("height")) return setHeight(w, value.toDouble());
    if (n == QLatin1String("visible")) return w->setVisible(value.toBool());
    if (n == QLatin1String("enabled")) return w->setEnabled(value.toBool());
    noProperty();
}

} // namespace vb
