// Long walks of an index read on from one running statement: they must give
// every row once in order, both ways and with Null keys, go on rightly after
// a seek or a write, and never hold off another connection's write.
// Reads hold one read transaction until a write or the event loop's turn.

#include "Collation.h"
#include "DaoErrors.h"
#include "DaoTestUtil.h"

#include <sqlite3.h>

#include <functional>

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

    // Typed columns with Nulls, a memo, and three indexes, for the walks
    // that read their values as they go.
    static constexpr int kTyped = 600;
    static QVariant numberOf(int i) { return i % 7 == 0 ? QVariant() : QVariant(i * 3); }
    static QVariant dateOf(int i) { return i % 11 == 0 ? QVariant() : QVariant(QDateTime(QDate(2001, 1, 1).addDays(i), QTime(8, 30, i % 60))); }
    static QVariant noteOf(int i) { return i % 5 == 0 ? QVariant() : QVariant(QStringLiteral("note %1").arg(i)); }
    Recordset typedTable()
    {
        makeTable(m_db, QStringLiteral("V"),
                  {{QStringLiteral("KEY"), dbText, 10}, {QStringLiteral("N"), dbLong}, {QStringLiteral("B"), dbBoolean},
                   {QStringLiteral("D"), dbDate}, {QStringLiteral("NOTE"), dbText, 20}, {QStringLiteral("M"), dbMemo}},
                  {{QStringLiteral("ByKey"), {QStringLiteral("KEY")}, QStringLiteral("U")},
                   {QStringLiteral("ByN"), {QStringLiteral("N")}, QStringLiteral("")},
                   {QStringLiteral("ByDate"), {QStringLiteral("D")}, QStringLiteral("")}});
        Recordset rs = m_db.OpenRecordset(QStringLiteral("V"));
        TransactionScope tx;
        for (int i = 0; i < kTyped; ++i)
            addRow(rs, {QStringLiteral("v%1").arg(i, 4, 10, QChar(u'0')), numberOf(i), i % 2 == 0, dateOf(i), noteOf(i),
                        QStringLiteral("memo %1").arg(i)});
        tx.Commit();
        rs.setIndex(QStringLiteral("ByKey"));
        return rs;
    }
    // Each field of row i read as the program reads it, Nulls as Null.
    static void compareTyped(Recordset &rs, int i)
    {
        const QString at = QStringLiteral("row %1").arg(i);
        QCOMPARE(rs.Fields(QStringLiteral("KEY")).Value(), QVariant(QStringLiteral("v%1").arg(i, 4, 10, QChar(u'0'))));
        const QVariant n = rs.Fields(QStringLiteral("N")).Value();
        QVERIFY2(n == numberOf(i) && n.isValid() == numberOf(i).isValid(), qPrintable(at));
        if (n.isValid())
            QCOMPARE(n.typeId(), QMetaType::Int);
        QCOMPARE(rs.Fields(QStringLiteral("B")).Value(), QVariant(i % 2 == 0));
        const QVariant d = rs.Fields(QStringLiteral("D")).Value();
        QVERIFY2(d == dateOf(i) && d.isValid() == dateOf(i).isValid(), qPrintable(at));
        const QVariant note = rs.Fields(QStringLiteral("NOTE")).Value();
        QVERIFY2(note == noteOf(i) && note.isValid() == noteOf(i).isValid(), qPrintable(at));
        QCOMPARE(rs.Fields(QStringLiteral("M")).Value(), QVariant(QStringLiteral("memo %1").arg(i)));
    }

    static void compareTypedBut(Recordset &rs, int i)
    {
        QCOMPARE(rs.Fields(QStringLiteral("NOTE")).Value(), QVariant(QStringLiteral("edited")));
        QCOMPARE(rs.Fields(QStringLiteral("N")).Value(), numberOf(i));
        QCOMPARE(rs.Fields(QStringLiteral("B")).Value(), QVariant(i % 2 == 0));
        QCOMPARE(rs.Fields(QStringLiteral("M")).Value(), QVariant(QStringLiteral("memo %1").arg(i)));
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

    void valuesOfEveryTypeAsTheWalkReadsThem()
    {
        Recordset rs = typedTable();
        Field key = rs.Fields(QStringLiteral("KEY")), n = rs.Fields(QStringLiteral("N"));
        QByteArray mark;
        int i = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++i) {
            if (i == 250)
                mark = rs.Bookmark();
            // A field read twice on a row gives the same value.
            QCOMPARE(key.Value(), key.Value());
            // The other fields are read only from row 300 on: the walk's
            // statement lacks them until then.
            if (i < 300)
                QCOMPARE(key.Value().toString(), QStringLiteral("v%1").arg(i, 4, 10, QChar(u'0')));
            else
                compareTyped(rs, i);
            QCOMPARE(n.Value().isValid(), numberOf(i).isValid());
        }
        QCOMPARE(i, kTyped);
        rs.setBookmark(mark);
        compareTyped(rs, 250);
        rs.MoveLast();
        rs.MoveNext();
        // Past the last row there is no current record; back from there,
        // the last row again.
        QCOMPARE_ERR(key.Value(), ErrNoCurrentRecord);
        rs.MovePrevious();
        compareTyped(rs, kTyped - 1);
        // The same backwards, down to the first row.
        i = kTyped - 1;
        for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious(), --i)
            compareTyped(rs, i);
        QCOMPARE(i, -1);
        QCOMPARE_ERR(key.Value(), ErrNoCurrentRecord);
        rs.MoveNext();
        compareTyped(rs, 0);
    }

    void editsAndDeletesAmidAWalkThatReadsOneField()
    {
        Recordset rs = typedTable();
        Field key = rs.Fields(QStringLiteral("KEY"));
        QStringList seen;
        int i = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++i) {
            seen << key.Value().toString();
            if (i == 200) {
                // An edit of a field the walk never read leaves the others as
                // they were, and the walk goes on.
                rs.Edit();
                rs.Fields(QStringLiteral("NOTE")).setValue(QStringLiteral("edited"));
                rs.Update();
                QCOMPARE(rs.Fields(QStringLiteral("NOTE")).Value(), QVariant(QStringLiteral("edited")));
                QCOMPARE(rs.Fields(QStringLiteral("N")).Value(), numberOf(200));
                QCOMPARE(rs.Fields(QStringLiteral("D")).Value(), dateOf(200));
            }
            if (i == 400)
                rs.Delete();
        }
        QCOMPARE(seen.size(), kTyped);
        QCOMPARE(seen.at(401), QStringLiteral("v0401"));
        rs.Seek(QStringLiteral("="), QStringLiteral("v0200"));
        compareTypedBut(rs, 200);
        rs.Seek(QStringLiteral("="), QStringLiteral("v0400"));
        QVERIFY(rs.NoMatch());

        // A row deleted where a walk that read only KEY stands, then another
        // index: the walk goes on from the deleted row's value there.
        Recordset walker = m_db.OpenRecordset(QStringLiteral("V"));
        walker.setIndex(QStringLiteral("ByKey"));
        Field wkey = walker.Fields(QStringLiteral("KEY"));
        walker.MoveFirst();
        for (i = 0; i < 250; ++i) {
            QCOMPARE(wkey.Value().toString(), QStringLiteral("v%1").arg(i, 4, 10, QChar(u'0')));
            walker.MoveNext();
        }
        walker.Delete();
        walker.setIndex(QStringLiteral("ByN"));
        walker.MoveNext();
        // N = 750 for row 250; the next N up is 753, row 251.
        QCOMPARE(wkey.Value().toString(), QStringLiteral("v0251"));

        // Another index amid such a walk, no delete: on from the current
        // row's value in that index (dates follow the rows, 121 has none).
        Recordset byDate = m_db.OpenRecordset(QStringLiteral("V"));
        byDate.setIndex(QStringLiteral("ByKey"));
        Field dkey = byDate.Fields(QStringLiteral("KEY"));
        byDate.MoveFirst();
        for (i = 0; i < 120; ++i)
            byDate.MoveNext();
        QCOMPARE(dkey.Value().toString(), QStringLiteral("v0120"));
        byDate.setIndex(QStringLiteral("ByDate"));
        byDate.MoveNext();
        QCOMPARE(dkey.Value().toString(), QStringLiteral("v0122"));
    }
    void anEditAmidAWalkHoldsTheColumnsItNeverRead()
    {
        // A primary index of two columns; the walk goes by the first alone
        // and reads nothing else, so the second is not in its statement.
        makeTable(m_db, QStringLiteral("P"), {{QStringLiteral("UP"), dbText, 10}, {QStringLiteral("DOWN"), dbText, 10}},
                  {{QStringLiteral("UpDown"), {QStringLiteral("UP"), QStringLiteral("DOWN")}, QStringLiteral("PU")},
                   {QStringLiteral("Up"), {QStringLiteral("UP")}, QStringLiteral("")}});
        Recordset rs = m_db.OpenRecordset(QStringLiteral("P"));
        {
            TransactionScope tx;
            for (int i = 0; i < 300; ++i)
                addRow(rs, {QStringLiteral("u%1").arg(i, 3, 10, QChar(u'0')), QStringLiteral("d%1").arg(i)});
            tx.Commit();
        }
        rs = m_db.OpenRecordset(QStringLiteral("P"));
        rs.setIndex(QStringLiteral("Up"));
        Field up = rs.Fields(QStringLiteral("UP"));
        rs.MoveFirst();
        for (int i = 0; i < 150; ++i)
            rs.MoveNext();
        QCOMPARE(up.Value().toString(), QStringLiteral("u150"));
        // The edit holds the unread column as stored, so the primary index
        // sees the record whole: no "Null in index" refusal, nothing lost.
        rs.Edit();
        up.setValue(QStringLiteral("u150x"));
        rs.Update();
        QCOMPARE(rs.Fields(QStringLiteral("DOWN")).Value(), QVariant(QStringLiteral("d150")));
        rs.setIndex(QStringLiteral("UpDown"));
        rs.Seek(QStringLiteral("="), QStringLiteral("u150x"), QStringLiteral("d150"));
        QVERIFY(!rs.NoMatch());
        rs.Seek(QStringLiteral("="), QStringLiteral("u150"), QStringLiteral("d150"));
        QVERIFY(rs.NoMatch());
    }
    void aWriteOrTheEventLoopAmidAWalkLosesNoPlace()
    {
        // The walk reads KEY only: its ordering field GRP stays in the
        // walk's statement until that statement is given up.
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByGroup"));
        Field k = rs.Fields(QStringLiteral("KEY"));
        Recordset other = m_db.OpenRecordset(QStringLiteral("T"));
        QStringList keys;
        int i = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++i) {
            if (i == 1000)
                addRow(other, {QStringLiteral("new"), QStringLiteral("g99")});
            if (i == 2000)
                QCoreApplication::processEvents();
            keys << k.Value().toString();
        }
        QStringList expected = expectedByGroup();
        expected << QStringLiteral("new");
        QCOMPARE(keys, expected);
        // The field read after another cursor changed the record: its new value.
        rs.MoveFirst();
        for (i = 0; i < 500; ++i)
            rs.MoveNext();
        const QString at = k.Value().toString();
        other.setIndex(QStringLiteral("ByKey"));
        other.Seek(QStringLiteral("="), at);
        other.Edit();
        other.Fields(QStringLiteral("KEY")).setValue(at + u'x');
        other.Update();
        QCOMPARE(k.Value().toString(), at + u'x');
        rs.MoveNext();
        QCOMPARE(k.Value().toString(), expected.at(501));
    }

    // A seek "=" reads its key's rows, in every spelling that compares
    // equal (case, composed or not), by row id, then the walk goes on into
    // the next key; a write or the event loop amid it loses nothing.
    void aSeekWalksItsKeyInEverySpellingThenBeyond()
    {
        const QStringList spellings = {QStringLiteral("alpha"),   QStringLiteral("Beta"),    QStringLiteral("ALPHA"),
                                       QStringLiteral("beta"),    QStringLiteral("Économie"), QStringLiteral("gamma"),
                                       QStringLiteral("économie"), QStringLiteral("e\u0301conomie"), QStringLiteral("Alpha"),
                                       QStringLiteral("delta")};
        constexpr int kSpelled = 400;
        makeTable(m_db, QStringLiteral("S"),
                  {{QStringLiteral("KEY"), dbText, 20}, {QStringLiteral("N"), dbLong}, {QStringLiteral("M"), dbLong}},
                  {{QStringLiteral("ByKey"), {QStringLiteral("KEY")}, QStringLiteral("")},
                   {QStringLiteral("ByKeyM"), {QStringLiteral("KEY"), QStringLiteral("M")}, QStringLiteral("")},
                   {QStringLiteral("ByM"), {QStringLiteral("M")}, QStringLiteral("")}});
        Recordset rs = m_db.OpenRecordset(QStringLiteral("S"));
        struct Row {
            QString key;
            int n, m;
        };
        std::vector<Row> rows;
        {
            TransactionScope tx;
            for (int i = 0; i < kSpelled; ++i) {
                rows.push_back({spellings.at((i * 7) % spellings.size()), i, (i * 5) % 3});
                addRow(rs, {rows.back().key, i, rows.back().m});
            }
            tx.Commit();
        }
        // The rows in an index's order: key as the file compares it, then
        // M when asked, then insertion (row id).
        auto ordered = [&](bool byM) {
            std::vector<Row> v = rows;
            std::stable_sort(v.begin(), v.end(), [&](const Row &a, const Row &b) {
                const int c = compareText(a.key, b.key);
                return c != 0 ? c < 0 : byM && a.m < b.m;
            });
            return v;
        };
        Field key = rs.Fields(QStringLiteral("KEY")), n = rs.Fields(QStringLiteral("N"));
        auto sameRows = [&](bool byM, const QString &sought, const QList<int> &mOnly) {
            QList<int> want;
            int next = -1;
            for (const Row &r : ordered(byM)) {
                const bool in = compareText(r.key, sought) == 0 && (mOnly.isEmpty() || mOnly.contains(r.m));
                if (in)
                    want << r.n;
                else if (!want.isEmpty() && next < 0)
                    next = r.n;
            }
            return std::make_pair(want, next);
        };

        for (const QString &sought : {QStringLiteral("ALPHA"), QStringLiteral("économie"), QStringLiteral("BETA"),
                                      QStringLiteral("Delta"), QStringLiteral("GAMMA")}) {
            rs.setIndex(QStringLiteral("ByKey"));
            QList<int> got;
            for (rs.Seek(QStringLiteral("="), sought); !rs.Eof() && compareText(key.Value().toString(), sought) == 0;
                 rs.MoveNext())
                got << n.Value().toInt();
            const auto [want, next] = sameRows(false, sought, {});
            QCOMPARE(got, want);
            QCOMPARE(rs.Eof() ? -1 : n.Value().toInt(), next);
            // The whole key and the leading part of a longer index.
            for (const QList<int> &m : {QList<int>{}, QList<int>{1}}) {
                rs.setIndex(QStringLiteral("ByKeyM"));
                if (m.isEmpty())
                    rs.Seek(QStringLiteral("="), sought);
                else
                    rs.Seek(QStringLiteral("="), sought, m.first());
                QList<int> part;
                for (; !rs.Eof() && compareText(key.Value().toString(), sought) == 0 &&
                       (m.isEmpty() || rs.Fields(QStringLiteral("M")).Value().toInt() == m.first());
                     rs.MoveNext())
                    part << n.Value().toInt();
                const auto [wantM, nextM] = sameRows(true, sought, m);
                QCOMPARE(part, wantM);
                QCOMPARE(rs.Eof() ? -1 : n.Value().toInt(), nextM);
            }
        }

        // A number key: its rows by row id, then the next number's first.
        rs.setIndex(QStringLiteral("ByM"));
        for (int m = 0; m < 3; ++m) {
            QList<int> got, want;
            for (rs.Seek(QStringLiteral("="), m); !rs.Eof() && rs.Fields(QStringLiteral("M")).Value().toInt() == m;
                 rs.MoveNext())
                got << n.Value().toInt();
            for (const Row &r : rows)
                if (r.m == m)
                    want << r.n;
            QCOMPARE(got, want);
            const int next = m < 2 ? std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r.m == m + 1; })->n : -1;
            QCOMPARE(rs.Eof() ? -1 : n.Value().toInt(), next);
        }
        // A key between two others, or beyond the last, is not found.
        rs.setIndex(QStringLiteral("ByKey"));
        for (const QString &missing : {QStringLiteral("alphaa"), QStringLiteral("b"), QStringLiteral("zeta")}) {
            rs.Seek(QStringLiteral("="), missing);
            QVERIFY2(rs.NoMatch() && rs.Eof(), qPrintable(missing));
            QCOMPARE_ERR(rs.MoveNext(), ErrNoCurrentRecord);
        }

        // Amid a key's rows: a row of the key added in another spelling is
        // met at its end, one deleted ahead is not, and a turn of the event
        // loop changes nothing.
        rs.setIndex(QStringLiteral("ByKey"));
        Recordset other = m_db.OpenRecordset(QStringLiteral("S"));
        other.setIndex(QStringLiteral("ByKey"));
        auto [want, next] = sameRows(false, QStringLiteral("beta"), {});
        rs.Seek(QStringLiteral("="), QStringLiteral("beta"));
        QList<int> got{n.Value().toInt()};
        rs.MoveNext();
        got << n.Value().toInt();
        addRow(other, {QStringLiteral("BeTa"), 1000, 0});
        QCoreApplication::processEvents();
        rs.MoveNext();
        got << n.Value().toInt();
        other.Seek(QStringLiteral("="), QStringLiteral("beta"));
        for (int i = 0; i < 5; ++i)
            other.MoveNext();
        const int gone = other.Fields(QStringLiteral("N")).Value().toInt();
        other.Delete();
        for (rs.MoveNext(); !rs.Eof() && compareText(key.Value().toString(), QStringLiteral("beta")) == 0;
             rs.MoveNext())
            got << n.Value().toInt();
        want.removeOne(gone);
        want << 1000;
        QCOMPARE(got, want);
        QCOMPARE(n.Value().toInt(), next);

        // Seeks and whole walks take turns on one recordset.
        const std::vector<Row> all = ordered(false);
        QList<int> allN;
        for (const Row &r : all)
            allN << r.n;
        allN.insert(allN.indexOf(want.at(want.size() - 2)) + 1, 1000);
        allN.removeOne(gone);
        for (int round = 0; round < 2; ++round) {
            QList<int> walked;
            rs.MoveFirst();
            for (int i = 0; i < 150; ++i, rs.MoveNext())
                walked << n.Value().toInt();
            rs.Seek(QStringLiteral("="), QStringLiteral("GAMMA"));
            const int at = allN.indexOf(n.Value().toInt());
            QVERIFY(at > 0);
            rs.MovePrevious();
            QCOMPARE(n.Value().toInt(), allN.at(at - 1));
            rs.Seek(QStringLiteral("="), QStringLiteral("alpha"));
            for (; !rs.Eof(); rs.MoveNext())
                walked << n.Value().toInt();
            QCOMPARE(walked.mid(0, 150), allN.mid(0, 150));
            QCOMPARE(walked.mid(150), allN.mid(0));
        }
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
        // The walk's read ends before the write: held, it would make the
        // write fail once the busy timeout ran out.
        QCOMPARE(errorOf([&] { addRow(there, {QStringLiteral("zz"), QVariant()}); }), 0);
        second.Close();
        {
            // Nothing of the walk holds the file: a connection that never
            // waits locks it whole at once.
            sqlite3 *now = rawConnection();
            QCOMPARE(sqlite3_exec(now, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(now);
        }
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

    // The reads between two turns of the event loop share one read
    // transaction: it must end before any write of the program, so that
    // the write is committed at once and an explicit transaction still
    // undoes, and at the next turn, so that another program may write.
    sqlite3 *rawConnection()
    {
        sqlite3 *raw = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return raw;
        sqlite3_key(raw, "Qv47Tz28", 8);
        registerTextCollation(raw);
        return raw;
    }
    static int countOf(sqlite3 *raw, const char *sql)
    {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(raw, sql, -1, &s, nullptr) != SQLITE_OK)
            return -1;
        const int n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
        sqlite3_finalize(s);
        return n;
    }

    void aWriteAmidAWalkIsCommittedAtOnce()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByGroup"));
        Recordset other = m_db.OpenRecordset(QStringLiteral("T"));
        sqlite3 *raw = rawConnection();
        rs.MoveFirst();
        for (int i = 0; i < 100; ++i)
            rs.MoveNext();
        addRow(other, {QStringLiteral("w1"), QStringLiteral("g00")});
        // Seen by another program without any turn of the event loop.
        QCOMPARE(countOf(raw, "SELECT count(*) FROM T WHERE KEY = 'w1'"), 1);
        rs.MoveNext();
        QVERIFY(!rs.Eof());
        // An edit through the walking recordset itself, then a delete.
        const QString at = rs.Fields(QStringLiteral("KEY")).Value().toString();
        rs.Edit();
        rs.Fields(QStringLiteral("KEY")).setValue(at + u'e');
        rs.Update();
        QCOMPARE(countOf(raw, qPrintable(QStringLiteral("SELECT count(*) FROM T WHERE KEY = '%1e'").arg(at))), 1);
        rs.MoveNext();
        rs.Delete();
        QCOMPARE(countOf(raw, "SELECT count(*) FROM T"), kRows);

        // A transaction begun after reads still undoes all of its writes.
        rs.MoveFirst();
        rs.MoveNext();
        DBEngine::BeginTrans();
        addRow(other, {QStringLiteral("w2"), QStringLiteral("g01")});
        rs.MoveNext();
        DBEngine::Rollback();
        QCOMPARE(countOf(raw, "SELECT count(*) FROM T WHERE KEY = 'w2'"), 0);
        other.setIndex(QStringLiteral("ByKey"));
        other.Seek(QStringLiteral("="), QStringLiteral("w2"));
        QVERIFY(other.NoMatch());
        sqlite3_close(raw);
    }

    void readsHoldTheFileUntilTheEventLoopTurns()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByKey"));
        sqlite3 *raw = rawConnection();
        QCoreApplication::processEvents();
        // A seek and a few moves: the file is locked once for all of them.
        rs.Seek(QStringLiteral("="), keyOf(5));
        QVERIFY(!rs.NoMatch());
        rs.MoveNext();
        QCOMPARE(sqlite3_exec(raw, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr), SQLITE_BUSY);
        sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
        // The turn ends it: another program writes at once, and the next
        // reads see what it wrote.
        QCoreApplication::processEvents();
        QCOMPARE(sqlite3_exec(raw, "INSERT INTO T(KEY, GRP) VALUES('k9999x', 'g00')", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        rs.Seek(QStringLiteral("="), QStringLiteral("k9999x"));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.RecordCount(), long(kRows + 1));
        // A walk across turns goes on where it stood and meets a row
        // written beyond it meanwhile.
        rs.Seek(QStringLiteral("="), keyOf(0));
        QStringList keys;
        for (int i = 0; !rs.Eof(); rs.MoveNext(), ++i) {
            if (i == 1500) {
                QCoreApplication::processEvents();
                QCOMPARE(sqlite3_exec(raw, "INSERT INTO T(KEY, GRP) VALUES('k9999y', NULL)", nullptr, nullptr, nullptr),
                         SQLITE_OK);
            }
            keys << rs.Fields(QStringLiteral("KEY")).Value().toString();
        }
        QCOMPARE(keys.size(), kRows + 2);
        QCOMPARE(keys.last(), QStringLiteral("k9999y"));
        QCOMPARE(keys.at(kRows), QStringLiteral("k9999x"));
        sqlite3_close(raw);
    }

    // A seek that reads every row of its key, and a walk that reads the
    // rest of a key whole, go on to the next key without asking again:
    // unless something may have written meanwhile.
    void aKeyReadWholeIsAskedAgainAfterAWrite()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        Recordset other = m_db.OpenRecordset(QStringLiteral("T"));
        for (const char *k : {"h1", "h2", "h3"})
            addRow(other, {QString::fromLatin1(k), QStringLiteral("h")});
        addRow(other, {QStringLiteral("i1"), QStringLiteral("i")});
        rs.setIndex(QStringLiteral("ByGroup"));
        Field k = rs.Fields(QStringLiteral("KEY"));
        auto walkFrom = [&](const QString &group, int steps, const std::function<void(int)> &amid) {
            QStringList keys;
            rs.Seek(QStringLiteral("="), group);
            for (int i = 0; i < steps && !rs.Eof(); ++i, rs.MoveNext()) {
                amid(i);
                keys << k.Value().toString();
            }
            return keys;
        };
        const auto nothing = [](int) {};
        QCOMPARE(walkFrom(QStringLiteral("h"), 5, nothing), QStringList({"h1", "h2", "h3", "i1"}));
        // The program's own write after the seek.
        QCOMPARE(walkFrom(QStringLiteral("h"), 5,
                          [&](int i) {
                              if (i == 2)
                                  addRow(other, {QStringLiteral("h4"), QStringLiteral("h")});
                          }),
                 QStringList({"h1", "h2", "h3", "h4", "i1"}));
        // Another program's, once the event loop has turned.
        sqlite3 *raw = rawConnection();
        QCOMPARE(walkFrom(QStringLiteral("h"), 6,
                          [&](int i) {
                              if (i != 3)
                                  return;
                              QCoreApplication::processEvents();
                              QCOMPARE(sqlite3_exec(raw, "INSERT INTO T(KEY, GRP) VALUES('h5', 'H')", nullptr, nullptr,
                                                    nullptr),
                                       SQLITE_OK);
                          }),
                 QStringList({"h1", "h2", "h3", "h4", "h5", "i1"}));
        // A key read whole by a walk's batch after the seek's: 19 rows.
        for (int i = 0; i < 14; ++i)
            addRow(other, {QStringLiteral("h%1").arg(i + 6, 2, 10, QChar(u'0')), QStringLiteral("h")});
        QStringList keys = walkFrom(QStringLiteral("h"), 21, [&](int i) {
            if (i != 18)
                return;
            QCoreApplication::processEvents();
            QCOMPARE(sqlite3_exec(raw, "INSERT INTO T(KEY, GRP) VALUES('h99', 'h')", nullptr, nullptr, nullptr), SQLITE_OK);
        });
        QCOMPARE(keys.mid(17), QStringList({"h18", "h19", "h99", "i1"}));
        sqlite3_close(raw);
    }

    void aHeldReadHoldsOffNoneOfTheProgramsConnections()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("T"));
        rs.setIndex(QStringLiteral("ByKey"));
        rs.Seek(QStringLiteral("="), keyOf(7));
        Database second = DBEngine::OpenDatabase(m_path, false, false, kConnect);
        Recordset there = second.OpenRecordset(QStringLiteral("T"));
        there.setIndex(QStringLiteral("ByKey"));
        there.Seek(QStringLiteral("="), keyOf(8));
        // Both hold a read; each writes, and the other sees it. A read still
        // held would make the write fail once the busy timeout ran out.
        QCOMPARE(errorOf([&] { addRow(there, {QStringLiteral("s1"), QVariant()}); }), 0);
        rs.Seek(QStringLiteral("="), QStringLiteral("s1"));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(errorOf([&] { addRow(rs, {QStringLiteral("s2"), QVariant()}); }), 0);
        there.Seek(QStringLiteral("="), QStringLiteral("s2"));
        QVERIFY(!there.NoMatch());
        // Closing a base that holds a read leaves the file free.
        second.Close();
        m_db.Close();
        sqlite3 *raw = rawConnection();
        QCOMPARE(sqlite3_exec(raw, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
        m_db = DBEngine::OpenDatabase(m_path, false, false, kConnect);
    }
};

QTEST_GUILESS_MAIN(TestWalk)
#include "tst_walk.moc"
