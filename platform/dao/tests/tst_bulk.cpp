// The working page cache of a base, and filling an empty table in bulk: its
// lookup indexes set aside and made again inside the same transaction, so
// that no committed state, no rollback and no read ever finds them missing.

#include "DaoErrors.h"
#include "DaoImpl.h"
#include "DaoTestUtil.h"

using namespace dao;

namespace {

sqlite3 *raw(const Database &db)
{
    return Access::impl(db)->db;
}

int pragmaInt(const Database &db, const char *sql)
{
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(raw(db), sql, -1, &s, nullptr);
    const int v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : 0;
    sqlite3_finalize(s);
    return v;
}

// The SQL indexes the file holds for the table WORDS.
QStringList fileIndexes(const Database &db)
{
    QStringList out;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(raw(db), "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='WORDS' "
                                "AND sql IS NOT NULL ORDER BY name", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return out;
}

const QStringList kAllIndexes = {QStringLiteral("WORDS.ByCount"), QStringLiteral("WORDS.ByKey"),
                                 QStringLiteral("WORDS.ByWord")};

} // namespace

class TestBulk : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    Database m_db;
    int m_serial = 0;

    // A table like the word indexes: a counter, a unique key, two lookup
    // indexes that allow duplicates.
    void makeWords()
    {
        makeTable(m_db, QStringLiteral("WORDS"),
                  {{QStringLiteral("N"), dbLong, 0, false, dbAutoIncrField | dbFixedField},
                   {QStringLiteral("KEY"), dbText, 20},
                   {QStringLiteral("WORD"), dbText, 50},
                   {QStringLiteral("COUNT"), dbLong}},
                  {{QStringLiteral("ByN"), {QStringLiteral("N")}, QStringLiteral("")},
                   {QStringLiteral("ByKey"), {QStringLiteral("KEY")}, QStringLiteral("U")},
                   {QStringLiteral("ByWord"), {QStringLiteral("WORD")}, QStringLiteral("")},
                   {QStringLiteral("ByCount"), {QStringLiteral("COUNT")}, QStringLiteral("")}});
    }
    void add(Recordset &rs, const QString &key, const QString &word, int count)
    {
        addRow(rs, {QVariant(), key, word, count});
    }

private slots:
    void init()
    {
        m_db = DBEngine::CreateDatabase(m_dir.filePath(QStringLiteral("b%1.cvb").arg(++m_serial)), kLocale);
        makeWords();
    }
    void cleanup()
    {
        while (DBEngine::Workspaces(0).TransactionLevel() > 0)
            DBEngine::Rollback();
        m_db.Close();
    }

    void basesKeepTensOfMegabytesOfPages()
    {
        QCOMPARE(pragmaInt(m_db, "PRAGMA cache_size"), -65536);
        const QString path = m_db.Name();
        m_db.Close();
        m_db = DBEngine::OpenDatabase(path, false, false, kConnect);
        QCOMPARE(pragmaInt(m_db, "PRAGMA cache_size"), -65536);
        // A table made after opening changes the schema, not the cache.
        makeTable(m_db, QStringLiteral("OTHER"), {{QStringLiteral("A"), dbLong}});
        QCOMPARE(pragmaInt(m_db, "PRAGMA cache_size"), -65536);
    }

    void fillFromEmptyMakesTheIndexesAfterTheRows()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("WORDS"));
        TransactionScope tx;
        {
            BulkFill fill(m_db, QStringLiteral("words"));
            QVERIFY(fill.active());
            // The unique index stays and refuses a second key as it comes.
            QCOMPARE(fileIndexes(m_db), QStringList{QStringLiteral("WORDS.ByKey")});
            for (int i = 0; i < 300; ++i)
                add(rs, QStringLiteral("k%1").arg(i), QStringLiteral("w%1").arg(i % 7), i % 5);
            QCOMPARE(errorOf([&] { add(rs, QStringLiteral("K1"), QStringLiteral("x"), 1); }), int(ErrDuplicate));
        }
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        tx.Commit();
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        QCOMPARE(rs.RecordCount(), 300L);
        rs.setIndex(QStringLiteral("ByWord"));
        rs.Seek(QStringLiteral("="), QStringLiteral("W3"));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields(QStringLiteral("KEY")).Value().toString(), QStringLiteral("k3"));
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(raw(m_db), "PRAGMA integrity_check", -1, &s, nullptr);
        QCOMPARE(sqlite3_step(s), SQLITE_ROW);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))), QByteArray("ok"));
        sqlite3_finalize(s);
    }

    void theIndexesAreNeverMissingOutsideTheFill()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("WORDS"));
        // Committed while the fill is still going: the commit makes them.
        {
            TransactionScope tx;
            BulkFill fill(m_db, QStringLiteral("WORDS"));
            add(rs, QStringLiteral("a"), QStringLiteral("alpha"), 1);
            tx.Commit();
            QVERIFY(!fill.active());
        }
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        rs.setIndex(QString());
        rs.MoveFirst();
        rs.Delete();

        // Rolled back: the rows go, the indexes are back.
        {
            TransactionScope tx;
            BulkFill fill(m_db, QStringLiteral("WORDS"));
            QVERIFY(fill.active());
            add(rs, QStringLiteral("b"), QStringLiteral("beta"), 2);
        }
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        QCOMPARE(rs.RecordCount(), 0L);

        // A read through an index amid the fill finds it in place and the
        // rows written so far.
        TransactionScope tx;
        BulkFill fill(m_db, QStringLiteral("WORDS"));
        add(rs, QStringLiteral("c"), QStringLiteral("gamma"), 3);
        add(rs, QStringLiteral("d"), QStringLiteral("delta"), 3);
        rs.setIndex(QStringLiteral("ByCount"));
        rs.Seek(QStringLiteral("="), 3);
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields(QStringLiteral("KEY")).Value().toString(), QStringLiteral("c"));
        QVERIFY(!fill.active());
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        tx.Commit();
    }

    void nothingIsSetAsideWithoutATransactionOrOnATableWithRows()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("WORDS"));
        {
            BulkFill fill(m_db, QStringLiteral("WORDS"));
            QVERIFY(!fill.active());
            QCOMPARE(fileIndexes(m_db), kAllIndexes);
            add(rs, QStringLiteral("a"), QStringLiteral("alpha"), 1);
        }
        TransactionScope tx;
        BulkFill fill(m_db, QStringLiteral("WORDS"));
        QVERIFY(!fill.active());
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        QCOMPARE(errorOf([&] { BulkFill(m_db, QStringLiteral("NOSUCH")); }), int(ErrTableNotFound));
    }

    void aNestedRollbackKeepsWhatTheOuterLevelSetAside()
    {
        Recordset rs = m_db.OpenRecordset(QStringLiteral("WORDS"));
        TransactionScope outer;
        BulkFill fill(m_db, QStringLiteral("WORDS"));
        add(rs, QStringLiteral("a"), QStringLiteral("alpha"), 1);
        {
            TransactionScope inner;
            add(rs, QStringLiteral("b"), QStringLiteral("beta"), 1);
        }
        QVERIFY(fill.active());
        add(rs, QStringLiteral("c"), QStringLiteral("gamma"), 1);
        fill.finish();
        outer.Commit();
        QCOMPARE(fileIndexes(m_db), kAllIndexes);
        rs.setIndex(QStringLiteral("ByCount"));
        long n = 0;
        for (rs.Seek(QStringLiteral("="), 1); !rs.Eof(); rs.MoveNext())
            ++n;
        QCOMPARE(n, 2L);
    }
};

QTEST_GUILESS_MAIN(TestBulk)
#include "tst_bulk.moc"
