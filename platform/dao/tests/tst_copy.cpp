// Copying rows with RowReader and RowWriter stores exactly what a walk of
// the source through a recordset, written with AddNew, field values and
// Update, stores: the same values, the same refusals, the same columns left
// empty, on values a base from elsewhere may hold (Nulls, texts too long for
// their column, numbers out of range, odd storage types, broken UTF-8, dates
// the clock skipped, duplicate keys, text beyond ASCII).

#include "DaoErrors.h"
#include "DaoImpl.h"
#include "DaoTestUtil.h"

#include <QMap>

#include <ctime>

using namespace dao;

namespace {

const QStringList kCopied = {"T", "M", "L", "I", "B", "D", "X", "Y", "Z"};

// What the copy did: rows added and refused (with why), columns left empty.
struct Tally {
    int added = 0;
    QList<int> refusals;
    QMap<QString, int> emptied;
    bool operator==(const Tally &o) const
    {
        return added == o.added && refusals == o.refusals && emptied == o.emptied;
    }
};

bool refusal(int number)
{
    switch (number) {
    case ErrDuplicate:
    case ErrNullInIndex:
    case ErrRequiredNull:
    case ErrZeroLength:
    case ErrFieldTooSmall:
    case ErrConversion:
    case ErrOverflow:
    case ErrCounterNotUpdatable:
        return true;
    default:
        return false;
    }
}

void rawExec(const Database &db, const QByteArray &sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(Access::impl(db)->db, sql.constData(), nullptr, nullptr, &err);
    QVERIFY2(rc == SQLITE_OK, err);
    sqlite3_free(err);
}

// Every stored value of DST, with its storage type, in row order.
QStringList dump(const Database &db)
{
    QStringList out;
    QByteArray sql = "SELECT rowid";
    for (const QString &c : kCopied)
        sql += ", typeof(\"" + c.toUtf8() + "\") || ':' || quote(\"" + c.toUtf8() + "\")";
    sql += " FROM DST ORDER BY rowid";
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(Access::impl(db)->db, sql.constData(), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        QString row = QString::number(sqlite3_column_int64(s, 0));
        for (int i = 1; i < sqlite3_column_count(s); ++i)
            row += QStringLiteral(" | ") +
                   QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)));
        out << row;
    }
    sqlite3_finalize(s);
    return out;
}

// One row's write on either road: a refused row counts by its error, an
// added one with the fields it left empty.
template <class Write> void countWrite(Tally &tally, const QStringList &emptied, Write write)
{
    try {
        write();
    } catch (const vb::Error &e) {
        if (!refusal(e.number()))
            throw;
        tally.refusals << e.number();
        return;
    }
    ++tally.added;
    for (const QString &c : emptied)
        ++tally.emptied[c];
}

// The road of a recordset walk, as the import took it before.
Tally byRecordsets(const Database &src, const Database &dst, const QString &index)
{
    Tally tally;
    Recordset in = src.OpenRecordset(QStringLiteral("SRC"), dbOpenTable, dbReadOnly);
    if (!index.isEmpty())
        in.setIndex(index);
    Recordset out = dst.OpenRecordset(QStringLiteral("DST"));
    TransactionScope tx;
    for (in.MoveFirst(); !in.Eof(); in.MoveNext()) {
        QStringList emptied;
        out.AddNew();
        for (const QString &name : kCopied) {
            const QVariant v = in.Fields(name).Value();
            Field f = out.Fields(name);
            if (f.Type() == dbText && v.isValid() && v.toString().size() > f.Size()) {
                emptied << name;
                continue;
            }
            try {
                f.setValue(v);
            } catch (const vb::Error &e) {
                if (!refusal(e.number()))
                    throw;
                emptied << name;
            }
        }
        countWrite(tally, emptied, [&] { out.Update(); });
    }
    tx.Commit();
    return tally;
}

