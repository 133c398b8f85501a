#include "Error.h"
#include "LongParagraphs.h"
#include "RichTextBox.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "TextSamples.h"
#include "Watchdog.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QAbstractEventDispatcher>
#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>


using vb::RichTextBox;
using samples::longWord;
using samples::prose;

namespace {

int errorNumber(const std::function<void()> &f)
{
    try {
        f();
    } catch (const vb::Error &e) {
        return e.number();
    }
    return 0;
}

void select(RichTextBox &box, const QString &word)
{
    box.setSelStart(static_cast<int>(box.Text().indexOf(word)));
    box.setSelLength(static_cast<int>(word.size()));
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

int pdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r")
                            + pdf.count("/Type /Page/") + pdf.count("/Type /Page "));
}

// Where the box shows the caret at each position of its first paragraph, as
// the text edit reports it: a new line begins where the caret goes down.
struct Shown {
    QList<int> starts;  // positions in Text where a line begins
    QList<QRect> rects; // the caret at each line's start
};

Shown shownLines(RichTextBox &box, int paragraphEnd)
{
    Shown out;
    const rtf::PieceBreaks pieces(*box.document());
    QTextCursor c(box.document());
    int lastTop = INT_MIN;
    const int end = pieces.toDocument(paragraphEnd);
    for (int pos = 0; pos <= end; ++pos) {
        c.setPosition(pos);
        const QRect r = box.editor()->cursorRect(c);
        if (r.top() > lastTop) {
            lastTop = r.top();
            out.starts << pieces.toText(pos);
            out.rects << r;
        }
    }
    return out;
}

// The same text laid out by Qt as one paragraph, with the box's formats,
// at the width of the box's text area.
QList<int> unbrokenLines(RichTextBox &box, const QString &text, int paragraphEnd, qreal indent,
                         Qt::Alignment align)
{
    QTextLayout layout(text.left(paragraphEnd), box.document()->defaultFont());
    QList<QTextLayout::FormatRange> formats;
    const rtf::PieceBreaks pieces(*box.document());
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextLayout::FormatRange r;
            r.start = pieces.toText(it.fragment().position());
            r.length = it.fragment().length();
            r.format = it.fragment().charFormat();
            if (r.start < paragraphEnd)
                formats << r;
        }
    }
    layout.setFormats(formats);
    QTextOption option = box.document()->defaultTextOption();
    option.setAlignment(align);
    layout.setTextOption(option);
    const qreal width = box.editor()->viewport()->width() - 2 * box.document()->documentMargin();
    QList<int> starts;
    layout.beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(i == 0 ? width - indent : width);
        starts << line.textStart();
    }
    layout.endLayout();
    return starts;
}

// Shown, laid out as far as the window needs and painted.
void showAndPaint(RichTextBox &box)
{
    box.resize(600, 400);
    box.show();
    box.editor()->viewport()->repaint();
    QApplication::processEvents();
}

// What the box would hold without groups: each group split into its
// paragraphs, with no step to undo.
void splitAllGroups(RichTextBox &box)
{
    QTextDocument &doc = *box.document();
    doc.setUndoRedoEnabled(false);
    for (int n = doc.blockCount() - 1; n >= 0; --n)
        rtf::splitGroup(doc, doc.findBlockByNumber(n));
    doc.setUndoRedoEnabled(true);
}

int groupCount(const QTextDocument &doc)
{
    int n = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        n += rtf::joinsParagraphs(b) && b.text().contains(QChar::LineSeparator);
    return n;
}

// Where the caret shows at every position of the text.
QList<QRect> caretRects(RichTextBox &box)
{
    QList<QRect> out;
    box.editor()->verticalScrollBar()->setValue(0);
    QTextCursor c(box.document());
    for (int pos = 0; pos < box.document()->characterCount(); ++pos) {
        c.setPosition(pos);
        out << box.editor()->cursorRect(c);
    }
    return out;
}

// The same text twice: held in groups, and split into its paragraphs.
void fillTwins(RichTextBox &grouped, RichTextBox &split, const QString &value)
{
    grouped.setTextRTF(value);
    split.setTextRTF(value);
    splitAllGroups(split);
    QVERIFY(groupCount(*grouped.document()) > 0);
    QCOMPARE(groupCount(*split.document()), 0);
    showAndPaint(grouped);
    showAndPaint(split);
}

// Short RTF paragraphs in groups: plain ones, empty ones, one of each
// paragraph format a group may hold or may not, and paragraph ends of
// other fonts than their lines (whose groups are split).
QString mixedRtf()
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\qc\\f0\\fs20 Title\\par\\pard ");
    for (int i = 0; i < 40; ++i)
        rtf += QStringLiteral("Line %1 of the card\\par\r\n").arg(i);
    rtf += QStringLiteral("\\pard\\qc break one\\par\\pard\\par\\par {\\b bold} word\\par\\par more\\par "
                          "\\pard\\qc break two\\par\\pard {\\fs40 big end}\\par\\par\\par small\\par "
                          "\\pard\\qc {\\fs36 centred}\\par\\pard\\fs16 after a big end\\par\\par\\par x\\par "
                          "\\pard\\li720\\qr right one\\par right two\\par\\pard\\qj justified words that run on "
                          "well past the width of the card so that the line wraps and the last line is short\\par "
                          "second justified\\par\\pard with a\\line break\\par after it\\par "
                          "\\pard\\fi400 first-line one\\par first-line two\\par\\pard ");
    for (int i = 0; i < 40; ++i)
        rtf += QStringLiteral("Tail %1\\par ").arg(i);
    return rtf + QStringLiteral("end}");
}

} // namespace

class TestRichTextBox : public QObject {
    Q_OBJECT
private slots:
    void textAndSelectionPositions();
    void settingContent();
    void changeEvent();
    void selectionFormats();
    void formatForWhatIsTypedNext();
    void colorsAreOleValues();
    void indentRoundTrips();
    void loadAndSave();
    void failedLoadLeavesBoxAsItWas();
    void pasteTakesTextAndRtfOnly();
    void printsWholeTextOrSelection();
    void longParagraphsShowAtOnce_data();
    void longParagraphsShowAtOnce();
    void longParagraphKeepsItsTextAndPositions();
    void editingAcrossTheCutsOfALongParagraph();
    void longParagraphShowsAsOneParagraph();
    void backspaceAtALineStartTakesOneCharacter();
    void arrowKeysMoveOnTheLinesShown();
    void indentAppliesToTheWholeParagraph();
    void tripleClickSelectsTheParagraph();
    void aLongTextPastedIsHeldInPieces();
    void aMillionCombiningMarksOpen();
    void runsWithoutLineBreaksStayUsable_data();
    void runsWithoutLineBreaksStayUsable();
    void typingAnswersAmongManyParagraphs();
    void shortParagraphsAreHeldInGroups();
    void groupsShowAndPrintAsTheirParagraphs();
    void keysInAGroupWorkOnItsParagraphs_data();
    void keysInAGroupWorkOnItsParagraphs();
    void aCharacterBeyondTheBasicPlaneTypedOverAGroup();
    void indentOnOneParagraphOfAGroup();
    void formatAcrossAParagraphEndOfAGroup();
    void tripleClickSelectsOneParagraphOfAGroup();
    void copyFromAGroupWritesItsParagraphs();
};

