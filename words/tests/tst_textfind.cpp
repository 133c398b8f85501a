// The word cutter, the excluded words, the plural merge and the sorts, on
// texts whose result is known word by word.

#include "TextFind.h"

#include <QtTest>

using namespace textfind;

namespace {

// "word:count" for slots 1..n, in list order.
QStringList show(const WordList &l)
{
    QStringList out;
    for (int i = 1; i <= l.size(); ++i)
        out << l.words.at(i) + u':' + QString::number(l.counts.at(i));
    return out;
}

QStringList analyse(const QString &text, ParseMode mode, const QStringList &excluded = {})
{
    WordList l;
    analyseText(text, mode, ExcludedWords(excluded), l);
    return show(l);
}

QStringList extract(const QString &text, const QStringList &excluded = {})
{
    WordList l;
    extractIndexWords(text, ExcludedWords(excluded), l);
    return show(l);
}

struct Recorder : ProgressSink {
    QStringList steps;
    QList<int> bars;
    void step(const QString &label) override { steps << label; }
    void caption(const QString &) override {}
    void count(int) override {}
    void bar(int percent) override { bars << percent; }
};

} // namespace

class TestTextFind : public QObject {
    Q_OBJECT
private slots:
    void analysis_data();
    void analysis();
    void indexWords_data();
    void indexWords();
    void excludedWordsInEitherUnicodeForm();
    void shortTextsHaveNoWords();
    void sentinelAndLimits();
    void separatorsByCodePage();
    void progressStaysInRange();
};

void TestTextFind::analysis_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allWords");
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<QStringList>("expected");

    const QStringList none;
    QTest::newRow("case variants stay apart, adjacent")
        << "Dogs and dogs." << false << QStringList{"and"} << QStringList{"Dogs:1", "dogs:1"};
    QTest::newRow("digits split") << "abc123def" << false << none << QStringList{"abc:1", "def:1"};
    QTest::newRow("apostrophe filtered") << "l'homme" << false << none << QStringList{"homme:1"};
    QTest::newRow("apostrophe all words") << "l'homme" << true << none << QStringList{"homme:1", "l:1"};
    QTest::newRow("typographic apostrophe") << u"l\u2019homme"_qs << false << none << QStringList{"homme:1"};
    QTest::newRow("guillemets") << u"\u00ABLibert\u00E9\u00BB"_qs << false << none
                                << QStringList{u"Libert\u00E9:1"_qs};
    QTest::newRow("guillemets with no-break spaces")
        << u"\u00AB\u00A0Libert\u00E9\u00A0\u00BB et libert\u00E9"_qs << false << none
        << QStringList{u"Libert\u00E9:1"_qs, u"libert\u00E9:1"_qs};
    QTest::newRow("no-break space is a space") << u"mot\u00A0:\u00A0suite"_qs << false << none
                                               << QStringList{"mot:1", "suite:1"};
    QTest::newRow("dashes and ellipsis split") << u"alpha\u2014beta\u2026gamma\u2013delta"_qs << false << none
                                               << QStringList{"alpha:1", "beta:1", "delta:1", "gamma:1"};
    QTest::newRow("quotes split") << u"\u201CHello\u201D"_qs << false << none << QStringList{"Hello:1"};
    QTest::newRow("decomposed accent kept") << u"cafe\u0301 caf\u00E9"_qs << false << none
                                            << QStringList{u"caf\u00E9:2"_qs};
    QTest::newRow("no trailing s cut") << "class is was Physics" << false << none
                                       << QStringList{"class:1", "Physics:1", "was:1"};
    QTest::newRow("excluded word ending in s") << "this and this glass" << false << QStringList{"THIS"}
                                               << QStringList{"and:1", "glass:1"};
    QTest::newRow("excluded lower removes capital") << "The the cat" << false << QStringList{"the"}
                                                    << QStringList{"cat:1"};
    QTest::newRow("accent counts in exclusion") << u"r\u00E9sum\u00E9 resume"_qs << false << QStringList{"resume"}
                                                << QStringList{u"r\u00E9sum\u00E9:1"_qs};
    QTest::newRow("last word without end mark") << "alpha beta" << false << none
                                                << QStringList{"alpha:1", "beta:1"};
    QTest::newRow("plural adds its own count")
        << "word word word words words" << true << none << QStringList{"word:5", "words:0"};
    QTest::newRow("no merge over a word between") << "word wordless words" << false << none
                                                  << QStringList{"word:1", "wordless:1", "words:1"};
    QTest::newRow("one-letter s keeps its count") << "s s s xy" << true << none << QStringList{"s:3", "xy:1"};
    QTest::newRow("equal counts sort without case")
        << "cherry cherry cherry cherry cherry apple apple Banana Banana" << false << none
        << QStringList{"cherry:5", "apple:2", "Banana:2"};
    QTest::newRow("tilde trimmed") << "~abc~ abc" << false << none << QStringList{"abc:2"};
    QTest::newRow("all words keep short ones") << "a b a" << true << none << QStringList{"a:2", "b:1"};
    QTest::newRow("all words exclude nothing") << "the cat" << true << QStringList{"the"}
                                               << QStringList{"cat:1", "the:1"};
    QTest::newRow("degree sign kept, short word dropped") << u"10\u00B0C hot"_qs << false << none
                                                          << QStringList{"hot:1"};
    QTest::newRow("last distinct word excluded") << "alpha beta zulu" << false << QStringList{"zulu"}
                                                 << QStringList{"alpha:1", "beta:1"};
    QTest::newRow("other scripts separate") << u"abc\u03B1\u03B2\u03B3def"_qs << false << none
                                            << QStringList{"abc:1", "def:1"};
}

