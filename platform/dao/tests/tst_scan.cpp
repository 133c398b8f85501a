// The one-pass read of a table's columns, memo columns included; the reads
// by key, in index order and of stored texts that listings and searches use.

#include "DaoImpl.h"
#include "DaoReads.h"
#include "DaoTestUtil.h"

class TestScan : public QObject {
    Q_OBJECT
private slots:
    void readsEveryRowInStoredOrder();
    void stopsWhenAskedAndRefusesUnknownNames();
    void keyReaderFindsWhatSeekAndMoveNextFind();
    void indexOrderAndStoredTexts();
    void rowViewsGiveWhatFieldsGive();
    void readScopeLocksOnceAndLeavesTransactionsAlone();
    void rowNumbersReadTheSameRowsAgain();
};

void TestScan::readsEveryRowInStoredOrder()
{
    QTemporaryDir dir;
    dao::Database db = dao::DBEngine::CreateDatabase(dir.filePath("s.cvb"), kLocale, dao::dbEncrypt);
    makeTable(db, "T", {{"K", dao::dbText, 20}, {"M", dao::dbMemo, 0, true}, {"N", dao::dbLong}},
              {{"KX", {"K"}, "U"}});
    dao::Recordset rs = db.OpenRecordset("T");
    addRow(rs, {QStringLiteral("b"), QString(5000, u'x'), 2});
    addRow(rs, {QStringLiteral("a"), QVariant(), 1});
    // A recordset standing on a row stays there.
    rs.setIndex("KX");
    rs.Seek("=", QStringLiteral("b"));
    QStringList seen;
    dao::ScanTable(db, "t", {"K", "m", "N"}, [&](const QVariantList &row) {
        seen << row.at(0).toString() + u':' + QString::number(row.at(1).toString().size()) + u':' +
                    (row.at(1).isValid() ? u'v' : u'n') + u':' + QString::number(row.at(2).toInt());
        return true;
    });
    QCOMPARE(seen, (QStringList{"b:5000:v:2", "a:0:n:1"}));
    QCOMPARE(rs.Fields("K").Value().toString(), QStringLiteral("b"));
    db.Close();
}

void TestScan::stopsWhenAskedAndRefusesUnknownNames()
{
    QTemporaryDir dir;
    dao::Database db = dao::DBEngine::CreateDatabase(dir.filePath("s.cvb"), kLocale, dao::dbEncrypt);
    makeTable(db, "T", {{"K", dao::dbText, 20}});
    dao::Recordset rs = db.OpenRecordset("T");
    for (const char *k : {"a", "b", "c"})
        addRow(rs, {QString::fromLatin1(k)});
    int visits = 0;
    dao::ScanTable(db, "T", {"K"}, [&](const QVariantList &) { return ++visits < 2; });
    QCOMPARE(visits, 2);
    QCOMPARE(errorOf([&] { dao::ScanTable(db, "Nope", {"K"}, [](const QVariantList &) { return true; }); }), 3078);
    QCOMPARE(errorOf([&] { dao::ScanTable(db, "T", {"Z"}, [](const QVariantList &) { return true; }); }), 3265);
    db.Close();
    QCOMPARE(errorOf([&] { dao::ScanTable(db, "T", {"K"}, [](const QVariantList &) { return true; }); }), 3420);
}

