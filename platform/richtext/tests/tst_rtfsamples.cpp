// Files written by word processors (from other projects' test suites), read
// where they lie; the pandoc ones come with that project's reading of them.
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

QString dataDir()
{
    return QStringLiteral(CORVANE_RTF_TESTDATA);
}

QByteArray load(const QString &name)
{
    QFile f(dataDir() + QLatin1Char('/') + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString readText(const QByteArray &data)
{
    QTextDocument doc;
    return rtf::read(data, doc) ? doc.toPlainText() : QStringLiteral("<not rtf>");
}

// The Str words of a pandoc native file's body, in order, leaving out the
// contents of notes and image captions (our reader drops footnotes and
// pictures).
QStringList nativeWords(const QByteArray &native)
{
    static const QRegularExpression str(QStringLiteral("Str \"((?:[^\"\\\\]|\\\\.)*)\""));
    QStringList words;
    int skipIndent = -1;
    bool inBody = false;
    for (const QByteArray &rawLine : native.split('\n')) {
        const QString line = QString::fromUtf8(rawLine);
        const int indent = static_cast<int>(line.size() - QStringView(line).trimmed().size());
        const QString trimmed = line.trimmed();
        if (!inBody) {
            inBody = indent == 2 && trimmed.startsWith(QLatin1Char('['));
            if (!inBody)
                continue;
        }
        if (skipIndent >= 0) {
            if (indent > skipIndent)
                continue;
            skipIndent = -1;
        }
        if (trimmed.contains(QLatin1String("Note")) || trimmed.contains(QLatin1String("Image"))) {
            skipIndent = indent;
            continue;
        }
        for (auto m = str.globalMatch(line); m.hasNext();) {
            const QString escaped = m.next().captured(1);
            QString word;
            for (int i = 0; i < escaped.size(); ++i) {
                if (escaped[i] != QLatin1Char('\\') || i + 1 == escaped.size()) {
                    word += escaped[i];
                    continue;
                }
                ++i;
                if (escaped[i].isDigit()) {
                    uint code = 0;
                    while (i < escaped.size() && escaped[i].isDigit())
                        code = code * 10 + escaped[i++].digitValue();
                    --i;
                    word += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
                } else if (escaped[i] != QLatin1Char('&')) {
                    word += escaped[i];
                }
            }
            words << word;
        }
    }
    return words;
}

bool surrogatesPaired(const QString &s)
{
    for (int i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            return false;
    }
    return true;
}

} // namespace

class TestRtfSamples : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pandocWordsInOrder_data();
    void pandocWordsInOrder();
    void knownTexts_data();
    void knownTexts();
    void formatsOfFormattingFile();
    void everyFileReadsAndSurvivesOurWriter_data();
    void everyFileReadsAndSurvivesOurWriter();
};

void TestRtfSamples::initTestCase()
{
    QVERIFY2(QFile::exists(dataDir() + QStringLiteral("/SOURCES.md")), qPrintable(dataDir()));
}

void TestRtfSamples::pandocWordsInOrder_data()
{
    QTest::addColumn<QString>("name");
    const QStringList natives = QDir(dataDir()).entryList({QStringLiteral("pandoc-*.native")});
    for (const QString &n : natives)
        QTest::newRow(qPrintable(n)) << n.chopped(7);
}

void TestRtfSamples::pandocWordsInOrder()
{
    QFETCH(QString, name);
    const QString text = readText(load(name + QStringLiteral(".rtf")));
    const QStringList words = nativeWords(load(name + QStringLiteral(".native")));
    if (words.isEmpty()) // a picture alone: no text at all
        QVERIFY(text.trimmed().isEmpty());
    qsizetype at = 0;
    for (const QString &w : words) {
        // \caps and \scaps are a look, not other letters.
        const qsizetype found = text.indexOf(w, at, Qt::CaseInsensitive);
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("'%1' missing after offset %2 of: %3")
                                            .arg(w).arg(at).arg(text.left(400))));
        at = found + w.size();
    }
}

void TestRtfSamples::knownTexts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("accent") << "pandoc-accent.rtf"
                            << QString::fromUtf8("le café où on ne fume pas");
    QTest::newRow("unicode, uc and hex fallbacks")
        << "pandoc-unicode.rtf" << QString::fromUtf8("“hi”‘hi’\uf0b7αä");
    QTest::newRow("hidden text") << "pandoc-formatting.rtf"
                                 << QStringLiteral("This is a test of formatting. This is hidden: .");
    QTest::newRow("1250 with charset 238") << "tika-testRTFWindowsCodepage1250.rtf"
                                           << QString::fromUtf8("zażółć gęślą jaźń\n"
                                                                "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
    QTest::newRow("1251 font after buffered text")
        << "tika-testFontAfterBufferedText.rtf" << QString::fromUtf8("Уважаемый клиент!");
    QTest::newRow("hex inside a word") << "tika-testRTFHexEscapeInsideWord.rtf"
                                       << QString::fromUtf8("GOVERNO DO ESTADO DO ESPÍRITO SANTO");
    QTest::newRow("umlaut after control words") << "tika-testRTFUmlautSpaces2.rtf"
                                                << QString::fromUtf8("Übersicht");
    QTest::newRow("uc2 and shift-jis")
        << "tika-testRTFUnicodeUCNControlWordCharacterDoubling.rtf"
        << QString::fromUtf8("0 年 abc 念");
}

void TestRtfSamples::knownTexts()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const QString text = readText(load(file));
    QVERIFY2(text.simplified().contains(expected.simplified()), qPrintable(text.left(300)));
    if (expected.contains(QLatin1Char('\n')))
        QVERIFY(text.contains(expected));
}

void TestRtfSamples::formatsOfFormattingFile()
{
    QTextDocument doc;
    QVERIFY(rtf::read(load(QStringLiteral("pandoc-formatting.rtf")), doc));
    auto formatOfWord = [&](const QString &word) {
        const int pos = static_cast<int>(doc.toPlainText().indexOf(word));
        const QTextBlock b = doc.findBlock(pos);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().contains(pos))
                return it.fragment().charFormat();
        }
        return QTextCharFormat();
    };
    QCOMPARE(formatOfWord(QStringLiteral("bold")).fontWeight(), int(QFont::Bold));
    QVERIFY(formatOfWord(QStringLiteral("italics")).fontItalic());
    QVERIFY(formatOfWord(QStringLiteral("underlined")).fontUnderline());
    QVERIFY(formatOfWord(QStringLiteral("strikeout")).fontStrikeOut());
    QCOMPARE(formatOfWord(QStringLiteral("This")).fontWeight(), int(QFont::Normal));
}

void TestRtfSamples::everyFileReadsAndSurvivesOurWriter_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &n : QDir(dataDir()).entryList({QStringLiteral("*.rtf")}))
        QTest::newRow(qPrintable(n)) << n;
}

void TestRtfSamples::everyFileReadsAndSurvivesOurWriter()
{
    QFETCH(QString, file);
    QTextDocument doc;
    QVERIFY(rtf::read(load(file), doc));
    const QString text = doc.toPlainText();
    QVERIFY(surrogatesPaired(text));
    QVERIFY(!text.contains(QChar::ObjectReplacementCharacter));
    QTextDocument back;
    QVERIFY(rtf::read(rtf::write(doc), back));
    QCOMPARE(back.toPlainText(), text);
}

QTEST_MAIN(TestRtfSamples)
#include "tst_rtfsamples.moc"
