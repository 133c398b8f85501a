#include <QtTest>
#include <QTemporaryDir>


#include "Error.h"
#include "Files.h"
#include "OtherFileSystem.h"
#include "Runtime.h"
#include "ShownText.h"

using namespace vb;

namespace {

void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}
} // namespace

class TestRuntime : public QObject {
    Q_OBJECT
private slots:
    void shownTextCutsLongTextsOnly()
    {
        QCOMPARE(shownText(QString()), QString());
        const QString exact(kShownChars, u'a');
        QCOMPARE(shownText(exact), exact);
        QCOMPARE(shownText(exact + u'b'), exact + QChar(0x2026));
        // A character outside the 16-bit plane is shown whole or not at all.
        const QString pair = QString(kShownChars - 1, u'a') + QStringLiteral("\U0001F600") + u'z';
        QCOMPARE(shownText(pair), QString(kShownChars - 1, u'a') + QChar(0x2026));
        const QString before = QString(kShownChars - 2, u'a') + QStringLiteral("\U0001F600") + u'z';
        QCOMPARE(shownText(before), QString(kShownChars - 2, u'a') + QStringLiteral("\U0001F600") + QChar(0x2026));
    }

    void integerDivisionRoundsOperandsThenTruncates()
    {
        QCOMPARE(intDiv(7, 2), 3);
        QCOMPARE(intDiv(-7, 2), -3); // toward zero
        QCOMPARE(intDiv(2.5, 1), 2); // half to even
        QCOMPARE(intDiv(3.5, 1), 4);
        QCOMPARE(intDiv(7, 2.5), 3); // 7 \ 2
        QCOMPARE(intDiv(-2.5, 1), -2);
        // Centring as the windows do it: (Screen.Width - Width) \ 2.
        QCOMPARE(intDiv(19200 - 6290.4, 2), 6455); // 12909.6 rounds to 12910 first
        QCOMPARE(errorOf([] { intDiv(1, 0.4); }), int(ErrDivisionByZero)); // 0.4 rounds to 0
        QCOMPARE(errorOf([] { intDiv(3e9, 1); }), int(ErrOverflow));
        QCOMPARE(errorOf([] { intDiv(-2147483648.0, -1); }), int(ErrOverflow));
    }

    void conversionsRoundHalfToEven()
    {
        QCOMPARE(CInt(0.5), qint16(0));
        QCOMPARE(CInt(1.5), qint16(2));
        QCOMPARE(CInt(-1.5), qint16(-2));
        QCOMPARE(CInt(11.0), qint16(11));
        QCOMPARE(CLng(99.5), 100);
        QCOMPARE(errorOf([] { CInt(32767.5); }), int(ErrOverflow));
        QCOMPARE(CInt(-32768.4), qint16(-32768));
        QCOMPARE(errorOf([] { CLng(std::nan("")); }), int(ErrOverflow));
    }

    void strWritesTheRuntimesNumbers()
    {
        QCOMPARE(Str(97.5), QStringLiteral(" 97.5"));
        QCOMPARE(Str(100.0), QStringLiteral(" 100"));
        QCOMPARE(Str(100.0 / 3), QStringLiteral(" 33.3333333333333"));
        QCOMPARE(Str(0.5), QStringLiteral(" .5"));
        QCOMPARE(Str(-0.5), QStringLiteral("-.5"));
        QCOMPARE(Str(0.0), QStringLiteral(" 0"));
        QCOMPARE(Str(1e15), QStringLiteral(" 1E+15"));
        QCOMPARE(Str(0.00001), QStringLiteral(" 1E-05"));
        QCOMPARE(Str(qint64(42)), QStringLiteral(" 42"));
        QCOMPARE(Str(qint64(-42)), QStringLiteral("-42"));
    }

    void valReadsTheLeadingNumber()
    {
        QCOMPARE(Val(QString()), 0.0);
        QCOMPARE(Val(QStringLiteral("  12 3abc")), 123.0);
        QCOMPARE(Val(QStringLiteral("-1.5e2x")), -150.0);
        QCOMPARE(Val(QStringLiteral("abc")), 0.0);
        QCOMPARE(Val(QStringLiteral("&HFF")), 255.0);
        QCOMPARE(Val(QStringLiteral("7.")), 7.0);
        QCOMPARE(Val(QStringLiteral("1e")), 1.0);
    }

    void formatPadsAndRounds()
    {
        QCOMPARE(Format(5, QStringLiteral("000")), QStringLiteral("005"));
        QCOMPARE(Format(1000, QStringLiteral("000")), QStringLiteral("1000"));
        QCOMPARE(Format(7, QStringLiteral("0000")), QStringLiteral("0007"));
        QCOMPARE(Format(-5, QStringLiteral("000")), QStringLiteral("-005"));
        QCOMPARE(Format(qint64(9223372036854775807LL), QStringLiteral("000")),
                 QStringLiteral("9223372036854775807"));
        QCOMPARE(Format(0, QStringLiteral("#")), QString());
        QCOMPARE(Format(2.345, QStringLiteral("0.00")), QStringLiteral("2.35"));
        QCOMPARE(Format(9.995, QStringLiteral("0.00")), QStringLiteral("10.00"));
        QCOMPARE(Format(0.5, QStringLiteral("0")), QStringLiteral("1"));
        QCOMPARE(Format(1.5, QStringLiteral("#.##")), QStringLiteral("1.5"));
        QCOMPARE(Format(-0.001, QStringLiteral("0.00")), QStringLiteral("0.00"));
        QCOMPARE(Format(12, QStringLiteral("(000)")), QStringLiteral("(012)"));
    }

