// Base files made by another tool, with the built-in key and any content,
// driven through the program's two roads into a file: the welcome window's
// "an existing base" and the import. None may crash or hang the program or
// run code of its own; each is refused with a message that names the cause
// and leaves every file as it was, or, when it is merely odd, opens or
// imports correctly.
//
// The files are made here from a new base, through the engine and raw SQL.

#include "BaseImporter.h"
#include "CardOpeners.h"
#include "CardRecords.h"
#include "Collation.h"
#include "DaoImpl.h"
#include "Dialogs.h"
#include "Form.h"
#include "Guard.h"
#include "LeftBases.h"
#include "ImportBase.h"
#include "ImportTestBases.h"
#include "InstallCards.h"
#include "WindowLinks.h"
#include "OuvreBase.h"
#include "Runtime.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "StorageTestUtil.h"
#include "Watchdog.h"
#include "Working.h"
#include "ZoneScope.h"
#include "fCitMulti.h"
#include "fNoteMulti.h"
#include "fAccueil.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace importtest;

namespace {

// Far above any honest time, even on a loaded machine under sanitizers: a
// road that takes longer is frozen.
constexpr int kFreezeSeconds = 120;

const QString kSelect = QStringLiteral("Select a base to import");
const QString kCannot = QStringLiteral("This base cannot be imported : ");

// What the program must make of a file.
enum class Outcome {
    Refused, // a message naming the cause; nothing changes
    Opens,   // merely odd: it opens as the base and imports correctly
};

struct Case {
    Outcome outcome = Outcome::Refused;
    // In the message of the open road and of the import.
    QString openSays, importSays;
    std::function<void(const QString &path)> make;
    // For files that import: checks on the open base afterwards.
    std::function<void(const QString &summary)> imported;
};

void raw(const QString &path, const QByteArray &sql, bool keyed = true)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr),
             SQLITE_OK);
    if (keyed)
        sqlite3_key(db, "Qv47Tz28", 8);
    dao::registerTextCollation(db);
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err);
    const QString message = QString::fromUtf8(err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Some pages of the file overwritten: every step-th from the third on.
void spoilPages(const QString &path, int step)
{
    QByteArray b = readFile(path);
    for (qsizetype page = 3; page * 1024 < b.size(); page += step)
        for (int i = 100; i < 300; ++i)
            b[page * 1024 + i] = char(0xa5 ^ i);
    writeFile(path, b);
}

// A base left in the middle of a transaction: its pages already written
// and the journal that rolls them back beside it.
void leaveHotJournal(const QString &path, const QString &scratch)
{
    QFile::copy(path, scratch);
    QFile::remove(path);
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(scratch).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_key(db, "Qv47Tz28", 8);
    dao::registerTextCollation(db);
    QCOMPARE(sqlite3_exec(db,
                          "PRAGMA journal_mode=DELETE; PRAGMA cache_size=1; BEGIN; "
                          "UPDATE \"NOTE\" SET TEXTE = hex(randomblob(30000)); DELETE FROM \"CGROUP1\";",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QVERIFY(QFile::exists(scratch + QStringLiteral("-journal")));
    QVERIFY(QFile::copy(scratch, path));
    QVERIFY(QFile::copy(scratch + QStringLiteral("-journal"), path + QStringLiteral("-journal")));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QString repeated(const char *text, int times)
{
    QString s;
    for (int i = 0; i < times; ++i)
        s += QLatin1String(text);
    return s;
}

QStringList keywords() { return rowsOf(QStringLiteral("CGROUP1")); }

QStringList fieldOf(const QString &table, const QString &field)
{
    QStringList out;
    dao::Recordset rs = g_Db.OpenRecordset(table);
    while (!rs.Eof()) {
        const QVariant v = rs.Fields(field).Value();
        out << (v.isValid() ? v.toString() : QStringLiteral("~"));
        rs.MoveNext();
    }
    out.sort();
    return out;
}

// The first row of a statement on the file, as text.
QString rawValue(const QString &path, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_key(db, "Qv47Tz28", 8);
    dao::registerTextCollation(db);
    sqlite3_stmt *s = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
}

// The index of the notes' keys made again over the notes numbered above
// `kept` only, then declared whole again: the file is sound page by page,
// but the index lacks the entries of the other notes.
void loseIndexEntries(const QString &path, int kept)
{
    const QByteArray name = rawValue(path, "SELECT name FROM sqlite_master WHERE type = 'index' "
                                           "AND tbl_name = 'NOTE' AND name LIKE '%NoteNDX'").toUtf8();
    const QByteArray sql = rawValue(path, "SELECT sql FROM sqlite_master WHERE name = '" + name + "'").toUtf8();
    QVERIFY(!name.isEmpty() && !sql.isEmpty());
    QByteArray quotedSql = sql;
    quotedSql.replace('\'', "''");
    raw(path, "DROP INDEX \"" + name + "\"; " + sql + " WHERE \"NoteCount\" > " + QByteArray::number(kept) +
                  "; PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = '" + quotedSql + "' WHERE name = '" +
                  name + "'; PRAGMA writable_schema=OFF");
}

const QString kUnsafe = QStringLiteral(" was not opened : ");

QMap<QString, Case> cases()
{
    QMap<QString, Case> c;
    auto refused = [&](const char *name, const QString &open, const QString &import,
                       std::function<void(const QString &)> make) {
        Case k;
        k.openSays = open;
        k.importSays = import;
        k.make = std::move(make);
        c.insert(QString::fromLatin1(name), k);
    };
    auto odd = [&](const char *name, std::function<void(const QString &)> make,
                   std::function<void(const QString &)> imported) {
        Case k;
        k.outcome = Outcome::Opens;
        k.make = std::move(make);
        k.imported = std::move(imported);
        c.insert(QString::fromLatin1(name), k);
    };
    const QString holds = kUnsafe + QStringLiteral("it holds ");
    const QString importHolds = kCannot + QStringLiteral("it holds ");
    const QString damaged = QStringLiteral("The file is damaged or is not a base.");
    const QString importDamaged = kCannot + QStringLiteral("it is damaged or cut short");
    const QString notBase = QStringLiteral("Unrecognized database format");
    const QString importNotBase = kCannot + QStringLiteral("it is not a base of this program");

    // The engine dies reading such a schema; the checker may die instead.
    refused("table from a query", kUnsafe, kCannot, [](const QString &p) {
        raw(p, "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql='CREATE TABLE \"REVUE\" AS SELECT 1 AS NOM' "
               "WHERE name='REVUE'");
    });
    refused("planner statistics of size 0", holds + "planner statistics", importHolds + "planner statistics",
            [](const QString &p) {
                raw(p, "CREATE TABLE z(a); CREATE INDEX zi ON z(a); INSERT INTO z VALUES(1); ANALYZE z; DROP TABLE z;"
                       "INSERT INTO sqlite_stat1 SELECT name, NULL, '21 sz=0' FROM sqlite_master "
                       "  WHERE type='table' AND name NOT LIKE 'sqlite%';"
                       "INSERT INTO sqlite_stat1 SELECT tbl_name, name, '21 1 sz=0' FROM sqlite_master "
                       "  WHERE type='index' AND sql IS NOT NULL;");
            });
    refused("catalog replaced by an endless view", holds + "a view", importHolds + "a view", [](const QString &p) {
        raw(p, "ALTER TABLE \"dao.meta\" RENAME TO \"dao.meta.old\";"
               "CREATE VIEW \"dao.meta\" AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
               "SELECT 'format' AS key, 'corvane-dao 1' AS value FROM c WHERE x < 0");
    });
    refused("virtual table", holds + "a virtual table", importHolds + "a virtual table", [](const QString &p) {
        raw(p, "DROP TABLE \"REVUE\"; CREATE VIRTUAL TABLE \"REVUE\" USING fts3(NOM, Ville, ISSN)");
    });
    refused("trigger", holds + "a trigger", importHolds + "a trigger", [](const QString &p) {
        raw(p, "CREATE TRIGGER t AFTER INSERT ON \"CGROUP1\" BEGIN DELETE FROM \"NOTE\"; END");
    });
    refused("without row numbers", holds + "a table without row numbers",
            importHolds + "a table without row numbers", [](const QString &p) {
                raw(p, "DROP TABLE \"REVUE\"; CREATE TABLE \"REVUE\"(\"NOM\" TEXT PRIMARY KEY, \"Ville\" TEXT, "
                       "\"ISSN\" TEXT) WITHOUT ROWID");
            });
    refused("table outside the catalog", holds + "a table or an index outside its catalog",
            importHolds + "a table or an index outside its catalog",
            [](const QString &p) { raw(p, "CREATE TABLE extra(x)"); });
    refused("index outside the catalog", holds + "a table or an index outside its catalog",
            importHolds + "a table or an index outside its catalog",
            [](const QString &p) { raw(p, "CREATE INDEX stray ON \"NOTE\"(\"TEXTE\")"); });
    refused("table name of 80 characters", holds + "a table or an index outside its catalog",
            importHolds + "a table or an index outside its catalog", [](const QString &p) {
                raw(p, "CREATE TABLE \"" + QByteArray(80, 'N') + "\"(\"" + QByteArray(31, 'c') + "\" TEXT)");
            });
    refused("catalog without a column", kUnsafe, kCannot, [](const QString &p) {
        raw(p, "DELETE FROM \"dao.columns\" WHERE name = 'TITRE1' AND tbl = "
               "(SELECT id FROM \"dao.tables\" WHERE name = 'NOTE')");
    });
    refused("column with a default", holds + "a table or an index declared in another way",
            importHolds + "a table or an index declared in another way", [](const QString &p) {
                raw(p, "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = replace(sql, '\"ISSN\" TEXT', "
                       "'\"ISSN\" TEXT DEFAULT (load_extension(''x''))') WHERE name = 'REVUE'");
            });
    refused("one page spoilt", damaged, importDamaged, [](const QString &p) { spoilPages(p, 1000); });
    refused("many pages spoilt", damaged, importDamaged, [](const QString &p) { spoilPages(p, 5); });
    refused("empty file", notBase, importNotBase, [](const QString &p) { writeFile(p, {}); });
    refused("one byte", damaged, importDamaged, [](const QString &p) { writeFile(p, QByteArray(1, '\x01')); });
    refused("zeros", notBase, importNotBase, [](const QString &p) { writeFile(p, QByteArray(8192, '\0')); });
    refused("text file renamed", notBase, importNotBase,
            [](const QString &p) { writeFile(p, repeated("Some notes, not a base.\n", 100).toUtf8()); });
    refused("plain SQLite file", notBase, importNotBase, [](const QString &p) {
        raw(p, "CREATE TABLE \"CGROUP1\"(\"GROUPE\" TEXT); INSERT INTO \"CGROUP1\" VALUES('x')", false);
    });
    refused("another program's encrypted file", notBase, importNotBase,
            [](const QString &p) { raw(p, "CREATE TABLE things(x); INSERT INTO things VALUES(1)"); });

    odd(
        "title of 300 characters",
        [](const QString &p) { raw(p, "UPDATE \"NOTE\" SET TITRE1 = '" + QByteArray(300, 't') + "'"); },
        [](const QString &summary) {
            QVERIFY2(summary.contains(QStringLiteral("NOTE : 1 added, 0 skipped (left empty, the value did not fit : "
                                                     "TITRE1 in 1 row)")),
                     qPrintable(summary));
            QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("TITRE1")), QStringList{"~"});
            QCOMPARE(fieldOf(QStringLiteral("GRNOTE"), QStringLiteral("GROUPE")), (QStringList{"Memory", "Travel"}));
        });
    odd(
        "values of the wrong type",
        [](const QString &p) {
            raw(p, "UPDATE \"CGROUP1\" SET GROUPE = 42 WHERE GROUPE = 'Travel';"
                   "UPDATE \"NOTE\" SET JOUR = 'not a date'; UPDATE \"BIBLIO\" SET ANNEE = 'nineteen';"
                   "UPDATE \"CIT\" SET TEXTE = X'00FF10'; UPDATE \"GRCIT\" SET WordsNb = 'x'; UPDATE \"WordsCitAll\" SET Occurences = 2.5");
        },
        [](const QString &summary) {
            QVERIFY2(!summary.contains(QStringLiteral("stopped")), qPrintable(summary));
            QVERIFY(keywords().contains(QStringLiteral("42")));
            QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("CIT")), QStringList{"DUPO0001.TXT"});
        });
    odd(
        "Null keys",
        [](const QString &p) {
            raw(p, "UPDATE \"NOTE\" SET CIT = NULL; UPDATE \"CGROUP1\" SET GROUPE = NULL WHERE GROUPE = 'Travel'");
        },
        [](const QString &) {
            // A Null keyword is copied as it is; a note without its key is not.
            QCOMPARE(keywords(), (QStringList{"History", "Memory", "Mine", "~"}));
            QCOMPARE(g_Db.OpenRecordset(QStringLiteral("NOTE")).RecordCount(), 0L);
            QCOMPARE(g_Db.OpenRecordset(QStringLiteral("GRNOTE")).RecordCount(), 0L);
        });
    odd(
        "invalid UTF-8",
        [](const QString &p) {
            raw(p, "UPDATE \"CGROUP1\" SET GROUPE = CAST(X'C328E282FF41' AS TEXT) WHERE GROUPE = 'Travel';"
                   "UPDATE \"NOTE\" SET TEXTE = CAST(X'F09F98C0C0AF' AS TEXT)");
        },
        [](const QString &) {
            QCOMPARE(keywords().size(), 4);
            QCOMPARE(g_Db.OpenRecordset(QStringLiteral("NOTE")).RecordCount(), 1L);
        });
    odd(
        "names of 31 to 80 characters",
        [](const QString &p) {
            raw(p, "UPDATE \"CGROUP1\" SET GROUPE = '" + QByteArray(31, 'k') + "' WHERE GROUPE = 'Travel';"
                   "UPDATE \"CGROUP1\" SET GROUPE = '" + QByteArray(80, 'h') + "' WHERE GROUPE = 'History';"
                   "UPDATE \"AUTEURS\" SET NOM = '" + QByteArray(64, 'a') + "';"
                   "UPDATE \"AUTNOTE\" SET NOM = '" + QByteArray(80, 'n') + "'");
        },
        [](const QString &summary) {
            QVERIFY2(!summary.contains(QStringLiteral("stopped")), qPrintable(summary));
            QVERIFY(keywords().contains(QStringLiteral("Memory")));
            for (const QString &k : keywords())
                QVERIFY(k.size() <= 30);
        });
    odd(
        "text that looks like SQL",
        [](const QString &p) {
            raw(p, "UPDATE \"CGROUP1\" SET GROUPE = 'x''); DROP TABLE \"NOTE\"; --' WHERE GROUPE = 'Travel';"
                   "UPDATE \"NOTE\" SET TEXTE = 'ATTACH ''/tmp/x'' AS y; SELECT load_extension(''z'');'");
        },
        [](const QString &) {
            QVERIFY(keywords().contains(QStringLiteral("x'); DROP TABLE \"NOTE\"; --")));
            QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("TEXTE")),
                     QStringList{"ATTACH '/tmp/x' AS y; SELECT load_extension('z');"});
        });
    odd(
        "values of 10 MB",
        [](const QString &p) {
            raw(p, "UPDATE \"NOTE\" SET TEXTE = replace(hex(zeroblob(5242880)), '0', 'w'), "
                   "TITRE1 = replace(hex(zeroblob(5242880)), '0', 't')");
        },
        [](const QString &summary) {
            QVERIFY2(summary.contains(QStringLiteral("TITRE1 in 1 row")), qPrintable(summary));
            QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("TEXTE")).first().size(), 10485760);
        });
    return c;
}

} // namespace

