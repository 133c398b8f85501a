// Dates are wall-clock values with no zone: whatever the local clock does
// (an hour skipped in spring, an hour told twice in autumn, a midnight that
// never comes), a date is written, read, copied and shown as it was given.
// CTest runs this under several zones and locales; every run passes alike.

#include "DaoImpl.h"
#include "DaoTestUtil.h"
#include "Runtime.h"

using namespace dao;

namespace {

void rawExec(const Database &db, const QByteArray &sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(Access::impl(db)->db, sql.constData(), nullptr, nullptr, &err);
    QVERIFY2(rc == SQLITE_OK, err);
    sqlite3_free(err);
}

QStringList storedDates(const Database &db, const char *table)
{
    QStringList out;
    sqlite3_stmt *s = nullptr;
    const QByteArray sql = QByteArray("SELECT quote(D) FROM ") + table + " ORDER BY rowid";
    sqlite3_prepare_v2(Access::impl(db)->db, sql.constData(), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return out;
}

// Wall-clock times each of which some zone skips or tells twice, with dates
// the two-digit year would confuse and the ends of the range.
const char *const kStored[] = {
    "2024-03-31 02:30:00", // Paris: the hour skipped in spring
    "2024-10-27 02:30:00", // Paris: the hour told twice in autumn
    "2018-11-04 00:00:00", // Sao Paulo: midnight skipped
    "2018-11-04 00:59:59", "2019-02-16 23:30:00", // Sao Paulo: the evening told twice
    "2021-10-03 02:15:00", // Lord Howe: half an hour skipped
    "1850-06-01 13:05:09", "1950-06-01 13:05:09", "1911-03-11 00:05:00",
    "0100-01-01 00:00:01", "9999-12-31 23:59:59",
};

QDate dateOf(const QString &s) { return QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd")); }
QTime timeOf(const QString &s) { return QTime::fromString(s.mid(11), QStringLiteral("HH:mm:ss")); }

} // namespace

class TestDates : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    int m_serial = 0;

    Database base(const QString &table = QStringLiteral("T"))
    {
        Database db = DBEngine::CreateDatabase(m_dir.filePath(QStringLiteral("d%1.cvb").arg(++m_serial)), kLocale);
        makeTable(db, table, {{QStringLiteral("K"), dbText, 20}, {QStringLiteral("D"), dbDate}},
                  {{QStringLiteral("ByD"), {QStringLiteral("D")}, QString()}});
        return db;
    }

private slots:
    void cleanup() { vb::SetClockForTests({}); }

    // Given in each form a caller uses, a date is stored in the one stored
    // form, reads back with its own date and time, and writes back the same.
    void everyFormKeepsTheWallClock()
    {
        Database db = base();
        Recordset rs = db.OpenRecordset(QStringLiteral("T"));
        QStringList expected;
        for (const char *text : kStored) {
            const QString s = QString::fromLatin1(text);
            const QDate d = dateOf(s);
            const QTime t = timeOf(s);
            QVERIFY2(d.isValid() && t.isValid(), text);
            QList<QVariant> forms{QDateTime(d, t, Qt::UTC), s, d.toString(Qt::ISODate) + u'T' + t.toString(Qt::ISODate),
                                  QDateTime(d, t, Qt::OffsetFromUTC, -3 * 3600)};
            if (t == QTime(0, 0))
                forms << d;
            for (const QVariant &v : forms) {
                QCOMPARE(errorOf([&] { addRow(rs, {s, v}); }), 0);
                expected << u'\'' + s + u'\'';
            }
        }
        QCOMPARE(storedDates(db, "T"), expected);

        // Read back: the same date and time, which write back as they were.
        rs.setIndex(QString());
        int n = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++n) {
            const QString s = rs.Fields(QStringLiteral("K")).Value().toString();
            const QVariant v = rs.Fields(QStringLiteral("D")).Value();
            QVERIFY2(v.isValid(), qPrintable(s));
            QCOMPARE(v.toDateTime().date(), dateOf(s));
            QCOMPARE(v.toDateTime().time(), timeOf(s));
            rs.Edit();
            rs.Fields(QStringLiteral("D")).setValue(v);
            rs.Update();
        }
        QCOMPARE(n, int(expected.size()));
        QCOMPARE(storedDates(db, "T"), expected);
    }

