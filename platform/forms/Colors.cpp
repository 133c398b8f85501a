#include "Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace vb {

QColor oleColor(quint32 value)
{
    if (value & 0x80000000u) {
        const QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
        switch (value & 0xFF) {
        case 0x00: return pal.color(QPalette::Button);
        case 0x01: return pal.color(QPalette::Window);
        case 0x05: return pal.color(QPalette::Base);
        case 0x08: return pal.color(QPalette::Text);
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x0F: return pal.color(QPalette::Button);
        case 0x10: return pal.color(QPalette::Dark);
        case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);
        case 0x12: return pal.color(QPalette::ButtonText);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 toOleColor(const QColor &c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

QColor rgbColor(int r, int g, int b) { return QColor(r & 0xFF, g & 0xFF, b & 0xFF); }

} // namespace vb
