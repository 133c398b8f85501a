// The windowed line breaking of long paragraphs and the document layout
// built on it, against Qt laying out the same text as one paragraph.
#include "LongParagraphs.h"
#include "ParagraphFlow.h"
#include "TextFlowLayout.h"
#include "TextSamples.h"
#include "Watchdog.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using textflow::ParagraphFlow;
using textflow::TextFlowLayout;
using samples::longWord;
using samples::prose;

namespace {

// A paragraph held in one string, with formats where asked.
class TextSource : public ParagraphFlow::Source {
public:
    QString all;
    QList<QTextLayout::FormatRange> ranges;
    int length() const override { return int(all.size()); }
    QString text(int from, int to) const override { return all.mid(from, to - from); }
    QList<QTextLayout::FormatRange> formats(int from, int to) const override
    {
        QList<QTextLayout::FormatRange> out;
        for (const auto &r : ranges) {
            const int a = std::max(from, r.start);
            const int b = std::min(to, r.start + r.length);
            if (b > a) {
                QTextLayout::FormatRange c = r;
                c.start = a - from;
                c.length = b - a;
                out << c;
            }
        }
        return out;
    }
};

struct RefLine {
    int start;
    int length;
    double top;
};

// Qt laying the whole text out as one paragraph, as its document layout does.
std::vector<RefLine> reference(const TextSource &src, const ParagraphFlow::Geometry &g)
{
    QTextLayout layout(src.all, g.font);
    layout.setTextOption(g.option);
    if (!src.ranges.isEmpty())
        layout.setFormats(src.ranges);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    std::vector<RefLine> out;
    double y = 0;
    for (int i = 0;; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(i == 0 ? g.firstWidth : g.width);
        out.push_back({line.textStart(), line.textLength(), y});
        y += qCeil(line.ascent() + line.descent() + line.leading());
    }
    layout.endLayout();
    return out;
}

ParagraphFlow::Geometry geometry(qreal width, Qt::Alignment align = Qt::AlignLeft, qreal indent = 0)
{
    ParagraphFlow::Geometry g;
    g.font = QFont(QStringLiteral("DejaVu Sans"), 10);
    g.option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    g.option.setAlignment(align);
    g.x = 0;
    g.width = width;
    g.firstX = indent;
    g.firstWidth = width - indent;
    return g;
}

void compareLines(ParagraphFlow &flow, const TextSource &src, const ParagraphFlow::Geometry &g)
{
    flow.layOutAll();
    QVERIFY(flow.complete());
    const std::vector<RefLine> ref = reference(src, g);
    const std::vector<ParagraphFlow::Line> got = flow.laidOutLines();
    QCOMPARE(got.size(), ref.size());
    for (std::size_t i = 0; i < ref.size(); ++i) {
        QCOMPARE(got[i].start, ref[i].start);
        QCOMPARE(got[i].length, ref[i].length);
        QCOMPARE(got[i].top, ref[i].top);
    }
}

// Small windows: every paragraph of the tests crosses many of them.
struct SmallWindows {
    ParagraphFlow::Windows saved = ParagraphFlow::windows();
    SmallWindows()
    {
        ParagraphFlow::Windows &w = ParagraphFlow::windows();
        w.length = 300;
        w.markHeavy = 120;
        w.longest = 1200;
        w.margin = 8;
        w.reach = 3000;
        w.afterEdit = 3;
    }
    ~SmallWindows() { ParagraphFlow::windows() = saved; }
};

// Visual lines of a document through its layout, from the first position.
QList<TextFlowLayout::Line> shownLines(const QTextDocument &doc)
{
    auto *layout = qobject_cast<TextFlowLayout *>(doc.documentLayout());
    QList<TextFlowLayout::Line> out;
    for (TextFlowLayout::Line l = layout->lineAt(0); l.valid(); l = layout->lineBelow(l))
        out << l;
    return out;
}

} // namespace

class TestTextFlow : public QObject {
    Q_OBJECT
private slots:
    void windowsGiveTheLinesOfTheWholeParagraph_data();
    void windowsGiveTheLinesOfTheWholeParagraph();
    void editsLayOutAgainUntilLinesMeet_data();
    void editsLayOutAgainUntilLinesMeet();
    void aFarPlaceIsLaidOutWithoutTheStart();
    void combiningMarksOnOneLetter();
    void linesStayOnTheirPage();
    void piecesShowAsOneParagraph();
    void editsGiveTheLinesOfAFreshLayout();
    void printedPagesMatchQtsLayoutOfTheWholeParagraph();
    void manyShortParagraphsAreLaidOutWhereShown();
};

