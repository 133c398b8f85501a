#include <QtTest>
#include "Error.h"

class TestError : public QObject {
    Q_OBJECT
private slots:
    void trapNumberCatchesOnlyItsNumber()
    {
        int seen = 0;
        QVERIFY(!vb::trapNumber(3027, [] { vb::raise(3027, "ro"); },
                                [&](const vb::Error &e) { seen = e.number(); }));
        QCOMPARE(seen, 3027);
        bool rethrown = false;
        try {
            vb::trapNumber(3027, [] { vb::raise(3022, "dup"); });
        } catch (const vb::Error &e) {
            rethrown = e.number() == 3022;
        }
        QVERIFY(rethrown);
        QVERIFY(vb::trapNumber(3027, [] {}));
    }

    void resumeNextKeepsLastErrorAndGoesOn()
    {
        vb::ResumeNext on;
        int ran = 0;
        QVERIFY(!on([] { vb::raise(3021, "No current record."); }));
        QVERIFY(on([&] { ++ran; }));
        QCOMPARE(ran, 1);
        // A statement that succeeds does not clear the kept number.
        QCOMPARE(on.number(), 3021);
        QCOMPARE(on.description(), QStringLiteral("No current record."));
        on.clear();
        QCOMPARE(on.number(), 0);
    }

    void whatCarriesNumberAndText()
    {
        vb::Error e(3031, QStringLiteral("Not a valid password."));
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("3031: Not a valid password."));
    }
};

QTEST_GUILESS_MAIN(TestError)
#include "tst_error.moc"