void TestRichTextBox::textAndSelectionPositions()
{
    RichTextBox box;
    box.setText(QStringLiteral("first\r\nsecond\rthird"));
    QCOMPARE(box.Text(), QStringLiteral("first\nsecond\nthird"));

    // Positions in Text are selection positions, across paragraph breaks.
    select(box, QStringLiteral("third"));
    QCOMPARE(box.SelStart(), 13);
    QCOMPARE(box.editor()->textCursor().selectedText(), QStringLiteral("third"));

    box.setSelStart(2);
    QCOMPARE(box.SelLength(), 0); // a new start collapses the selection
    box.setSelLength(1000);
    QCOMPARE(box.SelLength(), static_cast<int>(box.Text().size()) - 2);
    box.setSelStart(1000);
    QCOMPARE(box.SelStart(), static_cast<int>(box.Text().size()));

    // A card opened without a search hit sets SelStart -1: refused, the
    // selection stays where it was.
    box.setSelStart(3);
    QCOMPARE(errorNumber([&] { box.setSelStart(-1); }), 380);
    QCOMPARE(errorNumber([&] { box.setSelLength(-2); }), 380);
    QCOMPARE(box.SelStart(), 3);

    // A line break counts one character, as in Text.
    box.setTextRTF(QStringLiteral("{\\rtf1 a\\line b\\par c}"));
    QCOMPARE(box.Text(), QStringLiteral("a\nb\nc"));
    select(box, QStringLiteral("c"));
    QCOMPARE(box.editor()->textCursor().selectedText(), QStringLiteral("c"));
}

void TestRichTextBox::settingContent()
{
    RichTextBox box;
    box.setTextRTF(QStringLiteral("  {\\rtf1\\ansi {\\b bold} caf\\'e9}"));
    QCOMPARE(box.Text(), QString::fromUtf8("bold café"));
    select(box, QStringLiteral("bold"));
    QCOMPARE(box.SelBold(), std::optional<bool>(true));

    box.setTextRTF(QStringLiteral("just {text} \\b"));
    QCOMPARE(box.Text(), QStringLiteral("just {text} \\b"));

    // setText never reads markup.
    box.setText(QStringLiteral("{\\rtf1 x}"));
    QCOMPARE(box.Text(), QStringLiteral("{\\rtf1 x}"));

    box.setTextRTF(QString::fromUtf8("{\\rtf1 Ωmega}")); // markup kept in a string
    QCOMPARE(box.Text(), QString::fromUtf8("Ωmega"));

    RichTextBox other;
    other.setTextRTF(box.TextRTF());
    QCOMPARE(other.Text(), box.Text());
}

void TestRichTextBox::changeEvent()
{
    RichTextBox box;
    QSignalSpy spy(&box, &RichTextBox::Change);
    box.setText(QStringLiteral("abc"));
    QCOMPARE(spy.count(), 1);
    box.setText(QStringLiteral("abc")); // every set counts, even the same text
    QCOMPARE(spy.count(), 2);
    box.setTextRTF(QStringLiteral("{\\rtf1 a\\par b\\par c}"));
    QCOMPARE(spy.count(), 3);

    box.setSelStart(0);
    box.setSelLength(3);
    QCOMPARE(spy.count(), 3); // selecting is no change
    box.setSelBold(true);
    QCOMPARE(spy.count(), 4); // a format change is an edit
    box.setSelIndent(200);
    QCOMPARE(spy.count(), 5);

    box.setSelStart(0);
    box.setSelItalic(true); // nothing selected: only what is typed next
    QCOMPARE(spy.count(), 5);

    box.show();
    box.editor()->setFocus();
    QTest::keyClicks(box.editor(), QStringLiteral("xy"));
    QCOMPARE(spy.count(), 7);
}

void TestRichTextBox::selectionFormats()
{
    RichTextBox box;
    box.setTextRTF(QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
                                  "\\f0\\fs20 plain {\\b\\i\\ul\\strike\\f1\\fs30 all} end}"));
    select(box, QStringLiteral("plain"));
    QCOMPARE(box.SelBold(), std::optional<bool>(false));
    QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Arial")));
    QCOMPARE(box.SelFontSize(), std::optional<double>(10));

    select(box, QStringLiteral("all"));
    QCOMPARE(box.SelBold(), std::optional<bool>(true));
    QCOMPARE(box.SelItalic(), std::optional<bool>(true));
    QCOMPARE(box.SelUnderline(), std::optional<bool>(true));
    QCOMPARE(box.SelStrikeThru(), std::optional<bool>(true));
    QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Courier New")));
    QCOMPARE(box.SelFontSize(), std::optional<double>(15));

    // A selection over both reads as no value for what differs.
    box.setSelStart(3);
    box.setSelLength(6);
    QVERIFY(!box.SelBold());
    QVERIFY(!box.SelFontName());
    QVERIFY(!box.SelFontSize());
    QCOMPARE(box.SelColor(), box.SelColor()); // same auto colour throughout
    QVERIFY(box.SelColor().has_value());

    // A set makes the whole selection uniform and touches nothing else.
    box.setSelFontName(QStringLiteral("Times New Roman"));
    box.setSelFontSize(8.25);
    box.setSelBold(false);
    QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Times New Roman")));
    QCOMPARE(box.SelFontSize(), std::optional<double>(8.25));
    QCOMPARE(box.SelBold(), std::optional<bool>(false));
    QCOMPARE(box.SelItalic(), std::nullopt);
    select(box, QStringLiteral("end"));
    QCOMPARE(box.SelFontName(), std::optional<QString>(QStringLiteral("Arial")));

    QCOMPARE(errorNumber([&] { box.setSelFontSize(0); }), 380);
}

void TestRichTextBox::formatForWhatIsTypedNext()
{
    RichTextBox box;
    box.setText(QStringLiteral("ab"));
    box.setSelStart(1);
    box.setSelBold(true);
    QCOMPARE(box.SelBold(), std::optional<bool>(true));
    box.show();
    box.editor()->setFocus();
    QTest::keyClicks(box.editor(), QStringLiteral("X"));
    QCOMPARE(box.Text(), QStringLiteral("aXb"));
    select(box, QStringLiteral("X"));
    QCOMPARE(box.SelBold(), std::optional<bool>(true));
    select(box, QStringLiteral("b"));
    QCOMPARE(box.SelBold(), std::optional<bool>(false));
}

