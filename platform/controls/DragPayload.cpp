#include "DragPayload.h"

namespace vb {

namespace {

DragPayload fromControl(QObject *source, const QString &kind)
{
    DragPayload p;
    p.sourceKind = kind;
    p.source = source;
    if (source)
        p.sourceName = source->objectName();
    return p;
}

} // namespace

DragPayload DragPayload::fromTextBox(QObject *source, const QString &text)
{
    DragPayload p = fromControl(source, QStringLiteral("TextBox"));
    p.text = text;
    return p;
}

DragPayload DragPayload::fromLabel(QObject *source, const QString &caption)
{
    DragPayload p = fromControl(source, QStringLiteral("Label"));
    p.caption = caption;
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

} // namespace vb
