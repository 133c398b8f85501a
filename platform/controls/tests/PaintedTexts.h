#pragma once
// What a widget hands over to be painted, for the tests of values too long
// to show whole: the texts the views give the style for their items, and
// the texts a widget puts on a painter.

#include <QPaintDevice>
#include <QPaintEngine>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>

namespace painted {

// Words of every length, some letters outside Latin-1, no line break.
inline QString hugeText(qsizetype chars)
{
    QString text;
    text.reserve(chars + 16);
    for (qsizetype i = 0; text.size() < chars; ++i)
        text += i % 7 == 6 ? QStringLiteral("\u00e9t\u00e9 ") : QStringLiteral("word%1 ").arg(i % 97);
    text.truncate(chars);
    return text;
}

// The application's style, keeping the longest item text an item view
// asked it to draw or to measure.
class ItemTextStyle : public QProxyStyle {
public:
    ItemTextStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    mutable qsizetype longest = 0;
    mutable int items = 0;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        note(element == CE_ItemViewItem, option);
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        note(type == CT_ItemViewItem, option);
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

private:
    void note(bool item, const QStyleOption *option) const
    {
        if (const auto *o = qstyleoption_cast<const QStyleOptionViewItem *>(option); item && o) {
            longest = std::max(longest, o->text.size());
            ++items;
        }
    }
};

// A surface that counts the characters of text painted on it.
class TextSurface : public QPaintDevice {
public:
    explicit TextSurface(QSize size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    qsizetype characters() const { return m_engine.characters; }
    int texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 1000;
        }
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(AllFeatures) {}
        qsizetype characters = 0;
        int texts = 0;
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawRects(const QRectF *, int) override {}
        void drawLines(const QLineF *, int) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override
        {
            characters += item.text().size();
            ++texts;
        }
        Type type() const override { return User; }
    };
    QSize m_size;
    mutable Engine m_engine;
};

} // namespace painted