void TestRichTextBox::colorsAreOleValues()
{
    QCOMPARE(RichTextBox::oleFromColor(QColor(0x11, 0x22, 0x33)), 0x332211);
    QCOMPARE(RichTextBox::colorFromOle(0x0000FF), QColor(Qt::red));

    RichTextBox box;
    box.setText(QStringLiteral("red text"));
    select(box, QStringLiteral("red"));
    box.setSelColor(0x0000FF);
    QCOMPARE(box.SelColor(), std::optional<qint32>(0x0000FF));
    QVERIFY(box.TextRTF().contains(QStringLiteral("\\red255\\green0\\blue0;")));

    RichTextBox back;
    back.setTextRTF(box.TextRTF());
    select(back, QStringLiteral("red"));
    QCOMPARE(back.SelColor(), std::optional<qint32>(0x0000FF));
    back.setSelStart(0);
    back.setSelLength(5);
    QCOMPARE(back.SelColor(), std::nullopt); // red and the automatic colour
}

void TestRichTextBox::indentRoundTrips()
{
    RichTextBox box;
    box.setText(QStringLiteral("one\ntwo"));
    box.setSelStart(0);
    box.setSelLength(static_cast<int>(box.Text().size()));
    box.setSelIndent(200);
    QCOMPARE(box.SelIndent(), std::optional<int>(200));
    QVERIFY(box.TextRTF().contains(QStringLiteral("\\li200")));
    RichTextBox back;
    back.setTextRTF(box.TextRTF());
    back.setSelStart(0);
    back.setSelLength(7);
    QCOMPARE(back.SelIndent(), std::optional<int>(200));
    QCOMPARE(back.Text(), box.Text());
}

void TestRichTextBox::loadAndSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.rtf"));
    RichTextBox box;
    box.setTextRTF(QStringLiteral("{\\rtf1{\\colortbl;\\red0\\green128\\blue0;}"
                                  "\\pard\\li200 {\\b\\cf1 Green} caf\\'e9\\par \\u937?}"));
    box.SaveFile(path);

    RichTextBox back;
    QSignalSpy spy(&back, &RichTextBox::Change);
    back.LoadFile(path);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(back.Text(), QString::fromUtf8("Green café\nΩ"));
    QCOMPARE(back.TextRTF(), box.TextRTF());
    QCOMPARE(back.SelStart(), 0);

    // Saving again replaces the file whole.
    back.setText(QStringLiteral("short"));
    back.SaveFile(path);
    box.LoadFile(path);
    QCOMPARE(box.Text(), QStringLiteral("short"));

    QCOMPARE(errorNumber([&] { box.SaveFile(dir.filePath(QStringLiteral("no/such/x.rtf"))); }),
             int(vb::ErrPathNotFound));
    QCOMPARE(errorNumber([&] { box.SaveFile(dir.path()); }), int(vb::ErrPathAccess));
}

void TestRichTextBox::failedLoadLeavesBoxAsItWas()
{
    QTemporaryDir dir;
    RichTextBox box;
    box.setTextRTF(QStringLiteral("{\\rtf1 {\\b kept}}"));
    const QString before = box.TextRTF();
    QSignalSpy spy(&box, &RichTextBox::Change);

    const QString plain = dir.filePath(QStringLiteral("NOTE.RTF"));
    writeFile(plain, "This is not rich text");
    QCOMPARE(errorNumber([&] { box.LoadFile(plain); }), 321);
    const QString empty = dir.filePath(QStringLiteral("empty.rtf"));
    writeFile(empty, QByteArray());
    QCOMPARE(errorNumber([&] { box.LoadFile(empty); }), 321);
    QCOMPARE(errorNumber([&] { box.LoadFile(dir.filePath(QStringLiteral("missing.rtf"))); }),
             int(vb::ErrFileNotFound));
    QCOMPARE(errorNumber([&] { box.LoadFile(dir.path()); }), int(vb::ErrPathAccess));

    QCOMPARE(box.TextRTF(), before);
    QCOMPARE(spy.count(), 0);
}

void TestRichTextBox::pasteTakesTextAndRtfOnly()
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("secret.png"));
    writeFile(image, "not really a picture");

    RichTextBox box;
    QClipboard *clip = QApplication::clipboard();

    // HTML that would pull a local file in: only its plain text arrives.
    auto *html = new QMimeData;
    html->setHtml(QStringLiteral("<b>bold</b><img src=\"file://%1\">").arg(image));
    html->setText(QStringLiteral("bold"));
    clip->setMimeData(html);
    box.editor()->paste();
    QCOMPARE(box.Text(), QStringLiteral("bold"));
    select(box, QStringLiteral("bold"));
    QCOMPARE(box.SelBold(), std::optional<bool>(false));
    QVERIFY(!box.document()->toHtml().contains(QStringLiteral("img")));

    // HTML alone is refused.
    box.setText(QString());
    auto *htmlOnly = new QMimeData;
    htmlOnly->setHtml(QStringLiteral("<i>x</i>"));
    clip->setMimeData(htmlOnly);
    QVERIFY(!box.editor()->canPaste());
    box.editor()->paste();
    QCOMPARE(box.Text(), QString());

    // RTF arrives formatted.
    auto *rich = new QMimeData;
    rich->setData(QStringLiteral("text/rtf"), "{\\rtf1 a{\\b b}}");
    rich->setText(QStringLiteral("ab"));
    clip->setMimeData(rich);
    box.editor()->paste();
    QCOMPARE(box.Text(), QStringLiteral("ab"));
    select(box, QStringLiteral("b"));
    QCOMPARE(box.SelBold(), std::optional<bool>(true));

    // Copying gives RTF that the box takes back with its formats.
    box.editor()->copy();
    QVERIFY(clip->mimeData()->hasFormat(QStringLiteral("text/rtf")));
    box.setSelStart(0);
    box.editor()->paste();
    QCOMPARE(box.Text(), QStringLiteral("bab"));
    box.setSelStart(0);
    box.setSelLength(1);
    QCOMPARE(box.SelBold(), std::optional<bool>(true));
}

void TestRichTextBox::printsWholeTextOrSelection()
{
    QTemporaryDir dir;
    RichTextBox box;
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("Line %1 of the card").arg(i);
    box.setText(lines.join(QLatin1Char('\n')));

    auto print = [&](const QString &name, QPrinter::PrintRange range) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        printer.setPrintRange(range);
        box.SelPrint(printer);
        if (printer.printRange() != range) // the caller's printer is left as it was
            return -100;
        return pdfPages(dir.filePath(name));
    };
    const int whole = print(QStringLiteral("all.pdf"), QPrinter::AllPages);
    QVERIFY2(whole > 1, qPrintable(QString::number(whole)));

    select(box, QStringLiteral("Line 5 "));
    QCOMPARE(print(QStringLiteral("sel.pdf"), QPrinter::Selection), 1);
    // "All" chosen in the dialog wins over an existing selection.
    QCOMPARE(print(QStringLiteral("all2.pdf"), QPrinter::AllPages), whole);

    box.setSelStart(0);
    QCOMPARE(print(QStringLiteral("nosel.pdf"), QPrinter::Selection), whole);
}

