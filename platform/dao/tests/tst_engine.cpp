// Opening and creating bases, encryption and damaged files, read-only
// bases, transactions, table definitions and the text order.

#include "DaoErrors.h"
#include "DaoTestUtil.h"
#include "../../core/tests/Unprivileged.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dao;

class TestEngine : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;

    QString path(const QString &name = {})
    {
        return m_dir.filePath(name.isEmpty() ? QStringLiteral("b%1.cvb").arg(++m_n) : name);
    }

    // A base with one keyword table holding a few rows.
    QString smallBase(int rows = 3)
    {
        const QString p = path();
        Database db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
        makeTable(db, "K", {{"GROUPE", dbText, 30}, {"GrCount", dbLong, 0, false, 17}},
                  {{"Groupe", {"GROUPE"}, "U"}});
        Recordset rs = db.OpenRecordset("K");
        for (int i = 0; i < rows; ++i)
            addRow(rs, {QStringLiteral("kw%1").arg(i)});
        db.Close();
        return p;
    }

    // A folder that the unprivileged user of runUnprivileged reaches: mode
    // as given, owned by that user when owner is set and this is root.
    QString folder(const QString &name, mode_t mode, bool owner = false)
    {
        const QString dir = m_dir.filePath(name);
        QDir().mkpath(dir);
        if (owner && ::geteuid() == 0 && ::chown(QFile::encodeName(dir).constData(), kUnprivilegedId,
                                                 kUnprivilegedId) != 0)
            return {};
        if (::chmod(QFile::encodeName(dir).constData(), mode) != 0)
            return {};
        return dir;
    }

    static bool setMode(const QString &p, mode_t mode) { return ::chmod(QFile::encodeName(p).constData(), mode) == 0; }

    static QByteArray fileHash(const QString &p)
    {
        QFile f(p);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    static void writeFile(const QString &p, const QByteArray &data)
    {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }

    // Opening a file that is not a sound base must fail with an error (no
    // crash), before or at the first read.
    static int openAndRead(const QString &p)
    {
        return errorOf([&] {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            for (int i = 0; i < db.TableDefs().Count(); ++i) {
                Recordset rs = db.OpenRecordset(db.TableDefs()(i).Name());
                while (!rs.Eof()) {
                    for (int f = 0; f < rs.Fields().Count(); ++f)
                        rs.Fields(f).Value();
                    rs.MoveNext();
                }
            }
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Reached by the unprivileged user of the read-only cases.
        QVERIFY(setMode(m_dir.path(), 0755));
    }

    void createdBaseIsEncryptedAndReopens()
    {
        const QString p = smallBase();
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.read(16).startsWith("SQLite format 3"));
        f.close();
        // A closed base is one file: no journal left beside it.
        QVERIFY(!QFile::exists(p + "-journal"));
        QVERIFY(!QFile::exists(p + "-wal"));

        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        Recordset rs = db.OpenRecordset("k");
        QCOMPARE(rs.RecordCount(), 3L);
        rs.setIndex("GROUPE");
        rs.Seek("=", "KW1");
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields("groupe").Value().toString(), QStringLiteral("kw1"));
        QCOMPARE(rs.Fields("GrCount").Value().toInt(), 2);
    }

    void wrongOrMissingPasswordIs3031()
    {
        const QString p = smallBase();
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, ";pwd=Qv47Tz29"), 3031);
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, ""), 3031);
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, ";pwd="), 3031);
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, kConnect), 0);
    }

    void keyIsTakenVerbatim()
    {
        // Quotes and semicolons are part of the password, never SQL.
        const QString connect = kConnect + "a';b\"c;pwd=d";
        const QString p = path();
        DBEngine::CreateDatabase(p, QString(dbLangGeneral) + connect, dbEncrypt).Close();
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, connect).Close(), 0);
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, kConnect + "a'"), 3031);
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, ";PWD=Qv47Tz28a';b\"c;pwd=d").Close(), 0);
    }

    void createOverAnExistingPathIs3204AndLeavesItAlone()
    {
        const QString base = smallBase();
        const QString text = path("notes.txt");
        writeFile(text, "some text that is not a base");
        const QString empty = path("empty.cvb");
        writeFile(empty, {});
        const QString dir = path("folder.cvb");
        QVERIFY(QDir().mkdir(dir));
        const QString dangling = path("dangling.cvb");
        QVERIFY(::symlink(path("nowhere").toLocal8Bit().constData(),
                          dangling.toLocal8Bit().constData()) == 0);

        for (const QString &p : {base, text, empty}) {
            const QByteArray before = fileHash(p);
            const QDateTime mtime = QFileInfo(p).lastModified();
            QCOMPARE_ERR(DBEngine::CreateDatabase(p, kLocale, dbEncrypt), 3204);
            QCOMPARE(fileHash(p), before);
            QCOMPARE(QFileInfo(p).lastModified(), mtime);
        }
        QCOMPARE_ERR(DBEngine::CreateDatabase(dir, kLocale, dbEncrypt), 3204);
        QCOMPARE_ERR(DBEngine::CreateDatabase(dangling, kLocale, dbEncrypt), 3204);
        QVERIFY(!QFile::exists(path("nowhere")));
        // The base itself still opens with its rows.
        QCOMPARE(DBEngine::OpenDatabase(base, false, false, kConnect).OpenRecordset("K").RecordCount(), 3L);

        try {
            DBEngine::CreateDatabase(base, kLocale, dbEncrypt);
        } catch (const vb::Error &e) {
            QVERIFY(e.description().contains(u"already exists"));
        }
    }

    void createInAMissingFolderFailsCleanly()
    {
        QCOMPARE_ERR(DBEngine::CreateDatabase(path("no/such/dir.cvb"), kLocale, dbEncrypt), 3044);
        QCOMPARE_ERR(DBEngine::CreateDatabase("", kLocale, dbEncrypt), 3044);
    }

    void openNeverCreatesAFile()
    {
        const QString p = path("missing.cvb");
        QCOMPARE_ERR(DBEngine::OpenDatabase(p, false, false, kConnect), 3024);
        QVERIFY(!QFile::exists(p));
        // A folder is no file at all, and says so.
        QCOMPARE_ERR(DBEngine::OpenDatabase(m_dir.path(), false, false, kConnect), int(ErrNotAFile));
    }

    void filesThatAreNotBasesGiveAnError()
    {
        // Random bytes: cannot be told from a wrong key.
        const QString rnd = path("random.cvb");
        QByteArray bytes(64 * 1024, '\0');
        for (char &c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        writeFile(rnd, bytes);
        QCOMPARE(openAndRead(rnd), 3031);

        const QString empty = path("zero.cvb");
        writeFile(empty, {});
        QCOMPARE(openAndRead(empty), 3343);
        QCOMPARE(QFileInfo(empty).size(), 0); // opening wrote nothing

        const QString text = path("text.cvb");
        writeFile(text, QByteArray("SQLite format 3").repeated(3));
        QVERIFY(openAndRead(text) != 0);

        // A plain SQLite file of another program.
        const QString plain = path("plain.db");
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open(plain.toLocal8Bit().constData(), &raw), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, "CREATE TABLE t(a); INSERT INTO t VALUES(1);", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        sqlite3_close(raw);
        QCOMPARE(openAndRead(plain), 3343);
        // Without a key either: an SQLite file without our catalog is no base.
        QCOMPARE_ERR(DBEngine::OpenDatabase(plain, false, false, ""), 3343);
    }

    void truncatedBasesGiveAnErrorNotACrash()
    {
        const QString good = smallBase(400);
        QFile f(good);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray all = f.readAll();
        f.close();
        QVERIFY(all.size() > 8192);
        for (qsizetype cut : {qsizetype(1), qsizetype(15), qsizetype(100), qsizetype(1023),
                              qsizetype(1024), qsizetype(2048), qsizetype(4097), all.size() / 2,
                              all.size() - 1024, all.size() - 1}) {
            const QString p = path();
            writeFile(p, all.left(cut));
            const int err = openAndRead(p);
            QVERIFY2(err == 3031 || err == 3049 || err == 3343 || err == 3043,
                     qPrintable(QStringLiteral("cut %1: error %2").arg(cut).arg(err)));
        }
    }

    void readOnlyOpenRefusesEveryWrite()
    {
        const QString p = smallBase();
        const QByteArray before = fileHash(p);
        Database db = DBEngine::OpenDatabase(p, false, true, kConnect);
        QVERIFY(!db.Updatable());
        Recordset rs = db.OpenRecordset("K");
        QVERIFY(!rs.Updatable());
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("kw0"));
        QCOMPARE_ERR(rs.AddNew(), 3027);
        QCOMPARE_ERR(rs.Edit(), 3027);
        QCOMPARE_ERR(rs.Delete(), 3027);
        QCOMPARE_ERR(makeTable(db, "T2", {{"A", dbLong}}), 3027);
        QCOMPARE(rs.RecordCount(), 3L);
        db.Close();
        QCOMPARE(fileHash(p), before);

        // A read-only recordset on a writable base.
        Database rw = DBEngine::OpenDatabase(p, false, false, kConnect);
        Recordset ro = rw.OpenRecordset("K", dbOpenTable, dbReadOnly);
        QCOMPARE_ERR(ro.AddNew(), 3027);
        QCOMPARE_ERR(ro.Edit(), 3027);
    }

    void writeProtectedFileRefusesWrites()
    {
        // Only the file is protected; its folder takes new files.
        const QString dir = folder(QStringLiteral("protected-file"), 0777);
        QVERIFY(!dir.isEmpty());
        const QString p = dir + QStringLiteral("/base.cvb");
        QVERIFY(QFile::copy(smallBase(), p));
        QVERIFY(setMode(p, 0444));
        const QByteArray before = fileHash(p);
        const int failed = runUnprivileged([&] {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            if (db.Updatable())
                return 1;
            Recordset rs = db.OpenRecordset("K");
            if (errorOf([&] { rs.Edit(); }) != 3027)
                return 2;
            if (errorOf([&] { rs.AddNew(); }) != 3027)
                return 3;
            if (errorOf([&] { rs.Delete(); }) != 3027)
                return 4;
            return rs.RecordCount() == 3 ? 0 : 5;
        });
        QCOMPARE(failed, 0);
        QCOMPARE(fileHash(p), before);
    }

    void baseInAReadOnlyFolderOpensReadOnly()
    {
        // The file may be written, its folder may not: the engine could not
        // keep its journal there.
        const QString dir = folder(QStringLiteral("read-only-folder"), 0755);
        QVERIFY(!dir.isEmpty());
        const QString p = dir + QStringLiteral("/base.cvb");
        QVERIFY(QFile::copy(smallBase(), p));
        QVERIFY(setMode(p, 0666));
        QVERIFY(setMode(dir, 0555));
        const QByteArray before = fileHash(p);
        const int failed = runUnprivileged([&] {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            if (db.Updatable())
                return 1;
            Recordset rs = db.OpenRecordset("K");
            if (rs.Updatable())
                return 2;
            if (errorOf([&] { rs.AddNew(); }) != 3027)
                return 3;
            if (errorOf([&] { rs.Edit(); }) != 3027)
                return 4;
            if (errorOf([&] { makeTable(db, "T2", {{"A", dbLong}}); }) != 3027)
                return 5;
            rs.setIndex("Groupe");
            rs.Seek("=", QStringLiteral("KW1"));
            return rs.NoMatch() ? 6 : 0;
        });
        QVERIFY(setMode(dir, 0755));
        QCOMPARE(failed, 0);
        QCOMPARE(fileHash(p), before);
    }

    void folderMadeReadOnlyAfterOpeningRefusesWrites()
    {
        const QString dir = folder(QStringLiteral("later-read-only"), 0755, true);
        QVERIFY(!dir.isEmpty());
        const QString p = dir + QStringLiteral("/base.cvb");
        QVERIFY(QFile::copy(smallBase(), p));
        QVERIFY(setMode(p, 0666));
        const QByteArray dirName = QFile::encodeName(dir);
        const int failed = runUnprivileged([&] {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            if (!db.Updatable())
                return 1;
            Recordset rs = db.OpenRecordset("K");
            if (::chmod(dirName.constData(), 0555) != 0)
                return 2;
            const int err = errorOf([&] { addRow(rs, {QStringLiteral("new")}); });
            ::chmod(dirName.constData(), 0755);
            if (err != 3027)
                return 3;
            if (rs.EditMode() != dbEditNone)
                return 4;
            return rs.RecordCount() == 3 ? 0 : 5;
        });
        QCOMPARE(failed, 0);
    }

    void writesAreDurableWhenUpdateReturns()
    {
        const QString p = smallBase(0);
        Database a = DBEngine::OpenDatabase(p, false, false, kConnect);
        Database b = DBEngine::OpenDatabase(p, false, false, kConnect);
        Recordset ra = a.OpenRecordset("K");
        Recordset rb = b.OpenRecordset("K");
        addRow(ra, {"one"});
        QCOMPARE(rb.RecordCount(), 1L);
        rb.MoveFirst();
        QCOMPARE(rb.Fields("GROUPE").Value().toString(), QStringLiteral("one"));
        // A table made through one connection opens through the other.
        makeTable(a, "Later", {{"A", dbLong}});
        QCOMPARE(b.OpenRecordset("later").RecordCount(), 0L);
        QCOMPARE_ERR(makeTable(b, "LATER", {{"A", dbLong}}), 3010);
        // Counters handed out on either connection never collide.
        ra.AddNew();
        rb.AddNew();
        QVERIFY(ra.Fields("GrCount").Value() != rb.Fields("GrCount").Value());
        ra.Fields("GROUPE").setValue("two");
        rb.Fields("GROUPE").setValue("three");
        ra.Update();
        rb.Update();
        QCOMPARE(ra.RecordCount(), 3L);
    }

    void transactions()
    {
        const QString p = smallBase(0);
        Workspace ws = DBEngine::Workspaces(0);
        QCOMPARE_ERR(ws.CommitTrans(), 3034);
        QCOMPARE_ERR(ws.Rollback(), 3034);
        {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            Recordset rs = db.OpenRecordset("K");
            ws.BeginTrans();
            addRow(rs, {"a"});
            addRow(rs, {"b"});
            QCOMPARE(rs.RecordCount(), 2L);
            ws.Rollback();
            QCOMPARE(rs.RecordCount(), 0L);
            QCOMPARE(ws.TransactionLevel(), 0);

            ws.BeginTrans();
            addRow(rs, {"c"});
            ws.BeginTrans();
            addRow(rs, {"d"});
            ws.Rollback(); // only the inner one
            ws.CommitTrans();
            QCOMPARE(rs.RecordCount(), 1L);

            {
                TransactionScope scope(ws);
                addRow(rs, {"e"});
            } // not committed: rolled back
            QCOMPARE(rs.RecordCount(), 1L);
            {
                TransactionScope scope(ws);
                addRow(rs, {"f"});
                scope.Commit();
            }
            // A table made in a transaction that is rolled back is gone.
            ws.BeginTrans();
            makeTable(db, "Temp", {{"A", dbLong}});
            QCOMPARE(db.TableDefs().Count(), 2);
            ws.Rollback();
            QCOMPARE(db.TableDefs().Count(), 1);
            QCOMPARE_ERR(db.OpenRecordset("Temp"), 3078);
            QCOMPARE(rs.RecordCount(), 2L); // a recordset of a table that stays still works
            makeTable(db, "Temp", {{"A", dbLong}});
            db.Close();
        }
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        QCOMPARE(db.TableDefs().Count(), 2);
        Recordset rs = db.OpenRecordset("K");
        QCOMPARE(rs.RecordCount(), 2L);
        rs.setIndex("Groupe");
        rs.MoveFirst();
        QCOMPARE(rs.Fields("GROUPE").Value().toString(), QStringLiteral("c"));
        // Counters given out in a rolled-back transaction are not given again.
        rs.AddNew();
        QVERIFY(rs.Fields("GrCount").Value().toInt() > 4);
        rs.CancelUpdate();
    }

    void tableDefinitionsAreKept()
    {
        const QString p = path();
        {
            Database db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
            makeTable(db, "NOTE",
                      {{"NOTE", dbText, 100, true}, {"JOUR", dbDate}, {"N°", dbLong, 0, false, 17},
                       {"TEXTE", dbMemo, 0, true}, {"Flag", dbBoolean}, {"Small", dbInteger}},
                      {{"Jour", {"JOUR"}, ""}, {"Key", {"NOTE", "JOUR"}, "UR"}});
            // Index names belong to their table.
            makeTable(db, "CIT", {{"JOUR", dbDate}}, {{"Jour", {"JOUR"}, "P"}});
            db.Close();
        }
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        QCOMPARE(db.TableDefs().Count(), 2);
        TableDef td = db.TableDefs("note");
        QCOMPARE(td.Name(), QStringLiteral("NOTE"));
        QCOMPARE(td.Fields().Count(), 6);
        const QStringList names = {"NOTE", "JOUR", "N°", "TEXTE", "Flag", "Small"};
        const QList<int> types = {dbText, dbDate, dbLong, dbMemo, dbBoolean, dbInteger};
        const QList<long> attrs = {2, 1, 17, 2, 1, 1};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(td.Fields(i).Name(), names[i]);
            QCOMPARE(td.Fields(i).Type(), types[i]);
            QCOMPARE(td.Fields(i).Attributes(), attrs[i]);
            QCOMPARE(td.Fields(i).OrdinalPosition(), i);
        }
        QCOMPARE(td.Fields("note").Size(), 100);
        QVERIFY(td.Fields("NOTE").AllowZeroLength());
        QVERIFY(!td.Fields("n°").AllowZeroLength());
        QCOMPARE(td.Indexes().Count(), 2);
        Index key = td.Indexes("KEY");
        QVERIFY(key.Unique() && key.Required() && !key.Primary() && !key.IgnoreNulls());
        QCOMPARE(key.Fields().Count(), 2);
        QCOMPARE(key.Fields()(1).Name(), QStringLiteral("JOUR"));
        QVERIFY(db.TableDefs("CIT").Indexes("jour").Primary());
        QCOMPARE_ERR(db.TableDefs("nope"), 3265);
        QCOMPARE_ERR(db.OpenRecordset("nope"), 3078);
        // Our catalog is not a table of the base.
        QCOMPARE_ERR(db.OpenRecordset("dao.tables"), 3078);
    }

    void appendingRejectsBadDefinitions()
    {
        Database db = DBEngine::CreateDatabase(path(), kLocale, dbEncrypt);
        makeTable(db, "A", {{"X", dbLong}});
        // A second table of the same name, in any letter case; the first stays.
        QCOMPARE_ERR(makeTable(db, "a", {{"Y", dbLong}}), 3010);
        QCOMPARE(db.TableDefs("A").Fields(0).Name(), QStringLiteral("X"));
        QCOMPARE_ERR(makeTable(db, "B", {}), 3264);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", dbLong}, {"x", dbText}}), 3191);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", 99}}), 3259);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", dbText, 0, false, 17}}), 3259);
        QCOMPARE_ERR(makeTable(db, "B.C", {{"X", dbLong}}), 3125);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", dbLong}}, {{"I", {"Nope"}, ""}}), 3265);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", dbLong}}, {{"I", {"X"}, ""}, {"i", {"X"}, ""}}), 3284);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", dbLong}}, {{"I", {"X"}, "P"}, {"J", {"X"}, "P"}}), 3283);
        QCOMPARE_ERR(makeTable(db, "B", {{"X", dbLong}}, {{"I", {}, ""}}), 3264);
        QCOMPARE(db.TableDefs().Count(), 1);
        // An appended table's definition cannot change.
        TableDef td = db.TableDefs("A");
        QCOMPARE_ERR(td.Fields().Append(td.CreateField("Z", dbLong)), 3219);
        QCOMPARE_ERR(td.Fields(0).setSize(3), 3219);
    }

    void closedBaseInvalidatesItsObjects()
    {
        Database db = DBEngine::OpenDatabase(smallBase(), false, false, kConnect);
        Recordset rs = db.OpenRecordset("K");
        Field f = rs.Fields("GROUPE");
        QCOMPARE(f.Value().toString(), QStringLiteral("kw0"));
        db.Close();
        QCOMPARE_ERR(f.Value(), 3420);
        QCOMPARE_ERR(f.setValue("x"), 3420);
        QCOMPARE_ERR(rs.MoveNext(), 3420);
        QCOMPARE_ERR(rs.Eof(), 3420);
        QCOMPARE_ERR(db.OpenRecordset("K"), 3420);
        QCOMPARE_ERR(db.TableDefs().Count(), 3420);
        db.Close(); // closing twice is harmless

        Database db2 = DBEngine::OpenDatabase(smallBase(), false, false, kConnect);
        Recordset r2 = db2.OpenRecordset("K");
        Field g = r2.Fields(0);
        r2.Close();
        QCOMPARE_ERR(g.Value(), 3420);
        QVERIFY(db2.OpenRecordset("K").RecordCount() == 3);
    }

    void nothingHandlesRaise91()
    {
        Database db;
        Recordset rs;
        Field f;
        QVERIFY(db.isNothing() && !rs && !f);
        QCOMPARE_ERR(db.OpenRecordset("K"), 91);
        QCOMPARE_ERR(rs.MoveNext(), 91);
        QCOMPARE_ERR(f.Value(), 91);
        Recordset a = DBEngine::OpenDatabase(smallBase(), false, false, kConnect).OpenRecordset("K");
        Recordset b = a;
        QVERIFY(a == b);
        b.reset();
        QVERIFY(b.isNothing() && !a.isNothing());
    }

    void textOrderFoldsCaseBeyondAscii()
    {
        QCOMPARE(compareText(u"Économie", u"économie"), 0);
        QCOMPARE(compareText(u"LI__0001.TXT", u"li__0001.txt"), 0);
        QVERIFY(compareText(u"resume", u"résumé") != 0);
        QVERIFY(compareText(u"e", u"é") < 0);
        QVERIFY(compareText(u"é", u"f") < 0);
        QVERIFY(compareText(u"Zoo", u"économie") > 0);
        QVERIFY(compareText(u"ab", u"abc") < 0);
        QCOMPARE(compareText(u"ΣΟΦΙΑ", u"σοφια"), 0);

        // The same order in the file: the unique index and the seek agree.
        Database db = DBEngine::CreateDatabase(path(), kLocale, dbEncrypt);
        makeTable(db, "W", {{"Word", dbText, 40, true}}, {{"WNDX", {"Word"}, "U"}});
        Recordset rs = db.OpenRecordset("W");
        rs.setIndex("WNDX");
        for (const char *w : {"économie", "Zoo", "eau", "fer", "resume", "Ärger", "abc"})
            addRow(rs, {QString::fromUtf8(w)});
        QCOMPARE_ERR(addRow(rs, {QStringLiteral("ÉCONOMIE")}), 3022);
        QCOMPARE_ERR(addRow(rs, {QStringLiteral("ärger")}), 3022);
        QCOMPARE_ERR(addRow(rs, {QStringLiteral("résumé")}), 0);
        QStringList order;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            order << rs.Fields(0).Value().toString();
        QCOMPARE(order, QStringList({"abc", "Ärger", "eau", "économie", "fer", "resume", "résumé", "Zoo"}));
        rs.Seek("=", QStringLiteral("ÉCONOMIE"));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields(0).Value().toString(), QStringLiteral("économie"));
    }

    void keysCompareInNormalFormC()
    {
        // "été" with composed letters, and with "e" and a combining acute.
        const QString composed = QString::fromUtf8("\u00e9t\u00e9");
        const QString combining = QString::fromUtf8("e\u0301te\u0301");
        QVERIFY(composed != combining);
        QCOMPARE(compareText(composed, combining), 0);
        QCOMPARE(compareText(QString::fromUtf8("\u00c9T\u00c9"), combining), 0);
        QCOMPARE(composedText(combining), composed);
        QVERIFY(compareText(combining, u"ete") > 0);
        QVERIFY(compareText(combining, u"f") < 0);
        // Two accents on one letter sort beside the bare letter in either
        // form ("ǘ" and "u" + diaeresis + acute), as the quick ASCII path
        // of the file's order has it.
        QVERIFY(compareText(QString::fromUtf8("\u01d8"), u"v") < 0);
        QVERIFY(compareText(QString::fromUtf8("u\u0308\u0301"), u"v") < 0);
        QCOMPARE(compareText(QString::fromUtf8("\u01d8"), QString::fromUtf8("u\u0308\u0301")), 0);

        Database db = DBEngine::CreateDatabase(path(), kLocale, dbEncrypt);
        makeTable(db, "W", {{"Word", dbText, 40, true}}, {{"WNDX", {"Word"}, "U"}});
        Recordset rs = db.OpenRecordset("W");
        rs.setIndex("WNDX");
        for (const QString &w : {composed, QStringLiteral("ete"), QStringLiteral("f"),
                                 QString::fromUtf8("u\u0308\u0301ber"), QStringLiteral("va")})
            addRow(rs, {w});
        QCOMPARE_ERR(addRow(rs, {combining}), 3022);
        QCOMPARE_ERR(addRow(rs, {QString::fromUtf8("\u01d8ber")}), 3022);
        rs.Seek("=", combining);
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.Fields(0).Value().toString(), composed);
        QStringList order;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            order << rs.Fields(0).Value().toString();
        QCOMPARE(order, QStringList({"ete", composed, "f", QString::fromUtf8("u\u0308\u0301ber"), "va"}));
    }

    void basesOfTheFormerOrderAreOrderedAgain()
    {
        const QString p = path();
        {
            Database db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
            makeTable(db, "W", {{"Word", dbText, 40, true}}, {{"WNDX", {"Word"}, "U"}});
            Recordset rs = db.OpenRecordset("W");
            for (const char *w : {"delta", "alpha", "charlie", "bravo"})
                addRow(rs, {QString::fromLatin1(w)});
            db.Close();
        }
        // An older writer: its index in another order, and no mark of the
        // order in the base.
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(p).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_key(raw, "Qv47Tz28", 8), SQLITE_OK);
        auto reversed = [](void *, int na, const void *a, int nb, const void *b) {
            const int c = QByteArray(static_cast<const char *>(a), na).compare(
                QByteArray(static_cast<const char *>(b), nb));
            return -c;
        };
        QCOMPARE(sqlite3_create_collation_v2(raw, "DAOTEXT", SQLITE_UTF8, nullptr, reversed, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, "REINDEX DAOTEXT; DELETE FROM \"dao.meta\" WHERE key='collation'", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close_v2(raw);

        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        Recordset rs = db.OpenRecordset("W");
        rs.setIndex("WNDX");
        QStringList order;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            order << rs.Fields(0).Value().toString();
        QCOMPARE(order, QStringList({"alpha", "bravo", "charlie", "delta"}));
        for (const char *w : {"alpha", "BRAVO", "charlie", "Delta"}) {
            rs.Seek("=", QString::fromLatin1(w));
            QVERIFY2(!rs.NoMatch(), w);
        }
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
