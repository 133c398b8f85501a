#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
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

QTEST_MAIN(TestRtfRoundTrip)
#include "tst_rtfroundtrip.moc"
