#include "Working.h"

#include "CommonControls.h"
#include "Placement.h"
#include "Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

Working::Working()
{
    setObjectName(QStringLiteral("Working"));
    setCaption(QStringLiteral("Working..."));
    QWidget *c = client();
    Frame1 = new QGroupBox(c);
    vb::setGeometryTwips(Frame1, 120, 60, 3960, 1620);
    Label1 = new QLabel(Frame1);
    Text3 = new QLineEdit(Frame1);
    Text4 = new QLineEdit(Frame1);
    Text3->setReadOnly(true);
    Text4->setReadOnly(true);
    ProgressBar1 = new vb::ProgressBar(Frame1);
    vb::setGeometryTwips(Label1, 120, 240, 3720, 300);
    vb::setGeometryTwips(Text3, 120, 600, 1740, 360);
    vb::setGeometryTwips(Text4, 2100, 600, 1740, 360);
    vb::setGeometryTwips(ProgressBar1, 120, 1080, 3720, 360);

    addControl(QStringLiteral("Frame1"), Frame1);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Text3"), Text3);
    addControl(QStringLiteral("Text4"), Text4);
    addControl(QStringLiteral("ProgressBar1"), ProgressBar1);
}

void Working::formLoad()
{
    setWidth(4320);
    setHeight(2220);
    const MainWindowSize m = mainWindowSize();
    setLeft(leftOverMainWindow(m, 4320));
    setTop(topOverMainWindow(m, 2220));
    refresh();
}
