// The type picker: "No Type" by default, the chosen type stored into the
// reference it was opened for even after another reference became the
// current record, Cancel that stores nothing, a failed store that says why.

#include "Dialogs.h"
#include "ProgramState.h"
#include "TestBase.h"
#include "WindowLinks.h"
#include "frmType.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using vb::DialogScript;

namespace {

// The shared base with two references, neither of them typed yet.
class Base : public testbase::Base {
public:
    Base()
    {
        for (const char *k : {"Li_____001", "Martine001"}) {
            rsBiblio.AddNew();
            fldBiblioNdx.setValue(QString(k));
            rsBiblio.Update();
        }
    }
};

QVariant typeOf(const QString &key)
{
    rsBiblio.setIndex("BibNDX");
    rsBiblio.Seek("=", key);
    return fldBiblioType.Value();
}

} // namespace

class TestTypePicker : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        windowLinks() = WindowLinks{};
        InstallTypePicker();
    }
    void cleanup() { vb::Forms::unload<frmType>(); }

    void okStoresIntoItsOwnReference()
    {
        Base base;
        QStringList opened;
        windowLinks().showReferenceCard = [&] { opened << fldBiblioNdx.Value().toString(); };
        ShowTypePicker("Li_____001");
        frmType *w = vb::Forms::find<frmType>();
        QVERIFY(w);
        QCOMPARE(w->caption(), QString("Type selection"));
        QCOMPARE(w->Combo1->currentText(), QString("No Type"));
        QCOMPARE(w->Combo1->count(), 13);
        QCOMPARE(w->Combo1->itemText(6), QString("No Ref"));
        // Another reference card was activated: the table stands elsewhere.
        rsBiblio.Seek("=", "Martine001");
        w->Combo1->setEditText("Book");
        w->CmdOK->click();
        QCOMPARE(typeOf("Li_____001").toString(), QString("Book"));
        QVERIFY(!typeOf("Martine001").isValid() || typeOf("Martine001").toString().isEmpty());
        QCOMPARE(opened, QStringList({"Li_____001"}));
        QCOMPARE(OpenReferenceKey, QString("Li_____001"));
        QVERIFY(!w->isLoaded());
    }

    void okWithoutTouchingStoresNoType()
    {
        Base base;
        windowLinks().showReferenceCard = [] {};
        ShowTypePicker("Martine001");
        vb::Forms::find<frmType>()->CmdOK_Click();
        QCOMPARE(typeOf("Martine001").toString(), QString("No Type"));
    }

    void secondNewReferenceRebindsTheWindow()
    {
        Base base;
        int opened = 0;
        windowLinks().showReferenceCard = [&] { ++opened; };
        ShowTypePicker("Li_____001");
        ShowTypePicker("Martine001");
        frmType *w = vb::Forms::find<frmType>();
        QCOMPARE(w->referenceKey(), QString("Martine001"));
        w->Combo1->setEditText("Web");
        w->CmdOK_Click();
        QCOMPARE(typeOf("Martine001").toString(), QString("Web"));
        QCOMPARE(opened, 1);
    }

    void cancelStoresNothingAndOpensNothing()
    {
        Base base;
        int opened = 0;
        windowLinks().showReferenceCard = [&] { ++opened; };
        ShowTypePicker("Li_____001");
        vb::Forms::find<frmType>()->CmdCancel->click();
        QCOMPARE(opened, 0);
        QVERIFY(!vb::Forms::isLoaded<frmType>());
        QVERIFY(typeOf("Li_____001").toString().isEmpty());
    }

    void enterPicksAndEscapeCancels()
    {
        Base base;
        QStringList opened;
        windowLinks().showReferenceCard = [&] { opened << fldBiblioNdx.Value().toString(); };
        // Enter from the combo's text, after choosing with the arrow keys.
        ShowTypePicker("Li_____001");
        frmType *w = vb::Forms::find<frmType>();
        QApplication::setActiveWindow(w->Combo1->window());
        w->Combo1->setFocus();
        w->Combo1->setCurrentIndex(0);
        QTest::keyClick(w->Combo1->lineEdit(), Qt::Key_Down);
        QCOMPARE(w->Combo1->currentText(), QString("Book"));
        QTest::keyClick(w->Combo1->lineEdit(), Qt::Key_Return);
        QCOMPARE(typeOf("Li_____001").toString(), QString("Book"));
        QCOMPARE(opened, QStringList({"Li_____001"}));
        QVERIFY(!vb::Forms::isLoaded<frmType>());

        // Escape, from the combo or from a button: nothing stored, no card.
        for (int from = 0; from < 2; ++from) {
            ShowTypePicker("Martine001");
            w = vb::Forms::find<frmType>();
            w->Combo1->setEditText("Web");
            QWidget *target = from == 0 ? static_cast<QWidget *>(w->Combo1->lineEdit()) : w->CmdOK;
            QTest::keyClick(target, Qt::Key_Escape);
            QVERIFY(!vb::Forms::isLoaded<frmType>());
            QVERIFY(typeOf("Martine001").toString().isEmpty());
        }
        // Enter on the focused Cancel button cancels; the keypad's Enter on
        // OK stores.
        ShowTypePicker("Martine001");
        w = vb::Forms::find<frmType>();
        w->Combo1->setEditText("Web");
        QTest::keyClick(w->CmdCancel, Qt::Key_Return);
        QVERIFY(typeOf("Martine001").toString().isEmpty());
        ShowTypePicker("Martine001");
        w = vb::Forms::find<frmType>();
        w->Combo1->setEditText("Web");
        QTest::keyClick(w->CmdOK, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(typeOf("Martine001").toString(), QString("Web"));
        QCOMPARE(opened, QStringList({"Li_____001", "Martine001"}));
    }

    void failedStoresSayWhyAndKeepTheWindow()
    {
        Base base;
        int opened = 0;
        windowLinks().showReferenceCard = [&] { ++opened; };
        {
            ShowTypePicker("Li_____001");
            frmType *w = vb::Forms::find<frmType>();
            w->Combo1->setEditText(QString(51, u't'));
            DialogScript script;
            script.msgBox(vb::vbOK);
            w->CmdOK_Click();
            QVERIFY_SCRIPT(script);
            QVERIFY(w->isLoaded());
        }
        {
            ShowTypePicker("Gone___001");
            DialogScript script;
            script.msgBox(vb::vbOK, QString("This record does not exists"));
            vb::Forms::find<frmType>()->CmdOK_Click();
            QVERIFY_SCRIPT(script);
        }
        base.reopenReadOnly();
        ShowTypePicker("Li_____001");
        DialogScript script;
        script.msgBox(vb::vbOK, QString("Fichier en lecture seule !"));
        vb::Forms::find<frmType>()->CmdOK_Click();
        QVERIFY_SCRIPT(script);
        QCOMPARE(opened, 0);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestTypePicker t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_typepicker.moc"