void TestTextFind::analysis()
{
    QFETCH(QString, text);
    QFETCH(bool, allWords);
    QFETCH(QStringList, excluded);
    QFETCH(QStringList, expected);
    QCOMPARE(analyse(text, allWords ? ParseMode::AllWords : ParseMode::Filtered, excluded), expected);
}

void TestTextFind::indexWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("ascending by code, capitals first")
        << "alpha Zeta beta" << QStringList{} << QStringList{"Zeta:1", "alpha:1", "beta:1"};
    QTest::newRow("merged plural kept with 0")
        << "word words words" << QStringList{} << QStringList{"word:3", "words:0"};
    QTest::newRow("guillemets") << u"\u00ABLibert\u00E9\u00BB"_qs << QStringList{} << QStringList{u"Libert\u00E9:1"_qs};
    QTest::newRow("excluded removed") << "the cat The" << QStringList{"THE"} << QStringList{"cat:1"};
    QTest::newRow("two letters dropped") << "ab abc" << QStringList{} << QStringList{"abc:1"};
}

void TestTextFind::indexWords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, excluded);
    QFETCH(QStringList, expected);
    QCOMPARE(extract(text, excluded), expected);
}

// An excluded word typed with a combining accent excludes the composed
// word of a text, and the other way round, as the index of the table
// compares them; letter case aside, an accent still counts.
void TestTextFind::excludedWordsInEitherUnicodeForm()
{
    const QString cafeNfd = u"cafe\u0301"_qs, eteNfd = u"e\u0301te\u0301"_qs, greekNfd = u"\u03B1\u0301\u03BB\u03C3\u03BF\u03C2"_qs;
    const ExcludedWords decomposed({cafeNfd, eteNfd, greekNfd});
    QVERIFY(decomposed.contains(u"caf\u00E9"));
    QVERIFY(decomposed.contains(u"CAF\u00C9"));
    QVERIFY(decomposed.contains(u"\u00C9T\u00C9"));
    QVERIFY(decomposed.contains(u"\u03AC\u03BB\u03C3\u03BF\u03C2"));
    QVERIFY(!decomposed.contains(u"cafe"));
    const ExcludedWords composed({u"caf\u00E9"_qs});
    QVERIFY(composed.contains(cafeNfd));
    QVERIFY(composed.contains(u"CAFE\u0301"));
    QVERIFY(!composed.contains(u"cafe"));
    QCOMPARE(foldHash(cafeNfd), foldHash(u"Caf\u00E9"));
    QCOMPARE(foldHash(u"\u212Aelvin"), foldHash(u"kelvin"));

    const QString text = u"Un caf\u00E9 noir, un \u00E9t\u00E9 chaud, un CAFE\u0301 froid."_qs;
    QCOMPARE(analyse(text, ParseMode::Filtered, {cafeNfd, eteNfd}),
             (QStringList{"chaud:1", "froid:1", "noir:1"}));
    QCOMPARE(extract(text, {cafeNfd, eteNfd}), (QStringList{"chaud:1", "froid:1", "noir:1"}));
}

