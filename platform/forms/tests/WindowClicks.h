#pragma once
// Mouse clicks sent as the window system sends them: to the top-level
// window at a point, Qt then finding the control that stands there at that
// moment. A window that the first click closes is no longer there for the
// second.

#include <QApplication>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace windowclicks {

// The centre of a control, in its top-level window.
inline QPoint centreInWindow(const QWidget *w)
{
    return w->mapTo(w->window(), w->rect().center());
}

// Press and release at a point of the top-level window, `gapMs` after the
// last mouse event sent.
inline void clickAt(QWindow *window, const QPoint &at, int gapMs)
{
    const QPointF global = window->mapToGlobal(at);
    QTest::lastMouseTimestamp += qMax(1, gapMs);
    qt_handleMouseEvent(window, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress,
                        Qt::NoModifier, QTest::lastMouseTimestamp);
    QTest::lastMouseTimestamp += 1;
    qt_handleMouseEvent(window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease,
                        Qt::NoModifier, QTest::lastMouseTimestamp);
    QCoreApplication::processEvents();
}

// Two clicks at the control's place, the second `gapMs` after the first
// (within the double-click time: a double-click); then a pause, so that the
// next click starts afresh.
inline void clickTwiceAt(const QWidget *w, int gapMs = 50)
{
    QWindow *window = w->window()->windowHandle();
    const QPoint at = centreInWindow(w);
    clickAt(window, at, 1);
    clickAt(window, at, gapMs);
    QTest::lastMouseTimestamp += QGuiApplication::styleHints()->mouseDoubleClickInterval() + 1;
}

// The double-click of the test library, at the control's place.
inline void doubleClickAt(const QWidget *w)
{
    QTest::mouseDClick(w->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, centreInWindow(w));
}

} // namespace windowclicks
