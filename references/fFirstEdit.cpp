#include "fFirstEdit.h"

#include "Dao.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "ReferenceMessages.h"
#include "ReferenceRecords.h"
#include "ReferenceRules.h"
#include "ShortTexts.h"
#include "Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

using namespace references;
using vb::setGeometryTwips;

fFirstEdit::fFirstEdit()
{
    setObjectName(QStringLiteral("fFirstEdit"));
    setMdiChild(true);
    setCaption(QStringLiteral("First Edition"));
    QWidget *c = client();
    Label1 = new QLabel(QStringLiteral("First Edition :"), c);
    setGeometryTwips(Label1, 120, 60, 2000, 255);
    auto label = [c](const char *text, double top) {
        auto *l = new QLabel(QString::fromLatin1(text), c);
        setGeometryTwips(l, 120, top, 1000, 255);
    };
    label("Title", 420);
    tTitreOrig = new QPlainTextEdit(c);
    setGeometryTwips(tTitreOrig, 1200, 360, 3135, 855);
    label("Publisher", 1350);
    Combo1 = new QComboBox(c);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    vb::showShortTexts(Combo1->view());
    setGeometryTwips(Combo1, 1200, 1290, 3135, 315);
    label("Town", 1770);
    tLieuOrig = new QLineEdit(c);
    tLieuOrig->setMaxLength(kOriginalTownSize);
    setGeometryTwips(tLieuOrig, 1200, 1710, 3135, 315);
    label("Date", 2190);
    tDateOrig = new QLineEdit(c);
    tDateOrig->setMaxLength(6);
    setGeometryTwips(tDateOrig, 1200, 2130, 1095, 315);
    Command1 = new QPushButton(QStringLiteral("Store"), c);
    setGeometryTwips(Command1, 1200, 2640, 1335, 375);
    Command2 = new QPushButton(QStringLiteral("Close"), c);
    setGeometryTwips(Command2, 2760, 2640, 1335, 375);

    addControls({
        {"Label1", Label1},       {"tTitreOrig", tTitreOrig}, {"Combo1", Combo1}, {"tLieuOrig", tLieuOrig},
        {"tDateOrig", tDateOrig}, {"Command1", Command1},     {"Command2", Command2},
    });

    connect(tTitreOrig, &QPlainTextEdit::textChanged, this, [this] { markTyped(); });
    connect(Combo1->lineEdit(), &QLineEdit::textEdited, this, [this] { markTyped(); });
    connect(Combo1, &QComboBox::activated, this, [this] { markTyped(); });
    for (QLineEdit *e : {tLieuOrig, tDateOrig})
        connect(e, &QLineEdit::textEdited, this, [this] { markTyped(); });

    // A pick from the list looks the town up; typing a name does not.
    vb::connectEvent(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void fFirstEdit::formLoad()
{
    setWidth(4800);
    setHeight(3915);
}

void fFirstEdit::showFor(const QString &referenceKey, double left, double top)
{
    fFirstEdit *loaded = vb::Forms::find<fFirstEdit>();
    if (loaded && loaded->m_key == referenceKey) {
        loaded->show();
        return;
    }
    // What was typed for the other card is not dropped unasked; what cannot
    // be stored keeps the dialog on that card.
    if (loaded && loaded->m_typed && vb::MsgBox(kDataChanged, vb::vbOKCancel) == vb::vbOK &&
        loaded->store() == Stored::Kept) {
        loaded->show();
        return;
    }
    fFirstEdit &f = vb::Forms::get<fFirstEdit>();
    f.setLeft(qMax(0.0, left));
    f.setTop(qMax(0.0, top));
    f.fillFor(referenceKey);
    f.show();
}

void fFirstEdit::referenceDeleted(const QString &referenceKey)
{
    fFirstEdit *loaded = vb::Forms::find<fFirstEdit>();
    if (loaded && dao::compareText(loaded->m_key, referenceKey) == 0)
        loaded->unload();
}

void fFirstEdit::markTyped()
{
    if (!m_filling)
        m_typed = true;
}

void fFirstEdit::fillFor(const QString &referenceKey)
{
    const QScopedValueRollback filling(m_filling, true);
    m_key = referenceKey;
    m_identity = ReferenceIdentity(m_key);
    m_read = ReadPartStamp(m_key, Part::FirstEdition).value_or(ReadStamp{});
    Combo1->clear();
    Combo1->addItems(ReadPublisherNames());
    FirstEdition boxes;
    ReadFirstEdition(m_key, boxes);
    tTitreOrig->setPlainText(boxes.title);
    Combo1->setEditText(boxes.publisher);
    tLieuOrig->clear();
    tDateOrig->clear();
    // The publisher's town may be longer than the box.
    FillBox(tLieuOrig, QStringLiteral("Town"), boxes.town);
    FillBox(tDateOrig, QStringLiteral("Date"), boxes.date);
    m_typed = false;
}

void fFirstEdit::Combo1_Click()
{
    if (const auto town = PublisherTown(Combo1->currentText()))
        FillBox(tLieuOrig, QStringLiteral("Town"), *town);
}

fFirstEdit::Stored fFirstEdit::store()
{
    const FirstEdition boxes{tTitreOrig->toPlainText(), Combo1->currentText(), tLieuOrig->text(),
                             tDateOrig->text()};
    if (const auto refusal = CheckFirstEdition(boxes)) {
        ReportRefusal(*refusal);
        return Stored::Kept;
    }
    try {
        ReadStamp attempt = m_read;
        Outcome done = Outcome::Missing;
        // A reference deleted meanwhile, even one whose key was taken again.
        while (m_identity && (done = StoreFirstEdition(m_key, boxes, m_identity, &attempt)) == Outcome::Changed) {
            bringToFront();
            if (vb::MsgBox(kReferenceChanged, vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2) != vb::vbYes)
                return Stored::Kept;
        }
        if (done == Outcome::Missing) {
            vb::MsgBox(kReferenceGone, vb::vbExclamation);
            return Stored::Gone;
        }
        m_read = attempt;
        m_typed = false;
        return Stored::Yes;
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
    }
    return Stored::Kept;
}

bool fFirstEdit::Command1_Click() { return store() == Stored::Yes; }

void fFirstEdit::Command2_Click() { unload(); }
