// Texts go into the file exactly as given and come back the same on every
// road: an add or an edit through a recordset, a row written or copied,
// and every read. The code units a conversion may take for something else
// are the cases: a leading U+FEFF (a byte order mark to SQLite and to Qt),
// U+FFFE (a byte order mark of the other byte order), and half of a
// surrogate pair, which UTF-8 cannot hold and which is stored as U+FFFD.

#include "DaoImpl.h"
#include "DaoReads.h"
#include "DaoTestUtil.h"

using namespace dao;

namespace {

QString units(std::initializer_list<char16_t> u)
{
    return QString(reinterpret_cast<const QChar *>(std::data(u)), qsizetype(u.size()));
}

// The bytes the file holds in one column of the row with that counter.
QByteArray storedBytes(const Database &db, const QString &table, const QString &column, qint64 counter)
{
    const QByteArray sql = "SELECT hex(" + quoteName(column) + ") FROM " + quoteName(table) + " WHERE N = ?";
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(Access::impl(db)->db, sql.constData(), -1, &s, nullptr);
    sqlite3_bind_int64(s, 1, counter);
    QByteArray out = "(no row)";
    if (sqlite3_step(s) == SQLITE_ROW)
        out = QByteArray::fromHex(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return out;
}

} // namespace

class TstTexts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_bases = 0;

    Database newBase()
    {
        const QString path = m_dir.filePath(QStringLiteral("texts%1.cvb").arg(++m_bases));
        Database db = DBEngine::CreateDatabase(path, kLocale);
        for (const QString &name : {QStringLiteral("TX"), QStringLiteral("DST")})
            makeTable(db, name,
                      {{"K", dbText, 255, true}, {"M", dbMemo, 0, true}, {"N", dbLong, 0, false, dbAutoIncrField}},
                      {{"K", {"K"}, "U"}, {"KN", {"K", "N"}, ""}});
        return db;
    }

