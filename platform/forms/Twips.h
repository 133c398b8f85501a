#pragma once
// Every size, position and mouse coordinate the windows use is in twips
// (1440 per inch), converted through the screen's logical dpi: 15 twips per
// pixel at 96 dpi.

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

namespace vb {

// Twips per pixel at the given logical dpi (1440 / dpi).
double twipsPerPixel(double dpi);
// ... and at the primary screen's logical dpi (96 when there is no screen).
double twipsPerPixelX();
double twipsPerPixelY();

// Twips to pixels, rounded to the nearest pixel, and back.
int pixelsX(double twips);
int pixelsY(double twips);
double twipsX(int pixels);
double twipsY(int pixels);
QPoint twipsPoint(QPoint pixels);

// Geometry of any control in twips, relative to its parent (its container's
// client area), for the Left/Top/Width/Height members of the controls.
double leftOf(const QWidget *w);
double topOf(const QWidget *w);
double widthOf(const QWidget *w);
double heightOf(const QWidget *w);
void setLeft(QWidget *w, double twips);
void setTop(QWidget *w, double twips);
void setWidth(QWidget *w, double twips);
void setHeight(QWidget *w, double twips);
void setGeometryTwips(QWidget *w, double left, double top, double width, double height);

// A captioned control (label, button, frame) made on parent at its design
// place and size in twips, as every window builds its controls.
template <class W>
W *newCaptioned(QWidget *parent, const QString &caption, double left, double top, double width, double height)
{
    auto *w = new W(caption, parent);
    setGeometryTwips(w, left, top, width, height);
    return w;
}

// The windows' places and sizes are made for an 8-point interface font; a
// larger desktop default would clip their captions. Sets it as the
// application's font (the program at its start, the tests of its windows).
inline constexpr double kInterfacePointSize = 8;
void setInterfaceFont();

} // namespace vb
