#include "DragDrop.h"

#include "Events.h"
#include "Twips.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMouseEvent>
#include <QWidget>

namespace vb {

PayloadMimeData::PayloadMimeData(DragPayload payload)
    : m_payload(std::move(payload))
{
    // A marker so that Qt offers the drag to targets; the payload itself
    // never leaves the process.
    setData(format(), QByteArray("1"));
}

const QString &PayloadMimeData::format()
{
    static const QString f = QStringLiteral("application/x-corvane-drag");
    return f;
}

std::optional<DragPayload> payloadOf(const QMimeData *data)
{
    if (const auto *p = qobject_cast<const PayloadMimeData *>(data))
        return p->payload();
    return std::nullopt;
}

Qt::DropAction startDrag(QWidget *source, const DragPayload &payload)
{
    auto *drag = new QDrag(source);
    drag->setMimeData(new PayloadMimeData(payload));
    return drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

namespace {

class AutoDrag : public QObject {
public:
    AutoDrag(QWidget *source, std::function<DragPayload()> payload)
        : QObject(source), m_payload(std::move(payload))
    {
        setObjectName(QStringLiteral("corvaneAutoDrag"));
        source->installEventFilter(this);
    }
    void setPayload(std::function<DragPayload()> payload) { m_payload = std::move(payload); }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        auto *w = static_cast<QWidget *>(watched);
        if (e->type() == QEvent::MouseButtonPress) {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton)
                m_start = me->position().toPoint();
        } else if (e->type() == QEvent::MouseMove && m_start) {
            auto *me = static_cast<QMouseEvent *>(e);
            if ((me->buttons() & Qt::LeftButton)
                && (me->position().toPoint() - *m_start).manhattanLength() >= QApplication::startDragDistance()) {
                m_start.reset();
                DragPayload p;
                if (runEvent([&] { p = m_payload(); }))
                    startDrag(w, p);
                return true;
            }
        } else if (e->type() == QEvent::MouseButtonRelease) {
            m_start.reset();
        }
        return false;
    }

private:
    std::function<DragPayload()> m_payload;
    std::optional<QPoint> m_start;
};

class DropFilter : public QObject {
public:
    DropFilter(QWidget *target, std::function<void(const DragPayload &, double, double)> handler)
        : QObject(target), m_handler(std::move(handler))
    {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *de = static_cast<QDropEvent *>(e);
            if (payloadOf(de->mimeData()))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto *de = static_cast<QDropEvent *>(e);
            const std::optional<DragPayload> p = payloadOf(de->mimeData());
            if (!p) {
                de->ignore();
                return true;
            }
            de->acceptProposedAction();
            const QPoint pos = de->position().toPoint();
            Q_UNUSED(watched)
            runEvent([&] { m_handler(*p, twipsX(pos.x()), twipsY(pos.y())); });
            return true;
        }
        default:
            return false;
        }
    }

private:
    std::function<void(const DragPayload &, double, double)> m_handler;
};

} // namespace

void enableAutomaticDrag(QWidget *source, std::function<DragPayload()> payload)
{
    // The windows set DragMode in every MouseDown: once is enough.
    for (QObject *child : source->children())
        if (child->objectName() == QLatin1String("corvaneAutoDrag")) {
            static_cast<AutoDrag *>(child)->setPayload(std::move(payload));
            return;
        }
    new AutoDrag(source, std::move(payload));
}

void acceptDrops(QWidget *target, std::function<void(const DragPayload &, double, double)> handler)
{
    new DropFilter(target, std::move(handler));
}

} // namespace vb
