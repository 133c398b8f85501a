#pragma once
// Drag and drop between the program's own controls. The payload says what
// was dragged: a text box offers its Text, a label its Caption; a target
// that wants a Text finds none on a label. Drops from other programs are
// not taken.

#include "DragPayload.h"

#include <QMimeData>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace vb {

// The payload travels inside the drag's data; only drags started by this
// process carry one.
class PayloadMimeData : public QMimeData {
    Q_OBJECT
public:
    explicit PayloadMimeData(DragPayload payload);
    const DragPayload &payload() const { return m_payload; }
    static const QString &format();

private:
    DragPayload m_payload;
};

std::optional<DragPayload> payloadOf(const QMimeData *data);

// Drag 1 (begin dragging): runs the drag until it is dropped or given up.
Qt::DropAction startDrag(QWidget *source, const DragPayload &payload);

// DragMode 1: from now on a press and move on the widget starts a drag.
void enableAutomaticDrag(QWidget *source, std::function<DragPayload()> payload);

// Makes the widget a drop target: the handler gets the payload and the drop
// point in twips from the widget's top left. Runs as an event procedure.
void acceptDrops(QWidget *target, std::function<void(const DragPayload &, double x, double y)> handler);

} // namespace vb