    void caseMappingKeepsTheLength()
    {
        const QString name = QString::fromUtf8("straße");
        QCOMPARE(UCase(name), QString::fromUtf8("STRAßE"));
        QCOMPARE(UCase(name).size(), name.size());
        QCOMPARE(LCase(QString::fromUtf8("ÉLAN Ÿ")), QString::fromUtf8("élan ÿ"));
        QCOMPARE(UCase(QString()), QString());
    }

    void keyPrefixCountsCharacters()
    {
        // A character outside the BMP is one character and stays whole.
        QCOMPARE(KeyPrefix(QString::fromUtf8("Abc😀def"), 4), QString::fromUtf8("Abc😀"));
        QCOMPARE(KeyPrefix(QString::fromUtf8("Abcdef"), 3, u'_'), QStringLiteral("Abc"));
        QCOMPARE(KeyPrefix(QString::fromUtf8("😀"), 3, u'_'), QString::fromUtf8("😀__"));
        // Composed first: e + combining acute is the one letter é.
        QCOMPARE(KeyPrefix(QString::fromUtf8("Re\u0301my"), 2), QString::fromUtf8("Ré"));
        QCOMPARE(KeyPrefix(QString(), 2, u'_'), QStringLiteral("__"));
        QCOMPARE(KeyPrefix(QStringLiteral("ab"), 4), QStringLiteral("ab"));
        // A lone half of a pair is kept as it came, counted once.
        QCOMPARE(KeyPrefix(QString(QChar(0xD83D)) + QStringLiteral("xy"), 2), QString(QChar(0xD83D)) + QStringLiteral("x"));
    }

    void inStrFollowsTheRuntimeRules()
    {
        QCOMPARE(InStr(QStringLiteral("abcabc"), QStringLiteral("bc")), 2);
        QCOMPARE(InStr(3, QStringLiteral("abcabc"), QStringLiteral("bc")), 5);
        QCOMPARE(InStr(QStringLiteral("abc"), QStringLiteral("B")), 0);
        QCOMPARE(InStr(1, QStringLiteral("abc"), QStringLiteral("B"), vbTextCompare), 2);
        QCOMPARE(InStr(1, QString::fromUtf8("Éte"), QString::fromUtf8("é"), vbTextCompare), 1);
        QCOMPARE(InStr(QString(), QStringLiteral("a")), 0);
        QCOMPARE(InStr(QString(), QString()), 0);
        QCOMPARE(InStr(2, QStringLiteral("abc"), QString()), 2);
        QCOMPARE(InStr(4, QStringLiteral("abc"), QString()), 4);
        QCOMPARE(InStr(5, QStringLiteral("abc"), QString()), 0);
        QCOMPARE(InStr(4, QStringLiteral("abc"), QStringLiteral("c")), 0);
        QCOMPARE(errorOf([] { InStr(0, QStringLiteral("abc"), QStringLiteral("a")); }), int(ErrInvalidCall));
    }

