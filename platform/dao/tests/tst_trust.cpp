// A base is trusted without the checker only as this program left it: the
// record is taken from the file the engine held, never after someone else
// wrote it or put another file in its place, only where the file's times
// cannot be set by others, and it is gone before the engine reads the file
// again. Whatever was looked at, the engine then reads that very file.

#include "Collation.h"
#include "DaoErrors.h"
#include "DaoTestUtil.h"
#include "Files.h"
#include "Guard.h"
#include "LeftBases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <utility>

using namespace dao;

namespace {

void raw(const QString &p, const char *sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(p).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_key(db, "Qv47Tz28", 8);
    registerTextCollation(db);
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    QVERIFY2(rc == SQLITE_OK, err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

// Bytes written in place through a descriptor of another program's, the
// size kept.
void writeInPlace(const QString &p, qint64 at, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(p).constData(), O_WRONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::pwrite(fd, bytes.constData(), size_t(bytes.size()), at), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray readAt(const QString &p, qint64 at, int size)
{
    QFile f(p);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(at))
        return {};
    return f.read(size);
}

bool hasRecord(const QString &p)
{
    return QFile::exists(leftbases::recordFile(p));
}

QString firstKeyword(Database db)
{
    Recordset rs = db.OpenRecordset(QStringLiteral("K"));
    rs.MoveFirst();
    return rs.Fields(0).Value().toString();
}

} // namespace

class TestTrust : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;

    QString path(const QString &folder = {})
    {
        return QDir(folder.isEmpty() ? m_dir.path() : folder).filePath(QStringLiteral("t%1.cvb").arg(++m_n));
    }

    // A base made and closed by the engine; its first keyword is first.
    QString base(const QString &first = QStringLiteral("kw0"), const QString &folder = {})
    {
        const QString p = path(folder);
        Database db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
        makeTable(db, "K", {{"GROUPE", dbText, 30}, {"T", dbMemo}, {"GrCount", dbLong, 0, false, 17}},
                  {{"Groupe", {"GROUPE"}, "U"}});
        Recordset rs = db.OpenRecordset("K");
        TransactionScope tx;
        addRow(rs, {first, QString(3000, u'a')});
        for (int i = 1; i < 30; ++i)
            addRow(rs, {QStringLiteral("kw%1").arg(i), QString(3000, QChar(u'a' + i % 26))});
        tx.Commit();
        rs.Close();
        db.Close();
        return p;
    }

    // A base the checker refuses and the engine would open: a trigger
    // planted, and "crafted" as its first keyword.
    QString crafted()
    {
        const QString p = base(QStringLiteral("crafted"));
        raw(p, "CREATE TRIGGER planted AFTER INSERT ON K BEGIN SELECT 1; END");
        return p;
    }

    static bool checked(const QString &p, int *error = nullptr) { return openRunsChecker(p, error); }

    static void moveOver(const QString &from, const QString &to)
    {
        QVERIFY(::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Where the tests make their bases, records must be possible, or
        // nothing below shows that they are taken as they should.
        const QString p = base();
        const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY);
        const QString why = leftbases::untrusted(fd, QFile::encodeName(QFileInfo(p).canonicalFilePath()));
        ::close(fd);
        QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("no record can be kept in %1: %2").arg(m_dir.path(), why)));
        QVERIFY(hasRecord(p));
    }

    void cleanup()
    {
        testing::g_beforeEngineOpens = nullptr;
        leftbases::testing::setClock(nullptr);
        vb::testing::setEveryMoveAcrossFileSystems(false);
    }

    void anotherFilePutInPlaceWhileOpenIsNeverRecorded()
    {
        // Renamed over the base while the program has it open, then Quit
        // and Load: the record would vouch for the file now at the path.
        QString p = base();
        {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            moveOver(crafted(), p);
            // The engine writes no more to a file that lost its name.
            QCOMPARE(errorOf([&] { addRow(db.OpenRecordset("K"), {QStringLiteral("mine")}); }), int(ErrReadOnly));
            db.Close();
        }
        QVERIFY(!hasRecord(p));
        int error = 0;
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrUnsafeBase));

        // Opened through a link, the link turned to another file meanwhile.
        const QString good = base();
        const QString link = path();
        QVERIFY(QFile::link(good, link));
        {
            Database db = DBEngine::OpenDatabase(link, false, false, kConnect);
            QVERIFY(QFile::remove(link));
            QVERIFY(QFile::link(crafted(), link));
            db.Close();
        }
        QVERIFY(checked(link, &error));
        QCOMPARE(error, int(ErrUnsafeBase));
    }

    void pagesWrittenByAnotherProgramWhileOpenAreNeverRecorded()
    {
        // Pages of an older copy written back in place, before and between
        // the program's own writes.
        for (bool writeAfter : {false, true}) {
            const QString p = base();
            const QByteArray before = readAt(p, 0, int(QFileInfo(p).size()));
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            {
                Recordset rs = db.OpenRecordset("K");
                rs.MoveFirst();
                rs.Edit();
                rs.Fields(1).setValue(QString(3000, u'z'));
                rs.Update();
            }
            // A page the edit wrote, put back as it was.
            const QByteArray after = readAt(p, 0, int(before.size()));
            qint64 page = 1;
            while (page * 1024 < before.size() && before.mid(page * 1024, 1024) == after.mid(page * 1024, 1024))
                ++page;
            QVERIFY(page * 1024 < before.size());
            writeInPlace(p, page * 1024, before.mid(page * 1024, 1024));
            if (writeAfter)
                addRow(db.OpenRecordset("K"), {QStringLiteral("after")});
            db.Close();
            QVERIFY2(!hasRecord(p), writeAfter ? "written after" : "closed at once");
            QVERIFY(checked(p));
        }
    }

    void theRecordIsGoneBeforeTheEngineReadsTheFile()
    {
        const QString p = base();
        QVERIFY(hasRecord(p));
        bool recordSeen = true;
        testing::g_beforeEngineOpens = [&] { recordSeen = hasRecord(p); };
        // A wrong key: the engine reads the file, and fails.
        QCOMPARE(errorOf([&] { DBEngine::OpenDatabase(p, false, false, QStringLiteral(";pwd=other")).Close(); }),
                 int(ErrInvalidPassword));
        QVERIFY(!recordSeen);
        QVERIFY(!hasRecord(p));
        testing::g_beforeEngineOpens = nullptr;
        QVERIFY(checked(p));
    }

    void aFileThatKillsTheEngineNeverGetsPastTheChecker()
    {
        // Put in place of the open base; then two opens, neither of which
        // may crash the program.
        const QString p = base();
        const QString killer = base();
        raw(killer, "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql='CREATE TABLE \"K\" AS SELECT 1 AS GROUPE' "
                    "WHERE name='K'");
        {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            moveOver(killer, p);
            db.Close();
        }
        for (int open = 0; open < 2; ++open) {
            int error = 0;
            QVERIFY(checked(p, &error));
            QCOMPARE(error, int(ErrUnsafeBase));
        }
        // The import's road is the same.
        QCOMPARE(errorOf([&] { DBEngine::Workspaces(0).OpenForeignDatabase(p, kConnect).Close(); }),
                 int(ErrUnsafeBase));
    }

    void theEngineReadsTheFileThatWasLookedAt()
    {
        // Changed between the look and the open: looked at again, and the
        // other file refused.
        const QString p = base();
        QVERIFY(QFile::remove(leftbases::recordFile(p)));
        const QString other = crafted();
        int swaps = 0;
        testing::g_beforeEngineOpens = [&] {
            if (swaps++ == 0)
                moveOver(other, p);
        };
        const int before = checksRun();
        QCOMPARE(errorOf([&] { DBEngine::OpenDatabase(p, false, false, kConnect).Close(); }), int(ErrUnsafeBase));
        QCOMPARE(checksRun() - before, 2);

        // Trusted by its record, then replaced: looked at after all.
        const QString q = base();
        const QString other2 = crafted();
        swaps = 0;
        testing::g_beforeEngineOpens = [&] {
            if (swaps++ == 0)
                moveOver(other2, q);
        };
        QVERIFY(hasRecord(q));
        int error = 0;
        QVERIFY(checked(q, &error));
        QCOMPARE(error, int(ErrUnsafeBase));

        // A link turned between two files all along: whatever opens is the
        // file that was checked.
        testing::g_beforeEngineOpens = nullptr;
        const QString good = base(QStringLiteral("good"));
        const QString bad = crafted();
        const QString link = path();
        QVERIFY(QFile::link(good, link));
        std::atomic<bool> stop = false;
        std::thread flipper([&] {
            const QByteArray l = QFile::encodeName(link), tmp = l + ".new";
            for (bool toBad = true; !stop; toBad = !toBad) {
                ::unlink(tmp.constData());
                if (::symlink(QFile::encodeName(toBad ? bad : good).constData(), tmp.constData()) == 0)
                    ::rename(tmp.constData(), l.constData());
                ::usleep(3000);
            }
        });
        int opened = 0;
        QStringList seen;
        for (int i = 0; i < 40; ++i) {
            try {
                Database db = DBEngine::OpenDatabase(link, false, true, kConnect);
                seen << firstKeyword(db);
                db.Close();
                ++opened;
            } catch (const vb::Error &) {
            }
        }
        stop = true;
        flipper.join();
        QVERIFY2(!seen.contains(QStringLiteral("crafted")), qPrintable(seen.join(u' ')));
        qInfo("%d of 40 opens through the turning link opened the good base", opened);
    }

    void aJournalPlantedAfterTheLookIsNeverPlayedBack()
    {
        // A journal of a copy of the base whose pages say "crafted": played
        // back, it would put them into the base behind the checker's back.
        const QString p = base(QStringLiteral("kw0"));
        const QString copy = path();
        QVERIFY(QFile::copy(p, copy));
        raw(copy, "UPDATE K SET GROUPE = 'crafted' WHERE GROUPE = 'kw0'");
        QByteArray journal;
        {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open_v2(QFile::encodeName(copy).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                     SQLITE_OK);
            sqlite3_key(db, "Qv47Tz28", 8);
            registerTextCollation(db);
            QCOMPARE(sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN; UPDATE K SET GROUPE = 'kw0' "
                                      "WHERE GROUPE = 'crafted'",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            journal = readAt(copy + QStringLiteral("-journal"), 0, 1 << 20);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        QVERIFY(journal.size() > 1024);
        testing::g_beforeEngineOpens = [&] {
            QFile j(p + QStringLiteral("-journal"));
            QVERIFY(j.open(QIODevice::WriteOnly));
            j.write(journal);
        };
        QStringList seen;
        const int error = errorOf([&] {
            Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
            seen << firstKeyword(db);
            db.Close();
        });
        QCOMPARE(error, int(ErrBaseInUse));
        QVERIFY(seen.isEmpty());
        // The same with another connection of ours to the base open: the
        // refusal is the opening one's too.
        {
            QFile::remove(p + QStringLiteral("-journal"));
            const auto plant = std::exchange(testing::g_beforeEngineOpens, nullptr);
            Database other = DBEngine::OpenDatabase(p, false, false, kConnect);
            testing::g_beforeEngineOpens = plant;
            QCOMPARE(errorOf([&] {
                         Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
                         seen << firstKeyword(db);
                         db.Close();
                     }),
                     int(ErrBaseInUse));
            QVERIFY(seen.isEmpty());
            other.Close();
        }
        // The next open has the checker play it back and look at the result.
        testing::g_beforeEngineOpens = nullptr;
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        QCOMPARE(firstKeyword(db), QStringLiteral("crafted"));
        db.Close();
    }

    void onlyTheChangeTimeTellsThisWrite()
    {
        // A middle page written, the modification time set back: size,
        // first and last page, and modification time are as recorded.
        const QString p = base();
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(p).constData(), &st) == 0);
        writeInPlace(p, 6 * 1024 + 100, QByteArray(8, '\x5a'));
        const timespec times[2] = {st.st_atim, st.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(p).constData(), times, 0) == 0);
        QVERIFY(checked(p));
    }

    void noRecordBeforeTheClockHasPassedTheFileTimes()
    {
        // A clock that stays behind the file's times: a write a moment later
        // could carry the same times, so no record may be taken.
        const QString p = base();
        QVERIFY(QFile::remove(leftbases::recordFile(p)));
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(p).constData(), &st) == 0);
        int reads = 0;
        leftbases::testing::setClock([&] {
            ++reads;
            return st.st_ctim;
        });
        QVERIFY(!leftbases::testing::recordAsItIs(p));
        QVERIFY(reads > 1);
        // Once it has passed them, the record is taken.
        leftbases::testing::setClock([&] {
            timespec t = st.st_ctim.tv_nsec > st.st_mtim.tv_nsec || st.st_ctim.tv_sec > st.st_mtim.tv_sec
                             ? st.st_ctim
                             : st.st_mtim;
            t.tv_sec += 1;
            return t;
        });
        QVERIFY(leftbases::testing::recordAsItIs(p));
        leftbases::testing::setClock(nullptr);
        QVERIFY(!checked(p));
    }

    void recordsOnlyWhereOthersCannotChangeTheFile()
    {
        int error = 0;
        // A memory file system: a write through a mapping leaves the times.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
            QTemporaryDir shm(QStringLiteral("/dev/shm/corvane-trust-XXXXXX"));
            QVERIFY(shm.isValid());
            const QString p = base(QStringLiteral("kw0"), shm.path());
            QVERIFY(!hasRecord(p));
            QVERIFY(checked(p, &error));
            QCOMPARE(error, 0);
            QVERIFY(!hasRecord(p));
        }

        // A file others may write.
        QString p = base();
        QVERIFY(QFile::remove(leftbases::recordFile(p)));
        QVERIFY(::chmod(QFile::encodeName(p).constData(), 0666) == 0);
        QVERIFY(checked(p));
        QVERIFY(!hasRecord(p));
        QVERIFY(checked(p));

        // A folder where others could replace it; a sticky one where they
        // could not.
        const QString open = m_dir.filePath(QStringLiteral("open"));
        const QString sticky = m_dir.filePath(QStringLiteral("sticky"));
        QVERIFY(QDir().mkpath(open) && QDir().mkpath(sticky));
        QVERIFY(::chmod(QFile::encodeName(open).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(sticky).constData(), 01777) == 0);
        p = base(QStringLiteral("kw0"), open);
        QVERIFY(!hasRecord(p));
        QVERIFY(checked(p));
        p = base(QStringLiteral("kw0"), sticky);
        QVERIFY(hasRecord(p));
        QVERIFY(!checked(p));

        // A file of another user's (as the superuser can make one).
        if (::geteuid() == 0) {
            p = base();
            QVERIFY(hasRecord(p));
            QVERIFY(::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0);
            QVERIFY(checked(p));
            QVERIFY(!hasRecord(p));
        }
    }

    void devicesThatCanBeWrittenElsewhere()
    {
        // A kernel device folder of our own making.
        QTemporaryDir sys;
        QVERIFY(sys.isValid());
        const QString root = sys.path();
        auto device = [&](const QString &at, const QString &number, const char *removable) {
            QVERIFY(QDir().mkpath(root + at));
            writeFileOrFail(root + at + QStringLiteral("/removable"), removable);
            writeFileOrFail(root + at + QStringLiteral("/dev"), number.toLatin1());
            QVERIFY(QDir().mkpath(root + QStringLiteral("/dev/block")));
            QVERIFY(QFile::link(root + at, root + QStringLiteral("/dev/block/") + number));
        };
        auto partition = [&](const QString &disk, const QString &name, const QString &number) {
            const QString at = disk + u'/' + name;
            QVERIFY(QDir().mkpath(root + at));
            writeFileOrFail(root + at + QStringLiteral("/partition"), "1");
            writeFileOrFail(root + at + QStringLiteral("/dev"), number.toLatin1());
            QVERIFY(QFile::link(root + at, root + QStringLiteral("/dev/block/") + number));
        };
        device(QStringLiteral("/devices/pci0000:00/0000:00:04.0/virtio1/block/vda"), QStringLiteral("254:0"), "0");
        device(QStringLiteral("/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda"), QStringLiteral("8:0"), "0");
        partition(QStringLiteral("/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda"), QStringLiteral("sda2"),
                  QStringLiteral("8:2"));
        device(QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb2/2-1/host6/block/sdb"), QStringLiteral("8:16"),
               "0");
        partition(QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb2/2-1/host6/block/sdb"),
                  QStringLiteral("sdb1"), QStringLiteral("8:17"));
        device(QStringLiteral("/devices/platform/card/block/sdc"), QStringLiteral("8:32"), "1");
        device(QStringLiteral("/devices/virtual/block/loop0"), QStringLiteral("7:0"), "0");
        device(QStringLiteral("/devices/virtual/block/dm-0"), QStringLiteral("253:0"), "0");
        QVERIFY(QDir().mkpath(root + QStringLiteral("/devices/virtual/block/dm-0/slaves")));
        QVERIFY(QFile::link(root + QStringLiteral("/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda2"),
                            root + QStringLiteral("/devices/virtual/block/dm-0/slaves/sda2")));

        const QByteArray mounts = "22 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                  "23 1 8:2 / /home rw - ext4 /dev/sda2 rw\n"
                                  "24 1 8:17 / /media/stick rw - ext4 /dev/sdb1 rw\n"
                                  "25 1 8:32 / /media/card rw - xfs /dev/sdc rw\n"
                                  "26 1 7:0 / /mnt/image rw - ext4 /dev/loop0 rw\n"
                                  "27 1 253:0 / /srv rw - ext4 /dev/mapper/cr rw\n";
        using leftbases::detail::deviceUntrusted;
        QCOMPARE(deviceUntrusted(254, 0, mounts, root), QString());
        QCOMPARE(deviceUntrusted(8, 2, mounts, root), QString());
        QVERIFY(!deviceUntrusted(8, 17, mounts, root).isEmpty());
        QVERIFY(!deviceUntrusted(8, 32, mounts, root).isEmpty());
        QVERIFY(!deviceUntrusted(7, 0, mounts, root).isEmpty());
        QCOMPARE(deviceUntrusted(253, 0, mounts, root), QString());
        QVERIFY(!deviceUntrusted(9, 9, mounts, root).isEmpty());
        // A mapped device over an image is an image.
        QVERIFY(QFile::remove(root + QStringLiteral("/devices/virtual/block/dm-0/slaves/sda2")));
        QVERIFY(QFile::link(root + QStringLiteral("/devices/virtual/block/loop0"),
                            root + QStringLiteral("/devices/virtual/block/dm-0/slaves/loop0")));
        QVERIFY(!deviceUntrusted(253, 0, mounts, root).isEmpty());
    }

    void aSaveAsCarriesTrustOnlyForTheBytesItMoved()
    {
        for (bool across : {false, true}) {
            vb::testing::setEveryMoveAcrossFileSystems(across);
            // Moved as it was: opens unchecked under its new name.
            QString from = base();
            QString to = path();
            leftbases::Carried c = leftbases::beforeMove(from);
            vb::Name(from, to);
            QVERIFY(leftbases::afterMove(c, to));
            QVERIFY2(!checked(to), across ? "copied" : "renamed");

            // Written by another program between the look and the move.
            from = base();
            to = path();
            c = leftbases::beforeMove(from);
            const QByteArray page = readAt(from, 7 * 1024, 1024);
            QByteArray spoilt = page;
            spoilt[200] = char(spoilt.at(200) ^ 0x5a);
            writeInPlace(from, 7 * 1024, spoilt);
            vb::Name(from, to);
            QVERIFY(!leftbases::afterMove(c, to));
            QVERIFY2(checked(to), across ? "copied" : "renamed");
        }
        vb::testing::setEveryMoveAcrossFileSystems(false);
    }

private:
    static void writeFileOrFail(const QString &p, const QByteArray &bytes)
    {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

QTEST_GUILESS_MAIN(TestTrust)
#include "tst_trust.moc"
