#include "PropertyBag.h"

#include <QFont>
#include <QtTest>

using com::PropertyBag;

class TestPropertyBag : public QObject {
    Q_OBJECT
private slots:
    void defaultsAreNotStored();
    void rewriteReplacesAndDefaultRemoves();
    void namesIgnoreCase();
    void numbersCompareByValue();
    void hostDesignList();
};

void TestPropertyBag::defaultsAreNotStored()
{
    PropertyBag bag;
    bag.writeProperty("Position", 1, 1);
    bag.writeProperty("Caption", QStringLiteral("Caption"), QStringLiteral("Caption"));
    bag.writeProperty("Style", 1, 0);
    QCOMPARE(bag.names(), QStringList{"Style"});
    QCOMPARE(bag.readProperty("Position", 1).toInt(), 1);
    QCOMPARE(bag.readProperty("Style", 0).toInt(), 1);
    // Without a default everything is stored, and a missing read gives an
    // invalid variant.
    bag.writeProperty("Tag", QString());
    QVERIFY(bag.contains("Tag"));
    QVERIFY(!bag.readProperty("Missing").isValid());
}

void TestPropertyBag::rewriteReplacesAndDefaultRemoves()
{
    PropertyBag bag;
    bag.writeProperty("BackColor", 0x80000005u, 0x8000000Fu);
    bag.writeProperty("ForeColor", 0xFFu, 0x80000012u);
    bag.writeProperty("BackColor", 0x00FF00u, 0x8000000Fu);
    QCOMPARE(bag.count(), 2);
    QCOMPARE(bag.names().first(), QStringLiteral("BackColor"));
    QCOMPARE(bag.readProperty("BackColor").toUInt(), 0x00FF00u);
    // The last write is the one that counts, even when it is the default.
    bag.writeProperty("BackColor", 0x8000000Fu, 0x8000000Fu);
    QVERIFY(!bag.contains("BackColor"));
    QCOMPARE(bag.readProperty("BackColor", 0x8000000Fu).toUInt(), 0x8000000Fu);
}

void TestPropertyBag::namesIgnoreCase()
{
    PropertyBag bag;
    bag.writeProperty("Caption", QStringLiteral("Search"));
    QCOMPARE(bag.readProperty("caption").toString(), QStringLiteral("Search"));
    bag.writeProperty("CAPTION", QStringLiteral("Other"));
    QCOMPARE(bag.count(), 1);
    QCOMPARE(bag.readProperty("Caption").toString(), QStringLiteral("Other"));
}

void TestPropertyBag::numbersCompareByValue()
{
    QVERIFY(com::sameValue(qint32(0), short(0)));
    QVERIFY(com::sameValue(0x8000000Fu, qint64(0x8000000F)));
    QVERIFY(!com::sameValue(0x8000000Fu, qint32(0x8000000F))); // -2147483633
    QVERIFY(com::sameValue(1.0, 1));
    QVERIFY(!com::sameValue(std::numeric_limits<quint64>::max(), qint64(-1)));
    QVERIFY(!com::sameValue(QStringLiteral("0"), 0));
    QVERIFY(!com::sameValue(QStringLiteral("caption"), QStringLiteral("Caption")));
    QFont a(QStringLiteral("Sans"), 9);
    QVERIFY(com::sameValue(a, QFont(QStringLiteral("Sans"), 9)));
    QVERIFY(!com::sameValue(a, QFont(QStringLiteral("Sans"), 10)));

    PropertyBag bag;
    bag.writeProperty("CaptionTop", qint32(0), short(0));
    QVERIFY(bag.isEmpty());
}

void TestPropertyBag::hostDesignList()
{
    const PropertyBag bag{{"Caption", QStringLiteral("KeyWords")}, {"Style", 1}, {"Position", 0}};
    QCOMPARE(bag.names(), (QStringList{"Caption", "Style", "Position"}));
    QCOMPARE(bag.readProperty("Position", 1).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestPropertyBag)
#include "tst_propertybag.moc"