class TestHostileBases : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openRoad_data();
    void openRoad();
    void importRoad_data();
    void importRoad();

    void aHotJournalIsRolledBackByTheOpenRoadOnly();
    void aPasswordOfItsOwnKeepsItsMessages();
    void aCheckerThatRunsOutOfTimeRefusesTheFile();
    void theProgramsOwnBaseRunsNoTriggers();
    void noConnectionMakesViewsTriggersOrAttachments();
    void aStatementOnTheCatalogEndsAtItsTimeLimit();
    void aPipeADeviceOrAFolderIsRefusedUnread();
    void aBaseAnotherProgramWritesIsInUse();
    void anIndexThatLostEntriesLosesNoRow();
    void aLongUnbrokenWordOpensInItsCard();

    void datesTheClockSkipsByBothRoads();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString makeCase(const QString &name);
    void openTarget(const QString &name = QStringLiteral("open.cvb"))
    {
        createAndBind(path(name));
        add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("Mine")}});
        g_BasePath = path(name);
    }
    QString importOf(const QString &source);
    struct Prepared {
        Case k;
        QString file;
        QByteArray bytes;
        QMap<QString, QStringList> before;
    };
    Prepared prepare(const QString &name);
    void openThroughWelcome();
    void openLongWordCards(const QString &road);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<vb::DialogScript> m_script;
    QString m_template;
};

