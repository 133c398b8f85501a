#include "Twips.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace vb {

namespace {
double primaryDpi(bool x)
{
    if (QGuiApplication::instance()) {
        if (const QScreen *s = QGuiApplication::primaryScreen()) {
            const double dpi = x ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
            if (dpi > 0)
                return dpi;
        }
    }
    return 96.0;
}
} // namespace

void setInterfaceFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(kInterfacePointSize);
    QApplication::setFont(font);
}

double twipsPerPixel(double dpi) { return dpi > 0 ? 1440.0 / dpi : 15.0; }
double twipsPerPixelX() { return twipsPerPixel(primaryDpi(true)); }
double twipsPerPixelY() { return twipsPerPixel(primaryDpi(false)); }

int pixelsX(double twips) { return int(std::lround(twips / twipsPerPixelX())); }
int pixelsY(double twips) { return int(std::lround(twips / twipsPerPixelY())); }
double twipsX(int pixels) { return pixels * twipsPerPixelX(); }
double twipsY(int pixels) { return pixels * twipsPerPixelY(); }
QPoint twipsPoint(QPoint p) { return QPoint(int(std::lround(twipsX(p.x()))), int(std::lround(twipsY(p.y())))); }

double leftOf(const QWidget *w) { return twipsX(w->x()); }
double topOf(const QWidget *w) { return twipsY(w->y()); }
double widthOf(const QWidget *w) { return twipsX(w->width()); }
double heightOf(const QWidget *w) { return twipsY(w->height()); }

void setLeft(QWidget *w, double t) { w->move(pixelsX(t), w->y()); }
void setTop(QWidget *w, double t) { w->move(w->x(), pixelsY(t)); }
// A size below zero is refused by the runtime; here it shrinks to nothing.
void setWidth(QWidget *w, double t) { w->resize(qMax(0, pixelsX(t)), w->height()); }
void setHeight(QWidget *w, double t) { w->resize(w->width(), qMax(0, pixelsY(t))); }

void setGeometryTwips(QWidget *w, double l, double t, double wd, double h)
{
    w->setGeometry(pixelsX(l), pixelsY(t), qMax(0, pixelsX(wd)), qMax(0, pixelsY(h)));
}

} // namespace vb
