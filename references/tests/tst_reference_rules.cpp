// The reference card's rules without a base: keyword order, the removal
// question, quote keys, the type shown, the view a type opens and its
// geometry, the number boxes, the column limits and the memory guard.

#include "CardKeywords.h"
#include "ReferenceRules.h"

#include <QtTest>

using namespace references;

class TestReferenceRules : public QObject {
    Q_OBJECT
private slots:
    void keywordOrder_data();
    void keywordOrder();
    void removalQuestionCentresTheKeyword_data();
    void removalQuestionCentresTheKeyword();
    void quoteKeys();
    void storedTypeIsShownAsItIs();
    void viewByTypeAndItsGeometry();
    void numberBoxes();
    void columnLimits();
    void caption();
};

void TestReferenceRules::keywordOrder_data()
{
    QTest::addColumn<QStringList>("in");
    QTest::addColumn<QStringList>("out");
    QTest::newRow("case variants side by side")
        << QStringList{"cedar", "Birch", "birch"} << QStringList{"Birch", "birch", "cedar"};
    // The walk goes on from where the equal run left it: the swaps decide
    // the order of case variants, not their first order.
    QTest::newRow("swaps decide case order") << QStringList{"B", "b", "a"} << QStringList{"a", "b", "B"};
    QTest::newRow("empty") << QStringList{} << QStringList{};
    QTest::newRow("one") << QStringList{"x"} << QStringList{"x"};
    QTest::newRow("accents by code after plain letters")
        << QStringList{"Été", "zèbre", "ete", "été"} << QStringList{"ete", "zèbre", "Été", "été"};
    QTest::newRow("duplicates kept") << QStringList{"b", "a", "b", "a"} << QStringList{"a", "a", "b", "b"};
}

void TestReferenceRules::keywordOrder()
{
    QFETCH(QStringList, in);
    QFETCH(QStringList, out);
    SortCardKeywords(in);
    QCOMPARE(in, out);
}

void TestReferenceRules::removalQuestionCentresTheKeyword_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("blanks");
    QTest::newRow("10") << 10 << 12;
    QTest::newRow("0") << 0 << 17;
    QTest::newRow("32") << 32 << 1;
    QTest::newRow("33") << 33 << 1;
    QTest::newRow("34") << 34 << 0;
    QTest::newRow("40") << 40 << 0;
}

void TestReferenceRules::removalQuestionCentresTheKeyword()
{
    QFETCH(int, length);
    QFETCH(int, blanks);
    const QString kw(length, QLatin1Char('k'));
    QCOMPARE(DeleteKeywordPrompt(kw), QStringLiteral("  Do you really want to delete  \r\r\n") +
                                          QString(blanks, QLatin1Char(' ')) + kw + QStringLiteral("  "));
}

void TestReferenceRules::quoteKeys()
{
    QCOMPARE(QuoteKeyFor(QStringLiteral("Durand_001"), 1), QStringLiteral("DURAN001.TXT"));
    QCOMPARE(QuoteKeyFor(QStringLiteral("Durand_001"), 42), QStringLiteral("DURAN042.TXT"));
    QCOMPARE(QuoteKeyFor(QStringLiteral("Durand_001"), 1000), QStringLiteral("DURAN1000.TXT"));
    QCOMPARE(QuoteKeyFor(QStringLiteral("Abé"), 2), QStringLiteral("ABÉ002.TXT"));
    // Five characters, not five UTF-16 units; capitals keep the length.
    QCOMPARE(QuoteKeyFor(QString::fromUtf8("Abcd😀e_001"), 1), QString::fromUtf8("ABCD😀001.TXT"));
    QCOMPARE(QuoteKeyFor(QString::fromUtf8("Straße_001"), 1), QString::fromUtf8("STRAß001.TXT"));
    QCOMPARE(QuoteKeyFor(QString::fromUtf8("César_001"), 3), QString::fromUtf8("CÉSAR003.TXT"));
}

