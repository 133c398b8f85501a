#include "fNoteMulti.h"

#include "CommonControls.h"
#include "Error.h"
#include "Events.h"
#include "FlexGrid.h"
#include "RichTextBox.h"
#include "Runtime.h"
#include "Start.h"
#include "Twips.h"
#include "WindowLinks.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

using vb::setGeometryTwips;

fNoteMulti::fNoteMulti()
    : CardWindow(CardType::Note)
{
    setObjectName(QStringLiteral("fNoteMulti"));
    QWidget *c = client();

    Toolbar1 = new vb::Toolbar(c);
    setGeometryTwips(Toolbar1, 0, 0, 2400, 420);

    Frame1 = new QGroupBox(c);
    setGeometryTwips(Frame1, 120, 450, 3420, 640);
    CmdStore = new QPushButton(QStringLiteral("Store"), Frame1);
    Command2 = new QPushButton(QStringLiteral("Delete"), Frame1);
    Command1 = new QPushButton(QStringLiteral("New"), Frame1);
    setGeometryTwips(CmdStore, 120, 180, 1000, 360);
    setGeometryTwips(Command2, 1200, 180, 1000, 360);
    setGeometryTwips(Command1, 2280, 180, 1000, 360);
    CmdStore->setToolTip(QStringLiteral("  Save this Note  "));
    Command2->setToolTip(QStringLiteral("  Delete this Note  "));
    Command1->setToolTip(QStringLiteral("  Create a new Note  "));

    cNoteNDX = new QLineEdit(c);
    cNoteDate = new QLineEdit(c);
    cNoteAuthor = new QLineEdit(c);
    cNoteTitle = new QLineEdit(c);
    setGeometryTwips(cNoteNDX, 120, 1170, 1900, 315);
    setGeometryTwips(cNoteDate, 2100, 1170, 1440, 315);
    setGeometryTwips(cNoteAuthor, 120, 1545, 3420, 315);
    setGeometryTwips(cNoteTitle, 120, 1920, 3420, 315);
    // The boxes take no more than their columns hold.
    cNoteAuthor->setMaxLength(60);
    cNoteTitle->setMaxLength(100);

    Frame2 = new QGroupBox(QStringLiteral("Keywords"), c);
    setGeometryTwips(Frame2, 3660, 450, 4680, 1785);
    cgMCNote = new vb::FlexGrid(1, 1, 0, 0, Frame2);
    setGeometryTwips(cgMCNote, 120, 300, 2340, 1365);
    KWAdd = new QPushButton(QStringLiteral("Add"), Frame2);
    KWSupp = new QPushButton(QStringLiteral("Supp"), Frame2);
    Command7 = new QPushButton(QStringLiteral("Text Compare"), Frame2);
    setGeometryTwips(KWAdd, 2580, 300, 960, 360);
    setGeometryTwips(KWSupp, 3600, 300, 960, 360);
    setGeometryTwips(Command7, 2580, 720, 1980, 360);
    KWAdd->setToolTip(QStringLiteral("  Add a Keyword to the Note  "));
    KWSupp->setToolTip(QStringLiteral("  Delete a Keyword from the Note  "));
    Command7->setToolTip(QStringLiteral("  Compare Keywords with Words in text  "));

    NoteRTF = new vb::RichTextBox(c);
    setGeometryTwips(NoteRTF, 120, 2340, 8200, 2700);
    FenNum = new QLineEdit(c);

    setUpShared(NoteRTF, cgMCNote, FenNum, Toolbar1);
    // The column of keywords.
    cgMCNote->setColWidth(0, 2000);

    connect(cNoteAuthor, &QLineEdit::textChanged, this, [this] { markChanged(); });
    connect(cNoteTitle, &QLineEdit::textChanged, this, [this] { markChanged(); });
    vb::connectEvent(CmdStore, &QPushButton::clicked, this, [this] { Store(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { Delete(); });
    vb::connectEvent(Command1, &QPushButton::clicked, this, [] { ShowNoteAuthorSelection(); });
    vb::connectEvent(KWAdd, &QPushButton::clicked, this, [this] { AddKeywords(); });
    vb::connectEvent(KWSupp, &QPushButton::clicked, this, [this] { RemoveKeyword(); });
    vb::connectEvent(Command7, &QPushButton::clicked, this, [this] { TextCompare(); });
    // A press makes the pressed row the one selected row.
    vb::connectEvent(cgMCNote, &vb::FlexGrid::mouseDown, this, [this] {
        cgMCNote->setRowSel(cgMCNote->row());
        if (cgMCNote->row() >= 0)
            cgMCNote->setRow(cgMCNote->row());
    });

    addControls({
        {"Toolbar1", Toolbar1}, {"Frame1", Frame1},     {"CmdStore", CmdStore}, {"Command2", Command2},
        {"Command1", Command1}, {"cNoteNDX", cNoteNDX}, {"cNoteDate", cNoteDate},
        {"cNoteAuthor", cNoteAuthor}, {"cNoteTitle", cNoteTitle}, {"Frame2", Frame2},
        {"cgMCNote", cgMCNote}, {"KWAdd", KWAdd}, {"KWSupp", KWSupp}, {"Command7", Command7},
        {"NoteRTF", NoteRTF}});
    addPrintBuffer();
    addControls({{"FenNum", FenNum}});
}

cards::CardEdits fNoteMulti::edits() const
{
    cards::CardEdits e;
    e.author = cNoteAuthor->text();
    e.title = cNoteTitle->text();
    e.plainText = NoteRTF->Text();
    e.richText = NoteRTF->TextRTF();
    return e;
}

void fNoteMulti::fillCard(const CardSlot &slot, int)
{
    // The boxes of a window being loaded are empty: each takes its value
    // once, and the text replaces the whole document.
    cNoteAuthor->setText(slot.noteAuthor);
    cNoteTitle->setText(slot.title);
    NoteRTF->setTextRTF(slot.text);
    cNoteNDX->setText(slot.key);
    // The date of the record the opener stands on.
    vb::errorOf([&] { cNoteDate->setText(vb::DateText(fldNoteJour.Value())); });
}
