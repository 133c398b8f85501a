#pragma once
// OLE colours as the control's properties hold them: 0x800000nn names system
// colour nn, which follows the widget's palette; any other value is a plain
// colour 0x00BBGGRR (red in the low byte).

#include <QColor>
#include <QPalette>
#include <QtGlobal>

namespace vantrel {

QColor oleColor(quint32 value, const QPalette &palette);

inline constexpr bool isSystemColor(quint32 value) { return (value & 0xFF000000u) == 0x80000000u; }

} // namespace vantrel