void TestRichTextBox::longParagraphsShowAtOnce_data()
{
    QTest::addColumn<QString>("value");
    const int size = 2 * 1024 * 1024;
    QTest::newRow("one word") << longWord(size);
    QString line;
    while (line.size() < size)
        line += QStringLiteral("words of one line without its end ");
    QTest::newRow("one line") << line;
    QTest::newRow("one word as RTF")
        << QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + QString(size, u'x')
               + QStringLiteral("}");
    QString formatted = QStringLiteral("{\\rtf1\\ansi ");
    while (formatted.size() < size)
        formatted += QStringLiteral("{\\b abcdefghij}{\\i klmnopqrst}uvwxyz");
    QTest::newRow("one formatted word as RTF") << formatted + QStringLiteral("}");
}

// A card text of a few megabytes in one paragraph shows without freezing
// (how soon is bench_longtext's), and it is still the same text.
void TestRichTextBox::longParagraphsShowAtOnce()
{
    QFETCH(QString, value);
    RichTextBox box;
    {
        // Far above any honest time, even loaded and under sanitizers.
        const Watchdog dog(QTest::currentDataTag(), 120);
        box.setTextRTF(value);
        showAndPaint(box);
    }
    QVERIFY(box.isVisible());

    RichTextBox plain;
    plain.setTextRTF(box.TextRTF());
    QCOMPARE(plain.Text(), box.Text());
    if (!value.startsWith(QLatin1Char('{')))
        QCOMPARE(box.Text(), value);
    QVERIFY(!box.Text().contains(QLatin1Char('\n')));
    QVERIFY(!box.TextRTF().contains("\\par\r\n")); // one paragraph, written as one
}

void TestRichTextBox::longParagraphKeepsItsTextAndPositions()
{
    // A term every 997 characters: some of them straddle the places where
    // the paragraph is held in pieces.
    QString text = longWord(300000, true);
    const QString term = QStringLiteral("HIT");
    for (int at = 500; at + 3 < text.size(); at += 997) {
        if (text.at(at).isLowSurrogate() || text.at(at + 3).isLowSurrogate() || text.at(at + 3).isMark())
            continue;
        text.replace(at, 3, term);
    }
    text = QStringLiteral("before\r\n") + text + QStringLiteral("\r\nafter");
    RichTextBox box;
    box.setText(text);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(box.Text(), text);
    QVERIFY(box.document()->blockCount() > 3); // held in pieces indeed

    int hits = 0;
    for (qsizetype at = text.indexOf(term); at >= 0; at = text.indexOf(term, at + 1), ++hits) {
        box.setSelStart(int(at));
        box.setSelLength(int(term.size()));
        QCOMPARE(box.SelStart(), int(at));
        QCOMPARE(box.SelLength(), int(term.size()));
        // The characters highlighted are the term's, with no break among them.
        QString shown = box.editor()->textCursor().selectedText();
        shown.remove(QChar::ParagraphSeparator);
        QCOMPARE(shown, term);
    }
    QVERIFY(hits > 250);
    const int after = int(text.size()) - 5;
    box.setSelStart(after);
    box.setSelLength(1000);
    QCOMPARE(box.SelStart(), after);
    QCOMPARE(box.SelLength(), 5);
    box.setSelStart(int(text.size()) + 10);
    QCOMPARE(box.SelStart(), int(text.size()));

    // No piece begins inside a character or with an accent.
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
        if (b.length() > 1) {
            QVERIFY(!b.text().front().isLowSurrogate());
            QVERIFY(!b.text().front().isMark());
        }
    }

    // Copied, the text has no break where it had none.
    box.setSelStart(0);
    box.setSelLength(int(text.size()));
    box.editor()->copy();
    QCOMPARE(QApplication::clipboard()->text(), text);
    RichTextBox pasted;
    pasted.editor()->paste();
    QCOMPARE(pasted.Text(), text);

    // Saved and read back, and opened again from the file.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("long.rtf"));
    box.SaveFile(file);
    RichTextBox loaded;
    loaded.LoadFile(file);
    QCOMPARE(loaded.Text(), text);
    QCOMPARE(loaded.TextRTF(), box.TextRTF());
}

void TestRichTextBox::editingAcrossTheCutsOfALongParagraph()
{
    const QString word = longWord(20000);
    RichTextBox box;
    box.setText(word);
    showAndPaint(box);
    const QTextBlock second = box.document()->begin().next();
    QVERIFY(second.isValid());
    const int cut = second.position() - 1; // in the text

    // Backspace at the start of a piece takes the character before it.
    box.setSelStart(cut);
    QCOMPARE(box.editor()->textCursor().position(), cut + 1);
    QTest::keyClick(box.editor(), Qt::Key_Backspace);
    QString expected = word;
    expected.remove(cut - 1, 1);
    QCOMPARE(box.Text(), expected);

    // Delete at the end of a piece takes the character after it.
    const int end = box.document()->begin().next().position() - 1;
    QTextCursor c = box.editor()->textCursor();
    c.setPosition(end);
    box.editor()->setTextCursor(c);
    QTest::keyClick(box.editor(), Qt::Key_Delete);
    expected.remove(end, 1);
    QCOMPARE(box.Text(), expected);

    // Ctrl+Backspace at the start of a piece takes the word before it.
    box.setSelStart(int(box.document()->begin().next().position()) - 1);
    const int before = box.SelStart();
    QTest::keyClick(box.editor(), Qt::Key_Backspace, Qt::ControlModifier);
    QVERIFY(box.SelStart() < before);
    expected.remove(box.SelStart(), before - box.SelStart());
    QCOMPARE(box.Text(), expected);

    // Enter inside a piece, or at its start, begins a paragraph of its own.
    const int inside = box.document()->begin().next().position() + 10;
    box.setSelStart(inside - 1);
    QTest::keyClick(box.editor(), Qt::Key_Return);
    expected.insert(inside - 1, QLatin1Char('\n'));
    QCOMPARE(box.Text(), expected);
    box.setSelStart(int(expected.size()) - 3000);
    box.editor()->moveCursor(QTextCursor::StartOfBlock);
    const int start = box.SelStart();
    QVERIFY(rtf::continuesParagraph(box.editor()->textCursor().block()));
    QTest::keyClick(box.editor(), Qt::Key_Return);
    expected.insert(start, QLatin1Char('\n'));
    QCOMPARE(box.Text(), expected);
    box.editor()->undo();
    expected.remove(start, 1);
    QCOMPARE(box.Text(), expected);

    // Lines pasted into a piece are paragraphs.
    auto *lines = new QMimeData;
    lines->setText(QStringLiteral("one\r\ntwo\nthree"));
    QApplication::clipboard()->setMimeData(lines);
    box.setSelStart(int(expected.size()) - 2500);
    const int at = box.SelStart();
    box.editor()->paste();
    expected.insert(at, QStringLiteral("one\ntwo\nthree"));
    QCOMPARE(box.Text(), expected);
    QCOMPARE(box.SelStart(), at + 13);
}

