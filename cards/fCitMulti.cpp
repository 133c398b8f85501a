#include "fCitMulti.h"

#include "CardOpeners.h"
#include "CommonControls.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "FlexGrid.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Runtime.h"
#include "Start.h"
#include "Twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

using vb::setGeometryTwips;

fCitMulti::fCitMulti()
    : CardWindow(CardType::Quote)
{
    setObjectName(QStringLiteral("fCitMulti"));
    setCaption(QStringLiteral("Quote"));
    QWidget *c = client();

    Toolbar1 = new vb::Toolbar(c);
    setGeometryTwips(Toolbar1, 0, 0, 2400, 420);

    cgAutCit = new vb::FlexGrid(1, 1, 0, 0, c);
    setGeometryTwips(cgAutCit, 120, 480, 4260, 960);
    cCitTitle = new QLineEdit(c);
    cCitNDX = new QLineEdit(c);
    cCitDate = new QLineEdit(c);
    setGeometryTwips(cCitTitle, 120, 1515, 4260, 315);
    setGeometryTwips(cCitNDX, 120, 1890, 2070, 315);
    setGeometryTwips(cCitDate, 2310, 1890, 2070, 315);
    cCitTitle->setMaxLength(100);

    Frame1 = new QGroupBox(QStringLiteral("Keywords"), c);
    setGeometryTwips(Frame1, 4500, 420, 3780, 1800);
    cgMCCit = new vb::FlexGrid(1, 1, 0, 0, Frame1);
    setGeometryTwips(cgMCCit, 120, 300, 2100, 1380);
    cmdAdd = new QPushButton(QStringLiteral("Add"), Frame1);
    CmdSupp = new QPushButton(QStringLiteral("Supp"), Frame1);
    CmdTextComp = new QPushButton(QStringLiteral("Text Compare"), Frame1);
    setGeometryTwips(cmdAdd, 2310, 300, 1350, 360);
    setGeometryTwips(CmdSupp, 2310, 720, 1350, 360);
    setGeometryTwips(CmdTextComp, 2310, 1140, 1350, 360);
    cmdAdd->setToolTip(QStringLiteral("  Adds a Keyword to the Card  "));
    CmdSupp->setToolTip(QStringLiteral("  Discard a Keyword from the Card"));
    CmdTextComp->setToolTip(QStringLiteral("  Compare the Card Keywords to the Words in the Text  "));

    CitRTF = new vb::RichTextBox(c);
    setGeometryTwips(CitRTF, 120, 2310, 7950, 2100);

    Frame2 = new QGroupBox(c);
    setGeometryTwips(Frame2, 120, 4410, 3420, 600);
    CmdStore = new QPushButton(QStringLiteral("Store"), Frame2);
    CmdDelete = new QPushButton(QStringLiteral("Delete"), Frame2);
    Command2 = new QPushButton(QStringLiteral("New"), Frame2);
    setGeometryTwips(CmdStore, 120, 150, 1000, 360);
    setGeometryTwips(CmdDelete, 1200, 150, 1000, 360);
    setGeometryTwips(Command2, 2280, 150, 1000, 360);
    CmdStore->setToolTip(QStringLiteral("  Saves the Card  "));
    CmdDelete->setToolTip(QStringLiteral("  Deletes this Card  "));
    Command2->setToolTip(QStringLiteral("  New Card  "));
    Command1 = new QPushButton(QStringLiteral("Quote's Refs"), c);
    setGeometryTwips(Command1, 3660, 4510, 1500, 360);

    FenNum = new QLineEdit(c);
    FormCount = new QLineEdit(c);
    FormCount->setVisible(false);

    setUpShared(CitRTF, cgMCCit, FenNum, Toolbar1);
    cgMCCit->setColWidth(0, 2000);
    cgAutCit->setColWidth(0, 4000);

    connect(cCitTitle, &QLineEdit::textChanged, this, [this] { markChanged(); });
    connect(cgAutCit, &vb::FlexGrid::rowColChange, this, [this] { markChanged(); });
    vb::connectEvent(CmdStore, &QPushButton::clicked, this, [this] { Store(); });
    vb::connectEvent(CmdDelete, &QPushButton::clicked, this, [this] { Delete(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { NewQuote(); });
    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { OpenReference(); });
    vb::connectEvent(cmdAdd, &QPushButton::clicked, this, [this] { AddKeywords(); });
    vb::connectEvent(CmdSupp, &QPushButton::clicked, this, [this] { RemoveKeyword(); });
    vb::connectEvent(CmdTextComp, &QPushButton::clicked, this, [this] { TextCompare(); });
    vb::connectEvent(cgMCCit, &vb::FlexGrid::mouseDown, this,
                     [this] { cgMCCit->setRowSel(cgMCCit->row()); });

    addControls({
        {"Toolbar1", Toolbar1}, {"cgAutCit", cgAutCit}, {"cCitTitle", cCitTitle},
        {"cCitNDX", cCitNDX}, {"cCitDate", cCitDate}, {"Frame1", Frame1}, {"cgMCCit", cgMCCit},
        {"cmdAdd", cmdAdd}, {"CmdSupp", CmdSupp}, {"CmdTextComp", CmdTextComp},
        {"CitRTF", CitRTF}});
    addPrintBuffer();
    addControls({{"Frame2", Frame2}, {"CmdStore", CmdStore},
        {"CmdDelete", CmdDelete}, {"Command2", Command2}, {"Command1", Command1},
        {"FenNum", FenNum}, {"FormCount", FormCount}});
}

void fCitMulti::setFormCount(int count) { FormCount->setText(QString::number(count)); }

QString fCitMulti::captionFirst(const CardSlot &slot) const
{
    return slot.authors.isEmpty() ? QString() : slot.authors.first();
}

cards::CardEdits fCitMulti::edits() const
{
    cards::CardEdits e;
    e.title = cCitTitle->text();
    e.plainText = CitRTF->Text();
    e.richText = CitRTF->TextRTF();
    return e;
}

void fCitMulti::fillCard(const CardSlot &slot, int)
{
    // The reference's authors, one a row; one empty row when it has none.
    const int k = int(slot.authors.size());
    cgAutCit->setRows(k + 1);
    cgAutCit->setText(QString());
    cgAutCit->setRow(0);
    for (int i = 0; i < k; ++i)
        cgAutCit->setTextMatrix(i, 0, slot.authors.at(i));
    if (k > 0)
        cgAutCit->setRows(k);
    cgAutCit->refresh();

    // The boxes of a window being loaded are empty: each takes its value
    // once, and the text replaces the whole document.
    cCitTitle->setText(slot.title);
    CitRTF->setTextRTF(slot.text);
    // The whole text takes a left indent of 200 twips.
    CitRTF->setSelStart(0);
    CitRTF->setSelLength(int(CitRTF->Text().size()));
    CitRTF->setSelIndent(200);
    CitRTF->setSelStart(0);

    cCitNDX->setText(slot.key);
    vb::errorOf([&] { cCitDate->setText(vb::DateText(fldCitJour.Value())); });
}

void fCitMulti::formResize()
{
    if (windowState() != vb::vbNormal)
        return;
    stretchText();
    const double bottom = vb::topOf(CitRTF) + vb::heightOf(CitRTF);
    vb::setTop(Frame2, bottom);
    vb::setTop(Command1, bottom + 100);
}

void fCitMulti::OpenReference()
{
    if (!stillOwnCard())
        return;
    try {
        if (!cards::seekCard(CardType::Quote, tag())) {
            vb::MsgBox(QString::fromLatin1(cards::kCardGone), vb::vbExclamation);
            return;
        }
        const QString reference = fldCitNdx.Value().toString();
        // Only the quote's own reference may open.
        if (!cards::seekCard(CardType::Reference, reference)) {
            vb::MsgBox(QString::fromLatin1(cards::kReferenceGone), vb::vbExclamation);
            return;
        }
        OpenReferenceKey = reference;
        cards::ShowReferenceCard();
    } catch (const vb::Error &e) {
        cards::reportWriteFailure(e);
    }
}

void fCitMulti::NewQuote()
{
    vb::MsgBox(QStringLiteral(" You shall select or create a Reference, then run the Add Quote button from it "),
               vb::vbInformation | vb::vbOKOnly);
    OpenReference();
}
