#include "RtfReader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

namespace {

QString textOf(const QByteArray &rtf)
{
    QTextDocument doc;
    if (!rtf::read(rtf, doc))
        return QStringLiteral("<not rtf>");
    // Unlike toPlainText, keeps no-break spaces as they are.
    QString text = doc.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// The format of the character at pos.
QTextCharFormat formatAt(const QTextDocument &doc, int pos)
{
    const QTextBlock b = doc.findBlock(pos);
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.position() <= pos && pos < f.position() + f.length())
            return f.charFormat();
    }
    return {};
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
    void characterFormats();
    void paragraphFormats();
    void notRtfLeavesDocument();
    void damagedInput_data();
    void damagedInput();
    void deepNestingIsBounded();
};

void TestRtfReader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << QByteArray("{\\rtf1 Hello world}") << "Hello world";
    QTest::newRow("leading blanks") << QByteArray("\r\n {\\rtf1 x}") << "x";
    QTest::newRow("escapes") << QByteArray("{\\rtf1 a\\\\b\\{c\\}}") << "a\\b{c}";
    QTest::newRow("delimiter space eaten") << QByteArray("{\\rtf1\\b  bold}") << " bold";
    QTest::newRow("paragraphs") << QByteArray("{\\rtf1 one\\par two\\par\r\n}") << "one\ntwo\n";
    QTest::newRow("cr lf ignored") << QByteArray("{\\rtf1 a\r\nb}") << "ab";
    QTest::newRow("backslash newline is a paragraph") << QByteArray("{\\rtf1 a\\\nb}") << "a\nb";
    QTest::newRow("line and tab") << QByteArray("{\\rtf1 a\\line b\\tab c\td}")
                                  << "a\nb\tc\td";
    QTest::newRow("page and sect break paragraphs")
        << QByteArray("{\\rtf1 a\\page b\\sect c}") << "a\nb\nc";
    QTest::newRow("symbols") << QByteArray("{\\rtf1 \\lquote\\rquote\\ldblquote\\rdblquote"
                                           "\\bullet\\endash\\emdash}")
                             << QString::fromUtf8("‘’“”•–—");
    QTest::newRow("nbsp, soft hyphen, hard hyphen")
        << QByteArray("{\\rtf1 a\\~b\\-c\\_d}") << QString::fromUtf8("a\u00a0b\u00adc\u2011d");
    QTest::newRow("unknown words ignored")
        << QByteArray("{\\rtf1\\foo12\\barbaz x\\qwerty-5 y}") << "xy";
    QTest::newRow("minus not followed by digit is text") << QByteArray("{\\rtf1\\b- x}")
                                                         << "- x";
    QTest::newRow("param of 12 digits") << QByteArray("{\\rtf1\\fs999999999999 x}") << "x";

    // \uN and its fallback
    QTest::newRow("u skips one fallback") << QByteArray("{\\rtf1 \\u8364?x}")
                                          << QString::fromUtf8("€x");
    QTest::newRow("u skips a hex fallback") << QByteArray("{\\rtf1 \\u233\\'e9x}")
                                            << QString::fromUtf8("éx");
    QTest::newRow("uc0") << QByteArray("{\\rtf1\\uc0 \\u233 x}") << QString::fromUtf8("éx");
    QTest::newRow("uc2") << QByteArray("{\\rtf1{\\uc2\\u228\\'E8a}b}")
                         << QString::fromUtf8("äb");
    QTest::newRow("negative u") << QByteArray("{\\rtf1 \\u-3913?}") << QString(QChar(0xF0B7));
    QTest::newRow("fallback ends at group end") << QByteArray("{\\rtf1{\\uc3\\u233}xyz}")
                                                << QString::fromUtf8("éxyz");
    QTest::newRow("uc scoped to group") << QByteArray("{\\rtf1{\\uc0}\\u233 ab}")
                                        << QString::fromUtf8("éb");
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}")
                                    << QString::fromUtf8("😀");
    QTest::newRow("lone surrogates replaced")
        << QByteArray("{\\rtf1\\uc0 a\\u-10240 b\\u-9216 c}") << QString::fromUtf8("a�b�c");

    // Code pages
    QTest::newRow("1252 high bytes") << QByteArray("{\\rtf1\\ansi\\ansicpg1252 \\'80\\'e9\\'93}")
                                     << QString::fromUtf8("€é“");
    QTest::newRow("raw high byte") << QByteArray("{\\rtf1\\ansi caf\xe9}")
                                   << QString::fromUtf8("café");
    QTest::newRow("ansicpg1250") << QByteArray("{\\rtf1\\ansi\\ansicpg1250 za\\'bf\\'f3\\'b3}")
                                 << QString::fromUtf8("zażół");
    QTest::newRow("font charset over ansicpg")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 "
                      "Arial;}}{\\f1 \\'cf\\'f0\\'e8}\\'e9}")
        << QString::fromUtf8("Приé");
    QTest::newRow("double-byte with plain trail byte")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}\\f0 \\'83e\\'82\\'a0}")
        << QString::fromUtf8("テあ");

    // Groups whose text is not the document's
    QTest::newRow("tables and info")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
                      "{\\*\\generator W;}x}")
        << "x";
    QTest::newRow("header footer footnote")
        << QByteArray("{\\rtf1{\\header H}{\\footer F}a{\\footnote\\pard N}b}") << "ab";
    QTest::newRow("picture hex") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47}b}") << "ab";
    QTest::newRow("nested optional destinations")
        << QByteArray("{\\rtf1 a{\\*\\x{\\y t}{\\*\\z u}}b}") << "ab";
    QTest::newRow("object") << QByteArray("{\\rtf1 a{\\object{\\*\\objdata 0102}{\\result r}}b}")
                            << "ab";
    QTest::newRow("bin with braces in data")
        << QByteArray("{\\rtf1 a{\\pict\\bin4 }{\\}b}c}") << "ac";
    QTest::newRow("bin in text") << QByteArray("{\\rtf1 a\\bin3 xyzb}") << "ab";
    QTest::newRow("field result only")
        << QByteArray("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}"
                      "{\\fldrslt link}} now}")
        << "see link now";
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}") << "abd";
    QTest::newRow("list text kept") << QByteArray("{\\rtf1{\\pntext 1.\\tab}item}")
                                    << "1.\titem";
    QTest::newRow("table flattened")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row"
                      "\\trowd\\intbl c\\cell\\cell d\\cell\\row end}")
        << "a\tb\nc\t\td\nend";
    QTest::newRow("text after the document ignored") << QByteArray("{\\rtf1 a}b{c}") << "a";
}