    void datesReadAsTheCardsShowThem()
    {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(DateText(QDateTime(QDate(2024, 3, 5), QTime(0, 0)), us), QStringLiteral("3/5/2024"));
        QCOMPARE(DateText(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 7)), us),
                 QStringLiteral("3/5/2024 2:05:07 PM"));
        const QLocale fr(QLocale::French, QLocale::France);
        QCOMPARE(DateText(QVariant(QDate(1999, 12, 31)), fr), QStringLiteral("31/12/1999"));
        QCOMPARE(DateText(QVariant(), us), QString());
        QCOMPARE(DateText(QVariant(QStringLiteral("not a date")), us), QString());
    }

    // The digest tells lists of texts apart however their characters are
    // spread over the texts, and sees a change of any one character.
    void digestsTellEveryListApart()
    {
        const QByteArray ab_c = DigestOfTexts({QStringLiteral("ab"), QStringLiteral("c")});
        QCOMPARE(ab_c.size(), 32);
        QCOMPARE(ab_c, DigestOfTexts({QStringLiteral("ab"), QStringLiteral("c")}));
        QVERIFY(ab_c != DigestOfTexts({QStringLiteral("a"), QStringLiteral("bc")}));
        QVERIFY(ab_c != DigestOfTexts({QStringLiteral("abc")}));
        QVERIFY(ab_c != DigestOfTexts({QStringLiteral("c"), QStringLiteral("ab")}));
        QVERIFY(ab_c != DigestOfTexts({QStringLiteral("ab"), QStringLiteral("c"), QString()}));
        // Null and empty read alike in a box, and digest alike.
        QCOMPARE(DigestOfTexts({QString(), QStringLiteral("x")}),
                 DigestOfTexts({QStringLiteral(""), QStringLiteral("x")}));
        QVERIFY(DigestOfTexts({}) != DigestOfTexts({QString()}));

        // One character changed anywhere in a long text, outside the Latin
        // range too (a digest of the low bytes only would miss it).
        QString longText(300000, QChar(u'e'));
        const QByteArray before = DigestOfTexts({QStringLiteral("t"), longText});
        for (qsizetype at : {qsizetype(0), qsizetype(150001), longText.size() - 1}) {
            QString changed = longText;
            changed[at] = QChar(0x0165); // same low byte as 'e'
            QVERIFY(DigestOfTexts({QStringLiteral("t"), changed}) != before);
        }
    }

    void dirFindsExactOrdinaryFiles()
    {
        QTemporaryDir tmp;
        const QString d = tmp.path();
        touch(d + QStringLiteral("/NewBase001.cvb"));
        touch(d + QStringLiteral("/.hidden"));
        QDir(d).mkdir(QStringLiteral("folder"));
        QFile::link(d + QStringLiteral("/missing"), d + QStringLiteral("/broken"));
        QCOMPARE(Dir(d + QStringLiteral("/NewBase001.cvb")), QStringLiteral("NewBase001.cvb"));
        QCOMPARE(Dir(d + QStringLiteral("/newbase001.cvb")), QString());
        QCOMPARE(Dir(d + QStringLiteral("/NewBase002.cvb")), QString());
        QCOMPARE(Dir(d + QStringLiteral("/.hidden")), QString());
        QCOMPARE(Dir(d + QStringLiteral("/folder")), QString());
        QCOMPARE(Dir(d + QStringLiteral("/broken")), QString());
        QCOMPARE(Dir(d + QStringLiteral("/nowhere/x")), QString());
        QCOMPARE(Dir(QString()), QString());
        QCOMPARE(Dir(d + QStringLiteral("/*.CVB")), QStringLiteral("NewBase001.cvb"));
        // A bare name is looked up in the current directory.
        const QString here = QDir::currentPath();
        QDir::setCurrent(d);
        QCOMPARE(Dir(QStringLiteral("NewBase001.cvb")), QStringLiteral("NewBase001.cvb"));
        QDir::setCurrent(here);
    }

    void nameRefusesToReplace()
    {
        QTemporaryDir tmp;
        const QString a = tmp.filePath(QStringLiteral("a.cvb"));
        const QString b = tmp.filePath(QStringLiteral("b.cvb"));
        touch(a, "base a");
        touch(b, "base b");
        QCOMPARE(errorOf([&] { Name(a, b); }), int(ErrFileExists));
        QFile fb(b);
        QVERIFY(fb.open(QIODevice::ReadOnly));
        QCOMPARE(fb.readAll(), QByteArray("base b")); // untouched
        QVERIFY(QFile::exists(a));
        QCOMPARE(errorOf([&] { Name(tmp.filePath(QStringLiteral("none")), a); }), int(ErrFileNotFound));
        QCOMPARE(errorOf([&] { Name(a, tmp.filePath(QStringLiteral("no/dir.cvb"))); }),
                 int(ErrPathNotFound));
        // A dangling link is a name in use too.
        const QString link = tmp.filePath(QStringLiteral("link"));
        QFile::link(tmp.filePath(QStringLiteral("gone")), link);
        QCOMPARE(errorOf([&] { Name(a, link); }), int(ErrFileExists));
        const QString c = tmp.filePath(QStringLiteral("c.cvb"));
        Name(a, c);
        QVERIFY(!QFile::exists(a));
        QVERIFY(QFile::exists(c));
    }

    void nameMovesAcrossFileSystems()
    {
        QTemporaryDir here;
        const OtherFileSystem there(here.path());
        QVERIFY(here.isValid() && there.isValid());
        const QString from = here.filePath(QStringLiteral("base.cvb"));
        const QString to = there.filePath(QStringLiteral("base.cvb"));
        QByteArray content(200000, 'q');
        touch(from, content);
        QFile::setPermissions(from, QFile::ReadOwner | QFile::WriteOwner);
        Name(from, to);
        QVERIFY(!QFile::exists(from));
        QFile f(to);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
        QCOMPARE(QFile::permissions(to) & 0xF000, QFile::ReadOwner | QFile::WriteOwner);
        // Back again onto an existing name is refused, across file systems too.
        touch(from, "other");
        QCOMPARE(errorOf([&] { Name(to, from); }), int(ErrFileExists));
        QDir(there.path()).mkdir(QStringLiteral("sub"));
        QCOMPARE(errorOf([&] { Name(there.filePath(QStringLiteral("sub")), here.filePath(QStringLiteral("sub"))); }),
                 int(ErrRenameAcrossDrives));
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
