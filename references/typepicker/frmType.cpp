#include "frmType.h"

#include "CardWindows.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "ProgramState.h"
#include "ShortTexts.h"
#include "Start.h"
#include "Twips.h"
#include "WindowLinks.h"
#include "RowUpdate.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace typepicker {

QStringList ReferenceTypes()
{
    QStringList out;
    rsTypes.setIndex(QStringLiteral("TYPE"));
    if (rsTypes.RecordCount() == 0)
        return out;
    for (rsTypes.MoveFirst(); !rsTypes.Eof(); rsTypes.MoveNext())
        out << fldTypesType.Value().toString();
    return out;
}

bool StoreReferenceType(const QString &key, const QString &type)
{
    try {
        rsBiblio.setIndex(QStringLiteral("BibNDX"));
        rsBiblio.Seek(QStringLiteral("="), key);
        if (rsBiblio.NoMatch()) {
            vb::MsgBox(QStringLiteral("This record does not exists"), vb::vbExclamation);
            return false;
        }
        dao::RowUpdate row(rsBiblio, dao::RowUpdate::Edit);
        fldBiblioType.setValue(type);
        row.Update();
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrReadOnly)
            vb::MsgBox(QStringLiteral("Fichier en lecture seule !"), vb::vbExclamation);
        else
            vb::MsgBox(e.description(), vb::vbExclamation);
        return false;
    }
    return true;
}

} // namespace typepicker

frmType::frmType()
{
    setObjectName(QStringLiteral("frmType"));
    // Holds card keys or rows of the open base: closed before the base changes.
    MarkHoldsOpenBase(this);
    setCaption(QStringLiteral("Type selection"));
    QWidget *c = client();
    Label1 = new QLabel(QStringLiteral("Document Type :"), c);
    vb::setGeometryTwips(Label1, 240, 120, 2175, 255);
    Combo1 = new QComboBox(c);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    vb::showShortTexts(Combo1->view());
    vb::setGeometryTwips(Combo1, 240, 420, 2175, 315);
    CmdOK = new QPushButton(QStringLiteral("OK"), c);
    vb::setGeometryTwips(CmdOK, 240, 1080, 975, 375);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), c);
    vb::setGeometryTwips(CmdCancel, 1440, 1080, 975, 375);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Combo1"), Combo1);
    addControl(QStringLiteral("CmdOK"), CmdOK);
    addControl(QStringLiteral("CmdCancel"), CmdCancel);
    vb::connectEvent(CmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    vb::connectEvent(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
    for (QObject *o : {static_cast<QObject *>(Combo1), static_cast<QObject *>(Combo1->lineEdit()),
                       static_cast<QObject *>(CmdOK), static_cast<QObject *>(CmdCancel)})
        o->installEventFilter(this);
}

bool frmType::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return vb::Form::eventFilter(watched, event);
    const auto *k = static_cast<QKeyEvent *>(event);
    if (k->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier))
        return false;
    switch (k->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        (watched == CmdCancel ? CmdCancel : CmdOK)->click();
        return true;
    case Qt::Key_Escape:
        CmdCancel->click();
        return true;
    default:
        return false;
    }
}

void frmType::formLoad()
{
    // Client area 2655 x 1680; the frame adds its border and title.
    const double frameW = width() - scaleWidth();
    const double frameH = height() - scaleHeight();
    setWidth(2655 + std::max(0.0, frameW));
    setHeight(1680 + std::max(0.0, frameH));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const double sw = vb::twipsX(screen->geometry().width());
        const double sh = vb::twipsY(screen->geometry().height());
        setTop(std::max(0.0, double(int(sh - height()) / 2)));
        setLeft(std::max(0.0, double(int(sw - width()) / 2)));
    }
    Combo1->clear();
    Combo1->addItems(typepicker::ReferenceTypes());
    Combo1->setEditText(QStringLiteral("No Type"));
}

void frmType::CmdOK_Click()
{
    const QString key = m_key;
    if (!typepicker::StoreReferenceType(key, Combo1->currentText()))
        return;
    unload();
    // The card of this reference, seeking it again: storing moved nothing,
    // but the card opener reads the record the table stands on.
    rsBiblio.setIndex(QStringLiteral("BibNDX"));
    rsBiblio.Seek(QStringLiteral("="), key);
    if (rsBiblio.NoMatch())
        return;
    OpenReferenceKey = fldBiblioNdx.Value().toString();
    ShowReferenceCard();
}

void frmType::CmdCancel_Click() { unload(); }

void ShowTypePickerFor(const QString &referenceKey)
{
    frmType &w = vb::Forms::get<frmType>();
    w.setReferenceKey(referenceKey);
    w.Combo1->setEditText(QStringLiteral("No Type"));
    w.show();
}

void InstallTypePicker() { windowLinks().showTypePicker = ShowTypePickerFor; }
