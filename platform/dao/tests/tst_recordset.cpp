// The rules of table-type recordsets that the program's code relies on:
// seeks, moves, deletes while walking, the edit buffer, counters, sizes and
// Nulls, and several cursors on one table.

#include "DaoImpl.h"
#include "DaoTestUtil.h"
#include "RowUpdate.h"

#include <sqlite3.h>

using namespace dao;

class TestRecordset : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Database m_db;

    // Links (upper, lower) with a two-field primary index, like GROUP2.
    Recordset links(const QList<QPair<QString, QString>> &rows)
    {
        static int n = 0;
        const QString name = QStringLiteral("L%1").arg(++n);
        makeTable(m_db, name, {{"GROUPE2", dbText, 30}, {"GROUPE", dbText, 30}},
                  {{"GrDown", {"GROUPE"}, ""},
                   {"GrUp", {"GROUPE2"}, ""},
                   {"GrUpDown", {"GROUPE2", "GROUPE"}, "PU"}});
        Recordset rs = m_db.OpenRecordset(name);
        for (const auto &r : rows)
            addRow(rs, {r.first, r.second});
        return rs;
    }

    // A card table like NOTE: key, author, date, text, counter.
    Recordset cards(const QString &name)
    {
        makeTable(m_db, name,
                  {{"CIT", dbText, 20},
                   {"AUTEUR", dbText, 60, true},
                   {"JOUR", dbDate},
                   {"TEXTE", dbMemo, 0, true},
                   {"NoteCount", dbLong, 0, false, 17},
                   {"WordsNb", dbInteger},
                   {"AsKW", dbBoolean}},
                  {{"NoteNDX", {"CIT"}, "UR"}, {"Jour", {"JOUR"}, ""}, {"NoteCount", {"NoteCount"}, "U"},
                   {"Auteur", {"AUTEUR"}, ""}});
        return m_db.OpenRecordset(name);
    }

    static QStringList walk(Recordset rs, const QString &field)
    {
        QStringList out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            out << rs.Fields(field).Value().toString();
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_db = DBEngine::CreateDatabase(m_dir.filePath("r.cvb"), kLocale, dbEncrypt);
    }

    void seekOnWholeAndLeadingKey()
    {
        Recordset rs = links({{"b", "x"}, {"a", "z"}, {"A", "y"}, {"c", "a"}, {"a", "w"}});
        rs.setIndex("grupdown");
        QCOMPARE(rs.Index(), QStringLiteral("GrUpDown"));
        rs.Seek(">=", "A"); // leading part: the first row of "a" in index order
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("w"));
        rs.Seek("=", "a", "Y");
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("A"));
        rs.Seek(">", "a");
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("b"));
        rs.Seek(">", "a", "y");
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("z"));
        rs.Seek("<", "b");
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("z"));
        rs.Seek("<=", "a"); // the last row of "a"
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("z"));
        rs.Seek("<=", "b", "x");
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("x"));
        rs.Seek(">=", "bb");
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("c"));
        rs.Seek(">=", "d");
        QVERIFY(rs.NoMatch());
        rs.Seek("<", "a");
        QVERIFY(rs.NoMatch());
        // A walk from a partial seek goes on in index order.
        rs.Seek("=", "a");
        QStringList down;
        while (!rs.Eof() && rs.Fields("GROUPE2").Value().toString().compare("a", Qt::CaseInsensitive) == 0) {
            down << rs.Fields("GROUPE").Value().toString();
            rs.MoveNext();
        }
        QCOMPARE(down, QStringList({"w", "y", "z"}));
        QCOMPARE_ERR(rs.Seek("=", "a", "b", "c"), 3001);
        QCOMPARE_ERR(rs.Seek("==", "a"), 3001);
    }

    void failedSeekLeavesNoCurrentRecord()
    {
        Recordset rs = links({{"a", "x"}, {"b", "y"}});
        rs.setIndex("GrUp");
        rs.Seek("=", "b");
        QVERIFY(!rs.NoMatch());
        rs.Seek("=", "nothing");
        QVERIFY(rs.NoMatch());
        QVERIFY(rs.Eof());
        QCOMPARE_ERR(rs.Fields("GROUPE").Value(), 3021);
        QCOMPARE_ERR(rs.Edit(), 3021);
        QCOMPARE_ERR(rs.Delete(), 3021);
        QCOMPARE_ERR(rs.Bookmark(), 3021);
        QCOMPARE(rs.RecordCount(), 2L); // nothing was deleted
        rs.MoveFirst();
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("x"));
    }

    void seekNeedsACurrentIndex()
    {
        Recordset rs = links({{"a", "x"}});
        QCOMPARE(rs.Index(), QString());
        QCOMPARE_ERR(rs.Seek("=", "a"), 3019);
        QCOMPARE_ERR(rs.setIndex("Nope"), 3015);
        rs.setIndex("GrUp");
        rs.setIndex("");
        QCOMPARE_ERR(rs.Seek("=", "a"), 3019);
    }

    void movesAndEnds()
    {
        Recordset rs = links({});
        QVERIFY(rs.Eof() && rs.Bof());
        QCOMPARE(rs.RecordCount(), 0L);
        QCOMPARE_ERR(rs.MoveFirst(), 3021);
        QCOMPARE_ERR(rs.MoveLast(), 3021);
        QCOMPARE_ERR(rs.MoveNext(), 3021);
        QCOMPARE_ERR(rs.MovePrevious(), 3021);
        QCOMPARE(rs.PercentPosition(), 0.0);

        addRow(rs, {"m", "1"});
        addRow(rs, {"k", "2"});
        addRow(rs, {"z", "3"});
        rs.setIndex("GrUp");
        rs.MoveLast();
        QStringList back;
        while (!rs.Bof()) {
            back << rs.Fields("GROUPE2").Value().toString();
            rs.MovePrevious();
        }
        QCOMPARE(back, QStringList({"z", "m", "k"}));
        QCOMPARE_ERR(rs.MovePrevious(), 3021);
        rs.MoveNext(); // from before the first: the first
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("k"));
        rs.MoveLast();
        rs.MoveNext();
        QVERIFY(rs.Eof() && !rs.Bof());
        QCOMPARE_ERR(rs.MoveNext(), 3021);
        rs.MovePrevious(); // from after the last: the last
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("z"));
        // Without an index: insertion order.
        rs.setIndex("");
        QCOMPARE(walk(rs, "GROUPE2"), QStringList({"m", "k", "z"}));
    }

    void deleteWhileWalking()
    {
        Recordset rs = links({{"a", "1"}, {"b", "2"}, {"b", "3"}, {"b", "4"}, {"c", "5"}});
        rs.setIndex("GrUp");
        rs.Seek("=", "b");
        rs.Delete();
        QCOMPARE_ERR(rs.Fields("GROUPE").Value(), 3167);
        QCOMPARE_ERR(rs.Edit(), 3167);
        QCOMPARE_ERR(rs.Delete(), 3167);
        rs.MoveNext();
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("3"));
        // The walk-and-delete loop of the program: every row of "b" goes.
        while (!rs.Eof() && rs.Fields("GROUPE2").Value().toString() == "b") {
            rs.Delete();
            rs.MoveNext();
        }
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("5"));
        QCOMPARE(walk(rs, "GROUPE"), QStringList({"1", "5"}));
        // MovePrevious after a delete goes to the row before it.
        rs.MoveLast();
        rs.Delete();
        rs.MovePrevious();
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("1"));
        // Seek after a delete finds what is left.
        rs.Seek("=", "c");
        QVERIFY(rs.NoMatch());
        rs.Seek("=", "a");
        QVERIFY(!rs.NoMatch());
    }

    void aRowUpdateGivesUpWhatItDidNotWrite()
    {
        Recordset rs = cards("C9");
        addRow(rs, {"K1"});
        {
            RowUpdate row(rs, RowUpdate::AddNew);
            rs.Fields("CIT").setValue("K2");
            row.Update();
        }
        QCOMPARE(rs.RecordCount(), 2L);

        // Left by an error before its Update: the new row is given up and
        // the recordset takes the next write.
        QCOMPARE(errorOf([&] {
                     RowUpdate row(rs, RowUpdate::AddNew);
                     rs.Fields("CIT").setValue("K3");
                     vb::raise(vb::ErrOverflow, QStringLiteral("Overflow"));
                 }),
                 int(vb::ErrOverflow));
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        QCOMPARE(rs.RecordCount(), 2L);

        // A refused Update reports its own cause, not the cancel's.
        QCOMPARE(errorOf([&] {
                     RowUpdate row(rs, RowUpdate::AddNew);
                     rs.Fields("CIT").setValue("k1");
                     row.Update();
                 }),
                 3022);
        QCOMPARE(rs.EditMode(), int(dbEditNone));

        // An Edit left unwritten keeps the row as it was.
        rs.setIndex("NoteNDX");
        rs.Seek("=", "K1");
        QCOMPARE(errorOf([&] {
                     RowUpdate row(rs, RowUpdate::Edit);
                     rs.Fields("AUTEUR").setValue("Lost");
                     vb::raise(vb::ErrOverflow, QStringLiteral("Overflow"));
                 }),
                 int(vb::ErrOverflow));
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        rs.Seek("=", "K1");
        QVERIFY(rs.Fields("AUTEUR").isNullValue());
    }

    void addNewUpdateAndTheCurrentRecord()
    {
        Recordset rs = cards("C1");
        addRow(rs, {"K1"});
        rs.MoveFirst();
        rs.setIndex("NoteNDX");
        rs.Seek("=", "K1");
        rs.AddNew();
        QCOMPARE(rs.EditMode(), int(dbEditAdd));
        // The edit buffer is what the fields read while adding.
        QVERIFY(rs.Fields("CIT").isNullValue());
        rs.Fields("CIT").setValue("K2");
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("K2"));
        const int counter = rs.Fields("NoteCount").Value().toInt();
        QCOMPARE(counter, 2);
        rs.Update();
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        // The record current before AddNew is current again.
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("K1"));
        rs.Seek("=", "k2");
        QCOMPARE(rs.Fields("NoteCount").Value().toInt(), counter);

        rs.Edit();
        rs.Fields("AUTEUR").setValue("Someone");
        QCOMPARE(rs.Fields("AUTEUR").Value().toString(), QStringLiteral("Someone"));
        rs.Update();
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("K2")); // stays
        QCOMPARE(rs.Fields("AUTEUR").Value().toString(), QStringLiteral("Someone"));

        // A move drops a pending edit.
        rs.Edit();
        rs.Fields("AUTEUR").setValue("Lost");
        rs.MoveFirst();
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        rs.Seek("=", "K2");
        QCOMPARE(rs.Fields("AUTEUR").Value().toString(), QStringLiteral("Someone"));

        QCOMPARE_ERR(rs.Fields("AUTEUR").setValue("x"), 3020);
        QCOMPARE_ERR(rs.Update(), 3020);
        QCOMPARE_ERR(rs.CancelUpdate(), 3020);
        rs.Edit();
        rs.Fields("AUTEUR").setValue("x");
        rs.CancelUpdate();
        QCOMPARE(rs.Fields("AUTEUR").Value().toString(), QStringLiteral("Someone"));

        // A failed Update has given the new row up already: CancelPending
        // then does nothing, where CancelUpdate would hide the real error.
        rs.AddNew();
        rs.Fields("CIT").setValue("k1");
        QCOMPARE_ERR(rs.Update(), 3022);
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        QCOMPARE_ERR(CancelPending(rs), 0);
        rs.AddNew();
        rs.Fields("CIT").setValue("K3");
        CancelPending(rs);
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        QCOMPARE(rs.RecordCount(), 2L);
        QCOMPARE_ERR(CancelPending(Recordset()), 0);
    }

    void countersAreNeverReused()
    {
        const QString path = m_dir.filePath("counters.cvb");
        {
            Database db = DBEngine::CreateDatabase(path, kLocale, dbEncrypt);
            makeTable(db, "G", {{"GROUPE", dbText, 30}, {"NDX", dbText, 15}, {"GrNoteCount", dbLong, 0, false, 17}},
                      {{"GrNoteCount", {"GrNoteCount"}, "PUR"}});
            Recordset rs = db.OpenRecordset("G");
            addRow(rs, {"kw", "N1"});
            addRow(rs, {"kw", "N1"}); // the same link twice is allowed
            addRow(rs, {"kw", "N2"});
            rs.MoveLast();
            QCOMPARE(rs.Fields("GrNoteCount").Value().toInt(), 3);
            rs.Delete();
            QCOMPARE_ERR(rs.MoveFirst(); rs.Edit(); rs.Fields("GrNoteCount").setValue(9), 3164);
            rs.AddNew(); // a number handed out and abandoned
            rs.CancelUpdate();
            db.Close();
        }
        Database db = DBEngine::OpenDatabase(path, false, false, kConnect);
        Recordset rs = db.OpenRecordset("G");
        rs.AddNew();
        QVERIFY(rs.Fields("GrNoteCount").Value().toInt() > 3);
        rs.Fields("GROUPE").setValue("kw");
        rs.Fields("NDX").setValue("N3");
        rs.Update();
        rs.setIndex("GrNoteCount");
        rs.Seek("=", 2);
        QCOMPARE(rs.Fields("NDX").Value().toString(), QStringLiteral("N1"));
        QCOMPARE(rs.RecordCount(), 3L);
    }

    void aCounterAtItsLargestValueRefusesTheAdd()
    {
        // The largest Long, and the largest number a file from elsewhere can
        // hold there: neither wraps round to a used number.
        for (const char *last : {"2147483647", "9223372036854775807"}) {
            const QString path = m_dir.filePath(QStringLiteral("full-%1.cvb").arg(QLatin1String(last)));
            Database db = DBEngine::CreateDatabase(path, kLocale, dbEncrypt);
            makeTable(db, "T", {{"CIT", dbText, 20}, {"NoteCount", dbLong, 0, false, 17}},
                      {{"NoteCount", {"NoteCount"}, "PUR"}});
            // The row as another program wrote it, before this one counted.
            const QByteArray sql = QByteArray("INSERT INTO \"T\"(\"CIT\", \"NoteCount\") VALUES('first', ") + last + ")";
            QCOMPARE(sqlite3_exec(Access::impl(db)->db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            Recordset rs = db.OpenRecordset("T");
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    rs.AddNew();
                    rs.Fields("CIT").setValue("second");
                    rs.Update();
                    QFAIL("a row was added past the largest counter");
                } catch (const vb::Error &e) {
                    QCOMPARE(e.number(), int(ErrOverflow));
                    QCOMPARE(e.description(), QStringLiteral("The counter NoteCount of the table T has reached its "
                                                             "largest value (2147483647) : no row can be added to "
                                                             "this table."));
                }
            }
            QCOMPARE(rs.RecordCount(), 1L);
            rs.MoveFirst();
            QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("first"));
            db.Close();
        }
    }

    void sizesNullsAndDuplicates()
    {
        Recordset rs = cards("C2");
        addRow(rs, {"KEY"});
        QCOMPARE_ERR(addRow(rs, {"key"}), 3022);                 // unique, any letter case
        QCOMPARE_ERR(addRow(rs, {QVariant(), "author"}), 3058);   // required index
        QCOMPARE_ERR(addRow(rs, {QString("")}), 3315);            // no empty text here
        QCOMPARE_ERR(addRow(rs, {QString(21, u'x')}), 3163);      // Text 20
        QCOMPARE_ERR(addRow(rs, {QString(20, u'x')}), 0);
        QCOMPARE_ERR(addRow(rs, {"K3", QString()}), 0);           // AllowZeroLength
        QCOMPARE_ERR(addRow(rs, {"K4", QString(61, u'a')}), 3163);
        // Conversions raise at the assignment.
        rs.AddNew();
        QCOMPARE_ERR(rs.Fields("WordsNb").setValue(40000), 3349);
        QCOMPARE_ERR(rs.Fields("WordsNb").setValue("abc"), 3421);
        QCOMPARE_ERR(rs.Fields("JOUR").setValue("not a date"), 3421);
        rs.Fields("WordsNb").setValue("12");
        QCOMPARE(rs.Fields("WordsNb").Value(), QVariant(12));
        rs.Fields("WordsNb").setValue(2.5); // half to even
        QCOMPARE(rs.Fields("WordsNb").Value(), QVariant(2));
        rs.CancelUpdate();

        // A failed Update leaves no pending edit and the row unchanged.
        rs.setIndex("NoteNDX");
        rs.Seek("=", "K3");
        rs.Edit();
        rs.Fields("CIT").setValue("KEY");
        QCOMPARE_ERR(rs.Update(), 3022);
        QCOMPARE(rs.EditMode(), int(dbEditNone));
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("K3"));
        rs.Seek("=", "K3");
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.RecordCount(), 3L);
    }

    void primaryRefusesNullAndUniqueAllowsSeveral()
    {
        makeTable(m_db, "P", {{"Mot", dbText, 40, true}, {"Other", dbText, 10, true}},
                  {{"Mot", {"Mot"}, "PU"}, {"Other", {"Other"}, "U"}});
        Recordset rs = m_db.OpenRecordset("P");
        QCOMPARE_ERR(addRow(rs, {QVariant(), "a"}), 3058);
        addRow(rs, {"w1"});
        addRow(rs, {"w2"}); // two Nulls in a unique index
        QCOMPARE(rs.RecordCount(), 2L);
        QCOMPARE_ERR(addRow(rs, {QString()}), 0); // one empty word
        QCOMPARE_ERR(addRow(rs, {QString()}), 3022);
    }

    void valuesRoundTrip()
    {
        Recordset rs = cards("C3");
        const QDateTime when(QDate(2019, 3, 4), QTime(13, 5, 6));
        const QString rtf = QStringLiteral("{\\rtf1\\ansi {\\b \u00e9t\u00e9} \\par}\r\n") + QString(50000, u'x');
        rs.AddNew();
        rs.Fields("CIT").setValue("D1");
        rs.Fields("JOUR").setValue(when);
        rs.Fields("TEXTE").setValue(rtf);
        rs.Fields("AsKW").setValue(true);
        rs.Fields("WordsNb").setValue(-32768);
        rs.Update();
        rs.MoveFirst();
        QCOMPARE(rs.Fields("JOUR").Value().toDateTime(), QDateTime(when.date(), when.time(), Qt::UTC));
        QCOMPARE(rs.Fields("TEXTE").Value().toString(), rtf);
        QCOMPARE(rs.Fields("AsKW").Value(), QVariant(true));
        QCOMPARE(rs.Fields("WordsNb").Value().toInt(), -32768);
        QVERIFY(rs.Fields("AUTEUR").isNullValue());
        QVERIFY(!rs.Fields("AUTEUR").Value().isValid());

        // Dates sort by date, Nulls first.
        addRow(rs, {"D2", QVariant(), QDateTime(QDate(1999, 12, 31), QTime(23, 0))});
        addRow(rs, {"D3", QVariant(), QDate(2019, 3, 4)});
        addRow(rs, {"D4"});
        addRow(rs, {"D5", QVariant(), QStringLiteral("2001-01-01")});
        rs.setIndex("Jour");
        QCOMPARE(walk(rs, "CIT"), QStringList({"D4", "D2", "D5", "D3", "D1"}));
        rs.Seek(">=", QDate(2000, 1, 1));
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("D5"));
        QCOMPARE_ERR(rs.Seek("=", "abc"), 3464);
    }

    void nullKeysWalkBothWays()
    {
        Recordset rs = cards("C4");
        addRow(rs, {"A", "m"});
        addRow(rs, {"B"});
        addRow(rs, {"C", "a"});
        addRow(rs, {"D"});
        addRow(rs, {"E", "m"});
        rs.setIndex("Auteur");
        QCOMPARE(walk(rs, "CIT"), QStringList({"B", "D", "C", "A", "E"}));
        rs.MoveLast();
        QStringList back;
        for (; !rs.Bof(); rs.MovePrevious())
            back << rs.Fields("CIT").Value().toString();
        QCOMPARE(back, QStringList({"E", "A", "C", "D", "B"}));
        rs.Seek("=", QVariant());
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("B"));
        rs.Seek(">", QVariant());
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("C"));
        rs.Seek("<", "a");
        QCOMPARE(rs.Fields("CIT").Value().toString(), QStringLiteral("D"));
    }

    void twoRecordsetsOnOneTable()
    {
        Recordset a = cards("C5");
        Recordset b = m_db.OpenRecordset("c5");
        QVERIFY(a.Eof() && b.Eof());
        addRow(a, {"K1", "first"});
        QCOMPARE(b.RecordCount(), 1L);
        b.MoveFirst();
        Field bAuthor = b.Fields("AUTEUR");
        QCOMPARE(bAuthor.Value().toString(), QStringLiteral("first"));
        a.MoveFirst();
        a.Edit();
        a.Fields("AUTEUR").setValue("changed");
        a.Update();
        QCOMPARE(bAuthor.Value().toString(), QStringLiteral("changed"));
        // Each has its own position and index.
        addRow(a, {"K0"});
        a.setIndex("NoteNDX");
        a.MoveFirst();
        QCOMPARE(a.Fields("CIT").Value().toString(), QStringLiteral("K0"));
        QCOMPARE(b.Fields("CIT").Value().toString(), QStringLiteral("K1"));
        b.MoveNext();
        QCOMPARE(b.Fields("CIT").Value().toString(), QStringLiteral("K0"));
        // A row deleted through one is deleted for the other.
        a.Seek("=", "K0");
        a.Delete();
        QCOMPARE_ERR(b.Fields("CIT").Value(), 3167);
        b.MoveFirst();
        QCOMPARE(b.Fields("CIT").Value().toString(), QStringLiteral("K1"));
        QCOMPARE(b.RecordCount(), 1L);
    }

    void longWalksSeeWritesMadeDuringThem()
    {
        Recordset rs = cards("C6");
        {
            TransactionScope tx;
            for (int i = 0; i < 1500; ++i)
                addRow(rs, {QStringLiteral("K%1").arg(i, 4, 10, QChar('0')), QStringLiteral("a%1").arg(i % 7)});
            tx.Commit();
        }
        rs.setIndex("NoteNDX");
        Recordset other = m_db.OpenRecordset("C6");
        other.setIndex("NoteNDX");
        int n = 0;
        QString last;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            const QString key = rs.Fields("CIT").Value().toString();
            QVERIFY(key > last);
            last = key;
            ++n;
            if (n == 700) {
                // A row ahead of the walk goes and one comes, through another cursor.
                other.Seek("=", "K0800");
                other.Delete();
                addRow(other, {"K0900x"});
            }
            QCOMPARE(rs.PercentPosition() > 0, true);
        }
        QCOMPARE(n, 1500);
        // Equal keys come in insertion order.
        rs.setIndex("Auteur");
        rs.Seek("=", "A3");
        QStringList first;
        for (int i = 0; i < 3; ++i, rs.MoveNext())
            first << rs.Fields("CIT").Value().toString();
        QCOMPARE(first, QStringList({"K0003", "K0010", "K0017"}));
    }

    void readAheadFollowsKeysAndWrites()
    {
        QList<QPair<QString, QString>> rows;
        QStringList expected;
        for (int u = 39; u >= 0; --u)
            for (int d = 0; d < 30; ++d)
                rows << qMakePair(QStringLiteral("up%1").arg(u, 2, 10, QChar('0')),
                                  QStringLiteral("dn%1").arg((d * 7) % 30, 2, 10, QChar('0')));
        for (const auto &r : rows)
            expected << r.first + "/" + r.second;
        std::sort(expected.begin(), expected.end());
        TransactionScope tx;
        Recordset rs = links(rows);
        tx.Commit();

        auto pair = [&] {
            return rs.Fields("GROUPE2").Value().toString() + "/" + rs.Fields("GROUPE").Value().toString();
        };
        rs.setIndex("GrUpDown");
        QStringList forward, backward;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            forward << pair();
        QCOMPARE(forward, expected);
        for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious())
            backward.prepend(pair());
        QCOMPARE(backward, expected);

        // The program's loop: seek a keyword, walk while it stays the same.
        rs.setIndex("GrUp");
        for (int u = 0; u < 40; u += 13) {
            const QString up = QStringLiteral("UP%1").arg(u, 2, 10, QChar('0'));
            int n = 0;
            for (rs.Seek("=", up); !rs.Eof() && rs.Fields("GROUPE2").Value().toString().toUpper() == up;
                 rs.MoveNext())
                ++n;
            QCOMPARE(n, 30);
        }

        // A write on every row of a walk: each row is still met once.
        rs.setIndex("GrDown");
        int seen = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            rs.Edit();
            rs.Fields("GROUPE2").setValue(rs.Fields("GROUPE2").Value().toString() + "x");
            rs.Update();
            ++seen;
        }
        QCOMPARE(seen, 1200);
        QCOMPARE_ERR(rs.Move(0), 3021); // at EOF
        rs.MoveFirst();
        rs.Move(5);
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("dn00"));
        rs.Move(-5);
        QVERIFY(!rs.Bof());

        // In a unique index, a key deleted and added again is met again.
        rs.setIndex("GrUpDown");
        rs.Seek("=", "up05x", "dn03");
        QVERIFY(!rs.NoMatch());
        rs.Delete();
        addRow(rs, {"up05x", "dn03"});
        rs.MoveNext();
        QCOMPARE(pair(), QStringLiteral("up05x/dn03"));
        rs.MoveNext();
        QCOMPARE(pair(), QStringLiteral("up05x/dn04"));
    }

    void bookmarksAndPercentPosition()
    {
        Recordset rs = links({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
        rs.setIndex("GrUp");
        rs.Seek("=", "c");
        const QByteArray mark = rs.Bookmark();
        rs.MoveFirst();
        rs.setIndex("GrDown"); // the bookmark holds across an index change
        rs.setBookmark(mark);
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("3"));
        rs.MoveNext();
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("4"));
        QCOMPARE_ERR(rs.setBookmark(QByteArray("junk")), 3159);
        rs.setBookmark(mark);
        rs.Delete();
        QCOMPARE_ERR(rs.setBookmark(mark), 3159);

        rs.setIndex("GrUp");
        QList<double> seen;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            seen << rs.PercentPosition();
        QCOMPARE(seen, QList<double>({100.0 / 3, 200.0 / 3, 100.0}));
        QCOMPARE(rs.PercentPosition(), 100.0);
        rs.setPercentPosition(50);
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("b"));
        // Changing the index keeps the current record.
        rs.setIndex("GrDown");
        QCOMPARE(rs.Fields("GROUPE2").Value().toString(), QStringLiteral("b"));
    }

    void fieldNamesAnyCase()
    {
        makeTable(m_db, "WordsNoteIndex",
                  {{"N°", dbLong, 0, false, 17}, {"Mot", dbText, 50, true}, {"NboccurIndex", dbLong}},
                  {{"mot", {"Mot"}, ""}});
        Recordset rs = m_db.OpenRecordset("WORDSNOTEINDEX");
        addRow(rs, {QVariant(), "word", 3});
        rs.MoveFirst();
        QCOMPARE(rs.Fields("NbOccurIndex").Value().toInt(), 3);
        QCOMPARE(rs.Fields("n°").Value().toInt(), 1);
        QCOMPARE(rs.Fields("n°").Name(), QStringLiteral("N°"));
        QCOMPARE_ERR(rs.Fields("Nope"), 3265);
        QCOMPARE_ERR(rs.Fields(3), 3265);
        rs.setIndex("MOT");
        QCOMPARE(rs.Index(), QStringLiteral("mot"));
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