void TestHostileBases::initTestCase()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    InstallImport();
    static QTemporaryDir shared;
    m_template = shared.filePath(QStringLiteral("template.cvb"));
    createAndBind(m_template);
    fillSample();
    closeBase();
}

void TestHostileBases::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_script = std::make_unique<vb::DialogScript>();
}

void TestHostileBases::cleanup()
{
    QVERIFY2(m_script->ok(), m_script->report());
    m_script.reset();
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    closeBase();
    g_BasePath.clear();
    dao::setCheckTimeLimit(0);
}

// A copy of the new base (a file this process did not make through the
// engine), then spoilt as the case says.
QString TestHostileBases::makeCase(const QString &name)
{
    static const QStringList fromNothing = {"empty file", "one byte", "zeros", "text file renamed", "plain SQLite file",
                                            "another program's encrypted file"};
    const QString p = path(QStringLiteral("case.cvb"));
    if (!fromNothing.contains(name))
        QFile::copy(m_template, p);
    cases().value(name).make(p);
    return p;
}

void TestHostileBases::openRoad_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &n : cases().keys())
        QTest::newRow(qPrintable(n)) << n;
}

// A case made, the file's bytes and the open target's rows taken.
TestHostileBases::Prepared TestHostileBases::prepare(const QString &name)
{
    Prepared p;
    p.k = cases().value(name);
    p.file = makeCase(name);
    p.bytes = readFile(p.file);
    openTarget();
    p.before = wholeBase();
    return p;
}