void TestTextFind::shortTextsHaveNoWords()
{
    for (const QString &t : {QStringLiteral("ab"), QStringLiteral("    ab"), QString(), QStringLiteral("  ")}) {
        WordList l;
        l.append(QStringLiteral("stale"), 4);
        QVERIFY2(!analyseText(t, ParseMode::Filtered, {}, l), qPrintable(t));
        QCOMPARE(l.size(), 0);
        extractIndexWords(t, {}, l);
        QCOMPARE(l.size(), 0);
    }
    // Three characters after the spaces is a text, even if no word survives.
    WordList l;
    QVERIFY(analyseText(QStringLiteral("  ab c"), ParseMode::Filtered, {}, l));
    QCOMPARE(l.size(), 0);
    QVERIFY(analyseText(QStringLiteral("abc"), ParseMode::Filtered, {}, l));
    QCOMPARE(show(l), QStringList{"abc:1"});
}

void TestTextFind::sentinelAndLimits()
{
    WordList l;
    QString text;
    for (int i = 0; i < 40000; ++i)
        text += QStringLiteral("abc ");
    QVERIFY(analyseText(text, ParseMode::Filtered, {}, l));
    QCOMPARE(l.words.at(0), QString());
    QCOMPARE(l.counts.at(0), 0);
    QCOMPARE(show(l), QStringList{"abc:40000"});

    // More distinct words than a 16-bit counter holds.
    QString many;
    for (int i = 0; i < 33000; ++i) {
        QString w;
        for (int n = i; n > 0 || w.size() < 4; n /= 26)
            w += QChar(u'a' + n % 26);
        many += w + u' ';
    }
    QVERIFY(analyseText(many, ParseMode::AllWords, {}, l));
    QCOMPARE(l.size(), 33000);
    QCOMPARE(l.words.size(), l.counts.size());
}

void TestTextFind::separatorsByCodePage()
{
    QVERIFY(isSeparator(u'1'));
    QVERIFY(isSeparator(u'@'));
    QVERIFY(isSeparator(u'_'));
    QVERIFY(isSeparator(u'\t'));
    QVERIFY(isSeparator(0x00A0));
    QVERIFY(isSeparator(0x2019));
    QVERIFY(isSeparator(0x00AB));
    QVERIFY(isSeparator(0x0301)); // a combining mark the page cannot hold
    QVERIFY(!isSeparator(u'~'));
    QVERIFY(!isSeparator(u'{'));
    QVERIFY(!isSeparator(0x00E9)); // é
    QVERIFY(!isSeparator(0x0153)); // œ
    QVERIFY(!isSeparator(0x0160)); // Š
    QVERIFY(!isSeparator(0x00B5)); // µ
    QCOMPARE(ansiCode(0x20AC), 128);
    QCOMPARE(ansiCode(0x4E2D), 63);
}

void TestTextFind::progressStaysInRange()
{
    Recorder r;
    WordList l;
    QVERIFY(analyseText(QStringLiteral("abc"), ParseMode::Filtered, ExcludedWords({"zzz"}), l, &r));
    QVERIFY(!r.bars.isEmpty());
    for (int b : r.bars)
        QVERIFY2(b >= 0 && b <= 100, qPrintable(QString::number(b)));
    QVERIFY(r.steps.contains(QStringLiteral("Parsing Text...")));
    QVERIFY(r.steps.contains(QStringLiteral("Cleaning Text...")));
    QCOMPARE(r.steps.last(), QStringLiteral("Preparing Display..."));
}

QTEST_APPLESS_MAIN(TestTextFind)
#include "tst_textfind.moc"