    static void texts()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        const QString eAcute = QString(200, QChar(0xE9));
        QTest::newRow("leading FEFF") << units({0xFEFF, 'a', 'b', 'c'}) << units({0xFEFF, 'a', 'b', 'c'});
        QTest::newRow("two FEFF") << units({0xFEFF, 0xFEFF, 'a'}) << units({0xFEFF, 0xFEFF, 'a'});
        QTest::newRow("FEFF alone") << units({0xFEFF}) << units({0xFEFF});
        QTest::newRow("leading FFFE") << units({0xFFFE, 'x', 0xE9}) << units({0xFFFE, 'x', 0xE9});
        QTest::newRow("FEFF before a long memo") << units({0xFEFF}) + eAcute << units({0xFEFF}) + eAcute;
        QTest::newRow("pair kept") << units({0xD83D, 0xDE00, 'x'}) << units({0xD83D, 0xDE00, 'x'});
        QTest::newRow("lone high") << units({'a', 0xD800, 'b'}) << units({'a', 0xFFFD, 'b'});
        QTest::newRow("lone low first") << units({0xDC00, 'x'}) << units({0xFFFD, 'x'});
        QTest::newRow("high at the end") << units({'x', 0xD83D}) << units({'x', 0xFFFD});
        QTest::newRow("pair reversed") << units({0xDE00, 0xD83D}) << units({0xFFFD, 0xFFFD});
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void everyWriteStoresTheText_data() { texts(); }
    void everyWriteStoresTheText()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(toStoredText(text), stored.toUtf8());
        Database db = newBase();
        Recordset rs = db.OpenRecordset("TX");
        // An add.
        addRow(rs, {text, text});
        QCOMPARE(storedBytes(db, "TX", "K", 1), stored.toUtf8());
        QCOMPARE(storedBytes(db, "TX", "M", 1), stored.toUtf8());
        // An edit.
        addRow(rs, {"e", "e"});
        rs.setIndex("K");
        rs.Seek("=", "e");
        QVERIFY(!rs.NoMatch());
        rs.Edit();
        rs.Fields("K").setValue(text + u'2');
        rs.Fields("M").setValue(text);
        rs.Update();
        QCOMPARE(storedBytes(db, "TX", "K", 2), (stored + u'2').toUtf8());
        QCOMPARE(storedBytes(db, "TX", "M", 2), stored.toUtf8());
        // A row written, and rows copied as they are stored.
        {
            RowWriter w(db, "DST", {"K", "M"});
            w.begin();
            QCOMPARE(w.set(0, QStringLiteral("written")), 0);
            QCOMPARE(w.set(1, text), 0);
            w.insert();
            RowReader r(db, "TX", "", {"K", "M"});
            while (r.next()) {
                w.begin();
                qsizetype length = -1;
                QVERIFY(w.copyStored(0, r, 0, &length));
                QCOMPARE(length, r.value(0).toString().size());
                QVERIFY(w.copyStored(1, r, 1));
                w.insert();
            }
        }
        QCOMPARE(storedBytes(db, "DST", "M", 1), stored.toUtf8());
        QCOMPARE(storedBytes(db, "DST", "K", 2), stored.toUtf8());
        QCOMPARE(storedBytes(db, "DST", "M", 2), stored.toUtf8());
        QCOMPARE(storedBytes(db, "DST", "K", 3), (stored + u'2').toUtf8());
        QCOMPARE(storedBytes(db, "DST", "M", 3), stored.toUtf8());
    }

    void everyReadGivesTheTextBack_data() { texts(); }
    void everyReadGivesTheTextBack()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(fromStoredText(stored.toUtf8()), stored);
        Database db = newBase();
        {
            Recordset rs = db.OpenRecordset("TX");
            // Enough rows before it that a walk reaches it along a stream.
            for (int i = 0; i < 60; ++i)
                addRow(rs, {QStringLiteral("%1").arg(i, 3, 10, QChar(u'0')), "m"});
            addRow(rs, {text, text});
        }
        const qint64 n = 61;
        Recordset rs = db.OpenRecordset("TX");
        rs.setIndex("KN");
        QString walked, walkedMemo;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            if (rs.Fields("N").Value().toLongLong() == n) {
                walked = rs.Fields("K").Value().toString();
                walkedMemo = rs.Fields("M").Value().toString();
            }
        QCOMPARE(walked, stored);
        QCOMPARE(walkedMemo, stored);
        rs.setIndex("");
        rs.MoveLast();
        QCOMPARE(rs.Fields("K").Value().toString(), stored);

        // Each read gives the key, then the memo, of the row.
        QStringList byRow, byRowBytes, scannedTexts, scanned, byIndex;
        KeyReader reader(db, "TX", KeyReader::ByRowId{}, {"K", "M"});
        reader.readRow(n, [&](const RowView &row) {
            byRow << row.text(0) << row.value(1).toString();
            byRowBytes << QString::fromUtf8(row.utf8(0).toByteArray().toHex());
            return true;
        });
        ScanTexts(db, "TX", "K", {"M", "N"}, [&](const TextRow &row) {
            if (row.value(1).toLongLong() == n)
                scannedTexts << row.text() << row.value(0).toString();
            return true;
        });
        ScanTable(db, "TX", {"K", "M", "N"}, [&](const QVariantList &row) {
            if (row[2].toLongLong() == n)
                scanned << row[0].toString() << row[1].toString();
            return true;
        });
        ScanIndex(db, "TX", "K", {"K", "N"}, false, [&](const QVariantList &row) {
            if (row[1].toLongLong() == n)
                byIndex << row[0].toString();
            return true;
        });
        const QStringList both{stored, stored};
        QCOMPARE(byRow, both);
        QCOMPARE(byRowBytes, QStringList{QString::fromUtf8(stored.toUtf8().toHex())});
        QCOMPARE(scannedTexts, both);
        QCOMPARE(scanned, both);
        QCOMPARE(byIndex, QStringList{stored});
    }

    // A key written with a leading U+FEFF (or U+FFFE) and the same key
    // without it are two keys: the unique index takes both, and each seek
    // and key read finds its own row only, on every way a seek runs.
    void aSeekFindsExactlyItsKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("other");
        QTest::newRow("FEFF") << units({0xFEFF, 'a', 'b', 'c'}) << QStringLiteral("abc");
        QTest::newRow("FEFF beyond ASCII") << units({0xFEFF, 0xE9, 't', 0xE9}) << units({0xE9, 't', 0xE9});
        QTest::newRow("FFFE") << units({0xFFFE, 'a', 'b'}) << QStringLiteral("ab");
        // Stored as U+FFFD, the lone surrogate is not a question mark.
        QTest::newRow("lone surrogate") << units({'a', 0xD800, 'b'}) << QStringLiteral("a?b");
    }
    void aSeekFindsExactlyItsKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, other);
        Database db = newBase();
        Recordset rs = db.OpenRecordset("TX");
        addRow(rs, {other, "other"});
        QCOMPARE_ERR(addRow(rs, {key, "key"}), 0);
        const auto memoOf = [&] {
            return rs.NoMatch() ? QStringLiteral("no match") : rs.Fields("M").Value().toString();
        };
        for (const QString &index : {QStringLiteral("K"), QStringLiteral("KN")}) {
            rs.setIndex(index);
            rs.Seek("=", key);
            QCOMPARE(memoOf(), QStringLiteral("key"));
            rs.Seek("=", other);
            QCOMPARE(memoOf(), QStringLiteral("other"));
            rs.Seek(">=", key);
            QCOMPARE(memoOf(), QStringLiteral("key"));
        }
        rs.Seek("=", key, 2);
        QCOMPARE(memoOf(), QStringLiteral("key"));
        rs.Seek("=", key, 1);
        QVERIFY(rs.NoMatch());

        for (const QString &k : {key, other}) {
            KeyReader reader(db, "TX", "K", {"M"});
            QStringList byText, byVariant;
            reader.read(k, [&](const RowView &row) {
                byText << row.text(0);
                return true;
            });
            reader.read(QVariantList{k}, [&](const QVariantList &row) {
                byVariant << row[0].toString();
                return true;
            });
            const QStringList expected{k == key ? QStringLiteral("key") : QStringLiteral("other")};
            QCOMPARE(byText, expected);
            QCOMPARE(byVariant, expected);
        }
    }

    void aLoneSurrogateIsOneKeyWithTheReplacementCharacter()
    {
        Database db = newBase();
        Recordset rs = db.OpenRecordset("TX");
        addRow(rs, {units({'a', 0xD800, 'b'}), "lone"});
        rs.setIndex("K");
        rs.Seek("=", units({'a', 0xFFFD, 'b'}));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields("K").Value().toString(), units({'a', 0xFFFD, 'b'}));
        QCOMPARE_ERR(addRow(rs, {units({'a', 0xDFFF, 'b'}), "again"}), ErrDuplicate);
        QCOMPARE(rs.RecordCount(), 1L);
    }

    // The names of tables go into the catalog as into the file.
    void aTableNameKeepsItsLeadingFeff()
    {
        const QString path = m_dir.filePath(QStringLiteral("names.cvb"));
        const QString name = units({0xFEFF, 'T'});
        {
            Database db = DBEngine::CreateDatabase(path, kLocale);
            makeTable(db, name, {{"K", dbText, 20}, {"N", dbLong, 0, false, dbAutoIncrField}});
            addRow(db.OpenRecordset(name), {"one"});
            addRow(db.OpenRecordset(name), {"two"});
            db.Close();
        }
        Database db = DBEngine::OpenDatabase(path, false, false, kConnect);
        QCOMPARE(db.TableDefs(0).Name(), name);
        Recordset rs = db.OpenRecordset(name);
        addRow(rs, {"three"});
        QCOMPARE(rs.RecordCount(), 3L);
        rs.MoveLast();
        QCOMPARE(rs.Fields("N").Value().toInt(), 3);
    }
};

QTEST_GUILESS_MAIN(TstTexts)
#include "tst_texts.moc"
