#pragma once
// What a drag between the program's own controls carries, apart from the
// drag itself: the logic behind a drop target reads it without any widget.

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace vb {

struct DragPayload {
    QString sourceKind;             // "TextBox", "Label", "Grid", ...
    std::optional<QString> text;    // Source.Text, when the source has one
    std::optional<QString> caption; // Source.Caption, when the source has one
    QString sourceName;             // the control's name
    QPointer<QObject> source;       // the control itself (it may be gone)

    static DragPayload fromTextBox(QObject *source, const QString &text);
    static DragPayload fromLabel(QObject *source, const QString &caption);
};

// The text a drop carries: a text box's Text, else a label's Caption;
// nothing when the dragged control has neither or it is empty.
std::optional<QString> droppedText(const DragPayload &payload);

} // namespace vb