// "an existing base" of the welcome window, on the file the script picks.
void TestHostileBases::openThroughWelcome()
{
    {
        const Watchdog dog("opening a base through the welcome window", kFreezeSeconds);
        ShowWelcome();
        vb::Forms::find<fAccueil>()->Command2->click();
    }
    QVERIFY2(m_script->ok(), m_script->report());
}

void TestHostileBases::openRoad()
{
    QFETCH(QString, name);
    const Prepared p = prepare(name);
    const dao::Database open = g_Db;

    FakeMainWindow main;
    m_script->fileOpen(p.file);
    if (p.k.outcome == Outcome::Refused)
        m_script->msgBox(vb::vbOK);
    openThroughWelcome();

    if (p.k.outcome == Outcome::Refused) {
        const QString said = m_script->shown().last().prompt;
        QVERIFY2(said.contains(p.k.openSays), qPrintable(said));
        QVERIFY(g_Db == open);
        QCOMPARE(g_BasePath, path(QStringLiteral("open.cvb")));
        QCOMPARE(wholeBase(), p.before);
        QCOMPARE(readFile(p.file), p.bytes);
        QVERIFY(main.calls.isEmpty());
    } else {
        QCOMPARE(g_BasePath, p.file);
        QCOMPARE(main.calls, QStringList{QStringLiteral("loadAndShow")});
        QVERIFY(rowsOf(QStringLiteral("TYPES")).size() > 0);
    }
}

