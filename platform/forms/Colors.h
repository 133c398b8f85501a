#pragma once
// Colours as the windows write them: OLE colours &H00BBGGRR, or system
// colours &H800000nn that follow the palette.

#include <QColor>

namespace vb {

enum SystemColor : quint32 {
    vbScrollBars = 0x80000000,
    vbDesktop = 0x80000001,
    vbWindowBackground = 0x80000005,
    vbWindowText = 0x80000008,
    vbHighlight = 0x8000000D,
    vbHighlightText = 0x8000000E,
    vbButtonFace = 0x8000000F,
    vbButtonShadow = 0x80000010,
    vbGrayText = 0x80000011,
    vbButtonText = 0x80000012,
};

// System colours map to the application palette; other values are BGR.
QColor oleColor(quint32 value);
// Inverse for plain colours (system colours are not recovered).
quint32 toOleColor(const QColor &color);
QColor rgbColor(int red, int green, int blue);

} // namespace vb
