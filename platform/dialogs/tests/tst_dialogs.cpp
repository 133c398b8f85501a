#include <QFontDatabase>
#include <QFontDialog>
#include <QtTest>
#include <QPrinter>

#include "Dialogs.h"
#include "Error.h"

using namespace vb;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void styleButtonsAndDefaults()
    {
        QCOMPARE(msgBoxResults(vbOKOnly), QList<int>{vbOK});
        QCOMPARE(msgBoxResults(vbYesNoCancel + vbQuestion), (QList<int>{vbYes, vbNo, vbCancel}));
        QCOMPARE(msgBoxResults(vbAbortRetryIgnore), (QList<int>{vbAbort, vbRetry, vbIgnore}));
        QCOMPARE(msgBoxResults(vbRetryCancel), (QList<int>{vbRetry, vbCancel}));
        // An icon does not change the buttons.
        QCOMPARE(msgBoxResults(vbExclamation), QList<int>{vbOK});
        QCOMPARE(msgBoxDefaultResult(vbOKCancel), vbOK);
        QCOMPARE(msgBoxDefaultResult(vbYesNo + vbDefaultButton2), vbNo);
        QCOMPARE(msgBoxDefaultResult(vbYesNoCancel + vbDefaultButton3), vbCancel);
        // A default button beyond the style falls back to the first.
        QCOMPARE(msgBoxDefaultResult(vbOKOnly + vbDefaultButton3), vbOK);
    }

    void scriptAnswersInOrderAndRecords()
    {
        DialogScript script;
        script.msgBox(vbOK, QStringLiteral(" This Keywords exists "))
            .msgBox(vbNo)
            .inputBox(QStringLiteral("word"), QStringLiteral("Fill in the Keyword you want to add"));
        QCOMPARE(MsgBox(QStringLiteral(" This Keywords exists "), vbExclamation), vbOK);
        QCOMPARE(MsgBox(QStringLiteral(" Do you want to add x as a new Keyword? "), vbYesNo), vbNo);
        QCOMPARE(InputBox(QStringLiteral("Fill in the Keyword you want to add"),
                          QStringLiteral("New Keyword")),
                 QStringLiteral("word"));
        QVERIFY2(script.ok(), script.report());
        QCOMPARE(script.shown().size(), 3);
        QCOMPARE(script.shown().at(0).title, QStringLiteral("Corvane Studio"));
        QCOMPARE(script.shown().at(0).buttons, int(vbExclamation));
        QCOMPARE(script.shown().at(2).title, QStringLiteral("New Keyword"));
    }

    void unexpectedDialogFailsAtOnce()
    {
        {
            DialogScript script;
            QVERIFY_THROWS_EXCEPTION(UnexpectedDialog, MsgBox(QStringLiteral("surprise")));
            QCOMPARE(script.failures().size(), 1);
            QVERIFY(!script.ok());
        }
        {
            // Wrong kind, then wrong prompt: both caught, neither answered.
            DialogScript script;
            script.inputBox(QStringLiteral("x")).msgBox(vbOK, QStringLiteral("No Match"));
            QVERIFY_THROWS_EXCEPTION(UnexpectedDialog, MsgBox(QStringLiteral("No Match")));
            QCOMPARE(script.remaining(), 2);
            QCOMPARE(InputBox(QStringLiteral("p")), QStringLiteral("x"));
            // An error trap of the program code must not swallow it.
            ResumeNext on;
            QVERIFY_THROWS_EXCEPTION(UnexpectedDialog,
                                     on([] { MsgBox(QStringLiteral("No Match !")); }));
            QCOMPARE(script.failures().size(), 2);
            QCOMPARE(script.remaining(), 1);
        }
        // Script gone: the previous (built-in) handler is back.
        QCOMPARE(MsgBox(QStringLiteral("offscreen"), vbYesNo + vbDefaultButton2), vbNo);
    }

    void answerMustBeOneOfTheBoxsButtons()
    {
        // "discard this Keyword ?" has only OK: a Yes scripted for it is a mistake somewhere.
        DialogScript script;
        script.msgBox(vbYes, QStringLiteral("discard this Keyword ?")).msgBox(vbCancel);
        QVERIFY_THROWS_EXCEPTION(UnexpectedDialog,
                                 MsgBox(QStringLiteral("discard this Keyword ?"), vbQuestion + vbOKOnly));
        QCOMPARE(script.failures().size(), 1);
        QCOMPARE(MsgBox(QStringLiteral("The data have changed - do you want save?"), vbOKCancel), vbCancel);
        QCOMPARE(script.failures().size(), 1);
    }

    void inputCancelIsEmptyOrNullopt()
    {
        DialogScript script;
        script.inputBoxCancel().inputBoxCancel().inputBox(QString()).passwordBox(QStringLiteral("s3"));
        QCOMPARE(InputBox(QStringLiteral("Enter the Password for your base"), QStringLiteral("Password")),
                 QString());
        QCOMPARE(InputBoxEx(QStringLiteral("p")), std::nullopt);
        const auto emptyOk = InputBoxEx(QStringLiteral("p"));
        QVERIFY(emptyOk.has_value());
        QVERIFY(emptyOk->isEmpty());
        QCOMPARE(PasswordBox(QStringLiteral("pw")), std::optional<QString>(QStringLiteral("s3")));
        QVERIFY2(script.ok(), script.report());
    }

    void offscreenWithoutScriptNeverBlocks()
    {
        QCOMPARE(MsgBox(QStringLiteral("a"), vbOKCancel), vbOK);
        QCOMPARE(InputBoxEx(QStringLiteral("b")), std::nullopt);
        FileDialogOptions o;
        o.filter = QStringLiteral("Corvane Base (*.cvb)|*.cvb");
        QCOMPARE(ShowOpen(o), QString());
        FontChoice f;
        QVERIFY(!ShowFont(f));
        QPrinter printer;
        QVERIFY(!ShowPrinter(printer));
    }

    void fileDialogsGiveAbsolutePathsAndCancelError()
    {
        DialogScript script;
        script.fileOpen(QStringLiteral("base.cvb"), QStringLiteral("Please select a base"))
            .fileSave(QString())
            .fileSave(QString());
        FileDialogOptions o;
        o.title = QStringLiteral("Please select a base");
        o.filter = QStringLiteral("Corvane Base (*.cvb)|*.cvb|Access Base (*.mdb)|*.mdb");
        QCOMPARE(ShowOpen(o), QDir::current().absoluteFilePath(QStringLiteral("base.cvb")));
        QCOMPARE(script.shown().at(0).filter, o.filter);
        FileDialogOptions s;
        QCOMPARE(ShowSave(s), QString());
        s.cancelError = true;
        try {
            ShowSave(s);
            QFAIL("cancel with CancelError must raise");
        } catch (const Error &e) {
            QCOMPARE(e.number(), int(cdlCancel));
        }
        QVERIFY2(script.ok(), script.report());
    }

    void filterTranslation()
    {
        QCOMPARE(qtFileFilter(QStringLiteral("Corvane Base (*.cvb)|*.cvb|Access Base (*.mdb)|*.mdb")),
                 QStringLiteral("Corvane Base (*.cvb);;Access Base (*.mdb)"));
        QCOMPARE(qtFileFilter(QStringLiteral("Rich Text File (*.Rtf)|*.rtf|All Files (*.*)|*.*")),
                 QStringLiteral("Rich Text File (*.rtf);;All Files (*)"));
        QCOMPARE(qtFileFilter(QStringLiteral("Text|*.txt;*.lst")), QStringLiteral("Text (*.txt *.lst)"));
        QCOMPARE(qtFileFilter(QString()), QString());
    }

    void fontColourAndPrinterAnswers()
    {
        FontChoice in;
        in.name = QStringLiteral("Arial");
        in.size = 10;
        FontChoice out = in;
        out.bold = true;
        out.color = Qt::red;
        DialogScript script;
        script.expect(DialogKind::Font, DialogAnswer::chosenFont(out))
            .expect(DialogKind::Color, DialogAnswer::cancel())
            .expect(DialogKind::Printer, DialogAnswer::printer(QStringLiteral("out.pdf"), true));
        FontChoice f = in;
        QVERIFY(ShowFont(f));
        QCOMPARE(script.shown().at(0).font, in);
        QCOMPARE(f, out);
        QColor c = Qt::blue;
        QVERIFY(!ShowColor(c));
        QCOMPARE(c, QColor(Qt::blue));
        QPrinter printer;
        PrinterDialogOptions po;
        po.selectionEnabled = true;
        QVERIFY(ShowPrinter(printer, po));
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(printer.outputFileName(), QDir::current().absoluteFilePath(QStringLiteral("out.pdf")));
        QCOMPARE(printer.printRange(), QPrinter::Selection);
        QVERIFY2(script.ok(), script.report());
    }

    // The real dialog starts on the face of the choice, on a family this
    // machine has in bold; OK without a change gives the choice back.
    void fontDialogStartsOnTheChosenFace()
    {
        for (const auto &[bold, italic] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
            FontChoice c;
            c.bold = bold;
            c.italic = italic;
            c.size = 8;
            QFontDialog dlg(qtFont(c));
            const QFont f = dlg.currentFont();
            QCOMPARE(f.bold(), bold);
            QCOMPARE(f.italic(), italic);
            bool hasBold = false;
            for (const QString &style : QFontDatabase::styles(f.family()))
                hasBold = hasBold || QFontDatabase::weight(f.family(), style) >= QFont::Bold;
            QVERIFY2(hasBold, qPrintable(f.family()));
        }
    }

    void appTitleIsTheDefaultTitle()
    {
        DialogScript script;
        script.msgBox(vbOK).msgBox(vbOK);
        setAppTitle(QStringLiteral("Other"));
        MsgBox(QStringLiteral("x"));
        setAppTitle(QStringLiteral("Corvane Studio"));
        MsgBox(QStringLiteral("y"), vbOKOnly, QStringLiteral("Own"));
        QCOMPARE(script.shown().at(0).title, QStringLiteral("Other"));
        QCOMPARE(script.shown().at(1).title, QStringLiteral("Own"));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
