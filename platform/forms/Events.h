#pragma once
// The edge between Qt and the event procedures: an error that escapes an
// event procedure is shown as a message box with its number and description
// and the program goes on (the old runtime ended the program there and lost
// unsaved work). Exceptions must never cross Qt's own code.

#include <QObject>
#include <QString>
#include <concepts>
#include <functional>
#include <utility>

class QMouseEvent;
class QKeyEvent;

namespace vb {

class Error;

// The text shown for an error that escaped an event procedure.
QString runtimeErrorText(int number, const QString &description);
// Shows that message box (critical icon, application title).
void reportError(const Error &error);

// Runs an event procedure. Returns false when it ended with an error (which
// has then been reported). A dialog that a test script did not expect is not
// reported again: the script has already recorded it.
bool runEvent(const std::function<void()> &procedure);

// Runs the procedure as an event procedure once control is back in the event
// loop (a message box from inside a mouse press must not keep the press's
// mouse grab). Nothing runs if the context object is gone by then.
void runLater(const QObject *context, std::function<void()> procedure);

// connect() whose slot runs as an event procedure. The slot may take the
// signal's arguments or fewer, as with QObject::connect.
template <typename Sender, typename Signal, typename Slot>
QMetaObject::Connection connectEvent(const Sender *sender, Signal signal, const QObject *context,
                                     Slot slot)
{
    return QObject::connect(
        sender, signal, context,
        [slot = std::move(slot)](auto &&...args) mutable -> void
            requires std::invocable<Slot &, decltype(args)...>
        { runEvent([&] { slot(std::forward<decltype(args)>(args)...); }); });
}

// Mouse and keyboard arguments as the event procedures receive them.
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum ShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
enum KeyCodes : int { vbKeyReturn = 13, vbKeyEscape = 27, vbKeyDelete = 46 };

int mouseButton(Qt::MouseButton button);     // the one button of a press/release
int mouseButtons(Qt::MouseButtons buttons);  // the buttons held (move events)
int shiftState(Qt::KeyboardModifiers modifiers);
// VB key code of a key: letters and digits as their upper-case character,
// Return 13, Escape 27, ...; 0 when it has none.
int keyCode(const QKeyEvent *event);

struct MouseArgs {
    int button = 0;
    int shift = 0;
    double x = 0; // twips, in the control's own coordinates
    double y = 0;
};
MouseArgs mouseArgs(const QMouseEvent *event, bool press);

} // namespace vb
