#include "fChoix1.h"

#include "Events.h"
#include "MainWindowLink.h"
#include "Placement.h"
#include "Runtime.h"
#include "Twips.h"
#include "Util.h"

#include <QLabel>
#include <QPushButton>

fChoix1::fChoix1()
{
    setObjectName(QStringLiteral("fChoix1"));
    setCaption(QStringLiteral("Corvane Studio"));
    QWidget *c = client();
    Label1 = new QLabel(QStringLiteral("Please choose a mode"), c);
    Command1 = new QPushButton(QStringLiteral("Edit mode"), c);
    Command2 = new QPushButton(QStringLiteral("Locked mode"), c);
    vb::setGeometryTwips(Label1, 240, 120, 2600, 300);
    vb::setGeometryTwips(Command1, 240, 600, 1200, 420);
    vb::setGeometryTwips(Command2, 1560, 600, 1200, 420);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Command1"), Command1);
    addControl(QStringLiteral("Command2"), Command2);
    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void fChoix1::formLoad()
{
    setWidth(3195);
    setHeight(1905);
    const MainWindowSize m = mainWindowSize();
    setTop(vb::intDiv(m.height - 1905, 2));
    setLeft(vb::intDiv(m.width - 3195, 2));
}

void fChoix1::opened(bool ok)
{
    // The main window only ever shows a base that opened and bound.
    if (!ok)
        return;
    const MainWindowLink &link = mainWindowLink();
    if (link.isLoaded && link.isLoaded() && link.unload)
        link.unload();
    if (link.loadAndShow)
        link.loadAndShow();
    unload();
}

// Changed cards are stored into the base they came from, before it goes.
static bool cardWindowsClosed()
{
    const MainWindowLink &link = mainWindowLink();
    if (!(link.isLoaded && link.isLoaded()) || !link.unloadCardWindows)
        return true;
    return link.unloadCardWindows();
}

void fChoix1::Command1_Click()
{
    OpenMode = QStringLiteral("Edit");
    if (cardWindowsClosed())
        opened(OpenSampleBaseEdit());
}

void fChoix1::Command2_Click()
{
    OpenMode = QStringLiteral("Locked");
    if (cardWindowsClosed())
        opened(OpenSampleBaseLocked());
}
