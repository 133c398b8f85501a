// The toolbar's text tools on real card windows: Rich Text files from
// another word processor, failures that say why, printing what the user
// chose, the font of the selection.

#include "CardOpeners.h"
#include "CardTestBase.h"
#include "CommonControls.h"
#include "InstallCards.h"
#include "RichTextBox.h"
#include "fCitMulti.h"
#include "fNoteMulti.h"

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolButton>

using namespace cardtest;
using vb::DialogAnswer;
using vb::DialogKind;
using vb::DialogScript;

#define QVERIFY_SCRIPT(script) QVERIFY2((script).ok(), (script).report().constData())

namespace {

const QString kSample = QStringLiteral(CORVANE_RTF_TESTDATA "/tika-testRTFBoldItalic.rtf");

// A file as a word processor writes it: generator group, font and colour
// tables, language and paragraph words, code-page and Unicode characters,
// the break symbols.
const char kWordPadFile[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1036{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
    "{\\f1\\froman\\fprq2\\fcharset0 Times New Roman;}}\r\n"
    "{\\colortbl ;\\red192\\green0\\blue0;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang12 Caf\\'e9 \\b bold\\b0  and \\i italic\\i0  not bold\\par\r\n"
    "\\cf1\\f1 red\\~text\\cf0 , soft\\-hyphen, no\\_break \\u8364? 5\\par\r\n}\r\n";

// The files from other word processors: our own sample, and the shared
// ones from other projects when the folder is there.
QStringList foreignFiles(const QTemporaryDir &dir)
{
    const QString own = dir.filePath(QStringLiteral("wordpad.rtf"));
    QFile f(own);
    if (f.open(QIODevice::WriteOnly))
        f.write(kWordPadFile);
    QStringList files{own};
    if (QFile::exists(kSample))
        files << kSample;
    return files;
}

fNoteMulti *openNote(const QString &key)
{
    seekKey(CardType::Note, key);
    SearchTextPos = 0;
    cards::ShowNoteCard();
    return static_cast<fNoteMulti *>(cardwindows::find(CardType::Note, key).last()->cardForm());
}

void press(vb::Toolbar *bar, const char *key) { bar->button(QString::fromLatin1(key))->trigger(); }

// Pages of a PDF written by the printer.
int pdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/"));
}

// Text runs drawn on the pages of a PDF written by the printer: its page
// streams inflated, each run one BT operator.
int pdfTextRuns(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    int runs = 0;
    for (qsizetype at = pdf.indexOf("stream\n"); at >= 0; at = pdf.indexOf("stream\n", at + 1)) {
        if (at > 0 && pdf.at(at - 1) == 'd') // "endstream"
            continue;
        const qsizetype start = at + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0)
            break;
        QByteArray data = pdf.mid(start, end - start);
        if (data.isEmpty() || quint8(data.at(0)) != 0x78) // not a zlib stream
            continue;
        const quint32 guess = 64u * 1024u * 1024u;
        data.prepend(char(guess >> 24)).insert(1, char((guess >> 16) & 0xff)).insert(2, char((guess >> 8) & 0xff)).insert(3, char(guess & 0xff));
        const QByteArray plain = qUncompress(data);
        runs += int(plain.count("BT\n"));
        at = end;
    }
    return runs;
}

} // namespace

