// Long walks of an index read on from one running statement: they must give
// every row once in order, both ways and with Null keys, go on rightly after
// a seek or a write, and never hold off another connection's write.

#include "DaoErrors.h"
#include "DaoTestUtil.h"

#include <sqlite3.h>

#include <QElapsedTimer>

using namespace dao;

class TestWalk : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;
    Database m_db;
    int m_serial = 0;
    static constexpr int kRows = 3000;

    // Key k%03d for i, in an order unlike the row order; one row in ten
    // has no group (Null), the others one of 40 groups.
    static QString keyOf(int i) { return QStringLiteral("k%1").arg((i * 7919) % kRows, 4, 10, QChar(u'0')); }
    static QVariant groupOf(int i) { return i % 10 == 0 ? QVariant() : QVariant(QStringLiteral("g%1").arg(i % 40, 2, 10, QChar(u'0'))); }

    QStringList walk(Recordset &rs, int dir)
    {
        QStringList keys;
        Field k = rs.Fields(QStringLiteral("KEY"));
        if (dir > 0)
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                keys << k.Value().toString();
        else
            for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious())
                keys << k.Value().toString();
        return keys;
    }
    // The keys in the order of (GRP, row id), Nulls first, as the engine sorts.
    QStringList expectedByGroup() const
    {
        QList<QPair<QString, int>> rows;
        for (int i = 0; i < kRows; ++i)
            rows.append({groupOf(i).isValid() ? u'1' + groupOf(i).toString() : QStringLiteral("0"), i});
        std::stable_sort(rows.begin(), rows.end(), [](auto &a, auto &b) { return a.first < b.first; });
        QStringList out;
        for (auto &r : rows)
            out << keyOf(r.second);
        return out;
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("w%1.cvb").arg(++m_serial));
        m_db = DBEngine::CreateDatabase(m_path, kLocale);
        makeTable(m_db, QStringLiteral("T"), {{QStringLiteral("KEY"), dbText, 10}, {QStringLiteral("GRP"), dbText, 10}},
                  {{QStringLiteral("ByKey"), {QStringLiteral("KEY")}, QStringLiteral("U")},
                   {QStringLiteral("ByGroup"), {QStringLiteral("GRP")}, QStringLiteral("")}});
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        TransactionScope tx;
        for (int i = 0; i < kRows; ++i)
            addRow(rs, {keyOf(i), groupOf(i)});
        tx.Commit();
    }
    void cleanup() { m_db.Close(); }

    void everyRowOnceInOrderBothWays()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByGroup"));
        const QStringList expected = expectedByGroup();
        QCOMPARE(walk(rs, +1), expected);
        QStringList backwards = expected;
        std::reverse(backwards.begin(), backwards.end());
        // Backwards the Null groups come last, after the walk has run on
        // through every other row.
        QCOMPARE(walk(rs, -1), backwards);
        rs.setIndex(QStringLiteral("ByKey"));
        const QStringList byKey = walk(rs, +1);
        QCOMPARE(byKey.size(), kRows);
        QVERIFY(std::is_sorted(byKey.begin(), byKey.end()));
    }

    void aSeekOrAWriteAmidAWalkIsFollowed()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByKey"));
        Field k = rs.Fields(QStringLiteral("KEY"));
        rs.MoveFirst();
        for (int i = 0; i < 1500; ++i)
            rs.MoveNext();
        QCOMPARE(k.Value().toString(), QStringLiteral("k1500"));
        rs.Seek(QStringLiteral("="), QStringLiteral("k0100"));
        rs.MoveNext();
        QCOMPARE(k.Value().toString(), QStringLiteral("k0101"));
        for (int i = 0; i < 1500; ++i)
            rs.MoveNext();
        QCOMPARE(k.Value().toString(), QStringLiteral("k1601"));
        // A row added just ahead of the walk is met; the current one deleted
        // leaves the walk going on from where it stood.
        Recordset other = m_db.OpenRecordset(QStringLiteral("T"));
        addRow(other, {QStringLiteral("k1601a"), QVariant()});
        rs.Delete();
        rs.MoveNext();
        QCOMPARE(k.Value().toString(), QStringLiteral("k1601a"));
        rs.MoveNext();
        QCOMPARE(k.Value().toString(), QStringLiteral("k1602"));
        int rest = 0;
        for (; !rs.Eof(); rs.MoveNext())
            ++rest;
        QCOMPARE(rest, kRows - 1602);
    }

    void aWalkLeftPartWayHoldsOffNoOtherConnection()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByKey"));
        rs.MoveFirst();
        for (int i = 0; i < 2000; ++i)
            rs.MoveNext();
        Database second = DBEngine::OpenDatabase(m_path, false, false, kConnect);
        Recordset there = second.OpenRecordset(QStringLiteral("T"));
        QElapsedTimer clock;
        clock.start();
        addRow(there, {QStringLiteral("zz"), QVariant()});
        QVERIFY2(clock.elapsed() < 1000, "the write waited for the walk's read lock");
        second.Close();
        // The walk goes on, and meets the row written meanwhile.
        QString last;
        for (rs.MoveNext(); !rs.Eof(); rs.MoveNext())
            last = rs.Fields(QStringLiteral("KEY")).Value().toString();
        QCOMPARE(last, QStringLiteral("zz"));

        // Once the event loop has control again, nothing of the walk holds
        // the file: another connection writes without waiting.
        rs.MoveFirst();
        for (int i = 0; i < 2000; ++i)
            rs.MoveNext();
        QCoreApplication::processEvents();
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_key(raw, "Qv47Tz28", 8);
        QCOMPARE(sqlite3_exec(raw, "BEGIN IMMEDIATE; COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    }
};

QTEST_GUILESS_MAIN(TestWalk)
#include "tst_walk.moc"