void TestTextFlow::windowsGiveTheLinesOfTheWholeParagraph_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("align");
    QTest::addColumn<qreal>("indent");
    QTest::addColumn<bool>("formatted");
    QTest::newRow("prose") << prose(14406) << int(Qt::AlignLeft) << qreal(0) << false;
    QTest::newRow("justified, first line indented") << prose(14406) << int(Qt::AlignJustify) << qreal(48) << false;
    QTest::newRow("one long word") << longWord(9000, true) << int(Qt::AlignLeft) << qreal(0) << false;
    QTest::newRow("long words among short ones")
        << prose(3000) + longWord(2500, true) + QStringLiteral(" ") + prose(3000, 9) + longWord(700, true)
        << int(Qt::AlignJustify) << qreal(30) << false;
    QTest::newRow("centred, formatted") << prose(8000, 3) << int(Qt::AlignHCenter) << qreal(0) << true;
    QTest::newRow("right to left") << QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D ").repeated(1200)
                                   << int(Qt::AlignLeft) << qreal(20) << false;
    QTest::newRow("ideographs") << QString::fromUtf8("\xE6\xBC\xA2\xE5\xAD\x97\xE3\x81\xA8\xE4\xBB\xAE\xE5\x90\x8D").repeated(900)
                                << int(Qt::AlignJustify) << qreal(0) << false;
    QTest::newRow("tabs and runs of spaces") << QStringLiteral("a\tbb  \t   ccc    dddd ").repeated(600)
                                             << int(Qt::AlignLeft) << qreal(0) << false;
}

void TestTextFlow::windowsGiveTheLinesOfTheWholeParagraph()
{
    QFETCH(QString, text);
    QFETCH(int, align);
    QFETCH(qreal, indent);
    QFETCH(bool, formatted);
    TextSource src;
    src.all = text;
    if (formatted) {
        for (int at = 0; at < text.size(); at += 37) {
            QTextLayout::FormatRange r;
            r.start = at;
            r.length = std::min<int>(11, int(text.size()) - at);
            r.format.setFontWeight(QFont::Bold);
            r.format.setFontPointSize(at % 3 == 0 ? 14 : 10);
            src.ranges << r;
        }
    }
    const ParagraphFlow::Geometry g = geometry(317, Qt::Alignment(align), indent);
    {
        SmallWindows small;
        ParagraphFlow flow(src);
        flow.reset(g);
        compareLines(flow, src, g);
    }
    ParagraphFlow flow(src);
    flow.reset(g);
    compareLines(flow, src, g);
}

void TestTextFlow::editsLayOutAgainUntilLinesMeet_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("prose") << prose(6000);
    QTest::newRow("one long word") << longWord(6000, true);
    QTest::newRow("words and long words") << prose(2000) + longWord(1500, true) + QStringLiteral(" ") + prose(2000, 5);
}

// Typing, deleting and pasting anywhere: the lines stay those of the text
// laid out whole, wherever the edit falls among the windows.
void TestTextFlow::editsLayOutAgainUntilLinesMeet()
{
    QFETCH(QString, text);
    SmallWindows small;
    TextSource src;
    src.all = text;
    const ParagraphFlow::Geometry g = geometry(260, Qt::AlignJustify, 24);
    ParagraphFlow flow(src);
    flow.reset(g);
    QRandomGenerator rng(11);
    for (int round = 0; round < 60; ++round) {
        // Lay out part of it first: edits meet laid-out lines, runs of their
        // own and text not laid out at all.
        const int len = int(src.all.size());
        flow.ensureOffset(int(rng.bounded(len + 1)));
        flow.ensureOffset(int(rng.bounded(len + 1)));
        const int at = int(rng.bounded(len + 1));
        const int removed = rng.bounded(4) == 0 ? int(rng.bounded(std::min(400, len - at) + 1)) : 0;
        const QString added = rng.bounded(3) == 0 ? QString()
                              : rng.bounded(2) == 0 ? QStringLiteral("x")
                                                    : prose(int(rng.bounded(1, 300)), rng.generate());
        src.all.replace(at, removed, added);
        flow.textChanged(at, removed, int(added.size()));
        if (round % 6 == 5) {
            compareLines(flow, src, g);
            if (QTest::currentTestFailed()) {
                qWarning("after edit %d at %d (-%d +%d)", round, at, removed, int(added.size()));
                return;
            }
        }
    }
    compareLines(flow, src, g);
}