QString TestHostileBases::importOf(const QString &source)
{
    m_script->msgBox(vb::vbOK, kSelect).fileOpen(source).msgBox(vb::vbOK);
    {
        const Watchdog dog("importing a base", kFreezeSeconds);
        ImportBase();
    }
    [&] { QVERIFY2(m_script->ok(), m_script->report()); }();
    return m_script->shown().isEmpty() ? QString() : m_script->shown().last().prompt;
}

void TestHostileBases::importRoad_data() { openRoad_data(); }

void TestHostileBases::importRoad()
{
    QFETCH(QString, name);
    const Prepared p = prepare(name);

    const QString said = importOf(p.file);
    QCOMPARE(readFile(p.file), p.bytes);
    if (p.k.outcome == Outcome::Refused) {
        QVERIFY2(said.startsWith(p.k.importSays), qPrintable(said));
        QCOMPARE(wholeBase(), p.before);
    } else {
        QVERIFY2(said.startsWith(QStringLiteral("Import of case.cvb : ")), qPrintable(said));
        p.k.imported(said);
    }
}

void TestHostileBases::aHotJournalIsRolledBackByTheOpenRoadOnly()
{
    const QString file = path(QStringLiteral("journal.cvb"));
    QFile::copy(m_template, file);
    leaveHotJournal(file, path(QStringLiteral("scratch.cvb")));
    const QByteArray bytes = readFile(file);

    openTarget();
    const auto before = wholeBase();
    QCOMPARE(importOf(file), kCannot + QStringLiteral("it was left half-written and needs its journal rolled "
                                                      "back : open it once as the base, then import it"));
    QCOMPARE(readFile(file), bytes);
    QCOMPARE(wholeBase(), before);

    // Opened as the base, it is rolled back to what it held.
    FakeMainWindow main;
    m_script->fileOpen(file);
    openThroughWelcome();
    QCOMPARE(g_BasePath, file);
    QCOMPARE(keywords(), (QStringList{"History", "Memory", "Travel"}));
    QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("TEXTE")), QStringList{"A trip to Rome"});
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));

    // And then it imports.
    openTarget(QStringLiteral("second.cvb"));
    QVERIFY(importOf(file).startsWith(QStringLiteral("Import of journal.cvb : 24 rows added")));
}

void TestHostileBases::aPasswordOfItsOwnKeepsItsMessages()
{
    const QString own = path(QStringLiteral("own.cvb"));
    createAndBind(own, kConnect + QStringLiteral("secret"));
    closeBase();
    const QString copy = path(QStringLiteral("copy.cvb"));
    QFile::copy(own, copy);
    openTarget();
    QCOMPARE(importOf(copy), kCannot + QStringLiteral("it cannot be opened with the built-in password (it has a "
                                                      "password of its own, or it is not a base)"));
    // The open road asks for it, and opens with it.
    closeBase();
    FakeMainWindow main;
    m_script->fileOpen(copy).passwordBox(QStringLiteral("secret"), QStringLiteral("Enter the Password for your base"));
    openThroughWelcome();
    QCOMPARE(g_BasePath, copy);
}

void TestHostileBases::aCheckerThatRunsOutOfTimeRefusesTheFile()
{
    const QString file = path(QStringLiteral("slow.cvb"));
    QFile::copy(m_template, file);
    dao::setCheckTimeLimit(1);
    openTarget();
    const QString said = importOf(file);
    QVERIFY2(said.startsWith(kCannot + QStringLiteral("checking it took more than 0.001 seconds")), qPrintable(said));
}

void TestHostileBases::theProgramsOwnBaseRunsNoTriggers()
{
    // A trigger put into the open base from outside never runs.
    openTarget();
    fillSample();
    raw(path(QStringLiteral("open.cvb")),
        "CREATE TRIGGER t AFTER INSERT ON \"CGROUP1\" BEGIN DELETE FROM \"NOTE\"; END");
    add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("Another")}});
    QCOMPARE(rsNote.RecordCount(), 1L);
    QCOMPARE(keywords().size(), 5);
}

