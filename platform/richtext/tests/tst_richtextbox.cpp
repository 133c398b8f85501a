#include "Error.h"
#include "LongParagraphs.h"
#include "RichTextBox.h"
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
#include <QTextBlock>


using vb::RichTextBox;

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

// One word of `size` letters, with a few accented letters among them and,
// when asked, characters outside the basic plane (pictographs: these let a
// line break around them).
QString longWord(int size, bool astral = false)
{
    QString w;
    w.reserve(size);
    for (int i = 0; w.size() < size; ++i) {
        if (astral && i % 1009 == 0)
            w += QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two units
        else if (i % 211 == 0)
            w += QString::fromUtf8("e\xCC\x81"); // e and its combining accent
        else
            w += QChar(u'a' + i % 26);
    }
    w.truncate(size);
    if (w.back().isHighSurrogate())
        w.back() = u'z';
    return w;
}

// Shown, laid out as far as the window needs and painted.
void showAndPaint(RichTextBox &box)
{
    box.resize(600, 400);
    box.show();
    box.editor()->viewport()->repaint();
    QApplication::processEvents();
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

QTEST_MAIN(TestRichTextBox)
#include "tst_richtextbox.moc"