// A paragraph longer than the pieces it is held in shows as one paragraph:
// the lines Qt gives the whole paragraph at the box's width, the first line
// indented once, every justified line but the last as wide as the box.
void TestRichTextBox::longParagraphShowsAsOneParagraph()
{
    const QString text = prose(14406);
    RichTextBox box;
    box.setTextRTF(QStringLiteral("{\\rtf1\\ansi\\pard\\fi720\\qj ") + text + QStringLiteral("\\par after}"));
    QCOMPARE(box.Text(), text + QStringLiteral("\nafter"));
    QVERIFY(box.document()->blockCount() > 5); // held in pieces indeed
    showAndPaint(box);

    const Shown shown = shownLines(box, int(text.size()));
    const QList<int> expected = unbrokenLines(box, text, int(text.size()), 48, Qt::AlignJustify);
    QCOMPARE(shown.starts, expected);
    const int left = int(box.document()->documentMargin());
    QCOMPARE(shown.rects.front().left(), left + 48);
    for (qsizetype i = 1; i < shown.rects.size(); ++i)
        QCOMPARE(shown.rects[i].left(), left);
    // Justified: the caret after each line's last letter is at the right
    // edge, but on the paragraph's last line.
    const rtf::PieceBreaks pieces(*box.document());
    const int right = box.editor()->viewport()->width() - left;
    QTextCursor c(box.document());
    for (qsizetype i = 0; i < shown.starts.size(); ++i) {
        const bool last = i + 1 == shown.starts.size();
        int end = last ? int(text.size()) : shown.starts[i + 1];
        while (text.at(end - 1).isSpace())
            --end;
        c.setPosition(pieces.toDocument(end));
        if (!box.document()->findBlock(c.position()).contains(c.position() - 1))
            c.setPosition(c.position() - 1); // the end of the piece before
        const int x = box.editor()->cursorRect(c).left();
        if (!last)
            QVERIFY2(std::abs(x - right) <= 1, qPrintable(QStringLiteral("line %1 ends at %2 of %3").arg(i).arg(x).arg(right)));
        else
            QVERIFY2(x < right - 20, qPrintable(QStringLiteral("the last line ends at %1").arg(x)));
    }
}

// Backspace at the start of a line shown takes the one character before
// it, and the paragraph flows on as one.
void TestRichTextBox::backspaceAtALineStartTakesOneCharacter()
{
    const QString text = prose(14406);
    RichTextBox box;
    box.setText(text);
    showAndPaint(box);
    box.editor()->setFocus();
    const int firstCut = box.document()->begin().next().position() - 1;
    const Shown shown = shownLines(box, int(text.size()));
    // The first line start at or after the place where a piece begins, and
    // on the screen.
    qsizetype line = 0;
    while (shown.starts[line] < firstCut)
        ++line;
    QVERIFY(shown.rects[line].bottom() < box.editor()->viewport()->height());
    const int start = shown.starts[line];
    QTest::mouseClick(box.editor()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(shown.rects[line].left() + 1, shown.rects[line].center().y()));
    QCOMPARE(box.SelStart(), start);
    QTest::keyClick(box.editor(), Qt::Key_Backspace);
    QString expected = text;
    expected.remove(start - 1, 1);
    QCOMPARE(box.Text(), expected);
    QCOMPARE(box.SelStart(), start - 1);
    // The words around it flow as the whole paragraph's would.
    QCOMPARE(shownLines(box, int(expected.size())).starts,
             unbrokenLines(box, expected, int(expected.size()), 0, Qt::AlignLeft));
}

