#include "Alert.h"

#include "Placement.h"
#include "Twips.h"

#include <QLabel>
#include <QLineEdit>

Alert::Alert()
{
    setObjectName(QStringLiteral("Alert"));
    setCaption(QStringLiteral("Alert !!"));
    QWidget *c = client();
    window()->resize(vb::pixelsX(4200), vb::pixelsY(2100));

    Label1 = new QLabel(QStringLiteral("Memory almost full !!"), c);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = new QLabel(QStringLiteral("Please close some windows"), c);
    Label3 = new QLabel(QStringLiteral("Physical Memory Used :"), c);
    Text1 = new QLineEdit(c);
    Label4 = new QLabel(QStringLiteral("Virtual Memory Used :"), c);
    Text2 = new QLineEdit(c);
    vb::setGeometryTwips(Label1, 240, 120, 3720, 300);
    vb::setGeometryTwips(Label2, 240, 480, 3720, 300);
    vb::setGeometryTwips(Label3, 240, 960, 2160, 300);
    vb::setGeometryTwips(Text1, 2520, 900, 1440, 360);
    vb::setGeometryTwips(Label4, 240, 1440, 2160, 300);
    vb::setGeometryTwips(Text2, 2520, 1380, 1440, 360);

    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Label2"), Label2);
    addControl(QStringLiteral("Label3"), Label3);
    addControl(QStringLiteral("Text1"), Text1);
    addControl(QStringLiteral("Label4"), Label4);
    addControl(QStringLiteral("Text2"), Text2);
}

void Alert::formLoad()
{
    const MainWindowSize m = mainWindowSize();
    setLeft(leftOverMainWindow(m, width()));
    setTop(topOverMainWindow(m, height()));
}