namespace {

struct KeyedTable {
    QTemporaryDir dir;
    dao::Database db;
    KeyedTable()
    {
        db = dao::DBEngine::CreateDatabase(dir.filePath("k.cvb"), kLocale, dao::dbEncrypt);
        makeTable(db, "T",
                  {{"K", dao::dbText, 20, true}, {"S", dao::dbText, 20, true}, {"M", dao::dbMemo, 0, true},
                   {"C", dao::dbLong, 0, false, dao::dbAutoIncrField}},
                  {{"KX", {"K"}, ""}, {"KS", {"K", "S"}, ""}, {"CX", {"C"}, "U"}});
        dao::Recordset rs = db.OpenRecordset("T");
        // Spellings of one key to the index, stored out of order.
        for (const auto &[k, s] : QList<QPair<QString, QString>>{
                 {"apple", "z"}, {"b", "a"}, {"Apple", "a"}, {"apples", "m"}, {"APPLE", "m"}, {"", "e"}})
            addRow(rs, {k, s, k + "-memo"});
        addRow(rs, {QVariant(), "n"});
    }
};

// "K/S" of every row a walk of the recordset finds from Seek "=".
QStringList walked(dao::Database db, const QString &index, const QVariantList &key)
{
    dao::Recordset rs = db.OpenRecordset("T");
    rs.setIndex(index);
    rs.Seek("=", key);
    QStringList out;
    for (; !rs.NoMatch() && !rs.Eof(); rs.MoveNext()) {
        bool same = true;
        for (int i = 0; i < key.size(); ++i)
            same = same && dao::compareText(rs.Fields(i).Value().toString(), key[i].toString()) == 0;
        if (!same)
            break;
        out << rs.Fields("K").Value().toString() + u'/' + rs.Fields("S").Value().toString();
    }
    return out;
}

QStringList read(dao::KeyReader &r, const QVariantList &key)
{
    QStringList out;
    r.read(key, [&](const QVariantList &row) {
        out << row.at(0).toString() + u'/' + row.at(1).toString();
        return true;
    });
    return out;
}

} // namespace

