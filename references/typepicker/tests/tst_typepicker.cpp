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