void TestHostileBases::noConnectionMakesViewsTriggersOrAttachments()
{
    openTarget();
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    auto refused = [&](const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK; };
    QVERIFY(refused("CREATE TEMP TRIGGER t AFTER INSERT ON main.\"NOTE\" BEGIN DELETE FROM \"CIT\"; END"));
    // A stored trigger would outlive this connection and run in any other
    // program that opens the file.
    QVERIFY(refused("CREATE TRIGGER t AFTER INSERT ON \"NOTE\" BEGIN DELETE FROM \"CIT\"; END"));
    QVERIFY(refused("CREATE VIEW v AS SELECT 1"));
    QVERIFY(refused("CREATE TEMP VIEW v AS SELECT 1"));
    QVERIFY(refused("ATTACH DATABASE ':memory:' AS other"));
    QVERIFY(refused("PRAGMA writable_schema=ON"));
    QVERIFY(refused("SELECT load_extension('libm')"));
    QVERIFY(refused("CREATE VIRTUAL TABLE v USING fts3(x)"));
    QVERIFY(!refused("SELECT count(*) FROM \"NOTE\""));
}

void TestHostileBases::aStatementOnTheCatalogEndsAtItsTimeLimit()
{
    // What stands behind the checker while the catalog is read: a query
    // without end is ended.
    openTarget();
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    int rc = SQLITE_OK;
    {
        const Watchdog dog("a query without end under its time limit", kFreezeSeconds);
        const dao::CatalogTimeLimit limit(db, std::chrono::milliseconds(200));
        rc = sqlite3_exec(db, "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c",
                          nullptr, nullptr, nullptr);
    }
    QCOMPARE(rc, SQLITE_INTERRUPT);
    // Afterwards statements run as long as they need.
    QCOMPARE(sqlite3_exec(db, "SELECT count(*) FROM \"NOTE\"", nullptr, nullptr, nullptr), SQLITE_OK);
}