// Rows read as the file holds them convert to what Fields give, for every
// type and for values another program stored in the wrong form.
void TestScan::rowViewsGiveWhatFieldsGive()
{
    QTemporaryDir dir;
    dao::Database db = dao::DBEngine::CreateDatabase(dir.filePath("v.cvb"), kLocale, dao::dbEncrypt);
    makeTable(db, "T",
              {{"K", dao::dbText, 20, true}, {"N", dao::dbLong}, {"I", dao::dbInteger}, {"B", dao::dbBoolean},
               {"D", dao::dbDate}, {"M", dao::dbMemo, 0, true}, {"C", dao::dbLong, 0, false, dao::dbAutoIncrField}},
              {{"KX", {"K"}, ""}, {"CX", {"C"}, "U"}});
    dao::Recordset rs = db.OpenRecordset("T");
    addRow(rs, {QStringLiteral("k\u00E9"), 7, -3, true, QDateTime({1850, 2, 28}, {13, 5, 9}), QString(3000, u'm')});
    addRow(rs, {QString(""), QVariant(), QVariant(), false, QVariant(), QVariant()});
    QCOMPARE(sqlite3_exec(dao::Access::impl(db)->db,
                          "INSERT INTO T (K, N, I, B, D, M) VALUES (42, '12', 2.5, 5, 'no date', X'414243');"
                          "INSERT INTO T (K, N, I, B, D, M) VALUES (NULL, 'x', 70000, NULL, 12, 4.25)",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    rs = db.OpenRecordset("T");
    rs.setIndex("CX");
    const QStringList cols = {"K", "N", "I", "B", "D", "M", "C"};
    int rows = 0;
    QStringList differ;
    dao::ScanIndex(db, "T", "CX", cols, false, [&](const dao::RowView &row) {
        rs.Seek("=", row.number(6));
        for (int i = 0; i < cols.size(); ++i) {
            const QVariant field = rs.Fields(cols.at(i)).Value();
            const QVariant v = row.value(i);
            if (v.typeId() != field.typeId() || v != field ||
                row.text(i) != (field.isValid() ? field.toString() : QString()))
                differ << QString::number(rows) + u'/' + cols.at(i);
        }
        ++rows;
        return true;
    });
    QCOMPARE(differ, QStringList());
    QCOMPARE(rows, 4);
    dao::KeyReader byKey(db, "T", "KX", cols);
    QStringList seen;
    int error = 0;
    QCOMPARE(byKey.read(QStringLiteral("42"), [&](const dao::RowView &row) {
        seen << QString::number(row.holdsText(0)) << QString::number(row.number(0)) << row.text(0)
             << QString::number(row.holdsText(4)) << QString::fromUtf8(row.utf8(4))
             << QString::number(row.value(4).isValid()) << QString::number(row.isNull(4))
             << QString::number(row.isNull(1));
        error = errorOf([&] { row.value(7); });
        return true;
    }), 1);
    QCOMPARE(seen, (QStringList{"1", "42", "42", "1", "no date", "0", "0", "0"}));
    QCOMPARE(error, 3265);
    int nulls = 0;
    byKey.read(QString(""), [&](const dao::RowView &row) {
        nulls = row.isNull(1) + row.isNull(4) + row.isNull(5) + row.holdsText(0);
        return false;
    });
    QCOMPARE(nulls, 4);
    db.Close();
}

void TestScan::keyReaderFindsWhatSeekAndMoveNextFind()
{
    KeyedTable t;
    dao::KeyReader byK(t.db, "t", "kx", {"K", "S"});
    const QStringList apples = read(byK, {"aPPle"});
    QCOMPARE(apples, QStringList({"apple/z", "Apple/a", "APPLE/m"}));
    QCOMPARE(apples, walked(t.db, "KX", {"aPPle"}));
    QCOMPARE(read(byK, {""}), QStringList({"/e"}));
    QCOMPARE(read(byK, {"none"}), QStringList());
    QCOMPARE(read(byK, {QVariant()}), QStringList()); // Null equals nothing
    // A leading part of a longer index: its rows by the rest of the index.
    dao::KeyReader byKS(t.db, "T", "KS", {"K", "S"});
    QCOMPARE(read(byKS, {"APPLE"}), QStringList({"Apple/a", "APPLE/m", "apple/z"}));
    QCOMPARE(read(byKS, {"APPLE"}), walked(t.db, "KS", {"APPLE"}));
    dao::KeyReader whole(t.db, "T", "KS", {"K", "S"}, 2);
    QCOMPARE(read(whole, {"apple", "M"}), QStringList({"APPLE/m"}));
    // The counter's index is the row's own number.
    dao::KeyReader byC(t.db, "T", "CX", {"K", "M"});
    QCOMPARE(read(byC, {3}), QStringList({"Apple/Apple-memo"}));
    // The visit stops the read.
    int visits = 0;
    QCOMPARE(byK.read(QVariant("apple"), [&](const QVariantList &) { return ++visits < 2; }), 2);
    QCOMPARE_ERR(dao::KeyReader(t.db, "T", "Nope", {"K"}), 3015);
    QCOMPARE_ERR(dao::KeyReader(t.db, "T", "KX", {"Nope"}), 3265);
    QCOMPARE_ERR(dao::KeyReader(t.db, "Nope", "KX", {"K"}), 3078);
    QCOMPARE_ERR(dao::KeyReader(t.db, "T", "KX", {"K"}, 2), 3001);
    t.db.Close();
    QCOMPARE_ERR(read(byK, {"apple"}), 3420);
}

void TestScan::indexOrderAndStoredTexts()
{
    KeyedTable t;
    QStringList order;
    dao::ScanIndex(t.db, "T", "KS", {"K", "C"}, true, [&](const QVariantList &row) {
        order << row.at(0).toString() + u':' + row.at(1).toString();
        return true;
    });
    // Newest of equal keys first, Null last.
    QCOMPARE(order, QStringList({"b:2", "apples:4", "apple:1", "APPLE:5", "Apple:3", ":6", ":7"}));
    QStringList ascending;
    dao::ScanIndex(t.db, "T", "KX", {"C"}, false, [&](const QVariantList &row) {
        ascending << row.at(0).toString();
        return true;
    });
    QCOMPARE(ascending, QStringList({"7", "6", "1", "3", "5", "4", "2"}));

    dao::Recordset rs = t.db.OpenRecordset("T");
    addRow(rs, {u"\u00E9t\u00E9"_qs, "x", u"caf\u00E9 \U0001F600"_qs});
    QStringList texts;
    bool bytesAsStored = true;
    dao::ScanTexts(t.db, "T", "M", {"K", "C"}, [&](const dao::TextRow &row) {
        if (row.textIsNull()) {
            texts << "null:" + row.value(1).toString();
            return true;
        }
        bytesAsStored = bytesAsStored && row.utf8().toByteArray() == row.text().toUtf8();
        texts << row.text() + u'|' + row.value(0).toString();
        return row.value(1).toInt() < 8;
    });
    QVERIFY(bytesAsStored);
    QCOMPARE(texts.size(), 8);
    QCOMPARE(texts.at(6), QString("null:7"));
    QCOMPARE(texts.at(7), u"caf\u00E9 \U0001F600|\u00E9t\u00E9"_qs);
    QCOMPARE_ERR(dao::ScanTexts(t.db, "T", "Nope", {}, [](const dao::TextRow &) { return true; }), 3265);
}

void TestScan::readScopeLocksOnceAndLeavesTransactionsAlone()
{
    KeyedTable t;
    dao::KeyReader byK(t.db, "T", "KX", {"K", "S"});
    {
        const dao::ReadScope scope(t.db);
        QCOMPARE(read(byK, {"b"}), QStringList({"b/a"}));
        // Another connection may still read meanwhile.
        dao::Database other = dao::DBEngine::OpenDatabase(t.dir.filePath("k.cvb"), false, false, kConnect);
        dao::KeyReader otherK(other, "T", "KX", {"K", "S"});
        QCOMPARE(read(otherK, {"b"}), QStringList({"b/a"}));
        other.Close();
    }
    // After it, a write commits on its own.
    dao::Recordset rs = t.db.OpenRecordset("T");
    addRow(rs, {"c", "after"});
    QCOMPARE(read(byK, {"c"}), QStringList({"c/after"}));
    // Inside a transaction it changes nothing: the rollback still undoes.
    dao::DBEngine::BeginTrans();
    addRow(rs, {"d", "gone"});
    {
        const dao::ReadScope scope(t.db);
        QCOMPARE(read(byK, {"d"}), QStringList({"d/gone"}));
    }
    dao::DBEngine::Rollback();
    QCOMPARE(read(byK, {"d"}), QStringList());
    t.db.Close();
}

// A text key finds what the key as a value finds, in letters of any case and
// beyond ASCII; the row numbers a read gives, from the index alone when it
// asks for no column, read those rows again, and no others.
void TestScan::rowNumbersReadTheSameRowsAgain()
{
    KeyedTable t;
    dao::Recordset rs = t.db.OpenRecordset("T");
    addRow(rs, {QStringLiteral("\u00C9t\u00E9"), "x", "memo"});
    addRow(rs, {QStringLiteral("e\u0301t\u00E9"), "y", "memo"}); // the same word, accent apart
    dao::KeyReader byK(t.db, "T", "KX", {"K", "S"});
    dao::KeyReader idsOfK(t.db, "T", "KX", {});
    dao::KeyReader byId(t.db, "T", dao::KeyReader::ByRowId{}, {"K", "S"});
    for (const QString key : {"aPPle", "\u00E9T\u00C9", "", "none"}) {
        QStringList texts, again;
        QList<qint64> ids;
        byK.read(key, [&](const dao::RowView &row) {
            texts << row.text(0) + u'/' + row.text(1);
            ids << row.rowId();
            return true;
        });
        QCOMPARE(texts, read(byK, {key}));
        QList<qint64> indexIds;
        idsOfK.read(key, [&](const dao::RowView &row) {
            indexIds << row.rowId();
            return true;
        });
        QCOMPARE(indexIds, ids);
        for (qint64 id : ids)
            QCOMPARE(byId.readRow(id, [&](const dao::RowView &row) {
                again << row.text(0) + u'/' + row.text(1);
                return true;
            }), 1);
        QCOMPARE(again, texts);
    }
    QCOMPARE(read(byK, {QStringLiteral("\u00E9t\u00E9")}).size(), 2);
    QCOMPARE(byId.readRow(999, [](const dao::RowView &) { return true; }), 0);
    // Each reader takes only its own kind of key.
    QCOMPARE_ERR(byId.read(QStringLiteral("apple"), [](const dao::RowView &) { return true; }), 3001);
    QCOMPARE_ERR(byId.read(QVariantList{"apple"}, [](const QVariantList &) { return true; }), 3001);
    QCOMPARE_ERR(byK.readRow(1, [](const dao::RowView &) { return true; }), 3001);
    QCOMPARE_ERR(dao::KeyReader(t.db, "Nope", dao::KeyReader::ByRowId{}, {"K"}), 3078);
    QCOMPARE_ERR(dao::KeyReader(t.db, "T", dao::KeyReader::ByRowId{}, {"Nope"}), 3265);
    t.db.Close();
    QCOMPARE_ERR(byId.readRow(1, [](const dao::RowView &) { return true; }), 3420);
}

QTEST_APPLESS_MAIN(TestScan)
#include "tst_scan.moc"
