#include "ReferenceCardDouble.h"

#include "CardRules.h"
#include "Twips.h"

#include <QLineEdit>

ReferenceCardDouble::ReferenceCardDouble()
{
    setObjectName(QStringLiteral("fBibMulti"));
    setMdiChild(true);
    QWidget *c = client();
    cBibNDX = new QLineEdit(c);
    cBibTitle = new QLineEdit(c);
    FenNum = new QLineEdit(c);
    FenNum->setVisible(false);
    cBibNDX->setReadOnly(true);
    cBibTitle->setReadOnly(true);
    vb::setGeometryTwips(cBibNDX, 120, 120, 2000, 315);
    vb::setGeometryTwips(cBibTitle, 120, 540, 5400, 315);
    setWidth(5900);
    setHeight(1500);
    addControl(QStringLiteral("cBibNDX"), cBibNDX);
    addControl(QStringLiteral("cBibTitle"), cBibTitle);
    addControl(QStringLiteral("FenNum"), FenNum);
    connect(this, &vb::Form::unloadedSignal, this, [this] { cardwindows::remove(this); });
}

ReferenceCardDouble::~ReferenceCardDouble() { cardwindows::remove(this); }

void ReferenceCardDouble::setCardNumber(int number) { FenNum->setText(QString::number(number)); }

int ReferenceCardDouble::cardNumber() const { return cards::cardNumberOf(FenNum->text()); }

void ReferenceCardDouble::formLoad()
{
    const CardSlot &slot = ReferenceCards.slot;
    m_key = slot.key;
    setTag(slot.key);
    setCaption(slot.title);
    cBibNDX->setText(slot.key);
    cBibTitle->setText(slot.title);
    setCardNumber(ReferenceCards.count);
    cardwindows::add(this);
}