namespace {

// Should a road block on opening the pipe, a writer comes by after a while
// and closes it at once: the reader gets its end, the whole run does not
// block, and the test fails because someone was left reading the pipe.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const QString &fifo) : m_fifo(QFile::encodeName(fifo))
    {
        m_thread = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (!m_done) {
                if (std::chrono::steady_clock::now() > deadline) {
                    // Succeeds only while someone reads the pipe.
                    const int fd = ::open(m_fifo.constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) {
                        ::close(fd);
                        m_freed = true;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~PipeWatchdog()
    {
        m_done = true;
        m_thread.join();
    }
    // Someone had the pipe open for reading, seconds into the test.
    bool freedAReader() const { return m_freed; }

private:
    QByteArray m_fifo;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_freed{false};
    std::thread m_thread;
};

} // namespace

void TestHostileBases::aPipeADeviceOrAFolderIsRefusedUnread()
{
    const QString fifo = path(QStringLiteral("pipe.cvb"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = path(QStringLiteral("folder.cvb"));
    QVERIFY(QDir().mkdir(folder));
    const PipeWatchdog watchdog(fifo);
    openTarget();
    const auto before = wholeBase();
    for (const QString &file : {fifo, QStringLiteral("/dev/zero"), folder}) {
        FakeMainWindow main;
        m_script->fileOpen(file).msgBox(vb::vbOK);
        openThroughWelcome();
        const QString said = m_script->shown().last().prompt;
        QCOMPARE(said, QStringLiteral("'%1' is not a file but a folder, a pipe, a device or a socket : it cannot "
                                      "be a base.")
                           .arg(file));
        QVERIFY(main.calls.isEmpty());
        QCOMPARE(g_BasePath, path(QStringLiteral("open.cvb")));

        QCOMPARE(importOf(file),
                 kCannot + QStringLiteral("it is not a file but a folder, a pipe, a device or a socket"));
        QCOMPARE(wholeBase(), before);
        QVERIFY2(!watchdog.freedAReader(), qPrintable(file + QStringLiteral(": a road blocked reading the pipe")));
    }
}

void TestHostileBases::aBaseAnotherProgramWritesIsInUse()
{
    const QString file = path(QStringLiteral("busy.cvb"));
    QFile::copy(m_template, file);
    // Another program in the middle of a long write: this test run again as
    // the lock holder, which keeps its lock until its input closes.
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVANE_TEST_HOLD_BASE"), file);
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(holder.waitForReadyRead(60000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    openTarget();
    const auto before = wholeBase();
    {
        FakeMainWindow main;
        m_script->fileOpen(file).msgBox(vb::vbOK);
        openThroughWelcome();
        QCOMPARE(m_script->shown().last().prompt,
                 QStringLiteral("The base '%1' is in use by another program : try again when it has finished.")
                     .arg(file));
        QVERIFY(main.calls.isEmpty());
    }
    QCOMPARE(importOf(file), kCannot + QStringLiteral("it is in use by another program : try again when it has "
                                                      "finished"));
    QCOMPARE(wholeBase(), before);

    // Once the other program is done, the base imports.
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(60000));
    QVERIFY(importOf(file).startsWith(QStringLiteral("Import of busy.cvb : ")));
}

namespace {

// Run with CORVANE_TEST_HOLD_BASE set, the test is the other program: it
// starts a write on that base, says "held", and keeps the base locked until
// its input closes.
const int g_holdBase = [] {
    const QByteArray file = qgetenv("CORVANE_TEST_HOLD_BASE");
    if (file.isEmpty())
        return 0;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        std::_Exit(2);
    sqlite3_key(db, "Qv47Tz28", 8);
    dao::registerTextCollation(db);
    if (sqlite3_exec(db, "BEGIN EXCLUSIVE; DELETE FROM \"CGROUP1\"", nullptr, nullptr, nullptr) != SQLITE_OK)
        std::_Exit(3);
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::_Exit(0);
}();

} // namespace

// A file whose key index of the notes lacks about half of its 21 notes
// passes a quick look page by page; read through that index, those notes
// would be missing from every listing and from an import, named nowhere. Both roads
// refuse it as damaged, and the import, were such a file to get through,
// walks the tables themselves and copies every note.
void TestHostileBases::anIndexThatLostEntriesLosesNoRow()
{
    const QString scratch = path(QStringLiteral("scratch.cvb"));
    createAndBind(scratch);
    fillSample();
    for (int i = 1; i <= 20; ++i)
        add(rsNote, {{&fldNoteCit, QStringLiteral("LOST%1.TXT").arg(i, 4, 10, QChar(u'0'))},
                     {&fldNoteTexte, QStringLiteral("note %1").arg(i)}});
    closeBase();
    const QString file = path(QStringLiteral("lost.cvb"));
    QVERIFY(QFile::copy(scratch, file));
    loseIndexEntries(file, 10);
    QCOMPARE(rawValue(file, "PRAGMA quick_check"), QStringLiteral("ok"));
    QVERIFY(rawValue(file, "PRAGMA integrity_check") != QStringLiteral("ok"));
    QCOMPARE(rawValue(file, "SELECT sum(1) FROM \"NOTE\" NOT INDEXED"), QStringLiteral("21"));
    const QByteArray bytes = readFile(file);

    openTarget();
    const auto before = wholeBase();
    QVERIFY2(importOf(file).startsWith(kCannot + QStringLiteral("it is damaged or cut short")),
             qPrintable(m_script->shown().last().prompt));
    QCOMPARE(wholeBase(), before);
    QCOMPARE(readFile(file), bytes);

    {
        const dao::Database open = g_Db;
        FakeMainWindow main;
        m_script->fileOpen(file).msgBox(vb::vbOK);
        openThroughWelcome();
        const QString said = m_script->shown().last().prompt;
        QVERIFY2(said.contains(QStringLiteral("The file is damaged or is not a base.")), qPrintable(said));
        QVERIFY(g_Db == open);
        QVERIFY(main.calls.isEmpty());
        QCOMPARE(readFile(file), bytes);
    }

    // Past the look before opening, the copy itself loses nothing.
    openTarget(QStringLiteral("second.cvb"));
    QVERIFY(dao::leftbases::testing::recordAsItIs(file));
    dao::Database source = dao::DBEngine::Workspaces(0).OpenForeignDatabase(file, kConnect);
    const importer::ImportReport r = importer::BaseImporter(source).run();
    source.Close();
    QVERIFY(!r.failed);
    QCOMPARE(r.count(QStringLiteral("NOTE"))->added, 21);
    QCOMPARE(r.count(QStringLiteral("NOTE"))->skipped, 0);
    QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("CIT")).size(), 21);
}

// A note dated in the hour the Paris clock skips in spring (in the stored
// form) and a quote dated at the midnight the Sao Paulo clock skips (in
// another date form): opened as the base or imported, in either zone, both
// keep their date, and the import empties nothing.
void TestHostileBases::datesTheClockSkipsByBothRoads()
{
    const QStringList noteDay{QStringLiteral("2024-03-31T02:30:00.000Z")};
    const QStringList quoteDay{QStringLiteral("2018-11-04T00:00:00.000Z")};
    for (const char *zone : {"Europe/Paris", "America/Sao_Paulo"}) {
        const ZoneScope scope(zone);
        const QString name = QStringLiteral("clock-%1.cvb").arg(QString::fromLatin1(zone).section(u'/', 1));
        const QString file = path(name);
        QFile::copy(m_template, file);
        raw(file, "UPDATE \"NOTE\" SET JOUR = '2024-03-31 02:30:00'; UPDATE \"CIT\" SET JOUR = '2018-11-04T00:00'");

        openTarget(QStringLiteral("open-") + name);
        const QString said = importOf(file);
        QVERIFY2(said.startsWith(QStringLiteral("Import of ") + name + QStringLiteral(" : ")) &&
                     !said.contains(QStringLiteral("did not fit")),
                 qPrintable(said));
        QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("JOUR")), noteDay);
        QCOMPARE(fieldOf(QStringLiteral("CIT"), QStringLiteral("JOUR")), quoteDay);
        closeBase();

        FakeMainWindow main;
        m_script->fileOpen(file);
        openThroughWelcome();
        QCOMPARE(g_BasePath, file);
        QCOMPARE(fieldOf(QStringLiteral("NOTE"), QStringLiteral("JOUR")), noteDay);
        QCOMPARE(fieldOf(QStringLiteral("CIT"), QStringLiteral("JOUR")), quoteDay);
        rsNote.setIndex(QStringLiteral("NoteNDX"));
        rsNote.Seek(QStringLiteral("="), QStringLiteral("DUPO0001.TXT"));
        QCOMPARE(vb::DateText(fldNoteJour.Value()), vb::DateText(QDate(2024, 3, 31), QTime(2, 30)));
        for (vb::Form *f : vb::Forms::all())
            f->unload();
        closeBase();
    }
}

// A note and a quote whose texts are one word of 2 MB, as a base from
// elsewhere may hold them: the note in plain text only, the quote as RTF.
constexpr int kLongWordHalf = 1024 * 1024; // hex of this many zero bytes
constexpr int kLongWordHit = 1500001;     // where "HIT" stands, counted from 1

void makeLongWord(const QString &p)
{
    const QByteArray word = "replace(hex(zeroblob(" + QByteArray::number(kLongWordHalf / 2) + ")), '0', 'w')";
    const QByteArray marked = "substr(" + word + " || " + word + ", 1, " + QByteArray::number(kLongWordHit - 1)
                              + ") || 'HIT' || " + word;
    raw(p, "UPDATE \"NOTE\" SET TEXTE = " + marked + ", TEXTRTF = NULL; UPDATE \"CIT\" SET TEXTE = " + word
               + ", TEXTRTF = '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 ' || " + word + " || '}'");
}

// The two cards open within moments, each with its whole text, the note at
// the search hit, and opening them writes nothing.
void TestHostileBases::openLongWordCards(const QString &road)
{
    const QMap<QString, QStringList> before = wholeBase();
    const QString note = fieldOf(QStringLiteral("NOTE"), QStringLiteral("TEXTE")).value(0);
    QCOMPARE(note.size(), qsizetype(kLongWordHit + 2 + kLongWordHalf));
    {
        const Watchdog dog((road + QStringLiteral(": opening the cards")).toStdString(), kFreezeSeconds);
        QVERIFY(cards::seekCard(CardType::Note, QStringLiteral("DUPO0001.TXT")));
        SearchText = QStringLiteral("HIT");
        SearchTextPos = kLongWordHit;
        ShowNoteCard();
        QVERIFY(cards::seekCard(CardType::Quote, QStringLiteral("DURAN001.TXT")));
        ShowQuoteCard();
        QApplication::processEvents();
    }

    auto *n = qobject_cast<fNoteMulti *>(NoteCards.window.data());
    auto *q = qobject_cast<fCitMulti *>(QuoteCards.window.data());
    QVERIFY(n && n->isVisible() && q && q->isVisible());
    QCOMPARE(n->NoteRTF->Text(), note);
    QCOMPARE(n->NoteRTF->SelStart(), kLongWordHit - 1);
    QCOMPARE(n->NoteRTF->SelLength(), 3);
    QString hit = n->NoteRTF->editor()->textCursor().selectedText();
    hit.remove(QChar::ParagraphSeparator);
    QCOMPARE(hit, QStringLiteral("HIT"));
    QCOMPARE(q->CitRTF->Text().size(), qsizetype(kLongWordHalf));
    QVERIFY(!n->isChanged() && !q->isChanged());
    QCOMPARE(wholeBase(), before);
}

void TestHostileBases::aLongUnbrokenWordOpensInItsCard()
{
    InstallCardWindows();
    FakeMainWindow main;
    // The open road: the file becomes the base.
    {
        const QString file = path(QStringLiteral("long.cvb"));
        QFile::copy(m_template, file);
        makeLongWord(file);
        openTarget();
        m_script->fileOpen(file);
        openThroughWelcome();
        QCOMPARE(g_BasePath, file);
        openLongWordCards(QStringLiteral("open road"));
        for (vb::Form *f : vb::Forms::all())
            f->unload();
    }
    // The import road: the texts are copied whole into the open base.
    {
        const QString file = path(QStringLiteral("source.cvb"));
        QFile::copy(m_template, file);
        makeLongWord(file);
        openTarget(QStringLiteral("target.cvb"));
        const QString said = importOf(file);
        QVERIFY2(said.startsWith(QStringLiteral("Import of source.cvb : ")), qPrintable(said));
        openLongWordCards(QStringLiteral("import road"));
    }
}

QTEST_MAIN(TestHostileBases)
#include "tst_hostile_bases.moc"
