// Other processes on one base, and the end of a process: two running
// copies that add at once lose no add and refuse only true duplicates, a
// counter number another copy took is replaced, and a base still open and
// reading when the program ends is closed cleanly by the exit handlers.
// The copies are this test program started again with an argument.

#include "Collation.h"
#include "DaoImpl.h"
#include "DaoTestUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QThread>

#include <iostream>
#include <optional>
#include <string>

using namespace dao;

namespace {

constexpr int kWatchdogMs = 120000;
constexpr int kAdds = 200;

// A table like the keyword table: a unique text key and a counter.
void makeKeywords(const Database &db)
{
    makeTable(db, "CGROUP1", {{"GROUPE", dbText, 30}, {"GrCount", dbLong, 0, false, dbAutoIncrField}},
              {{"Groupe", {"GROUPE"}, "U"}});
}

// A copy of the program: adds `count` keywords "<prefix><i>" as the
// program does (seek, then add when missing; the event loop turns between
// two), once told to start on its standard input, a millisecond apart.
// Prints each refusal.
int addKeywords(const QString &path, const QString &prefix, int count)
{
    Database db = DBEngine::OpenDatabase(path, false, false, kConnect);
    Recordset rs = db.OpenRecordset("CGROUP1");
    rs.setIndex("Groupe");
    // The read the recordset began ends here, as it would in the program.
    QCoreApplication::processEvents();
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    int refused = 0;
    for (int i = 0; i < count; ++i) {
        const QString key = prefix + QString::number(i);
        try {
            rs.Seek("=", key);
            if (rs.NoMatch()) {
                rs.AddNew();
                rs.Fields("GROUPE").setValue(key);
                rs.Update();
            }
        } catch (const vb::Error &e) {
            ++refused;
            std::cout << "refused " << e.number() << ": " << qPrintable(e.description()) << std::endl;
        }
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    std::cout << "done" << std::endl;
    return refused == 0 ? 0 : 1;
}

// Kept to the exit, while it holds its read (no event loop ends it).
Database g_keptToExit;

int holdToExit(const QString &path)
{
    g_keptToExit = DBEngine::OpenDatabase(path, false, false, kConnect);
    Recordset rs = g_keptToExit.OpenRecordset("CGROUP1");
    rs.MoveFirst();
    std::cout << qPrintable(rs.Fields("GROUPE").Value().toString()) << std::endl;
    return 0;
}

QStringList keys(const Database &db)
{
    QStringList out;
    ScanTable(db, "CGROUP1", {"GROUPE"}, [&](const QVariantList &row) {
        out << row[0].toString();
        return true;
    });
    return out;
}

} // namespace

class TstProcesses : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_bases = 0;

    QString newBase()
    {
        const QString path = m_dir.filePath(QStringLiteral("copies%1.cvb").arg(++m_bases));
        Database db = DBEngine::CreateDatabase(path, kLocale);
        makeKeywords(db);
        addRow(db.OpenRecordset("CGROUP1"), {"first"});
        db.Close();
        return path;
    }