// The road of RowReader and RowWriter, as the import takes it now.
Tally byRows(const Database &src, const Database &dst, const QString &index)
{
    Tally tally;
    RowReader in(src, QStringLiteral("SRC"), index, kCopied);
    RowWriter out(dst, QStringLiteral("DST"), kCopied);
    Recordset shape = dst.OpenRecordset(QStringLiteral("DST"), dbOpenTable, dbReadOnly);
    TransactionScope tx;
    while (in.next()) {
        QStringList emptied;
        out.begin();
        for (int i = 0; i < kCopied.size(); ++i) {
            const Field f = shape.Fields(kCopied[i]);
            const int widest = f.Type() == dbText ? f.Size() : 0;
            qsizetype length = 0;
            if (out.copyStored(i, in, i, &length)) {
                if (widest > 0 && length > widest) {
                    emptied << kCopied[i];
                    out.set(i, QVariant());
                }
                continue;
            }
            const QVariant v = in.value(i);
            if (widest > 0 && v.isValid() && v.toString().size() > widest) {
                emptied << kCopied[i];
                continue;
            }
            if (const int refused = out.set(i, v)) {
                if (!refusal(refused))
                    fail(refused, kCopied[i]);
                emptied << kCopied[i];
            }
        }
        countWrite(tally, emptied, [&] { out.insert(); });
    }
    tx.Commit();
    return tally;
}

} // namespace

class TestCopy : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    int m_serial = 0;

    Database newBase()
    {
        return DBEngine::CreateDatabase(m_dir.filePath(QStringLiteral("c%1.cvb").arg(++m_serial)), kLocale);
    }

    Database target()
    {
        Database db = newBase();
        makeTable(db, QStringLiteral("DST"),
                  {{QStringLiteral("N"), dbLong, 0, false, dbAutoIncrField | dbFixedField},
                   {QStringLiteral("T"), dbText, 10},
                   {QStringLiteral("M"), dbMemo},
                   {QStringLiteral("L"), dbLong},
                   {QStringLiteral("I"), dbInteger},
                   {QStringLiteral("B"), dbBoolean},
                   {QStringLiteral("D"), dbDate},
                   {QStringLiteral("X"), dbLong},
                   {QStringLiteral("Y"), dbText, 3},
                   {QStringLiteral("Z"), dbText, 5}},
                  {{QStringLiteral("ByN"), {QStringLiteral("N")}, QStringLiteral("P")},
                   {QStringLiteral("ByT"), {QStringLiteral("T")}, QStringLiteral("UR")},
                   {QStringLiteral("ByL"), {QStringLiteral("L")}, QString()}});
        return db;
    }

    // A source as a base from elsewhere may hold it, written past the
    // engine's checks.
    Database source()
    {
        Database db = newBase();
        makeTable(db, QStringLiteral("SRC"),
                  {{QStringLiteral("N"), dbLong, 0, false, dbAutoIncrField | dbFixedField},
                   {QStringLiteral("T"), dbText, 50, true},
                   {QStringLiteral("M"), dbMemo, 0, true},
                   {QStringLiteral("L"), dbLong},
                   {QStringLiteral("I"), dbInteger},
                   {QStringLiteral("B"), dbBoolean},
                   {QStringLiteral("D"), dbDate},
                   {QStringLiteral("X"), dbText, 20, true},
                   {QStringLiteral("Y"), dbLong},
                   {QStringLiteral("Z"), dbMemo, 0, true}},
                  {{QStringLiteral("ByN"), {QStringLiteral("N")}, QStringLiteral("P")},
                   {QStringLiteral("ByT"), {QStringLiteral("T")}, QString()}});
        rawExec(db, "INSERT INTO SRC(T, M, L, I, B, D, X, Y, Z) VALUES"
                    "('alpha', 'memo text', 1, 2, -1, '2020-01-05 10:20:30', '12', 7, 'short'),"
                    "('nulls', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
                    "('abcdefghijk', 'too long a key', 3, 3, 0, NULL, NULL, NULL, NULL),"
                    "('éééééééééé', '', 4, 4, 0, NULL, NULL, NULL, NULL),"
                    "('ééééé', 'ü', 5, 5, 0, NULL, NULL, 123, 'ü😀ü'),"
                    "('😀😀😀😀😀', '😀', 6, 6, 0, NULL, NULL, 1234, '😀😀😀'),"
                    "('Dup', 'first', 7, 7, 0, NULL, NULL, NULL, NULL),"
                    "('DUP', 'second', 8, 8, 0, NULL, NULL, NULL, NULL),"
                    "(CAST(X'41C328' AS TEXT), CAST(X'410042' AS TEXT), 9, 9, 0, NULL, NULL, NULL, CAST(X'EDA080' AS TEXT)),"
                    "('big', 'm', 5000000000, 40000, 5, '2020-1-5', '', NULL, CAST(X'F4908080' AS TEXT)),"
                    "('texts', 'm', '42', -32768, 0, '2020-01-05', 'abc', '8', CAST(X'C0AF' AS TEXT)),"
                    "('real', 'm', 3.7, 'x', 'True', '0050-01-01 00:00:00', ' 12 ', 2.5, 12),"
                    "('blob', 'm', X'00', NULL, NULL, 'garbage', NULL, NULL, NULL),"
                    "('gap', 'm', -2147483648, 32767, 1, '2021-03-28 02:30:00', NULL, NULL, NULL),"
                    "('number', 'm', 2147483648, -32769, -1, 45000, NULL, NULL, NULL),"
                    "('seps', 'm', NULL, NULL, NULL, '2020-01-05 10x20x30', NULL, NULL, NULL),"
                    "('feb30', 'm', NULL, NULL, NULL, '2020-02-30 10:00:00', NULL, NULL, NULL),"
                    "('late', 'm', NULL, NULL, NULL, '2020-01-05 24:00:00', NULL, NULL, NULL),"
                    "('year', 'm', NULL, NULL, NULL, '9999-12-31 23:59:59', NULL, NULL, NULL),"
                    "('ascii long enough to pass eight at a time', 'm', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
                    "('€uro', 'e', NULL, NULL, NULL, ' 2020-01-05 10:20:30', NULL, NULL, 'Ab\tc')");
        return db;
    }