void TestTextFlow::aFarPlaceIsLaidOutWithoutTheStart()
{
    TextSource src;
    src.all = prose(2 * 1024 * 1024);
    const ParagraphFlow::Geometry g = geometry(400);
    ParagraphFlow flow(src);
    flow.reset(g);
    const int end = int(src.all.size());
    const ParagraphFlow::Ref last = flow.lineAt(end);
    QVERIFY(last.valid());
    QVERIFY(flow.isLast(last));
    // A few windows near the end, not the two megabytes before them.
    const auto laid = flow.laidOutLines();
    QVERIFY2(laid.size() < 400, qPrintable(QString::number(laid.size())));
    QVERIFY(!flow.complete());
    // Whole lines of the text: each begins after a space.
    for (const auto &l : laid)
        QVERIFY(src.all.at(l.start - 1).isSpace());
    // The height is an estimate until laid out, and the place asked for
    // lies at its end.
    QVERIFY(last.top > flow.height() / 2);

    // Laid out from the start, it becomes the paragraph's own lines.
    src.all.truncate(200000);
    flow.textChanged(200000, end - 200000, 0);
    compareLines(flow, src, g);
}

void TestTextFlow::combiningMarksOnOneLetter()
{
    TextSource src;
    src.all = QStringLiteral("a") + QString(1000000, QChar(0x0301));
    ParagraphFlow flow(src);
    flow.reset(geometry(300));
    Watchdog dog("a million marks", 120);
    flow.ensureRange(0, 400);
    const auto laid = flow.laidOutLines();
    QVERIFY(!laid.empty());
    QVERIFY(laid.size() < 100);
    // Cut where no line would otherwise end, every line short.
    for (const auto &l : laid)
        QVERIFY(l.length <= ParagraphFlow::windows().markHeavy);
    const ParagraphFlow::Ref end = flow.lineAt(int(src.all.size()));
    QVERIFY(end.valid());
}

void TestTextFlow::linesStayOnTheirPage()
{
    // A line that would cross a page's foot begins the next page, below its
    // top margin; one taller than a page's text area stays where it is.
    QCOMPARE(ParagraphFlow::pagedTop(100, 20, 1000, 50, 50), 100.0);
    QCOMPARE(ParagraphFlow::pagedTop(930, 20, 1000, 50, 50), 930.0);
    QCOMPARE(ParagraphFlow::pagedTop(931, 20, 1000, 50, 50), 1050.0);
    QCOMPARE(ParagraphFlow::pagedTop(960, 20, 1000, 50, 50), 1050.0); // in the foot margin
    QCOMPARE(ParagraphFlow::pagedTop(1931, 20, 1000, 50, 50), 2050.0);
    QCOMPARE(ParagraphFlow::pagedTop(931, 950, 1000, 50, 50), 931.0);

    SmallWindows small;
    TextSource src;
    src.all = prose(9000);
    ParagraphFlow::Geometry g = geometry(300);
    g.pageHeight = 400;
    g.pageTopMargin = 30;
    g.pageBottomMargin = 40;
    g.pageTop = 200;
    ParagraphFlow flow(src);
    flow.reset(g);
    flow.layOutAll();
    const auto lines = flow.laidOutLines();
    int pages = 0;
    for (const auto &l : lines) {
        const double y = g.pageTop + l.top;
        const double page = std::floor(y / g.pageHeight);
        QVERIFY(y + l.advance <= (page + 1) * g.pageHeight - g.pageBottomMargin);
        QVERIFY(y >= page * g.pageHeight + g.pageTopMargin || page == 0);
        pages = std::max(pages, int(page) + 1);
    }
    QVERIFY(pages > 3);
}

