#include "Screen.h"

#include "Form.h"
#include "Twips.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

namespace vb {

namespace {
int g_pointer = vbDefault;
bool g_overridden = false;

Qt::CursorShape shapeOf(int pointer)
{
    switch (pointer) {
    case vbHourglass: return Qt::WaitCursor;
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    default: return Qt::ArrowCursor;
    }
}
} // namespace

double Screen::width()
{
    const QScreen *s = QGuiApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return twipsX(s ? s->geometry().width() : 1024);
}

double Screen::height()
{
    const QScreen *s = QGuiApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return twipsY(s ? s->geometry().height() : 768);
}

Form *Screen::activeForm() { return Forms::activeForm(); }

int Screen::mousePointer() { return g_pointer; }

void Screen::setMousePointer(int pointer)
{
    g_pointer = pointer;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (pointer == vbDefault) {
        if (g_overridden)
            QGuiApplication::restoreOverrideCursor();
        g_overridden = false;
    } else if (g_overridden) {
        QGuiApplication::changeOverrideCursor(QCursor(shapeOf(pointer)));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(shapeOf(pointer)));
        g_overridden = true;
    }
}

HourglassCursor::HourglassCursor()
    : m_previous(Screen::mousePointer())
{
    Screen::setMousePointer(vbHourglass);
}

HourglassCursor::~HourglassCursor() { Screen::setMousePointer(m_previous); }

} // namespace vb