    static void startCopy(QProcess &p, const QStringList &args)
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), args);
        QVERIFY2(p.waitForStarted(kWatchdogMs), qPrintable(p.errorString()));
    }

    static QString finish(QProcess &p)
    {
        if (!p.waitForFinished(kWatchdogMs))
            p.kill();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Each copy seeks its keys and adds those missing. With keys of their
    // own every add is stored, round after round; with the same keys each
    // is stored once and the other copy's add of it is refused as a
    // duplicate, nothing else.
    void twoCopiesAddingAtOnceLoseNoAdd_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("rounds");
        QTest::newRow("keys of their own") << QStringLiteral("b") << 3;
        QTest::newRow("the same keys") << QStringLiteral("a") << 1;
    }
    void twoCopiesAddingAtOnceLoseNoAdd()
    {
        QFETCH(QString, second);
        QFETCH(int, rounds);
        const bool same = second == QLatin1String("a");
        const int distinct = same ? kAdds : 2 * kAdds;
        for (int round = 0; round < rounds; ++round) {
            const QString path = newBase();
            QProcess copies[2];
            startCopy(copies[0], {"--add-keywords", path, "a"});
            startCopy(copies[1], {"--add-keywords", path, second});
            for (QProcess &p : copies) {
                while (!p.canReadLine() && p.waitForReadyRead(kWatchdogMs)) {
                }
                QCOMPARE(p.readLine().trimmed(), QByteArray("ready"));
            }
            for (QProcess &p : copies) {
                p.write("go\n");
                QVERIFY(p.waitForBytesWritten(kWatchdogMs));
            }
            QStringList refusals;
            for (QProcess &p : copies) {
                const QString out = finish(p);
                QVERIFY2(out.endsWith(QLatin1String("done\n")), qPrintable(out));
                for (const QString &line : out.split(u'\n'))
                    if (line.startsWith(QLatin1String("refused")) &&
                        !(same && line.startsWith(QStringLiteral("refused %1:").arg(ErrDuplicate))))
                        refusals << line;
            }
            QVERIFY2(refusals.isEmpty(), qPrintable(refusals.join(u'\n')));
            Database db = DBEngine::OpenDatabase(path, false, false, kConnect);
            const QStringList stored = keys(db);
            QCOMPARE(stored.size(), 1 + distinct);
            QCOMPARE(QSet<QString>(stored.begin(), stored.end()).size(), 1 + distinct);
        }
    }

    // Another copy stores rows with the numbers this program's counter was
    // about to hand out: the add takes the next free one, on both roads of
    // an add, inside a transaction or not. A key that is there already is
    // still refused, and the write lock is not left held.
    void aCounterTakenByAnotherCopyIsReplaced_data()
    {
        QTest::addColumn<bool>("writer");
        QTest::addColumn<bool>("transaction");
        QTest::newRow("recordset") << false << false;
        QTest::newRow("recordset in a transaction") << false << true;
        QTest::newRow("row writer") << true << false;
        QTest::newRow("row writer in a transaction") << true << true;
    }
    void aCounterTakenByAnotherCopyIsReplaced()
    {
        QFETCH(bool, writer);
        QFETCH(bool, transaction);
        const QString path = newBase();
        Database db = DBEngine::OpenDatabase(path, false, false, kConnect);
        Recordset rs = db.OpenRecordset("CGROUP1");
        const auto add = [&](const QString &key) {
            if (writer) {
                RowWriter w(db, "CGROUP1", {"GROUPE"});
                w.begin();
                w.set(0, key);
                w.insert();
            } else {
                addRow(rs, {key});
            }
        };
        add("mine1"); // the counter's next number is now known here: 3

        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        sqlite3_key(other, "Qv47Tz28", 8);
        registerTextCollation(other);
        QCOMPARE(sqlite3_exec(other, "INSERT INTO CGROUP1 VALUES('other3', 3), ('other4', 4)", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);

        std::optional<TransactionScope> tx;
        if (transaction)
            tx.emplace();
        add("mine2");
        // A key that is there already, its number taken too.
        QCOMPARE(sqlite3_exec(other, "INSERT INTO CGROUP1 VALUES('taken', 6)", nullptr, nullptr, nullptr),
                 transaction ? SQLITE_BUSY : SQLITE_OK);
        if (!transaction)
            QCOMPARE_ERR(add("taken"), ErrDuplicate);
        if (tx)
            tx->Commit();
        // No lock is left behind: the other copy writes at once.
        QCOMPARE(sqlite3_exec(other, "INSERT INTO CGROUP1 VALUES('other9', 9)", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(other);

        QMap<QString, int> numbers;
        ScanTable(db, "CGROUP1", {"GROUPE", "GrCount"}, [&](const QVariantList &row) {
            numbers[row[0].toString()] = row[1].toInt();
            return true;
        });
        QMap<QString, int> expected{{"first", 1}, {"mine1", 2}, {"other3", 3}, {"other4", 4},
                                    {"mine2", 5}, {"other9", 9}};
        if (!transaction)
            expected["taken"] = 6;
        QCOMPARE(numbers, expected);
    }

    // The base's destructor runs in the exit handlers, after those of the
    // engine's own statics, and ends the read it holds.
    void aBaseOpenAtTheExitClosesCleanly()
    {
        const QString path = newBase();
        QProcess copy;
        copy.setProcessChannelMode(QProcess::SeparateChannels);
        copy.start(QCoreApplication::applicationFilePath(), {"--hold-to-exit", path});
        QVERIFY2(copy.waitForStarted(kWatchdogMs), qPrintable(copy.errorString()));
        QVERIFY(copy.waitForFinished(kWatchdogMs));
        const QByteArray err = copy.readAllStandardError();
        QCOMPARE(copy.readAllStandardOutput(), QByteArray("first\n"));
        QVERIFY2(copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0, err.constData());
        QVERIFY2(!err.contains("Sanitizer") && !err.contains("runtime error"), err.constData());
        // The read was ended: the base takes a write at once.
        Database db = DBEngine::OpenDatabase(path, false, false, kConnect);
        addRow(db.OpenRecordset("CGROUP1"), {"after"});
        QCOMPARE(keys(db), QStringList({"first", "after"}));
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--hold-to-exit")
        return holdToExit(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--add-keywords")
        return addKeywords(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), kAdds);
    TstProcesses t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_processes.moc"