// Up, down, Home, End and Page Down keep to the lines shown, across the
// places where the paragraph's pieces meet; right and left never stop
// where nothing shows.
void TestRichTextBox::arrowKeysMoveOnTheLinesShown()
{
    const QString text = prose(9000);
    RichTextBox box;
    box.setText(text + QStringLiteral("\nlast"));
    showAndPaint(box);
    box.editor()->setFocus();
    Shown shown = shownLines(box, int(text.size()));
    QVERIFY(shown.starts.size() > 40);
    const rtf::PieceBreaks pieces(*box.document());
    auto caret = [&] { return box.editor()->cursorRect(); };

    // Down from the middle of line 3, line after line: each press goes one
    // line down, near the same column.
    box.setSelStart(shown.starts[3] + 10);
    const int column = caret().left();
    shown.starts << int(text.size()) + 1;
    for (qsizetype line = 4; line + 1 < shown.starts.size(); ++line) {
        QTest::keyClick(box.editor(), Qt::Key_Down);
        QVERIFY2(box.SelStart() >= shown.starts[line] && box.SelStart() < shown.starts[line + 1],
                 qPrintable(QStringLiteral("line %1: %2").arg(line).arg(box.SelStart())));
        QVERIFY(std::abs(caret().left() - column) < 20);
    }
    // Down from the paragraph's last line: the next paragraph.
    QTest::keyClick(box.editor(), Qt::Key_Down);
    QVERIFY(box.SelStart() > int(text.size()));
    QTest::keyClick(box.editor(), Qt::Key_Up);
    QVERIFY(box.SelStart() >= shown.starts[shown.starts.size() - 2] && box.SelStart() <= int(text.size()));
    shown.starts.removeLast();

    // Home and End of a line in the middle, with Shift to select it.
    box.setSelStart(shown.starts[20] + 5);
    QTest::keyClick(box.editor(), Qt::Key_Home);
    QCOMPARE(box.SelStart(), shown.starts[20]);
    QTest::keyClick(box.editor(), Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(box.SelStart(), shown.starts[20]);
    QCOMPARE(box.SelStart() + box.SelLength(), shown.starts[21] - 1); // before the space
    QTest::keyClick(box.editor(), Qt::Key_Up);
    QVERIFY(box.SelStart() >= shown.starts[19] && box.SelStart() < shown.starts[20]);

    // Page Down goes down by about a page and the view follows.
    box.setSelStart(0);
    const int lineHeight = shown.rects[1].top() - shown.rects[0].top();
    QTest::keyClick(box.editor(), Qt::Key_PageDown);
    const int pageLines = box.editor()->viewport()->height() / lineHeight;
    QVERIFY(box.SelStart() >= shown.starts[pageLines - 2]);
    QVERIFY(box.SelStart() < shown.starts[pageLines + 1]);
    QVERIFY(box.editor()->verticalScrollBar()->value() > 0);
    QVERIFY(box.editor()->viewport()->rect().contains(caret().center()));

    // Ctrl+End and Ctrl+Home: the caret in view at either end.
    QTest::keyClick(box.editor(), Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(box.SelStart(), int(box.Text().size()));
    QVERIFY2(box.editor()->viewport()->rect().contains(caret().center()),
             qPrintable(QStringLiteral("caret at %1 of %2").arg(caret().center().y()).arg(box.editor()->viewport()->height())));
    QTest::keyClick(box.editor(), Qt::Key_Home, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(box.SelStart(), 0);
    QVERIFY(box.editor()->viewport()->rect().contains(caret().center()));

    // Right across the place where two pieces meet moves one character.
    const int cut = pieces.toText(box.document()->begin().next().position());
    box.setSelStart(cut - 1);
    QTest::keyClick(box.editor(), Qt::Key_Right);
    QTest::keyClick(box.editor(), Qt::Key_Right);
    QCOMPARE(box.SelStart(), cut + 1);
    QTest::keyClick(box.editor(), Qt::Key_Left);
    QTest::keyClick(box.editor(), Qt::Key_Left);
    QCOMPARE(box.SelStart(), cut - 1);
}

void TestRichTextBox::indentAppliesToTheWholeParagraph()
{
    const QString text = prose(9000);
    RichTextBox box;
    box.setText(QStringLiteral("first\n") + text);
    select(box, QStringLiteral("first"));
    const int deep = 6 + 6000;
    box.setSelStart(deep);
    box.setSelLength(5);
    QVERIFY(box.document()->findBlock(box.editor()->textCursor().position()).blockNumber() > 3);
    box.setSelIndent(300);
    box.setSelStart(7);
    QCOMPARE(box.SelIndent(), std::optional<int>(300));
    box.setSelLength(8000);
    QCOMPARE(box.SelIndent(), std::optional<int>(300));
    box.setSelStart(0);
    QCOMPARE(box.SelIndent(), std::optional<int>(0));
    QCOMPARE(box.TextRTF().count(QStringLiteral("\\li300")), 1);
}

// Three clicks select the paragraph under them, the whole of it.
void TestRichTextBox::tripleClickSelectsTheParagraph()
{
    const QString text = prose(9000);
    RichTextBox box;
    box.setText(QStringLiteral("first\n") + text + QStringLiteral("\nlast"));
    showAndPaint(box);
    const Shown shown = shownLines(box, 6 + int(text.size()));
    // A line in the paragraph's second piece.
    const int cut = rtf::PieceBreaks(*box.document()).toText(box.document()->begin().next().next().position());
    qsizetype line = 0;
    while (shown.starts[line] <= cut)
        ++line;
    const QPoint at(shown.rects[line].left() + 30, shown.rects[line].center().y());
    QVERIFY(box.editor()->viewport()->rect().contains(at));
    QTest::mouseDClick(box.editor()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(box.editor()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(box.SelStart(), 6);
    QCOMPARE(box.SelLength(), int(text.size()) + 1); // its end included
}

// A long paragraph pasted is held in pieces as one opened is, so that the
// keys typed after it do not wait on it; one undo takes the paste back.
void TestRichTextBox::aLongTextPastedIsHeldInPieces()
{
    const QString word = longWord(300000, true);
    RichTextBox box;
    box.setText(QStringLiteral("before after"));
    showAndPaint(box);
    box.setSelStart(7);
    auto *text = new QMimeData;
    text->setText(word);
    QApplication::clipboard()->setMimeData(text);
    box.editor()->paste();
    QCOMPARE(box.Text(), QStringLiteral("before ") + word + QStringLiteral("after"));
    QVERIFY(box.document()->blockCount() > 200);
    QCOMPARE(box.SelStart(), 7 + int(word.size()));
    box.editor()->undo();
    QCOMPARE(box.Text(), QStringLiteral("before after"));
    QCOMPARE(box.document()->blockCount(), 1);

    // RTF pasted into the middle of a long paragraph.
    box.setText(word);
    const int pieces = box.document()->blockCount();
    auto *rich = new QMimeData;
    rich->setData(QStringLiteral("text/rtf"), "{\\rtf1 " + word.left(200000).toLatin1() + "}");
    QApplication::clipboard()->setMimeData(rich);
    box.setSelStart(1000);
    box.editor()->paste();
    QCOMPARE(box.Text().size(), word.size() + 200000);
    QVERIFY(box.document()->blockCount() > pieces + 150);
}

void TestRichTextBox::aMillionCombiningMarksOpen()
{
    const QString value = QStringLiteral("a") + QString(1000000, QChar(0x0301)) + QStringLiteral(" end");
    RichTextBox box;
    {
        Watchdog dog("a million combining marks", 120);
        box.setText(value);
        showAndPaint(box);
        box.editor()->moveCursor(QTextCursor::End);
        box.editor()->viewport()->repaint();
    }
    QCOMPARE(box.Text(), value);
    // Held in pieces of some length, not one block a character.
    QVERIFY2(box.document()->blockCount() < value.size() / 256,
             qPrintable(QString::number(box.document()->blockCount())));
    QCOMPARE(box.SelStart(), int(value.size()));
}

void TestRichTextBox::runsWithoutLineBreaksStayUsable_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("joiners") << QStringLiteral("a") + QString(1000000, QChar(0x200D));
    QTest::newRow("non-joiners") << QStringLiteral("a") + QString(1000000, QChar(0x200C));
    QTest::newRow("variation selectors") << QString::fromUtf8("\xE2\x9D\xA4") + QString(1000000, QChar(0xFE0F));
    QTest::newRow("lone surrogates") << QString(1000000, QChar(0xD800));
    QTest::newRow("line separators") << QString::fromUtf8("x\xE2\x80\xA8").repeated(400000);
    QTest::newRow("tabs") << QString(1000000, QChar(u'\t'));
}

// A text that gives no place to end a line (a cluster a million characters
// long) opens, shows its end and its middle, and takes a key.
void TestRichTextBox::runsWithoutLineBreaksStayUsable()
{
    QFETCH(QString, value);
    RichTextBox box;
    Watchdog dog(QTest::currentDataTag(), 120);
    box.setText(value);
    showAndPaint(box);
    box.editor()->moveCursor(QTextCursor::End);
    box.editor()->viewport()->repaint();
    QScrollBar *bar = box.editor()->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    box.editor()->viewport()->repaint();
    const int at = box.editor()->cursorForPosition(QPoint(5, 5)).position();
    QTextCursor c = box.editor()->textCursor();
    c.setPosition(at);
    box.editor()->setTextCursor(c);
    const int text = box.SelStart();
    QTest::keyClick(box.editor(), Qt::Key_Z);
    QCOMPARE(box.Text().size(), value.size() + 1);
    QCOMPARE(box.Text().at(text), QChar(u'z'));
}

// With more than a million short paragraphs shown, a key pressed is typed
// while the event loop runs: nothing lays the text out behind the user's
// back, and what is not shown waits.
void TestRichTextBox::typingAnswersAmongManyParagraphs()
{
    RichTextBox box;
    box.setText(QStringLiteral("Short.\n").repeated(1300000));
    Watchdog dog("typing among short paragraphs", 120);
    showAndPaint(box);
    box.editor()->setFocus();
    QCoreApplication::processEvents();
    // The layout keeps no timer of its own running.
    QVERIFY(QAbstractEventDispatcher::instance()->registeredTimers(box.document()->documentLayout()).isEmpty());
    box.setSelStart(7 * 1000);
    QCoreApplication::postEvent(box.editor(), new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
    QCoreApplication::postEvent(box.editor(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
    QTRY_COMPARE_WITH_TIMEOUT(box.SelStart(), 7 * 1000 + 1, 100000);
    // Held in groups: far fewer blocks than paragraphs to make and walk.
    QVERIFY2(box.document()->blockCount() < 1300000 / 100, qPrintable(QString::number(box.document()->blockCount())));
    QCOMPARE(box.Text().mid(7 * 1000, 8), QStringLiteral("xShort.\n"));
    // Scrolled to the end and back: shown, not laid out whole.
    box.editor()->verticalScrollBar()->setValue(box.editor()->verticalScrollBar()->maximum());
    box.editor()->viewport()->repaint();
    QCoreApplication::processEvents();
    int laidOut = 0;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        laidOut += b.layout()->lineCount() > 0;
    QVERIFY2(laidOut < 1000, qPrintable(QString::number(laidOut)));
}

// A text of short paragraphs is held in far fewer blocks, yet its text,
// positions and RTF are those of its paragraphs.
void TestRichTextBox::shortParagraphsAreHeldInGroups()
{
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << (i % 7 == 3 ? QString() : QStringLiteral("Line %1").arg(i));
    lines[2000] = QString(QStringLiteral("with a")) + QChar::LineSeparator + QStringLiteral("real break");
    const QString text = lines.join(QLatin1Char('\n'));
    RichTextBox box;
    box.setText(text);
    QVERIFY2(box.document()->blockCount() < 5000 / 20, qPrintable(QString::number(box.document()->blockCount())));
    QString shown = text;
    shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QCOMPARE(box.Text(), shown);
    select(box, QStringLiteral("Line 4321"));
    QCOMPARE(box.editor()->textCursor().selectedText(), QStringLiteral("Line 4321"));
    QCOMPARE(box.SelStart(), int(shown.indexOf(QStringLiteral("Line 4321"))));

    // The same RTF as the paragraphs held one block each, byte for byte,
    // the real line break written as one.
    QTextDocument alone;
    alone.setDefaultFont(box.document()->defaultFont());
    alone.setPlainText(text);
    const QByteArray rtf = rtf::write(alone);
    QCOMPARE(box.TextRTF().toLatin1(), rtf);
    QCOMPARE(rtf.count("\\line"), 1);
    // Read back from RTF, held in groups again, written the same.
    RichTextBox back;
    back.setTextRTF(QString::fromLatin1(rtf));
    QVERIFY(back.document()->blockCount() < 5000 / 10);
    QCOMPARE(back.Text(), shown);
    QCOMPARE(back.TextRTF().toLatin1(), rtf);
}

// Lines, caret places and printed pages are those of the paragraphs.
void TestRichTextBox::groupsShowAndPrintAsTheirParagraphs()
{
    RichTextBox grouped;
    RichTextBox split;
    fillTwins(grouped, split, mixedRtf());
    QVERIFY(groupCount(*grouped.document()) >= 4);
    QCOMPARE(grouped.TextRTF(), split.TextRTF());
    QCOMPARE(caretRects(grouped), caretRects(split));
    QCOMPARE(grouped.editor()->document()->documentLayout()->documentSize(),
             split.editor()->document()->documentLayout()->documentSize());

    QTemporaryDir dir;
    auto print = [&](RichTextBox &box, const QString &name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        box.SelPrint(printer);
        return pdfPages(dir.filePath(name));
    };
    const int pages = print(split, QStringLiteral("split.pdf"));
    QVERIFY(pages > 1);
    QCOMPARE(print(grouped, QStringLiteral("grouped.pdf")), pages);
}

// Real keys in a group do what they do with paragraphs: the same keys on
// the same text held one block per paragraph give the same text, RTF and
// caret, and one undo takes each back.
void TestRichTextBox::keysInAGroupWorkOnItsParagraphs_data()
{
    QTest::addColumn<QString>("at");   // the caret goes before this text
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("typed"); // for a key with text
    QTest::newRow("line break") << QStringLiteral("of the card\\par\r\nLine 8 ") << int(Qt::Key_Return)
                                << int(Qt::ShiftModifier) << QString();
    QTest::newRow("enter") << QStringLiteral("the card\\par\r\nLine 9 ") << int(Qt::Key_Return)
                           << int(Qt::NoModifier) << QString();
    QTest::newRow("backspace at a paragraph start") << QStringLiteral("Line 12 ") << int(Qt::Key_Backspace)
                                                    << int(Qt::NoModifier) << QString();
    QTest::newRow("backspace at an empty paragraph") << QStringLiteral("\\par more") << int(Qt::Key_Backspace)
                                                     << int(Qt::NoModifier) << QString();
    QTest::newRow("backspace into a group of another format") << QStringLiteral("right one") << int(Qt::Key_Backspace)
                                                              << int(Qt::NoModifier) << QString();
    QTest::newRow("backspace after a group") << QStringLiteral("with a\\line") << int(Qt::Key_Backspace)
                                             << int(Qt::NoModifier) << QString();
    QTest::newRow("word back at a paragraph start") << QStringLiteral("Line 20 ") << int(Qt::Key_Backspace)
                                                    << int(Qt::ControlModifier) << QString();
    QTest::newRow("delete at a paragraph end") << QStringLiteral("\\par\r\nLine 31 ") << int(Qt::Key_Delete)
                                               << int(Qt::NoModifier) << QString();
    QTest::newRow("typing") << QStringLiteral("Line 5 ") << int(Qt::Key_X) << int(Qt::NoModifier)
                            << QStringLiteral("x");
}

void TestRichTextBox::keysInAGroupWorkOnItsParagraphs()
{
    QFETCH(QString, at);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, typed);
    const QString value = mixedRtf();
    RichTextBox grouped;
    RichTextBox split;
    fillTwins(grouped, split, value);
    // Where the marked place lies in the text.
    QTextDocument probe;
    const qsizetype mark = value.indexOf(at);
    QVERIFY(mark > 0);
    rtf::read(value.left(mark), probe);
    const int pos = probe.characterCount() - 1;
    const QTextBlock there = grouped.document()->findBlock(pos);
    QVERIFY(rtf::joinsParagraphs(there) || rtf::joinsParagraphs(there.previous()));
    const QString before = grouped.Text();
    const QString rtfBefore = grouped.TextRTF();
    for (RichTextBox *box : {&grouped, &split}) {
        box->editor()->setFocus();
        box->setSelStart(pos);
        QTest::keyClick(box->editor(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (!typed.isEmpty())
            QTest::keyClicks(box->editor(), typed);
        QApplication::processEvents();
    }
    QVERIFY(grouped.Text() != before);
    QCOMPARE(grouped.Text(), split.Text());
    QCOMPARE(grouped.TextRTF(), split.TextRTF());
    QCOMPARE(grouped.SelStart(), split.SelStart());
    QCOMPARE(caretRects(grouped), caretRects(split));
    // One undo: the text as it was, and its paragraphs.
    QTest::keyClick(grouped.editor(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grouped.Text(), before);
    QCOMPARE(grouped.TextRTF(), rtfBefore);
}

// A character beyond the basic plane (an emoji, from the keyboard or an
// input method) typed over a selection from a group into the block after
// it edits real paragraphs: that block's line break stays a line break.
void TestRichTextBox::aCharacterBeyondTheBasicPlaneTypedOverAGroup()
{
    RichTextBox grouped;
    RichTextBox split;
    fillTwins(grouped, split, mixedRtf());
    const QString text = grouped.Text();
    const int from = int(text.indexOf(QStringLiteral("second justified"))) + 3;
    const int to = int(text.indexOf(QStringLiteral("with a"))) + 2;
    QVERIFY(from > 3 && to > from);
    QVERIFY(rtf::joinsParagraphs(grouped.document()->findBlock(from)));
    QVERIFY(!rtf::joinsParagraphs(grouped.document()->findBlock(to)));
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    for (RichTextBox *box : {&grouped, &split}) {
        box->editor()->setFocus();
        box->setSelStart(from);
        box->setSelLength(to - from);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, emoji);
        QApplication::sendEvent(box->editor(), &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, emoji);
        QApplication::sendEvent(box->editor(), &release);
    }
    QVERIFY(grouped.Text().contains(emoji));
    QCOMPARE(grouped.Text(), split.Text());
    QCOMPARE(grouped.TextRTF(), split.TextRTF());
}

// An indent set on one paragraph of a group indents that one only.
void TestRichTextBox::indentOnOneParagraphOfAGroup()
{
    RichTextBox grouped;
    RichTextBox split;
    fillTwins(grouped, split, mixedRtf());
    for (RichTextBox *box : {&grouped, &split}) {
        select(*box, QStringLiteral("of the card\nLine 13"));
        box->setSelIndent(1500);
        select(*box, QStringLiteral("ne 30 of"));
        box->setSelIndent(450);
        QCOMPARE(box->SelIndent(), std::optional<int>(450));
    }
    QCOMPARE(grouped.TextRTF(), split.TextRTF());
    QCOMPARE(grouped.TextRTF().count(QStringLiteral("\\li1500")), 2);
    QCOMPARE(grouped.TextRTF().count(QStringLiteral("\\li450")), 1);
    QCOMPARE(caretRects(grouped), caretRects(split));
    QVERIFY(groupCount(*grouped.document()) > 0); // the rest stays grouped
}

// A size set from a paragraph's end into the next one shows as it does on
// the paragraphs (the end's size makes no line of a paragraph taller).
void TestRichTextBox::formatAcrossAParagraphEndOfAGroup()
{
    RichTextBox grouped;
    RichTextBox split;
    fillTwins(grouped, split, mixedRtf());
    for (RichTextBox *box : {&grouped, &split}) {
        select(*box, QStringLiteral("\nLine 17 of"));
        box->setSelFontSize(30);
        select(*box, QStringLiteral("Line 22 of the card\n"));
        box->setSelFontSize(6);
        QCOMPARE(box->SelFontSize(), std::optional<double>(6));
        select(*box, QStringLiteral("\nTail 3\nTail 4\n"));
        box->setSelBold(true);
    }
    QCOMPARE(grouped.TextRTF(), split.TextRTF());
    QCOMPARE(caretRects(grouped), caretRects(split));
}

// A third click selects one paragraph of a group, its end included.
void TestRichTextBox::tripleClickSelectsOneParagraphOfAGroup()
{
    // A group taller than the box: its end lies below what is shown.
    QStringList lines{QStringLiteral("first line"), QStringLiteral("second line here")};
    for (int i = 0; i < 150; ++i)
        lines << QStringLiteral("more %1").arg(i);
    RichTextBox box;
    box.setText(lines.join(QLatin1Char('\n')));
    QVERIFY(rtf::joinsParagraphs(box.document()->begin()));
    showAndPaint(box);
    QTextCursor c(box.document());
    c.setPosition(14);
    const QPoint at = box.editor()->cursorRect(c).center();
    QTest::mouseDClick(box.editor()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(box.editor()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(box.SelStart(), 11);
    QCOMPARE(box.SelLength(), 17);
    // The view stays where the paragraph was clicked.
    QCOMPARE(box.editor()->verticalScrollBar()->value(), 0);
}

// Copied from inside a group, the paragraphs go to the clipboard as
// paragraphs, not as line breaks.
void TestRichTextBox::copyFromAGroupWritesItsParagraphs()
{
    RichTextBox box;
    box.setText(QStringLiteral("one\ntwo\nthree\nfour"));
    QVERIFY(groupCount(*box.document()) > 0);
    select(box, QStringLiteral("wo\nthree\nfo"));
    box.editor()->copy();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), QStringLiteral("wo\nthree\nfo"));
    const QByteArray rtf = data->data(QStringLiteral("text/rtf"));
    QCOMPARE(rtf.count("\\par\r\n"), 2);
    QCOMPARE(rtf.count("\\line"), 0);

    // From inside a group of indented, right-aligned paragraphs: those after
    // the first keep their format, as they do copied from their own blocks.
    RichTextBox formatted;
    formatted.setTextRTF(QStringLiteral("{\\rtf1\\ansi\\pard\\li720\\qr right one\\par right two\\par right three"
                                        "\\par\\pard plain}"));
    QVERIFY(rtf::joinsParagraphs(formatted.document()->begin()));
    select(formatted, QStringLiteral("ght one\nright two\nright th"));
    formatted.editor()->copy();
    QTextDocument pasted;
    rtf::read(QApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf")), pasted);
    QCOMPARE(rtf::plainText(pasted), QStringLiteral("ght one\nright two\nright th"));
    for (QTextBlock b = pasted.begin(); b.isValid(); b = b.next()) {
        for (const QString &line : b.text().split(QChar::LineSeparator)) {
            if (!line.startsWith(QStringLiteral("right")))
                continue;
            QCOMPARE(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
            QVERIFY(b.blockFormat().leftMargin() > 0);
        }
    }
}

QTEST_MAIN(TestRichTextBox)
#include "tst_richtextbox.moc"
