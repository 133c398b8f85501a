#include "Events.h"

#include "Dialogs.h"
#include "Error.h"
#include "Twips.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QtDebug>
#include <new>

namespace vb {

QString runtimeErrorText(int number, const QString &description)
{
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description);
}

namespace {
void show(int number, const QString &description)
{
    try {
        MsgBox(runtimeErrorText(number, description), vbCritical);
    } catch (const UnexpectedDialog &e) {
        qCritical("Corvane: %s", e.what());
    }
}
} // namespace

void reportError(const Error &error)
{
    show(error.number(), error.description());
}

bool runEvent(const std::function<void()> &procedure)
{
    try {
        procedure();
        return true;
    } catch (const Error &e) {
        reportError(e);
    } catch (const UnexpectedDialog &e) {
        qCritical("Corvane: %s", e.what());
    } catch (const std::bad_alloc &) {
        show(ErrOutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception &e) {
        show(51, QStringLiteral("Internal error: %1").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        show(51, QStringLiteral("Internal error"));
    }
    return false;
}

void runLater(const QObject *context, std::function<void()> procedure)
{
    QTimer::singleShot(0, context, [procedure = std::move(procedure)] { runEvent(procedure); });
}

int mouseButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return vbLeftButton;
    case Qt::RightButton: return vbRightButton;
    case Qt::MiddleButton: return vbMiddleButton;
    default: return 0;
    }
}

int mouseButtons(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? vbLeftButton : 0) | (b & Qt::RightButton ? vbRightButton : 0)
           | (b & Qt::MiddleButton ? vbMiddleButton : 0);
}

int shiftState(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? vbShiftMask : 0) | (m & Qt::ControlModifier ? vbCtrlMask : 0)
           | (m & Qt::AltModifier ? vbAltMask : 0);
}

int keyCode(const QKeyEvent *e)
{
    const int k = e->key();
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return k; // Qt's codes are the ASCII upper-case letters and digits
    switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return vbKeyDelete;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default:
        if (k >= Qt::Key_F1 && k <= Qt::Key_F16)
            return 112 + (k - Qt::Key_F1);
        return 0;
    }
}

MouseArgs mouseArgs(const QMouseEvent *e, bool press)
{
    MouseArgs a;
    a.button = press ? mouseButton(e->button()) : mouseButtons(e->buttons());
    if (!press && a.button == 0)
        a.button = mouseButton(e->button()); // a release reports the released button
    a.shift = shiftState(e->modifiers());
    const QPoint p = e->position().toPoint();
    a.x = twipsX(p.x());
    a.y = twipsY(p.y());
    return a;
}

} // namespace vb
