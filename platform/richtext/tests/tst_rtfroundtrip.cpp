#include "LongParagraphs.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QHash>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

namespace {

// What the box can show of one character, as the writer must keep it.
struct Look {
    QString family;
    double points;
    bool bold, italic, underline, strike;
    QColor color; // invalid for "auto"
    bool operator==(const Look &) const = default;
};

Look lookOf(const QTextDocument &doc, const QTextCharFormat &fmt)
{
    const QFont f = fmt.font().resolve(doc.defaultFont());
    return {f.families().value(0, f.family()), f.pointSizeF(), f.bold(), f.italic(),
            f.underline(), f.strikeOut(),
            fmt.foreground().style() == Qt::NoBrush ? QColor() : fmt.foreground().color()};
}

// Every character's look, and every paragraph's indents and alignment.
QStringList describe(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        out << QStringLiteral("para %1 %2 %3 %4")
                   .arg(qRound(bf.leftMargin() * 15))
                   .arg(qRound(bf.rightMargin() * 15))
                   .arg(qRound(bf.textIndent() * 15))
                   .arg(int(bf.alignment() & Qt::AlignHorizontal_Mask));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const Look l = lookOf(doc, frag.charFormat());
            for (QChar c : frag.text()) {
                out << QStringLiteral("%1 %2 %3 %4%5%6%7 %8")
                           .arg(c)
                           .arg(l.family)
                           .arg(l.points)
                           .arg(l.bold)
                           .arg(l.italic)
                           .arg(l.underline)
                           .arg(l.strike)
                           .arg(l.color.isValid() ? l.color.name() : QStringLiteral("auto"));
            }
        }
    }
    return out;
}

QTextCharFormat fmt(const QString &family, double pt, bool b = false, bool i = false,
                    bool u = false, bool s = false, QColor color = {})
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    f.setFontPointSize(pt);
    f.setFontWeight(b ? QFont::Bold : QFont::Normal);
    f.setFontItalic(i);
    f.setFontUnderline(u);
    f.setFontStrikeOut(s);
    if (color.isValid())
        f.setForeground(color);
    return f;
}

void reread(const QByteArray &rtf, QTextDocument &into)
{
    into.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QVERIFY(rtf::read(rtf, into));
}

// Each paragraph: its text, its format but for the group mark, and the
// format of each character; a group's paragraphs each on its own.
QStringList paragraphsOf(const QTextDocument &doc)
{
    QStringList out;
    QHash<int, QString> looks; // by format index, which differs between documents
    auto lookAt = [&](const QTextFragment &frag) {
        auto it = looks.find(frag.charFormatIndex());
        if (it == looks.end()) {
            const Look l = lookOf(doc, frag.charFormat());
            it = looks.insert(frag.charFormatIndex(), QStringLiteral("<%1 %2 %3%4%5%6>")
                                                          .arg(l.family)
                                                          .arg(l.points)
                                                          .arg(l.bold)
                                                          .arg(l.italic)
                                                          .arg(l.underline)
                                                          .arg(l.strike));
        }
        return *it;
    };
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const bool joins = rtf::joinsParagraphs(b);
        QTextBlockFormat f = b.blockFormat();
        f.clearProperty(rtf::JoinsParagraphs);
        const QString head = QStringLiteral("para %1 %2 %3 %4: ")
                                 .arg(f.leftMargin())
                                 .arg(f.textIndent())
                                 .arg(int(f.alignment()))
                                 .arg(f.properties().size());
        QString line = head;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QString look = lookAt(frag);
            for (QChar c : frag.text()) {
                if (joins && c == QChar::LineSeparator) {
                    out << line;
                    line = head;
                    continue;
                }
                line += c;
                line += look;
            }
        }
        out << line;
    }
    return out;
}

} // namespace

class TestRtfRoundTrip : public QObject {
    Q_OBJECT
private slots:
    void everythingTheBoxMakesSurvives();
    void plainDocumentKeepsItsFont();
    void charactersSurvive_data();
    void charactersSurvive();
    void writerOutput();
    void breakSymbolsWrittenAsSymbols();
    void sizesRoundToHalfPoints();
    void emptyDocument();
    void shortParagraphsReadJoined_data();
    void shortParagraphsReadJoined();
};

