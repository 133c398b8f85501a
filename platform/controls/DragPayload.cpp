#include "DragPayload.h"

namespace vb {

DragPayload DragPayload::fromTextBox(QObject *source, const QString &text)
{
    DragPayload p;
    p.sourceKind = QStringLiteral("TextBox");
    p.text = text;
    p.source = source;
    if (source)
        p.sourceName = source->objectName();
    return p;
}

std::optional<QString> droppedText(const DragPayload &payload)
{
    if (payload.text && !payload.text->isEmpty())
        return payload.text;
    if (payload.caption && !payload.caption->isEmpty())
        return payload.caption;
    return std::nullopt;
}

DragPayload DragPayload::fromLabel(QObject *source, const QString &caption)
{
    DragPayload p;
    p.sourceKind = QStringLiteral("Label");
    p.caption = caption;
    p.source = source;
    if (source)
        p.sourceName = source->objectName();
    return p;
}

} // namespace vb
