#include "fFirstEdit.h"

#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "ReferenceMessages.h"
#include "ReferenceRecords.h"
#include "ReferenceRules.h"
#include "Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

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
    fFirstEdit &f = vb::Forms::get<fFirstEdit>();
    f.setLeft(qMax(0.0, left));
    f.setTop(qMax(0.0, top));
    f.fillFor(referenceKey);
    f.show();
}

void fFirstEdit::fillFor(const QString &referenceKey)
{
    m_key = referenceKey;
    Combo1->clear();
    Combo1->addItems(ReadPublisherNames());
    FirstEdition boxes;
    ReadFirstEdition(m_key, boxes);
    tTitreOrig->setPlainText(boxes.title);
    Combo1->setEditText(boxes.publisher);
    tLieuOrig->setText(boxes.town);
    tDateOrig->setText(boxes.date);
}

void fFirstEdit::Combo1_Click()
{
    if (const auto town = PublisherTown(Combo1->currentText()))
        tLieuOrig->setText(*town);
}

bool fFirstEdit::Command1_Click()
{
    const FirstEdition boxes{tTitreOrig->toPlainText(), Combo1->currentText(), tLieuOrig->text(),
                             tDateOrig->text()};
    if (const auto refusal = CheckFirstEdition(boxes)) {
        ReportRefusal(*refusal);
        return false;
    }
    try {
        if (StoreFirstEdition(m_key, boxes) == Outcome::Missing) {
            vb::MsgBox(kReferenceGone, vb::vbExclamation);
            return false;
        }
        return true;
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
    }
    return false;
}

void fFirstEdit::Command2_Click() { unload(); }