void TestRtfRoundTrip::everythingTheBoxMakesSurvives()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("Plain "), fmt("Arial", 10));
    c.insertText(QStringLiteral("bold "), fmt("Arial", 10, true));
    c.insertText(QStringLiteral("italic "), fmt("Arial", 10, false, true));
    c.insertText(QStringLiteral("under "), fmt("Arial", 10, false, false, true));
    c.insertText(QStringLiteral("struck "), fmt("Arial", 10, false, false, false, true));
    c.insertText(QStringLiteral("all"), fmt("Times; New {Roman}", 13.5, true, true, true, true,
                                             QColor(12, 200, 34)));
    QTextBlockFormat quote;
    quote.setLeftMargin(200 / 15.0);
    quote.setRightMargin(120 / 15.0);
    quote.setTextIndent(-100 / 15.0);
    quote.setAlignment(Qt::AlignJustify);
    c.insertBlock(quote);
    c.insertText(QStringLiteral("red\tafter tab"), fmt("Courier New", 8, false, false, false,
                                                      false, Qt::red));
    c.insertText(QString(QChar::LineSeparator) + "next line", fmt("Courier New", 72));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred);
    c.insertBlock(QTextBlockFormat()); // an empty last paragraph
    c.insertText(QString(), fmt("Arial", 10));

    const QByteArray rtf = rtf::write(doc);
    QTextDocument back;
    reread(rtf, back);
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QStringList want = describe(doc);
    // The font table cannot hold a ';' in a name.
    want.replaceInStrings(QStringLiteral("Times; New"), QStringLiteral("Times New"));
    QCOMPARE(describe(back), want);
    // Writing what was read gives the same markup again.
    QCOMPARE(rtf::write(back), rtf);
}

void TestRtfRoundTrip::plainDocumentKeepsItsFont()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 11));
    doc.setPlainText(QStringLiteral("typed without any format"));
    QTextDocument back;
    reread(rtf::write(doc), back);
    const QTextCharFormat f = back.begin().begin().fragment().charFormat();
    QCOMPARE(lookOf(back, f).family, QStringLiteral("Liberation Serif"));
    QCOMPARE(lookOf(back, f).points, 11.0);
}

void TestRtfRoundTrip::charactersSurvive_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("accents") << QString::fromUtf8("café où l'on ne fume pas, Ærø, ÿ");
    QTest::newRow("1252 specials") << QString::fromUtf8("€ ‚ƒ„…†‡ˆ‰Š‹Œ Ž ‘’“”•–—˜™š›œžŸ");
    QTest::newRow("greek cyrillic cjk") << QString::fromUtf8("αβγ Привет 漢字かな 한국어");
    QTest::newRow("astral") << QString::fromUtf8("smile 😀 and 𝄞");
    QTest::newRow("rtf syntax in text") << QStringLiteral("{\\rtf1 \\par} \\u233? \\'e9");
    QTest::newRow("digits after breaks") << QString("a\t1\t-2") + QChar::LineSeparator + "3 4";
    QTest::newRow("C1 and nbsp") << QString::fromUtf8("a\u0081b\u00a0c\u00adD");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  x  ");
    QTest::newRow("paragraphs") << QStringLiteral("one\n\ntwo\n");
}

void TestRtfRoundTrip::charactersSurvive()
{
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setPlainText(text);
    const QByteArray rtf = rtf::write(doc);
    for (char ch : rtf)
        QVERIFY2(static_cast<unsigned char>(ch) < 0x80, rtf.constData());
    QTextDocument back;
    reread(rtf, back);
    QString want = text;
    want.replace(QChar::LineSeparator, QLatin1Char('\n')); // as toPlainText gives it
    want.replace(QChar::Nbsp, QLatin1Char(' '));
    QCOMPARE(back.toPlainText(), want);
    QCOMPARE(back.characterCount(), doc.characterCount());
}

void TestRtfRoundTrip::writerOutput()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    QTextCursor c(&doc);
    c.insertText(QString::fromUtf8("é€Ω😀"), fmt("Arial", 10, false, false, false, false,
                                                 QColor(255, 0, 0)));
    const QByteArray rtf = rtf::write(doc);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"));
    QVERIFY(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;}"));
    QVERIFY(rtf.contains("\\uc1"));
    QVERIFY(rtf.contains("\\cf1"));
    QVERIFY(rtf.contains("\\'e9\\'80\\u937?\\u-10179?\\u-8704?"));
    QVERIFY(rtf.trimmed().endsWith('}'));
}

void TestRtfRoundTrip::breakSymbolsWrittenAsSymbols()
{
    // Word processors write these three as control symbols and read them
    // back only so; a code-page byte or \u would turn into other characters.
    QTextDocument doc;
    doc.setPlainText(QString::fromUtf8("a\u00a0b\u00adc\u2011d\u00a0"));
    const QByteArray rtf = rtf::write(doc);
    QVERIFY2(rtf.contains("a\\~b\\-c\\_d\\~"), rtf.constData());
    QVERIFY(!rtf.contains("\\'a0"));
    QVERIFY(!rtf.contains("\\'ad"));
    QVERIFY(!rtf.contains("\\u8209"));
    QTextDocument back;
    reread(rtf, back);
    QCOMPARE(back.begin().text(), QString::fromUtf8("a\u00a0b\u00adc\u2011d\u00a0"));
}

