#include "SecondClickGuard.h"

#include "Form.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace vb {

namespace {

QWidget *widgetOfWindow(QWindow *window)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowHandle() == window)
            return w;
    return nullptr;
}

// Watches the presses that reach the program's windows from the window
// system, before Qt hands them to a control.
class SecondClickGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            break;
        default:
            return false;
        }
        auto *window = qobject_cast<QWindow *>(watched);
        if (!window)
            return false;
        auto *me = static_cast<QMouseEvent *>(e);
        if (me->type() == QEvent::MouseButtonPress)
            return press(window, me);
        if (!m_dropping)
            return false;
        // The rest of the dropped click goes too, up to its last release.
        if (me->type() == QEvent::MouseButtonRelease && me->buttons() == Qt::NoButton)
            m_dropping = false;
        return true;
    }

private:
    bool press(QWindow *window, QMouseEvent *me)
    {
        m_dropping = false;
        Form *under = formAt(window, me->position().toPoint());
        const QPointF at = me->globalPosition();
        const QStyleHints *hints = QGuiApplication::styleHints();
        const bool second = m_hasFirst && me->button() == m_button
                            && me->timestamp() - m_time < ulong(hints->mouseDoubleClickInterval())
                            && (at - m_at).manhattanLength() <= hints->mouseDoubleClickDistance();
        if (!second) {
            m_hasFirst = true;
            m_button = me->button();
            m_time = me->timestamp();
            m_at = at;
            m_first = under;
            m_firstWindow = window;
            return false;
        }
        // A third press starts a new pair, as the window system counts.
        m_hasFirst = false;
        const bool sameWindow = under ? under == m_first.data() && under->isLoaded()
                                      : !m_first && m_firstWindow == window;
        if (sameWindow)
            return false;
        m_dropping = true;
        return true;
    }

    static Form *formAt(QWindow *window, const QPoint &pos)
    {
        QWidget *top = widgetOfWindow(window);
        if (!top)
            return nullptr;
        QWidget *w = top->childAt(pos);
        return formOfWidget(w ? w : top);
    }

    bool m_hasFirst = false;
    bool m_dropping = false;
    Qt::MouseButton m_button = Qt::NoButton;
    ulong m_time = 0;
    QPointF m_at;
    QPointer<Form> m_first;
    QPointer<QWindow> m_firstWindow;
};

} // namespace

void installSecondClickGuard()
{
    static QPointer<SecondClickGuard> guard;
    if (guard || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    guard = new SecondClickGuard(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
}

} // namespace vb