class TestCardTools : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFont();
        InstallCardWindows();
    }
    void cleanup() { unloadAll(); }

    void toolbarKeysAndTips()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, {});
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        const QStringList keys{QStringLiteral("Open"), QStringLiteral("Save"), QStringLiteral("Print"),
                               QStringLiteral("Font")};
        const QStringList tips{QStringLiteral("Open RTF File"), QStringLiteral("Save RTF File"),
                               QStringLiteral("Print"), QStringLiteral("Change Font")};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(w->Toolbar1->button(keys.at(i))->toolTip(), tips.at(i));
        // Any other key does nothing.
        DialogScript script;
        w->ToolbarButtonClick(QStringLiteral("Other"));
        QVERIFY_SCRIPT(script);
    }

    void rtfFileRoundTripThroughTheToolbar()
    {
        Base base;
        QTemporaryDir dir;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("before"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));

        // Cancel: nothing changes.
        {
            DialogScript script;
            script.fileOpen(QString());
            press(w->Toolbar1, "Open");
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().first().filter,
                     QStringLiteral("Rich Text File (*.Rtf)|*.rtf|All Files (*.*)|*.*"));
            QVERIFY(script.shown().first().fileMustExist);
        }
        QCOMPARE(w->NoteRTF->Text(), QStringLiteral("before"));
        QVERIFY(!w->isChanged());

        int n = 0;
        for (const QString &file : foreignFiles(dir)) {
            {
                DialogScript script;
                script.fileOpen(file);
                press(w->Toolbar1, "Open");
                QVERIFY_SCRIPT(script);
            }
            QVERIFY(w->isChanged());
            const QString text = w->NoteRTF->Text();
            const int bold = int(text.indexOf(QStringLiteral("bold")));
            QVERIFY2(bold >= 0, qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("not bold")));
            w->NoteRTF->setSelStart(bold);
            w->NoteRTF->setSelLength(4);
            QCOMPARE(w->NoteRTF->SelBold(), std::optional<bool>(true));
            if (n == 0) {
                QVERIFY(text.startsWith(QString::fromUtf8("Café bold")));
                QVERIFY(w->NoteRTF->document()->toRawText().contains(QString::fromUtf8("red\u00a0text, soft\u00adhyphen, no\u2011break € 5")));
            }

            const QString saved = dir.filePath(QStringLiteral("saved%1.rtf").arg(n++));
            {
                DialogScript script;
                script.fileSave(saved);
                press(w->Toolbar1, "Save");
                QVERIFY_SCRIPT(script);
                QVERIFY(script.shown().first().overwritePrompt);
            }
            vb::RichTextBox back;
            back.LoadFile(saved);
            QCOMPARE(back.Text(), text);
            QCOMPARE(back.TextRTF(), w->NoteRTF->TextRTF());

            // Stored and opened again, the file's formatting is still there.
            QVERIFY(w->Store());
            fNoteMulti *again = openNote(QStringLiteral("A.TXT"));
            QCOMPARE(again->NoteRTF->TextRTF(), w->NoteRTF->TextRTF());
            again->closeWithoutAsking();
        }
    }

    void fileFailuresSayWhy()
    {
        Base base;
        QTemporaryDir dir;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("kept"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        const QString notRtf = dir.filePath(QStringLiteral("plain.rtf"));
        QFile f(notRtf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("just text, no markup");
        f.close();

        DialogScript script;
        script.fileOpen(notRtf);
        script.expect(DialogKind::MsgBox, DialogAnswer::result(vb::vbOK));
        script.fileSave(dir.filePath(QStringLiteral("no/such/folder/x.rtf")));
        script.expect(DialogKind::MsgBox, DialogAnswer::result(vb::vbOK));
        press(w->Toolbar1, "Open");
        press(w->Toolbar1, "Save");
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(1).buttons, int(vb::vbExclamation));
        QVERIFY(!script.shown().at(1).prompt.isEmpty());
        QVERIFY(!script.shown().at(3).prompt.isEmpty());
        QCOMPARE(w->NoteRTF->Text(), QStringLiteral("kept"));
        QVERIFY(!w->isChanged());
    }

    void printsWhatTheUserChose()
    {
        Base base;
        QTemporaryDir dir;
        QString longText;
        for (int i = 0; i < 400; ++i)
            longText += QStringLiteral("Line %1 of a card long enough for several pages.\n").arg(i);
        addNote(QStringLiteral("A.TXT"), {}, {}, longText);
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        const QString all = dir.filePath(QStringLiteral("all.pdf"));
        const QString part = dir.filePath(QStringLiteral("part.pdf"));
        const QString allDespiteSelection = dir.filePath(QStringLiteral("all2.pdf"));

        {
            DialogScript script;
            script.expect(DialogKind::Printer, DialogAnswer::printer(all));
            press(w->Toolbar1, "Print");
            QVERIFY_SCRIPT(script);
            QVERIFY(!script.shown().first().selectionEnabled);
        }
        w->NoteRTF->setSelStart(0);
        w->NoteRTF->setSelLength(4);
        {
            DialogScript script;
            script.expect(DialogKind::Printer, DialogAnswer::printer(part, true));
            script.expect(DialogKind::Printer, DialogAnswer::printer(allDespiteSelection, false));
            press(w->Toolbar1, "Print");
            press(w->Toolbar1, "Print");
            QVERIFY_SCRIPT(script);
            QVERIFY(script.shown().first().selectionEnabled);
        }
        QCOMPARE(pdfPages(part), 1);
        QVERIFY(pdfPages(all) > 3);
        QCOMPARE(pdfPages(allDespiteSelection), pdfPages(all));
        // Cancel prints nothing.
        DialogScript script;
        script.expect(DialogKind::Printer, DialogAnswer::cancel());
        press(w->Toolbar1, "Print");
        QVERIFY_SCRIPT(script);
    }

    // A bare name gets the filter's extension; a name with one keeps it.
    void saveAddsTheExtensionToABareName()
    {
        Base base;
        QTemporaryDir dir;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("saved text"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        DialogScript script;
        script.fileSave(dir.filePath(QStringLiteral("bare")));
        script.fileSave(dir.filePath(QStringLiteral("kept.doc")));
        press(w->Toolbar1, "Save");
        press(w->Toolbar1, "Save");
        QVERIFY_SCRIPT(script);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("bare"))));
        vb::RichTextBox back;
        back.LoadFile(dir.filePath(QStringLiteral("bare.rtf")));
        QCOMPARE(back.Text(), QStringLiteral("saved text"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("kept.doc"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("kept.doc.rtf"))));
    }

    // A click on a tool of one card of a set works on that card's text.
    void toolsOfEachCardWorkOnItsOwnText()
    {
        Base base;
        QTemporaryDir dir;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("text of A"));
        addNote(QStringLiteral("B.TXT"), {}, {}, QStringLiteral("text of B"));
        link(CardType::Note, QStringLiteral("both"), QStringLiteral("A.TXT"));
        link(CardType::Note, QStringLiteral("both"), QStringLiteral("B.TXT"));
        cards::OpenCardsOfKeyword(CardType::Note, QStringLiteral("both"));
        auto *a = static_cast<fNoteMulti *>(cardwindows::find(CardType::Note, QStringLiteral("A.TXT")).value(0)->cardForm());
        auto *b = static_cast<fNoteMulti *>(cardwindows::find(CardType::Note, QStringLiteral("B.TXT")).value(0)->cardForm());
        QVERIFY(a && b && a != b);
        const auto tool = [](fNoteMulti *w, int index) {
            const QList<QToolButton *> tools = w->Toolbar1->findChildren<QToolButton *>();
            return index < tools.size() ? tools.at(index) : nullptr;
        };
        QCOMPARE(tool(b, 1)->defaultAction(), b->Toolbar1->button(QStringLiteral("Save")));

        DialogScript script;
        script.fileSave(dir.filePath(QStringLiteral("b.rtf")));
        script.fileSave(dir.filePath(QStringLiteral("a.rtf")));
        script.expect(DialogKind::Printer, DialogAnswer::printer(dir.filePath(QStringLiteral("a.pdf"))));
        QTest::mouseClick(tool(b, 1), Qt::LeftButton);
        QTest::mouseClick(tool(a, 1), Qt::LeftButton);
        QTest::mouseClick(tool(a, 2), Qt::LeftButton);
        QVERIFY_SCRIPT(script);
        vb::RichTextBox back;
        back.LoadFile(dir.filePath(QStringLiteral("b.rtf")));
        QCOMPARE(back.Text(), QStringLiteral("text of B"));
        back.LoadFile(dir.filePath(QStringLiteral("a.rtf")));
        QCOMPARE(back.Text(), QStringLiteral("text of A"));
        QCOMPARE(pdfPages(dir.filePath(QStringLiteral("a.pdf"))), 1);
    }

    // The printout holds the box's text only: no page number at the foot.
    void printHasNoPageNumber()
    {
        Base base;
        QTemporaryDir dir;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("one line"));
        fNoteMulti *w = openNote(QStringLiteral("A.TXT"));
        const QString pdf = dir.filePath(QStringLiteral("one.pdf"));
        const QString part = dir.filePath(QStringLiteral("part.pdf"));
        DialogScript script;
        script.expect(DialogKind::Printer, DialogAnswer::printer(pdf));
        press(w->Toolbar1, "Print");
        w->NoteRTF->setSelStart(0);
        w->NoteRTF->setSelLength(3);
        script.expect(DialogKind::Printer, DialogAnswer::printer(part, true));
        press(w->Toolbar1, "Print");
        QVERIFY_SCRIPT(script);
        QCOMPARE(pdfPages(pdf), 1);
        QCOMPARE(pdfTextRuns(pdf), 1);
        QCOMPARE(pdfTextRuns(part), 1);
    }

    void fontOfTheSelection()
    {
        Base base;
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), {}, QStringLiteral("some quoted words"));
        seekKey(CardType::Quote, QStringLiteral("Q.TXT"));
        cards::ShowQuoteCard();
        auto *q = static_cast<fCitMulti *>(cardwindows::all().first()->cardForm());
        q->CitRTF->setSelStart(5);
        q->CitRTF->setSelLength(6);

        {
            DialogScript script;
            script.expect(DialogKind::Font, DialogAnswer::cancel());
            press(q->Toolbar1, "Font");
            QVERIFY_SCRIPT(script);
            // The dialog opens on a family this machine has in bold.
            const QString family = script.shown().first().font.name;
            QVERIFY(!family.isEmpty());
            bool hasBold = false;
            for (const QString &style : QFontDatabase::styles(family))
                hasBold = hasBold || QFontDatabase::weight(family, style) >= QFont::Bold;
            QVERIFY2(hasBold, qPrintable(family));
        }
        QVERIFY(!q->isChanged());
        QCOMPARE(q->CitRTF->SelBold(), std::optional<bool>(false));

        vb::FontChoice chosen;
        chosen.name = QStringLiteral("DejaVu Serif");
        chosen.size = 14;
        chosen.bold = true;
        chosen.underline = true;
        chosen.color = QColor(200, 0, 0);
        DialogScript script;
        script.expect(DialogKind::Font, DialogAnswer::chosenFont(chosen));
        press(q->Toolbar1, "Font");
        QVERIFY_SCRIPT(script);
        QCOMPARE(q->CitRTF->SelBold(), std::optional<bool>(true));
        QCOMPARE(q->CitRTF->SelUnderline(), std::optional<bool>(true));
        QCOMPARE(q->CitRTF->SelFontSize(), std::optional<double>(14));
        QCOMPARE(q->CitRTF->SelColor(), std::optional<qint32>(vb::RichTextBox::oleFromColor(QColor(200, 0, 0))));
        QVERIFY(q->isChanged());
        q->CitRTF->setSelStart(0);
        q->CitRTF->setSelLength(4);
        QCOMPARE(q->CitRTF->SelBold(), std::optional<bool>(false));
    }
};

QTEST_MAIN(TestCardTools)
#include "tst_tools.moc"