void TestRtfReader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf), expected);
    // The same markup kept in a string reads the same when it is 7-bit.
    bool ascii = true;
    for (char c : rtf)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        QTextDocument doc;
        QVERIFY(rtf::read(QString::fromLatin1(rtf), doc));
        QCOMPARE(doc.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'))
                     .replace(QChar::LineSeparator, QLatin1Char('\n')),
                 expected);
    }
}

void TestRtfReader::characterFormats()
{
    QTextDocument doc;
    QVERIFY(rtf::read(QByteArray("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman Times New Roman;}"
                                 "{\\f1\\fswiss\\fcharset0 Arial;}}"
                                 "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                                 "a{\\b b{\\i c}}\\ul d\\ulnone\\uldb e\\ul0 "
                                 "\\strike f\\strike0\\f0\\fs17\\cf2 g\\plain h\\cf9 i}"),
                      doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("abcdefghi"));
    auto at = [&](QChar ch) { return formatAt(doc, doc.toPlainText().indexOf(ch)); };

    QCOMPARE(at('a').fontFamilies().toStringList(), QStringList{"Arial"}); // \deff1
    QCOMPARE(at('a').fontPointSize(), 12.0);                                // default \fs24
    QCOMPARE(at('a').fontWeight(), int(QFont::Normal));
    QCOMPARE(at('b').fontWeight(), int(QFont::Bold));
    QVERIFY(!at('b').fontItalic());
    QVERIFY(at('c').fontItalic());
    QCOMPARE(at('d').fontWeight(), int(QFont::Normal)); // the group restored it
    QVERIFY(at('d').fontUnderline());
    QVERIFY(at('e').fontUnderline());
    QVERIFY(!at('f').fontUnderline());
    QVERIFY(at('f').fontStrikeOut());
    QVERIFY(!at('g').fontStrikeOut());
    QCOMPARE(at('g').fontFamilies().toStringList(), QStringList{"Times New Roman"});
    QCOMPARE(at('g').fontPointSize(), 8.5);
    QCOMPARE(at('g').foreground().color(), QColor(0, 0, 255));
    QCOMPARE(at('f').foreground().style(), Qt::NoBrush); // \cf0 is auto
    QCOMPARE(at('h').fontPointSize(), 12.0);            // \plain resets
    QCOMPARE(at('h').foreground().style(), Qt::NoBrush);
    QCOMPARE(at('i').foreground().style(), Qt::NoBrush); // past the colour table
}

void TestRtfReader::paragraphFormats()
{
    QTextDocument doc;
    QVERIFY(rtf::read(QByteArray("{\\rtf1\\pard\\li200\\ri300\\fi-150\\qc a\\par "
                                 "b\\par\\pard\\qj c\\par\\pard\\li99999999 d}"),
                      doc));
    const QTextBlock a = doc.begin(), b = a.next(), c = b.next(), d = c.next();
    QCOMPARE(a.blockFormat().leftMargin() * 15, 200.0);
    QCOMPARE(a.blockFormat().rightMargin() * 15, 300.0);
    QCOMPARE(a.blockFormat().textIndent() * 15, -150.0);
    QCOMPARE(a.blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(b.blockFormat().leftMargin() * 15, 200.0); // kept until \pard
    QCOMPARE(c.blockFormat().leftMargin(), 0.0);
    QCOMPARE(c.blockFormat().alignment(), Qt::AlignJustify);
    QCOMPARE(d.blockFormat().leftMargin() * 15, 31680.0); // clamped
}

void TestRtfReader::notRtfLeavesDocument()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("before"));
    for (const QByteArray &data : {QByteArray(), QByteArray("plain text"), QByteArray("{\\rt"),
                                   QByteArray("{\\RTF1 x}"), QByteArray("<html>{\\rtf1}")}) {
        QVERIFY(!rtf::looksLikeRtf(data));
        QVERIFY(!rtf::read(data, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("before"));
    }
}

void TestRtfReader::damagedInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no closing brace") << QByteArray("{\\rtf1 abc{\\b def") << "abcdef";
    QTest::newRow("extra closing brace ends it") << QByteArray("{\\rtf1 a}}b") << "a";
    QTest::newRow("ends in backslash") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("ends in hex escape") << QByteArray("{\\rtf1 a\\'e") << "a";
    QTest::newRow("ends in hex escape 2") << QByteArray("{\\rtf1 a\\'") << "a";
    QTest::newRow("bad hex") << QByteArray("{\\rtf1 a\\'zzb}") << "azzb";
    QTest::newRow("ends in u") << QByteArray("{\\rtf1 a\\u") << "a";
    QTest::newRow("ends in u param") << QByteArray("{\\rtf1 a\\u-") << "a";
    QTest::newRow("ends after lead byte")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset128 G;}}\\f0 a\\'83") << "a";
    QTest::newRow("huge u") << QByteArray("{\\rtf1 \\u99999999 x}") << QString::fromUtf8("�");
    QTest::newRow("huge bin") << QByteArray("{\\rtf1 a\\bin999999999999 bcd}") << "a";
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab";
    QTest::newRow("huge uc") << QByteArray("{\\rtf1\\uc2000000000 \\u233 abcdefghijklmnopqrs}")
                             << QString::fromUtf8("éqrs");
    QTest::newRow("negative fs and font")
        << QByteArray("{\\rtf1{\\fonttbl{\\f-3 X;}}\\fs-40\\f-3\\cf-2 a}") << "a";
    QTest::newRow("control characters and NUL")
        << QByteArray("{\\rtf1 a\x01\x02\x00\x1f" "b}", 14) << "ab";
    QTest::newRow("very long control word")
        << QByteArray("{\\rtf1 a\\" + QByteArray(100, 'p') + "ar b}") << "ab";
    QTest::newRow("u of a paragraph separator")
        << QByteArray("{\\rtf1 a\\u8233?\\u10?\\u65532?b}") << "ab";
}

void TestRtfReader::damagedInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf), expected);
}

void TestRtfReader::deepNestingIsBounded()
{
    // Far past any real file: must neither overflow a stack nor lose the
    // text around the part that is too deep.
    const int depth = 200000;
    QByteArray rtf = "{\\rtf1 a";
    rtf += QByteArray(depth, '{') + "deep" + QByteArray(depth, '}') + "b}";
    QCOMPARE(textOf(rtf), QStringLiteral("ab"));

    QByteArray shallow = "{\\rtf1 a";
    shallow += QByteArray(100, '{') + "x" + QByteArray(100, '}') + "b}";
    QCOMPARE(textOf(shallow), QStringLiteral("axb"));

    QByteArray unclosed = "{\\rtf1 a" + QByteArray(depth, '{') + "b";
    QCOMPARE(textOf(unclosed), QStringLiteral("a"));
}

QTEST_GUILESS_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
