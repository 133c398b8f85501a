// The look at a base before it is opened: a base this program closed,
// unchanged since, opens without the checker; any change, a planted record
// or a crash while open sends it through the checker again, which still
// authenticates every page and refuses damaged ones.

#include "Collation.h"
#include "DaoErrors.h"
#include "DaoTestUtil.h"
#include "Guard.h"
#include "LeftBases.h"
#include "Pages.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dao;

namespace {

QByteArray readAll(const QString &p)
{
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &p, const QByteArray &b)
{
    QFile f(p);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(b), b.size());
}

// Bytes of one page overwritten in place, as a stray write would.
void spoil(const QString &p, qint64 page, int at = 100)
{
    QFile f(p);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek((page - 1) * 1024 + at));
    QCOMPARE(f.write(QByteArray(8, '\x5a')), qint64(8));
}

quint32 be32(const unsigned char *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;

    QString path() { return m_dir.filePath(QStringLiteral("b%1.cvb").arg(++m_n)); }

    // A base made and closed by the engine, with rows of long text; with
    // dropRows the rows are deleted again, leaving free pages.
    QString base(int rows = 40, bool dropRows = false)
    {
        const QString p = path();
        Database db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
        makeTable(db, "K", {{"GROUPE", dbText, 30}, {"T", dbMemo}, {"GrCount", dbLong, 0, false, 17}},
                  {{"Groupe", {"GROUPE"}, "U"}});
        Recordset rs = db.OpenRecordset("K");
        TransactionScope tx;
        for (int i = 0; i < rows; ++i)
            addRow(rs, {QStringLiteral("kw%1").arg(i), QString(3000, QChar(u'a' + i % 26))});
        if (dropRows) {
            rs.MoveFirst();
            for (int i = 0; i < rows; ++i) {
                if (i >= 2)
                    rs.Delete();
                rs.MoveNext();
            }
        }
        tx.Commit();
        rs.Close();
        db.Close();
        return p;
    }

    // Whether opening p runs the checker; the error number of the open.
    static bool checked(const QString &p, int *error = nullptr)
    {
        const int before = checksRun();
        const int e = errorOf([&] { DBEngine::OpenDatabase(p, false, false, kConnect).Close(); });
        if (error)
            *error = e;
        return checksRun() > before;
    }

    static void raw(const QString &p, const char *sql)
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(p).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_key(db, "Qv47Tz28", 8);
        registerTextCollation(db);
        QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void ownBaseUnchangedOpensWithoutTheChecker()
    {
        const QString p = base();
        QVERIFY(QFile::exists(leftbases::recordFile(p)));
        QVERIFY(!checked(p));
        // Closed again by the program: again as left.
        QVERIFY(!checked(p));
        // Through another name of the same file.
        const QString link = m_dir.filePath(QStringLiteral("link.cvb"));
        QVERIFY(QFile::link(p, link));
        QVERIFY(!checked(link));
        // The key is still asked for; a wrong one leaves the file as it was.
        QCOMPARE(errorOf([&] { DBEngine::OpenDatabase(p, false, false, ";pwd=other").Close(); }), 3031);
        QVERIFY(!checked(p));
    }

    void anyChangeSendsItThroughTheChecker()
    {
        int error = 0;
        // Another writer, through the engine as another copy of the program
        // would: same size, new contents.
        QString p = base();
        raw(p, "UPDATE K SET T = 'x' WHERE GROUPE = 'kw1'");
        QVERIFY(checked(p, &error));
        QCOMPARE(error, 0);

        // Times changed, contents not.
        p = base();
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(p).constData(), nullptr, 0) == 0);
        QVERIFY(checked(p));

        // Grown by a page.
        p = base();
        {
            QFile f(p);
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(1024, '\x11'));
        }
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));

        // Replaced by another base of the same size, whose record is kept
        // under its own name.
        p = base();
        const QString other = base();
        QCOMPARE(QFileInfo(p).size(), QFileInfo(other).size());
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(p).constData()) == 0);
        QVERIFY(checked(p));

        // A page spoilt at once after the close, inside one tick of the
        // file system's clock.
        p = base();
        spoil(p, 5);
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));

        // A journal beside it makes it another base.
        p = base();
        writeAll(p + QStringLiteral("-journal"), {});
        QVERIFY(checked(p));
    }

    void plantedRecordsAreNotTrusted()
    {
        // A record copied from another base.
        const QString a = base(), b = base();
        QVERIFY(QFile::remove(leftbases::recordFile(b)));
        QVERIFY(QFile::copy(leftbases::recordFile(a), leftbases::recordFile(b)));
        QVERIFY(checked(b));

        // A record edited by one character.
        const QString c = base();
        QByteArray r = readAll(leftbases::recordFile(c));
        r[3] = r[3] == '0' ? '1' : '0';
        writeAll(leftbases::recordFile(c), r);
        QVERIFY(checked(c));

        // A key others could read (or have written) is no key.
        const QString d = base();
        const QByteArray key = QFile::encodeName(leftbases::folder() + QStringLiteral("/key"));
        QVERIFY(::chmod(key.constData(), 0644) == 0);
        QVERIFY(checked(d));
        QVERIFY(::chmod(key.constData(), 0600) == 0);
        const QString e = base();
        QVERIFY(!checked(e));
    }

    void openBaseHasNoRecord()
    {
        const QString p = base();
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        // What a crash now would leave: nothing to trust.
        QVERIFY(!QFile::exists(leftbases::recordFile(p)));
        QVERIFY(checked(p));
        addRow(db.OpenRecordset("K"), {QStringLiteral("more")});
        QVERIFY(!QFile::exists(leftbases::recordFile(p)));
        db.Close();
        QVERIFY(!checked(p));
    }

    void everyPageIsAuthenticated()
    {
        // Free pages are read by no query; they are authenticated all the same.
        const QString p = base(200, true);
        const QByteArray bytes = readAll(p);
        const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
        check::PageCipher cipher("Qv47Tz28", raw);
        unsigned char first[1024], trunk[1024];
        QCOMPARE(cipher.open(1, raw, first), check::PageCipher::Opened);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(first), 16), QByteArray("SQLite format 3\0", 16));
        QCOMPARE(int(first[16]) << 8 | first[17], 1024);
        QCOMPARE(int(first[20]), check::kReserve);
        const quint32 trunkPage = be32(first + 32);
        QVERIFY(trunkPage > 1 && be32(first + 36) > 2);
        QCOMPARE(cipher.open(trunkPage, raw + (trunkPage - 1) * 1024, trunk), check::PageCipher::Opened);
        QVERIFY(be32(trunk + 4) > 0);
        const quint32 leaf = be32(trunk + 8);
        // A page read under another number is not authentic.
        QCOMPARE(cipher.open(leaf + 1, raw + (leaf - 1) * 1024, trunk), check::PageCipher::Forged);

        QVERIFY(!checked(p));
        spoil(p, leaf, 500);
        int error = 0;
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));

        // The first page spoilt reads as a wrong key; a page of zeros where
        // a table's page was is damage, as the engine finds it.
        QString q = base();
        spoil(q, 1, 40);
        QVERIFY(checked(q, &error));
        QCOMPARE(error, 3031);
        q = base();
        QByteArray b = readAll(q);
        b.replace(2 * 1024, 1024, QByteArray(1024, '\0'));
        writeAll(q, b);
        QVERIFY(checked(q, &error));
        QCOMPARE(error, int(ErrCorrupt));
        // The IV or the MAC of a page.
        for (int at : {1024 - 48, 1024 - 30}) {
            q = base();
            spoil(q, 3, at);
            QVERIFY(checked(q, &error));
            QCOMPARE(error, int(ErrCorrupt));
        }
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