void TestRtfRoundTrip::sizesRoundToHalfPoints()
{
    // RTF keeps sizes in half points: 8.25 pt (the old default) is written
    // as 8.5, 10.5 stays 10.5.
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a"), fmt("Arial", 8.25));
    c.insertText(QStringLiteral("b"), fmt("Arial", 10.5));
    const QByteArray rtf = rtf::write(doc);
    QVERIFY(rtf.contains("\\fs17"));
    QVERIFY(rtf.contains("\\fs21"));
    QTextDocument back;
    reread(rtf, back);
    QCOMPARE(back.begin().begin().fragment().charFormat().fontPointSize(), 8.5);
}

void TestRtfRoundTrip::emptyDocument()
{
    QTextDocument doc;
    QTextDocument back;
    back.setPlainText(QStringLiteral("old"));
    QVERIFY(rtf::read(rtf::write(doc), back));
    QCOMPARE(back.toPlainText(), QString());
    QCOMPARE(back.blockCount(), 1);
}

void TestRtfRoundTrip::shortParagraphsReadJoined_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("atMostBlocks");
    const QByteArray head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Courier;}}\\pard\\f0\\fs20 ";
    QTest::newRow("short lines") << head + QByteArray("Short.\\par\r\n").repeated(20000) + "}" << 100;
    QByteArray mixed = head;
    for (int i = 0; i < 3000; ++i) {
        switch (i % 29) {
        case 3: mixed += "with a\\line break\\par "; break;
        case 5: mixed += "\\pard\\qc centred\\par\\pard "; break;
        case 8: mixed += "{\\b bold} word\\par "; break;
        case 9: mixed += "{\\fs40 big end}\\par\\par "; break;
        case 12: mixed += "\\pard\\fi300 first-line\\par\\pard "; break;
        case 14: mixed += "\\pard\\li400\\ri200 indented\\par\\pard "; break;
        case 17: mixed += QByteArray("long ").repeated(1000) + "\\par "; break;
        case 20: mixed += "tab\\tab {\\v hidden}\\u8364?\\par "; break;
        case 23: mixed += "\\par\\par\\par "; break;
        case 26: mixed += "{\\f1 other font} and {\\i italic}\\par "; break;
        default: mixed += "plain " + QByteArray::number(i) + "\\par "; break;
        }
    }
    QTest::newRow("formats of every kind") << mixed + "}" << 3000;
    QTest::newRow("a format at each start") << head + QByteArray("{\\b B}rest\\par ").repeated(5000) + "}" << 200;
    QTest::newRow("a line break in the first") << head + "a\\line b\\par c\\par d\\par}" << 3;
    // Empty paragraphs in the first block take its own character format,
    // which is none: that block is split.
    QTest::newRow("ends in a paragraph end") << head + "a\\par b\\par\\par}" << 4;
    QTest::newRow("one long then short") << head + QByteArray(5000, 'x') + "\\par a\\par b}" << 2;
}

// Read with short paragraphs joined, a text has the same characters,
// paragraphs and formats, and writes the same RTF byte for byte, in fewer
// blocks; every group shows as its paragraphs.
void TestRtfRoundTrip::shortParagraphsReadJoined()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, atMostBlocks);
    QTextDocument separate;
    QTextDocument joined;
    for (QTextDocument *d : {&separate, &joined})
        d->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QVERIFY(rtf::read(rtf, separate));
    QVERIFY(rtf::read(rtf, joined, rtf::Blocks::ShortOnesJoined));
    QCOMPARE(joined.toPlainText(), separate.toPlainText());
    QCOMPARE(joined.characterCount(), separate.characterCount());
    QCOMPARE(paragraphsOf(joined), paragraphsOf(separate));
    QCOMPARE(rtf::write(joined), rtf::write(separate));
    QVERIFY2(joined.blockCount() <= atMostBlocks, qPrintable(QString::number(joined.blockCount())));
    for (QTextBlock b = joined.begin(); b.isValid(); b = b.next()) {
        if (!rtf::joinsParagraphs(b) || !b.text().contains(QChar::LineSeparator))
            continue;
        QVERIFY(b.length() - 1 <= rtf::kGroupLength);
        QVERIFY(rtf::showsAsItsParagraphs(b));
    }
    // What a second read makes of the first's RTF is the same again.
    QTextDocument again;
    again.setDefaultFont(joined.defaultFont());
    QVERIFY(rtf::read(rtf::write(joined), again, rtf::Blocks::ShortOnesJoined));
    QCOMPARE(rtf::write(again), rtf::write(separate));
}

QTEST_MAIN(TestRtfRoundTrip)
#include "tst_rtfroundtrip.moc"