void TestReferenceRules::storedTypeIsShownAsItIs()
{
    QCOMPARE(TypeToShow(QString()), QStringLiteral("No Type"));
    QCOMPARE(TypeToShow(QStringLiteral("Thesis")), QStringLiteral("Thesis"));
    QCOMPARE(TypeToShow(QStringLiteral("book")), QStringLiteral("book"));
}

void TestReferenceRules::viewByTypeAndItsGeometry()
{
    QCOMPARE(FrameForType(QStringLiteral("Book")), DetailFrame::Book);
    QCOMPARE(FrameForType(QStringLiteral("Article")), DetailFrame::Article);
    for (const char *t : {"book", "Painting", "No Type", "", "Book "})
        QCOMPARE(FrameForType(QString::fromLatin1(t)), DetailFrame::Other);

    ViewGeometry g = CompleteViewGeometry(DetailFrame::Book, 2835, 3240);
    QCOMPARE(g.cardHeight, 7075);
    QCOMPARE(g.commandsTop, 5575);
    g = CompleteViewGeometry(DetailFrame::Article, 3015, 3240);
    QCOMPARE(g.cardHeight, 6755);
    QCOMPARE(g.commandsTop, 5755);
    g = CompleteViewGeometry(DetailFrame::Other, 4095, 3240);
    QCOMPARE(g.cardHeight, 7835);
    QCOMPARE(g.commandsTop, 6835);
}

void TestReferenceRules::numberBoxes()
{
    NumberBox b = ParseNumberBox(QStringLiteral("Date"), QString(), -32768, 32767);
    QVERIFY(b.error.isEmpty());
    QVERIFY(!b.value.isValid()); // Null, not 0
    b = ParseNumberBox(QStringLiteral("Date"), QStringLiteral("   "), -32768, 32767);
    QVERIFY(b.error.isEmpty());
    QVERIFY(!b.value.isValid());
    b = ParseNumberBox(QStringLiteral("Date"), QStringLiteral(" 1999 "), -32768, 32767);
    QVERIFY(b.error.isEmpty());
    QCOMPARE(b.value.toInt(), 1999);
    b = ParseNumberBox(QStringLiteral("Date"), QStringLiteral("-32768"), -32768, 32767);
    QCOMPARE(b.value.toInt(), -32768);

    for (const char *bad : {"abc", "19a9", "1.5", "32768", "-32769", "99999999999999999999", "+", "1 2"}) {
        b = ParseNumberBox(QStringLiteral("Date"), QString::fromLatin1(bad), -32768, 32767);
        QVERIFY2(b.error.contains(QStringLiteral("\"Date\"")), bad);
        QVERIFY2(!b.value.isValid(), bad);
    }
    b = ParseNumberBox(QStringLiteral("Year"), QStringLiteral("40000"), -2147483648LL, 2147483647LL);
    QVERIFY(b.error.isEmpty());
    QCOMPARE(b.value.toInt(), 40000);
}

void TestReferenceRules::columnLimits()
{
    QVERIFY(!TooLongMessage(QStringLiteral("Town"), QString(40, QLatin1Char('t')), 40));
    const auto m = TooLongMessage(QStringLiteral("Town"), QString(41, QLatin1Char('t')), 40);
    QVERIFY(m);
    QVERIFY(m->contains(QStringLiteral("\"Town\"")));
    QVERIFY(m->contains(QStringLiteral("40")));
}

void TestReferenceRules::caption()
{
    QCOMPARE(CardCaption(QStringLiteral("Durand"), QStringLiteral("Memory"), 3), QStringLiteral("Durand : Memory (3)"));
    QCOMPARE(CardCaption(QString(), QStringLiteral("Memory"), 12), QStringLiteral(" : Memory (12)"));
}

QTEST_GUILESS_MAIN(TestReferenceRules)
#include "tst_reference_rules.moc"