// The document layout of a paragraph held as pieces shows the lines of the
// paragraph: no break where the pieces meet, the first line indented once,
// justified lines as wide as the line but the last.
void TestTextFlow::piecesShowAsOneParagraph()
{
    const QString text = prose(14406);
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    doc.setDocumentLayout(new TextFlowLayout(&doc));
    QTextCursor c(&doc);
    QTextBlockFormat f;
    f.setAlignment(Qt::AlignJustify);
    f.setTextIndent(48);
    c.setBlockFormat(f);
    c.insertText(text);
    c.insertBlock();
    c.insertText(QStringLiteral("after"));
    QVERIFY(rtf::cutLongParagraphs(doc) > 5);
    doc.setPageSize(QSizeF(420, -1));

    const QList<TextFlowLayout::Line> lines = shownLines(doc);
    ParagraphFlow::Geometry g = geometry(420 - 2 * doc.documentMargin(), Qt::AlignJustify, 48);
    g.font = doc.defaultFont();
    TextSource src;
    src.all = text;
    const std::vector<RefLine> ref = reference(src, g);
    QCOMPARE(lines.size(), qsizetype(ref.size()) + 1);
    const rtf::PieceBreaks pieces(doc);
    for (std::size_t i = 0; i < ref.size(); ++i) {
        const TextFlowLayout::Line &l = lines[qsizetype(i)];
        QCOMPARE(pieces.toText(l.start), ref[i].start);
        QCOMPARE(pieces.toText(l.end) - pieces.toText(l.start), ref[i].length);
        QCOMPARE(l.rect.top(), doc.documentMargin() + ref[i].top);
        QCOMPARE(l.rect.left(), doc.documentMargin() + (i == 0 ? 48 : 0));
        QCOMPARE(l.lastOfParagraph, i + 1 == ref.size());
    }
    // Justified: the last letter of every line but the last ends at the
    // right edge; the caret there is where Qt's cursor code puts it.
    auto *layout = qobject_cast<TextFlowLayout *>(doc.documentLayout());
    const qreal right = 420 - doc.documentMargin();
    for (qsizetype i = 0; i + 2 < lines.size(); ++i) {
        int end = lines[i].end;
        while (doc.characterAt(end - 1).isSpace() || doc.characterAt(end - 1) == QChar::ParagraphSeparator)
            --end;
        QVERIFY2(std::abs(layout->caretRect(end).left() - right) < 1.5,
                 qPrintable(QStringLiteral("line %1 ends at %2").arg(i).arg(layout->caretRect(end).left())));
    }
    const int lastEnd = lines[lines.size() - 2].end;
    QVERIFY(layout->caretRect(lastEnd).left() < right - 20);

    // Painted: ink on every line, none past the right margin.
    QImage image(420, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, 0, 420, 300);
        layout->draw(&p, ctx);
    }
    for (qsizetype i = 0; i < lines.size() && lines[i].rect.bottom() < 300; ++i) {
        const int y = int(lines[i].rect.center().y());
        bool ink = false;
        for (int x = 0; x < 420 && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 128;
        QVERIFY2(ink, qPrintable(QStringLiteral("line %1 is blank").arg(i)));
    }
}

// Typing, deleting across pieces, new paragraphs and undoing them, with
// lines laid out here and there before: the lines are those a layout made
// afresh for the edited document gives.
void TestTextFlow::editsGiveTheLinesOfAFreshLayout()
{
    SmallWindows small;
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    doc.setDocumentLayout(new TextFlowLayout(&doc));
    QTextCursor c(&doc);
    QTextBlockFormat f;
    f.setAlignment(Qt::AlignJustify);
    f.setTextIndent(30);
    c.setBlockFormat(f);
    c.insertText(prose(9000, 3));
    c.insertBlock();
    c.insertText(QStringLiteral("short"));
    c.insertBlock();
    c.insertText(longWord(7000, true));
    QVERIFY(rtf::cutLongParagraphs(doc) > 10);
    doc.setPageSize(QSizeF(380, -1));
    auto *layout = qobject_cast<TextFlowLayout *>(doc.documentLayout());
    QRandomGenerator rng(5);
    for (int round = 0; round < 80; ++round) {
        const int length = doc.characterCount() - 1;
        layout->lineAt(int(rng.bounded(length + 1)));
        QTextCursor e(&doc);
        e.setPosition(int(rng.bounded(length + 1)));
        switch (rng.bounded(6)) {
        case 0:
        case 1:
            e.insertText(rng.bounded(2) ? QStringLiteral("x") : prose(int(rng.bounded(1, 200)), rng.generate()));
            break;
        case 2:
            e.setPosition(std::min(length, e.position() + int(rng.bounded(600))), QTextCursor::KeepAnchor);
            e.removeSelectedText();
            break;
        case 3:
            e.deletePreviousChar();
            break;
        case 4: {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            e.setPosition(std::min(length, e.position() + int(rng.bounded(50))), QTextCursor::KeepAnchor);
            e.mergeCharFormat(bold);
            break;
        }
        default:
            if (rng.bounded(3) == 0)
                e.insertBlock();
            else
                doc.undo();
            break;
        }
        if (round % 8 != 7)
            continue;
        std::unique_ptr<QTextDocument> fresh(doc.clone());
        fresh->setDocumentLayout(new TextFlowLayout(fresh.get()));
        fresh->setPageSize(doc.pageSize());
        const QList<TextFlowLayout::Line> want = shownLines(*fresh);
        const QList<TextFlowLayout::Line> got = shownLines(doc);
        QCOMPARE(got.size(), want.size());
        for (qsizetype i = 0; i < want.size(); ++i) {
            QCOMPARE(got[i].start, want[i].start);
            QCOMPARE(got[i].end, want[i].end);
            QCOMPARE(got[i].rect, want[i].rect);
        }
    }
}

