#include "frmMots.h"

#include "Working.h"

#include "CardWindows.h"
#include "Twips.h"

#include <QLabel>
#include <QLineEdit>

frmMots::frmMots()
{
    setObjectName(QStringLiteral("frmMots"));
    setCaption(QStringLiteral("Form1"));
    QWidget *c = client();
    Label1 = new QLabel(QStringLiteral("nom fichier"), c);
    vb::setGeometryTwips(Label1, 240, 240, 1215, 285);
    Text1 = new QLineEdit(c);
    vb::setGeometryTwips(Text1, 1560, 200, 2655, 345);
    Label2 = new QLabel(QStringLiteral("Nb Mots"), c);
    vb::setGeometryTwips(Label2, 240, 760, 1215, 285);
    Text2 = new QLineEdit(c);
    vb::setGeometryTwips(Text2, 1560, 720, 1215, 345);
    Text3 = new QLineEdit(c);
    vb::setGeometryTwips(Text3, 3000, 720, 1215, 345);
    for (QLineEdit *t : {Text1, Text2, Text3})
        t->setReadOnly(true);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Text1"), Text1);
    addControl(QStringLiteral("Label2"), Label2);
    addControl(QStringLiteral("Text2"), Text2);
    addControl(QStringLiteral("Text3"), Text3);
    // It shows card keys of the open base: it goes with that base.
    MarkHoldsOpenBase(this);
}

void frmMots::formLoad()
{
    window()->resize(vb::pixelsX(4500), vb::pixelsY(1320));
    placeOverMdiForm();
}

void frmMots::refresh() { PaintProgress(*this); }