    // A midnight the clock skips is still found by its day, and days sort
    // as days.
    void aSkippedMidnightIsSoughtAndSorted()
    {
        Database db = base();
        Recordset rs = db.OpenRecordset(QStringLiteral("T"));
        addRow(rs, {QStringLiteral("after"), QDate(2018, 11, 5)});
        addRow(rs, {QStringLiteral("skipped"), QDate(2018, 11, 4)});
        addRow(rs, {QStringLiteral("before"), QDateTime(QDate(2018, 11, 3), QTime(23, 59, 59), Qt::UTC)});
        rs.setIndex(QStringLiteral("ByD"));
        rs.Seek(QStringLiteral("="), QDate(2018, 11, 4));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields(QStringLiteral("K")).Value().toString(), QStringLiteral("skipped"));
        QStringList order;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            order << rs.Fields(QStringLiteral("K")).Value().toString();
        QCOMPARE(order, (QStringList{"before", "skipped", "after"}));
    }

    // Both roads of a copy keep every date: the stored text copied as it is,
    // and a date in another form through its value.
    void aCopyKeepsDatesTheClockSkips()
    {
        Database src = base(QStringLiteral("S"));
        QByteArray sql = "INSERT INTO S(K, D) VALUES ";
        for (const char *text : kStored)
            sql += QByteArray("('k', '") + text + "'), ";
        sql += "('iso', '2024-03-31T02:30:00'), ('day', '2018-11-04')";
        rawExec(src, sql);
        Database dst = base();
        RowReader in(src, QStringLiteral("S"), QString(), {QStringLiteral("D")});
        RowWriter out(dst, QStringLiteral("T"), {QStringLiteral("D")});
        QStringList asIs;
        while (in.next()) {
            out.begin();
            if (out.copyStored(0, in, 0))
                asIs << in.value(0).toDateTime().toString(Qt::ISODate);
            else
                QCOMPARE(out.set(0, in.value(0)), 0);
            out.insert();
        }
        QCOMPARE(asIs.size(), int(std::size(kStored)));
        QStringList expected;
        for (const char *text : kStored)
            expected << u'\'' + QString::fromLatin1(text) + u'\'';
        expected << QStringLiteral("'2024-03-31 02:30:00'") << QStringLiteral("'2018-11-04 00:00:00'");
        QCOMPARE(storedDates(dst, "T"), expected);
    }

    // The text the cards and lists show: four-digit years, no zone, the
    // stored time as it is, in each locale.
    void theShownTextIsTheStoredWallClock()
    {
        for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::French, QLocale::France), QLocale::system(), QLocale::c()}) {
            const QString y1850 = vb::DateText(QDate(1850, 6, 1), QTime(0, 0), locale);
            const QString y1950 = vb::DateText(QDate(1950, 6, 1), QTime(0, 0), locale);
            QVERIFY2(y1850.contains(QStringLiteral("1850")) && y1950.contains(QStringLiteral("1950")),
                     qPrintable(y1850 + u'/' + y1950));
            // Summer and winter times, skipped or not, carry no zone.
            for (const QDateTime &when :
                 {QDateTime(QDate(2024, 7, 14), QTime(13, 5, 9), Qt::UTC), QDateTime(QDate(2024, 1, 14), QTime(13, 5, 9), Qt::UTC),
                  QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC)}) {
                const QString text = vb::DateText(QVariant(when), locale);
                QCOMPARE(text, vb::DateText(when.date(), when.time(), locale));
                QCOMPARE(text, locale.toString(when.date(), vb::DatePattern(locale)) + u' ' +
                                   locale.toString(when.time(), vb::TimePattern(locale)));
                for (const char *zone : {"UTC", "GMT", "CET", "CEST", "BRT", "-03", "+01", "+02"})
                    QVERIFY2(!text.contains(QLatin1String(zone)), qPrintable(text));
                QVERIFY2(text.contains(locale.toString(when.date().year())) ||
                             text.contains(QString::number(when.date().year())),
                         qPrintable(text));
            }
            // Midnight alone shows the day alone, even the one the clock skips.
            QCOMPARE(vb::DateText(QVariant(QDateTime(QDate(2018, 11, 4), QTime(0, 0), Qt::UTC)), locale),
                     locale.toString(QDate(2018, 11, 4), vb::DatePattern(locale)));
            QCOMPARE(vb::DateText(QVariant(QDate(2018, 11, 4)), locale),
                     locale.toString(QDate(2018, 11, 4), vb::DatePattern(locale)));
        }
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(vb::DateText(QDate(1850, 6, 1), QTime(13, 5, 9), us).left(9), QStringLiteral("6/1/1850 "));
        QCOMPARE(vb::DateText(QDate(2024, 3, 31), QTime(0, 0), QLocale(QLocale::French, QLocale::France)),
                 QStringLiteral("31/03/2024"));
    }

    // "Now" is the local wall clock read once, and a day the clock enters
    // past midnight still starts at midnight.
    void nowIsTheWallClockWithoutAZone()
    {
        // The wall clock read just before and just after, to the second.
        const auto wall = [] {
            const QDateTime t = QDateTime::currentDateTime();
            return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()), Qt::UTC);
        };
        const QDateTime before = wall();
        const QDateTime now = vb::Now();
        const QDateTime after = wall();
        QCOMPARE(now.timeSpec(), Qt::UTC);
        QCOMPARE(now.time().msec(), 0);
        // Between the two however long it took; on one side of the step
        // when the clock went back meanwhile (summer time ending).
        const bool between = before <= after ? before <= now && now <= after : now >= before || now <= after;
        QVERIFY2(between, qPrintable(before.toString(Qt::ISODate) + u' ' + now.toString(Qt::ISODate) + u' '
                                     + after.toString(Qt::ISODate)));

        vb::SetClockForTests([] { return QDateTime(QDate(2018, 11, 4), QTime(1, 0, 0, 500), Qt::UTC); });
        QCOMPARE(vb::Today(), QDate(2018, 11, 4));
        QCOMPARE(vb::Now(), QDateTime(QDate(2018, 11, 4), QTime(1, 0), Qt::UTC));
        Database db = base();
        Recordset rs = db.OpenRecordset(QStringLiteral("T"));
        QCOMPARE(errorOf([&] { addRow(rs, {QStringLiteral("today"), vb::Today()}); }), 0);
        QCOMPARE(errorOf([&] { addRow(rs, {QStringLiteral("now"), vb::Now()}); }), 0);
        QCOMPARE(storedDates(db, "T"), (QStringList{"'2018-11-04 00:00:00'", "'2018-11-04 01:00:00'"}));
    }
};

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