// Printed, a paragraph held as pieces takes the lines and pages Qt's own
// layout gives the same paragraph held whole.
void TestTextFlow::printedPagesMatchQtsLayoutOfTheWholeParagraph()
{
    const QString text = prose(30000, 21);
    auto fill = [&](QTextDocument &doc) {
        doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        QTextCursor c(&doc);
        QTextBlockFormat f;
        f.setAlignment(Qt::AlignJustify);
        f.setTextIndent(48);
        f.setLeftMargin(20);
        c.setBlockFormat(f);
        c.insertText(text);
        c.insertBlock();
        c.insertText(prose(900, 4));
        QTextFrameFormat frame = doc.rootFrame()->frameFormat();
        frame.setMargin(76);
        doc.rootFrame()->setFrameFormat(frame);
    };
    QImage device(10, 10, QImage::Format_RGB32);
    device.setDotsPerMeterX(int(300 / 0.0254));
    device.setDotsPerMeterY(int(300 / 0.0254));
    const QSizeF page(2480, 3508);

    QTextDocument whole;
    fill(whole);
    whole.documentLayout()->setPaintDevice(&device);
    whole.setPageSize(page);

    QTextDocument pieces;
    fill(pieces);
    QVERIFY(rtf::cutLongParagraphs(pieces) > 10);
    pieces.setDocumentLayout(new TextFlowLayout(&pieces));
    pieces.documentLayout()->setPaintDevice(&device);
    pieces.setPageSize(page);

    QCOMPARE(pieces.pageCount(), whole.pageCount());
    QVERIFY(whole.pageCount() > 2);
    const QList<TextFlowLayout::Line> lines = shownLines(pieces);
    QList<QRectF> qt;
    QList<int> qtStarts;
    for (QTextBlock b = whole.begin(); b.isValid(); b = b.next()) {
        const QRectF br = whole.documentLayout()->blockBoundingRect(b);
        for (int i = 0; i < b.layout()->lineCount(); ++i) {
            const QTextLine l = b.layout()->lineAt(i);
            qt << QRectF(br.left() + l.x(), br.top() + l.y(), l.width(), l.height());
            qtStarts << b.position() + l.textStart();
        }
    }
    QCOMPARE(lines.size(), qt.size());
    const rtf::PieceBreaks breaks(pieces);
    for (qsizetype i = 0; i < qt.size(); ++i) {
        QCOMPARE(breaks.toText(lines[i].start), qtStarts[i]);
        QCOMPARE(lines[i].rect.top(), qt[i].top());
        QCOMPARE(lines[i].rect.left(), qt[i].left());
    }
}

// Only what is shown is laid out; the rest has an estimated height.
void TestTextFlow::manyShortParagraphsAreLaidOutWhereShown()
{
    QTextDocument doc;
    doc.setDocumentLayout(new TextFlowLayout(&doc));
    doc.setPlainText(QStringLiteral("Short.\n").repeated(200000));
    Watchdog dog("short paragraphs", 120);
    doc.setPageSize(QSizeF(400, -1));
    const QSizeF size = doc.documentLayout()->documentSize();
    QVERIFY(size.height() > 200000 * 10);
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter p(&image);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = QRectF(0, size.height() / 2, 400, 300);
    p.translate(0, -ctx.clip.top());
    doc.documentLayout()->draw(&p, ctx);
    int laidOut = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        laidOut += b.layout()->lineCount() > 0;
    QVERIFY(laidOut > 5);
    QVERIFY2(laidOut < 200, qPrintable(QString::number(laidOut)));
    // A place far down is found, and typing there changes one paragraph.
    const int hit = doc.documentLayout()->hitTest(QPointF(10, size.height() / 2 + 5), Qt::FuzzyHit);
    QVERIFY(hit > doc.characterCount() / 3);
    QTextCursor c(&doc);
    c.setPosition(hit);
    c.insertText(QStringLiteral("typed "));
    QVERIFY(doc.findBlock(hit).text().startsWith(QStringLiteral("typed")) || doc.findBlock(hit).text().contains(QStringLiteral("typed")));
}

QTEST_MAIN(TestTextFlow)
#include "tst_textflow.moc"