private slots:
    void bothRoadsStoreTheSame_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<bool>("filled");
        QTest::newRow("stored order, empty target") << QString() << false;
        QTest::newRow("key order, empty target") << QStringLiteral("ByT") << false;
        QTest::newRow("key order, rows there") << QStringLiteral("ByT") << true;
    }
    void bothRoadsStoreTheSame()
    {
        QFETCH(QString, index);
        QFETCH(bool, filled);
        Database src = source();
        Database before = target(), now = target();
        if (filled) {
            // Keys the target holds already, one in other letters, and
            // counters already handed out.
            for (const Database &db : {before, now}) {
                Recordset rs = db.OpenRecordset(QStringLiteral("DST"));
                addRow(rs, {QVariant(), QStringLiteral("ALPHA"), QStringLiteral("there")});
                addRow(rs, {QVariant(), QStringLiteral("zeta"), QStringLiteral("there")});
            }
        }
        const Tally old = byRecordsets(src, before, index);
        const Tally fresh = byRows(src, now, index);
        const QStringList a = dump(before), b = dump(now);
        for (int i = 0; i < std::min(a.size(), b.size()); ++i)
            QCOMPARE(b[i], a[i]);
        QCOMPARE(b.size(), a.size());
        QCOMPARE(fresh.added, old.added);
        QCOMPARE(fresh.refusals, old.refusals);
        QCOMPARE(fresh.emptied, old.emptied);
        // The edges are there: refused keys (too long, "" memo, the second
        // "Dup"), columns left empty, and the rows that went in.
        QVERIFY(old.refusals.contains(ErrDuplicate));
        QVERIFY(old.refusals.contains(ErrNullInIndex));
        QVERIFY(old.refusals.contains(ErrZeroLength));
        QVERIFY(old.emptied.value(QStringLiteral("Z")) >= 1);
        QVERIFY(old.emptied.value(QStringLiteral("X")) >= 1);
        QVERIFY(old.emptied.value(QStringLiteral("I")) >= 1);
        QVERIFY(old.added >= 15);
        src.Close();
        before.Close();
        now.Close();
    }

    void storedValuesGoAsTheyAreOnlyWhenNothingWouldChange()
    {
        Database src = source();
        Database dst = target();
        RowReader in(src, QStringLiteral("SRC"), QStringLiteral("ByN"), kCopied);
        RowWriter out(dst, QStringLiteral("DST"), kCopied);
        QMap<QString, QString> asStored; // key -> columns copied as stored
        TransactionScope tx;
        while (in.next()) {
            out.begin();
            QString columns;
            for (int i = 0; i < kCopied.size(); ++i)
                if (out.copyStored(i, in, i))
                    columns += kCopied[i];
            asStored.insert(in.value(0).toString(), columns);
        }
        // Text into text, numbers in range, dates in the stored form, and
        // Nulls go as they are; a Long into a Text column, broken UTF-8
        // (a lone byte, a surrogate, beyond U+10FFFF, an overlong form),
        // numbers out of range, Booleans other than -1 and 0, reals and
        // dates in any other form are converted. A date belongs to no zone:
        // one the local clock skips goes as it is, like any other.
        QCOMPARE(asStored.value(QStringLiteral("alpha")), QStringLiteral("TMLIBDZ"));
        QCOMPARE(asStored.value(QStringLiteral("nulls")), QStringLiteral("TMLIBDXYZ"));
        QCOMPARE(asStored.value(QStringLiteral("😀😀😀😀😀")), QStringLiteral("TMLIBDXZ"));
        QCOMPARE(asStored.value(QStringLiteral("A\uFFFD(")), QStringLiteral("MLIBDXY"));
        QCOMPARE(asStored.value(QStringLiteral("big")), QStringLiteral("TMY"));
        QCOMPARE(asStored.value(QStringLiteral("texts")), QStringLiteral("TMLIB"));
        QCOMPARE(asStored.value(QStringLiteral("real")), QStringLiteral("TMZ"));
        QCOMPARE(asStored.value(QStringLiteral("gap")), QStringLiteral("TMLIDXYZ"));
        QCOMPARE(asStored.value(QStringLiteral("number")), QStringLiteral("TMBXYZ"));
        QCOMPARE(asStored.value(QStringLiteral("late")), QStringLiteral("TMLIBXYZ"));
        QCOMPARE(asStored.value(QStringLiteral("year")), QStringLiteral("TMLIBDXYZ"));
        QCOMPARE(asStored.value(QStringLiteral("€uro")), QStringLiteral("TMLIBXYZ"));
        tx.Commit();
        QCOMPARE(in.count(), 21L);
        QCOMPARE_ERR(RowReader(src, QStringLiteral("SRC"), QStringLiteral("Nope"), kCopied), int(ErrNotAnIndex));
        QCOMPARE_ERR(RowReader(src, QStringLiteral("Nope"), QString(), kCopied), int(ErrTableNotFound));
        QCOMPARE_ERR(RowWriter(dst, QStringLiteral("DST"), {QStringLiteral("Nope")}), int(ErrItemNotFound));
        RowReader lacking(src, QStringLiteral("SRC"), QString(), {QStringLiteral("T"), QStringLiteral("Nope")});
        QVERIFY(lacking.has(0));
        QVERIFY(!lacking.has(1));
        QVERIFY(lacking.next());
        QVERIFY(!lacking.value(1).isValid());
        src.Close();
        dst.Close();
    }

    void aReadOnlyTargetRefusesAtTheFirstRow()
    {
        Database dst = target();
        const QString path = dst.Name();
        dst.Close();
        dst = DBEngine::OpenDatabase(path, false, true, kConnect);
        RowWriter out(dst, QStringLiteral("DST"), kCopied);
        QCOMPARE_ERR(out.begin(), int(ErrReadOnly));
        QCOMPARE_ERR(out.insert(), int(ErrUpdateWithoutEdit));
        dst.Close();
    }
};

int main(int argc, char **argv)
{
    // A zone whose clock skips an hour, for the date the clock skipped.
    qputenv("TZ", "Europe/Paris");
    tzset();
    QCoreApplication app(argc, argv);
    TestCopy t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_copy.moc"
