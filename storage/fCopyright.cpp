#include "fCopyright.h"

#include "Graphics.h"
#include "Placement.h"
#include "Twips.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

fCopyright::fCopyright()
{
    setObjectName(QStringLiteral("fCopyright"));
    setCaption(QStringLiteral("Corvane Studio"));
    QWidget *c = client();
    window()->resize(vb::pixelsX(5400), vb::pixelsY(2400));

    QPixmap pm(96, 96);
    pm.fill(QColor(0x2e, 0x5c, 0x8a));
    {
        QPainter p(&pm);
        p.setPen(QPen(Qt::white, 4));
        p.drawLine(24, 34, 72, 34);
        p.drawLine(24, 50, 72, 50);
        p.drawLine(24, 66, 56, 66);
    }
    PictureClip1 = new vb::PictureClip;
    PictureClip1->setPicture(pm);
    Picture1 = new QLabel(c);
    Picture1->setScaledContents(true);
    Picture1->setPixmap(PictureClip1->graphicCell(0));
    Shape1 = new vb::ShapeControl(c);
    Label1 = new QLabel(QStringLiteral("Corvane Studio"), c);
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() * 3 / 2);
    Label1->setFont(big);
    Label2 = new QLabel(QStringLiteral("A knowledge base of notes, quotes and references"), c);
    vb::setGeometryTwips(Shape1, 60, 60, 5280, 2280);
    vb::setGeometryTwips(Picture1, 240, 480, 1440, 1440);
    vb::setGeometryTwips(Label1, 1920, 600, 3240, 480);
    vb::setGeometryTwips(Label2, 1920, 1200, 3360, 300);

    addControl(QStringLiteral("Picture1"), Picture1);
    addControl(QStringLiteral("Shape1"), Shape1);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Label2"), Label2);
    // A click on any part of the window closes it, not only on its surface.
    for (QObject *part : controls())
        part->installEventFilter(this);
    window()->installEventFilter(this);
}

fCopyright::~fCopyright() { delete PictureClip1; }

void fCopyright::formLoad()
{
    const MainWindowSize m = mainWindowSize();
    setLeft(leftOverMainWindow(m, width()));
    setTop(topOverMainWindow(m, height(), 4));
}

void fCopyright::formClick() { unload(); }

void fCopyright::formDeactivate() { unload(); }

bool fCopyright::eventFilter(QObject *watched, QEvent *event)
{
    if (isLoaded()) {
        if (event->type() == QEvent::MouseButtonRelease && watched != window()) {
            unload();
            return true;
        }
        // Losing the focus to another window of any program.
        if (event->type() == QEvent::WindowDeactivate && watched == window())
            unload();
    }
    return vb::Form::eventFilter(watched, event);
}
