// The one-pass read of a table's columns, memo columns included.

#include "DaoTestUtil.h"

class TestScan : public QObject {
    Q_OBJECT
private slots:
    void readsEveryRowInStoredOrder();
    void stopsWhenAskedAndRefusesUnknownNames();
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

QTEST_APPLESS_MAIN(TestScan)
#include "tst_scan.moc"
