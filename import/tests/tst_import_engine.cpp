// The copy of one base into another, on real bases: what is added, what is
// kept out and why, the figures of the summary, and a base left exactly as
// it was when the copy fails or its process is ended midway.

#include "BaseImporter.h"
#include "DaoErrors.h"
#include "DaoImpl.h"
#include "Error.h"
#include "ImportTestBases.h"

#include <sqlite3.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace importtest;
using importer::BaseImporter;
using importer::ImportReport;

namespace {

struct Recorder : importer::ImportProgress {
    QStringList labels;
    QList<int> percents;
    void step(const QString &l) override { labels << l; }
    void percent(int v) override { percents << v; }
};

dao::Database openSource(const QString &path, const QString &connect = kConnect)
{
    return dao::DBEngine::Workspaces(0).OpenForeignDatabase(path, connect);
}

ImportReport importFrom(const QString &path, importer::ImportProgress *progress = nullptr)
{
    dao::Database source = openSource(path);
    ImportReport r = BaseImporter(source, progress).run();
    source.Close();
    return r;
}

int errorOpening(const QString &path, const QString &connect = kConnect)
{
    return vb::errorOf([&] { openSource(path, connect).Close(); });
}

// Runs statements on a base file directly, as another program would.
void rawExec(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_key(db, "Qv47Tz28", 8);
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    const QString message = QString::fromUtf8(err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

QStringList column(const QString &table, const QString &name, const QString &index = {})
{
    QStringList out;
    dao::Recordset rs = g_Db.OpenRecordset(table);
    if (!index.isEmpty())
        rs.setIndex(index);
    if (rs.RecordCount() > 0)
        rs.MoveFirst();
    for (; !rs.Eof(); rs.MoveNext()) {
        const QVariant v = rs.Fields(name).Value();
        out << (v.isValid() ? v.toString() : QStringLiteral("~"));
    }
    return out;
}

} // namespace

class TestImportEngine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyRowIntoAnEmptyBase();
    void theOpenBaseNumbersTheRows();
    void cardsWhoseKeyIsThereAreKeptOut();
    void theSameBaseTwiceAddsNothing();
    void keysMatchInEitherUnicodeForm();
    void missingTablesAndColumnsAreReported();
    void labelsAndProgress();
    void sourcesThatAreRefused();
    void theSourceIsOnlyRead();
    void aDamagedSourceUndoesEverything();
    void anImportEndedMidwayLeavesTheBase();
    void summaryFigures();
    void oddValuesOfASource();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // The sample base at path, closed.
    QString sampleSource(const QString &name = QStringLiteral("source.cvb"))
    {
        createAndBind(path(name));
        fillSample();
        closeBase();
        return path(name);
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QDir m_dir;
};

void TestImportEngine::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_dir = QDir(m_tmp->path());
}

void TestImportEngine::cleanup()
{
    closeBase();
    m_tmp.reset();
}

void TestImportEngine::everyRowIntoAnEmptyBase()
{
    const QString source = sampleSource();
    createAndBind(path(QStringLiteral("open.cvb")));
    const ImportReport r = importFrom(source);
    QVERIFY(!r.failed);
    QCOMPARE(r.tables.size(), 19);
    QCOMPARE(r.skipped(), 0);
    QVERIFY(!r.somethingUnread());

    // Values as they were: Null stays Null, "" stays "", rich text and dates
    // unchanged, a reference type the base does not list kept.
    QMap<QString, QStringList> copied;
    for (const QString &t : importedTables())
        copied.insert(t, rowsOf(t));
    openAndBind(source);
    int rows = 0;
    for (const QString &t : importedTables()) {
        if (t == QStringLiteral("TYPES"))
            continue;
        QCOMPARE(copied.value(t), rowsOf(t));
        rows += rowsOf(t).size();
    }
    QCOMPARE(r.added(), rows);
    closeBase();
    openAndBind(path(QStringLiteral("open.cvb")));
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("DUPO0001.TXT"));
    QVERIFY(!rsNote.NoMatch());
    QCOMPARE(fldNoteTextRtf.Value().toString(), kRtf);
    QCOMPARE(fldNoteTitre1.Value(), QVariant(QString()));
    QVERIFY(fldNoteTitre1.Value().isValid());
    QVERIFY(fldNoteAuteur.isNullValue());
    QCOMPARE(column(QStringLiteral("BIBLIO"), QStringLiteral("Type")), QStringList{"Thesis"});
    QCOMPARE(column(QStringLiteral("BIBLIO"), QStringLiteral("JOURHEURE")), QStringList{"~"});
    QCOMPARE(column(QStringLiteral("WordsNoteIndex"), QStringLiteral("AsKW")), QStringList{"true"});
    QCOMPARE(rsTypes.RecordCount(), 13L);
}

void TestImportEngine::theOpenBaseNumbersTheRows()
{
    // Both bases number from 1: copying the numbers would refuse the rows.
    const QString source = sampleSource();
    createAndBind(path(QStringLiteral("open.cvb")));
    for (int i = 1; i <= 3; ++i) {
        const QString key = QStringLiteral("MINE000%1.TXT").arg(i);
        add(rsNote, {{&fldNoteCit, key}});
        add(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Mine")}, {&fldGrNoteNdx, key}});
    }
    const ImportReport r = importFrom(source);
    QCOMPARE(r.count(QStringLiteral("NOTE"))->added, 1);
    QCOMPARE(r.count(QStringLiteral("GRNOTE"))->added, 2);
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("NoteCount"), QStringLiteral("NoteCount")),
             (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(column(QStringLiteral("GRNOTE"), QStringLiteral("GrNoteCount")), (QStringList{"1", "2", "3", "4", "5"}));
}

void TestImportEngine::cardsWhoseKeyIsThereAreKeptOut()
{
    const QString source = sampleSource();
    createAndBind(path(QStringLiteral("open.cvb")));
    // Another note and another reference under the same keys (other case),
    // names and keywords already there in another case.
    add(rsNote, {{&fldNoteCit, QStringLiteral("dupo0001.txt")}, {&fldNoteTexte, QStringLiteral("Mine")}});
    add(rsBiblio, {{&fldBiblioNdx, QStringLiteral("DURAND_001")}, {&fldBiblioTitre1, QStringLiteral("Other")}});
    add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("memory")}});
    add(rsAuteurs, {{&fldAuteursNom, QStringLiteral("DURAND")}});
    add(rsEditeur, {{&fldEditeurNom, QStringLiteral("gallimard")}});
    add(rsRevue, {{&fldRevueNom, QStringLiteral("ANNALES")}});
    add(rsAutNote, {{&fldAutNoteNom, QStringLiteral("dupont")}});
    add(rsWords, {{&fldWordsWord, QStringLiteral("THE")}});

    const ImportReport r = importFrom(source);
    QVERIFY(!r.failed);
    QCOMPARE(r.notesThere, 1);
    QCOMPARE(r.referencesThere, 1);
    QCOMPARE(r.quotesThere, 0);

    // The open base's cards keep their content and get nothing of the
    // skipped cards: no keyword, author, article or word-index row, and the
    // quote of the skipped reference stays out with its own rows.
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("TEXTE")), QStringList{"Mine"});
    QCOMPARE(column(QStringLiteral("BIBLIO"), QStringLiteral("TITRE1")), QStringList{"Other"});
    QCOMPARE(rsGrNote.RecordCount(), 0L);
    QCOMPARE(rsWordsNoteIndex.RecordCount(), 0L);
    QCOMPARE(rsAutNdx.RecordCount(), 0L);
    QCOMPARE(rsGrBib.RecordCount(), 0L);
    QCOMPARE(rsRevueArticle.RecordCount(), 0L);
    QCOMPARE(rsCit.RecordCount(), 0L);
    QCOMPARE(rsGrCit.RecordCount(), 0L);
    QCOMPARE(rsWordsCitIndex.RecordCount(), 0L);

    // Only the names and keywords not there are added.
    QCOMPARE(column(QStringLiteral("CGROUP1"), QStringLiteral("GROUPE"), QStringLiteral("Groupe")),
             (QStringList{"History", "memory", "Travel"}));
    QCOMPARE(column(QStringLiteral("AUTEURS"), QStringLiteral("NOM"), QStringLiteral("Nom")),
             (QStringList{"DURAND", "Martin"}));
    QCOMPARE(column(QStringLiteral("EDITEUR"), QStringLiteral("NOM")), QStringList{"gallimard"});
    QCOMPARE(column(QStringLiteral("REVUE"), QStringLiteral("NOM")), QStringList{"ANNALES"});
    QCOMPARE(column(QStringLiteral("AUTNOTE"), QStringLiteral("NOM")), QStringList{"dupont"});
    QCOMPARE(column(QStringLiteral("Words"), QStringLiteral("Word")), QStringList{"THE"});
    QCOMPARE(rsGroup2.RecordCount(), 1L);
    QCOMPARE(rsWordsCitAll.RecordCount(), 1L);

    QCOMPARE(r.count(QStringLiteral("CIT"))->skipped, 1);
    QCOMPARE(r.count(QStringLiteral("GRNOTE"))->skipped, 2);
    QCOMPARE(r.count(QStringLiteral("AUTNDX"))->skipped, 2);
    QCOMPARE(r.count(QStringLiteral("CGROUP1"))->added, 2);
    QCOMPARE(r.count(QStringLiteral("CGROUP1"))->skipped, 1);
}

void TestImportEngine::theSameBaseTwiceAddsNothing()
{
    const QString source = sampleSource();
    createAndBind(path(QStringLiteral("open.cvb")));
    const ImportReport first = importFrom(source);
    QVERIFY(first.added() > 20);
    const QMap<QString, QStringList> once = wholeBase();
    const ImportReport second = importFrom(source);
    QVERIFY(!second.failed);
    QCOMPARE(second.added(), 0);
    QCOMPARE(second.skipped(), first.added());
    QCOMPARE(second.notesThere, 1);
    QCOMPARE(second.quotesThere, 1);
    QCOMPARE(second.referencesThere, 1);
    QCOMPARE(wholeBase(), once);
}

// An accent typed as a combining character after its letter is the same
// key as the composed letter, to the import as to the indexes: a card's
// rows join it in either form, and a name the open base has in the other
// form is not added again.
void TestImportEngine::keysMatchInEitherUnicodeForm()
{
    const QString composed = u"\u00C9LIE001.TXT"_qs, decomposed = u"E\u0301LIE001.TXT"_qs;
    createAndBind(path(QStringLiteral("source.cvb")));
    add(rsNote, {{&fldNoteCit, composed}, {&fldNoteTexte, QStringLiteral("Une note")}});
    add(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Travel")}, {&fldGrNoteNdx, decomposed}});
    add(rsWordsNoteIndex, {{&fldWordsNoteIndexMot, QStringLiteral("note")},
                           {&fldWordsNoteIndexIndex, decomposed},
                           {&fldWordsNoteIndexNbOccurIndex, 1}});
    add(rsBiblio, {{&fldBiblioNdx, u"Cle\u0301ment01"_qs}, {&fldBiblioTitre1, QStringLiteral("Livre")}});
    add(rsAutNdx, {{&fldAutNdxNdx, u"CL\u00C9MENT01"_qs}, {&fldAutNdxAuteur, u"Cl\u00E9ment"_qs}});
    add(rsGrBib, {{&fldGrBibGroupe, QStringLiteral("Travel")}, {&fldGrBibNdx, u"cl\u00E9ment01"_qs}});
    add(rsAuteurs, {{&fldAuteursNom, u"Mu\u0308ller"_qs}});
    add(rsEditeur, {{&fldEditeurNom, u"E\u0301ditions du Seuil"_qs}});
    add(rsAutNote, {{&fldAutNoteNom, u"Cha\u0302telet"_qs}});
    add(rsRevue, {{&fldRevueNom, u"Ge\u0301ographie"_qs}});
    closeBase();

    createAndBind(path(QStringLiteral("open.cvb")));
    add(rsAuteurs, {{&fldAuteursNom, u"M\u00FCller"_qs}});
    add(rsEditeur, {{&fldEditeurNom, u"\u00E9ditions du seuil"_qs}});
    add(rsAutNote, {{&fldAutNoteNom, u"CH\u00C2TELET"_qs}});
    add(rsRevue, {{&fldRevueNom, u"G\u00C9OGRAPHIE"_qs}});

    const ImportReport r = importFrom(path(QStringLiteral("source.cvb")));
    QVERIFY(!r.failed);
    QCOMPARE(column(QStringLiteral("GRNOTE"), QStringLiteral("NDX")), QStringList{decomposed});
    QCOMPARE(column(QStringLiteral("WordsNoteIndex"), QStringLiteral("Index")), QStringList{decomposed});
    QCOMPARE(column(QStringLiteral("AUTNDX"), QStringLiteral("NDX")), QStringList{u"CL\u00C9MENT01"_qs});
    QCOMPARE(column(QStringLiteral("GRBIB"), QStringLiteral("NDX")), QStringList{u"cl\u00E9ment01"_qs});
    QCOMPARE(column(QStringLiteral("AUTEURS"), QStringLiteral("NOM")), QStringList{u"M\u00FCller"_qs});
    QCOMPARE(column(QStringLiteral("EDITEUR"), QStringLiteral("NOM")), QStringList{u"\u00E9ditions du seuil"_qs});
    QCOMPARE(column(QStringLiteral("AUTNOTE"), QStringLiteral("NOM")), QStringList{u"CH\u00C2TELET"_qs});
    QCOMPARE(column(QStringLiteral("REVUE"), QStringLiteral("NOM")), QStringList{u"G\u00C9OGRAPHIE"_qs});
    for (const char *t : {"GRNOTE", "WordsNoteIndex", "AUTNDX", "GRBIB"})
        QCOMPARE(r.count(QString::fromLatin1(t))->skipped, 0);
    for (const char *t : {"AUTEURS", "EDITEUR", "AUTNOTE", "REVUE"})
        QCOMPARE(r.count(QString::fromLatin1(t))->skipped, 1);

    // The cards themselves: a key the open base has in the other form.
    createAndBind(path(QStringLiteral("second.cvb")));
    add(rsNote, {{&fldNoteCit, u"e\u0301lie001.txt"_qs}, {&fldNoteTexte, QStringLiteral("Mine")}});
    const ImportReport again = importFrom(path(QStringLiteral("source.cvb")));
    QCOMPARE(again.notesThere, 1);
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("TEXTE")), QStringList{"Mine"});
    QCOMPARE(rsGrNote.RecordCount(), 0L);
}

void TestImportEngine::missingTablesAndColumnsAreReported()
{
    const QString source = path(QStringLiteral("partial.cvb"));
    createPartialBase(source);
    createAndBind(path(QStringLiteral("open.cvb")));
    const ImportReport r = importFrom(source);
    QVERIFY(!r.failed);
    QVERIFY(r.somethingUnread());
    QCOMPARE(r.added(), 2);
    QVERIFY(r.count(QStringLiteral("GROUP2"))->missing);
    QVERIFY(!r.count(QStringLiteral("NOTE"))->missing);
    QCOMPARE(r.count(QStringLiteral("NOTE"))->missingColumns,
             (QStringList{"AUTEUR", "TITRE1", "TEXTRTF", "JOUR"}));
    QCOMPARE(rowsOf(QStringLiteral("NOTE")), QStringList{"~|~|PART0001.TXT|~|~|~|~|text|~"});
    QCOMPARE(column(QStringLiteral("CGROUP1"), QStringLiteral("GROUPE")), QStringList{"Alone"});
    const QString summary = importer::summaryText(r, QStringLiteral("partial.cvb"));
    QVERIFY2(summary.contains(QStringLiteral("GROUP2 : not in the source, nothing read")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("NOTE : 1 added, 0 skipped (no column AUTEUR, TITRE1, TEXTRTF, JOUR "
                                             "in the source)")),
             qPrintable(summary));
}

void TestImportEngine::labelsAndProgress()
{
    const QString source = sampleSource();
    createAndBind(path(QStringLiteral("open.cvb")));
    Recorder rec;
    importFrom(source, &rec);
    QCOMPARE(rec.labels, (QStringList{"Import Keywords List", "Import Keywords Relations", "Import Quotes",
                                      "Import Quotes Keywords", "Import References", "Import References Keywords",
                                      "Import Authors", "Import Editors", "Import Reviews", "Import Articles",
                                      "Import Notes", "Import Notes Keywords", "Import List of Words"}));
    // The walks with progress: 3 keywords (33, 66, 100), then 100 for each
    // other walk (50 first for the two-row ones); the walks without
    // progress show nothing.
    QCOMPARE(rec.percents.mid(0, 3), (QList<int>{33, 66, 100}));
    QCOMPARE(rec.percents.count(100), 13);
    QCOMPARE(rec.percents.size(), 3 + 1 + 1 + 1 + 1 + 1 + 2 + 1 + 1 + 1 + 1 + 2 + 1);
}

void TestImportEngine::sourcesThatAreRefused()
{
    // A password of its own.
    const QString own = path(QStringLiteral("own.cvb"));
    createAndBind(own, kConnect + QStringLiteral("secret"));
    closeBase();
    QCOMPARE(errorOpening(own), int(dao::ErrInvalidPassword));

    // Not a base, a base cut short, a missing file.
    QFile text(path(QStringLiteral("notes.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(2048, 'x'));
    text.close();
    QCOMPARE(errorOpening(text.fileName()), int(dao::ErrNotABase));
    const QString cut = sampleSource(QStringLiteral("cut.cvb"));
    QVERIFY(QFile::resize(cut, QFileInfo(cut).size() - 100));
    QCOMPARE(errorOpening(cut), int(dao::ErrCorrupt));
    QCOMPARE(errorOpening(path(QStringLiteral("none.cvb"))), int(dao::ErrFileNotFound));
    QVERIFY(!QFile::exists(path(QStringLiteral("none.cvb"))));

    // Tables that are not what the catalog says, or things that would run.
    const QString view = sampleSource(QStringLiteral("view.cvb"));
    rawExec(view, "DROP TABLE \"CGROUP1\"; CREATE VIEW \"CGROUP1\" AS SELECT 'x' AS GROUPE, 1 AS GrCount");
    QCOMPARE(errorOpening(view), int(dao::ErrUnsafeBase));
    const QString trigger = sampleSource(QStringLiteral("trigger.cvb"));
    rawExec(trigger, "CREATE TRIGGER t AFTER INSERT ON \"NOTE\" BEGIN DELETE FROM \"CIT\"; END");
    QCOMPARE(errorOpening(trigger), int(dao::ErrUnsafeBase));
    const QString renamed = sampleSource(QStringLiteral("renamed.cvb"));
    rawExec(renamed, "ALTER TABLE \"NOTE\" RENAME TO \"NOTE2\"");
    QCOMPARE(errorOpening(renamed), int(dao::ErrUnsafeBase));
    const QString noIndex = sampleSource(QStringLiteral("noindex.cvb"));
    rawExec(noIndex, "DROP INDEX \"NOTE.NoteNDX\"");
    QCOMPARE(errorOpening(noIndex), int(dao::ErrUnsafeBase));
}

void TestImportEngine::theSourceIsOnlyRead()
{
    const QString source = sampleSource();
    const QByteArray before = [&] {
        QFile f(source);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    dao::Database db = openSource(source);
    QVERIFY(!db.Updatable());
    dao::Recordset rs = db.OpenRecordset(QStringLiteral("CGROUP1"));
    QCOMPARE(vb::errorOf([&] { rs.AddNew(); }), int(dao::ErrReadOnly));
    QCOMPARE(vb::errorOf([&] { rs.Edit(); }), int(dao::ErrReadOnly));
    createAndBind(path(QStringLiteral("open.cvb")));
    BaseImporter(db, nullptr).run();
    db.Close();
    QFile f(source);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestImportEngine::aDamagedSourceUndoesEverything()
{
    // A source whose notes lie where the file is damaged: the tables before
    // them are read and copied, then the reading fails.
    const QString source = path(QStringLiteral("long.cvb"));
    createAndBind(source);
    fillSample();
    dao::DBEngine::BeginTrans();
    for (int i = 0; i < 400; ++i)
        add(rsNote, {{&fldNoteCit, QStringLiteral("LONG%1.TXT").arg(i, 4, 10, QChar(u'0'))},
                     {&fldNoteTexte, QString(3000, QChar(u'a' + i % 26))}});
    dao::DBEngine::CommitTrans();
    closeBase();
    // Damaged once it is open: opened afterwards, the check refuses it.
    dao::Database opened = openSource(source);
    {
        QFile f(source);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek((f.size() * 3 / 4) / 1024 * 1024));
        f.write(QByteArray(1024, '\x5a'));
    }
    QCOMPARE(errorOpening(source), int(dao::ErrCorrupt));

    createAndBind(path(QStringLiteral("open.cvb")));
    add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("Mine")}});
    const QMap<QString, QStringList> before = wholeBase();
    Recorder rec;
    const ImportReport r = BaseImporter(opened, &rec).run();
    opened.Close();
    QVERIFY(r.failed);
    QVERIFY(!r.failure.isEmpty());
    QVERIFY(rec.labels.contains(QStringLiteral("Import Notes"))); // it got that far
    QCOMPARE(r.added(), 0);
    QCOMPARE(wholeBase(), before);
    QVERIFY(importer::summaryText(r, QStringLiteral("long.cvb"))
                .startsWith(QStringLiteral("The import of long.cvb stopped and nothing was added to the base : ")));
    // A base opened read-only says so in the program's words.
    const QString small = sampleSource(QStringLiteral("small.cvb"));
    g_Db = dao::DBEngine::OpenDatabase(path(QStringLiteral("open.cvb")), false, true, kConnect);
    OpenBaseTables();
    const ImportReport ro = importFrom(small);
    QVERIFY(ro.failed);
    QCOMPARE(ro.failure, QStringLiteral("Fichier en lecture seule !"));
    openAndBind(path(QStringLiteral("open.cvb")));
    QCOMPARE(wholeBase(), before);
    // The base takes rows again afterwards.
    add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("After")}});
    QCOMPARE(rsCGroup1.RecordCount(), 2L);
}

void TestImportEngine::anImportEndedMidwayLeavesTheBase()
{
    // Enough text that the copy writes to the file before it is ended.
    const QString source = path(QStringLiteral("big.cvb"));
    createAndBind(source);
    fillSample();
    dao::DBEngine::BeginTrans();
    for (int i = 0; i < 1500; ++i) {
        const QString key = QStringLiteral("BIG_%1.TXT").arg(i, 4, 10, QChar(u'0'));
        add(rsNote, {{&fldNoteCit, key}, {&fldNoteTexte, QString(6000, QChar(u'a' + i % 26))}});
        add(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Memory")}, {&fldGrNoteNdx, key}});
    }
    dao::DBEngine::CommitTrans();
    closeBase();

    const QString target = path(QStringLiteral("open.cvb"));
    createAndBind(target);
    add(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("Mine")}});
    add(rsNote, {{&fldNoteCit, QStringLiteral("MINE0001.TXT")}, {&fldNoteTexte, QStringLiteral("kept")}});
    const QMap<QString, QStringList> before = wholeBase();
    const qint64 sizeBefore = QFileInfo(target).size();
    closeBase();

    QProcess child;
    child.start(QStringLiteral(IMPORT_CHILD), {target, source});
    QVERIFY2(child.waitForStarted(60000), qPrintable(child.errorString()));
    QByteArray out;
    while (!out.contains("midway") && child.state() == QProcess::Running && child.waitForReadyRead(60000))
        out += child.readAllStandardOutput();
    QVERIFY2(out.contains("midway"), out.constData());
    // The copy is under way: the base's journal is there and the file has
    // grown with rows not yet committed.
    QVERIFY(QFile::exists(target + QStringLiteral("-journal")));
    QVERIFY(QFileInfo(target).size() > sizeBefore);
    child.kill();
    QVERIFY(child.waitForFinished(60000));

    openAndBind(target);
    QCOMPARE(wholeBase(), before);
    QVERIFY(!QFile::exists(target + QStringLiteral("-journal")));
}

void TestImportEngine::summaryFigures()
{
    importer::ImportReport r;
    importer::TableCount kw;
    kw.table = QStringLiteral("CGROUP1");
    kw.added = 2;
    kw.skipped = 1;
    importer::TableCount notes;
    notes.table = QStringLiteral("NOTE");
    notes.added = 0;
    notes.skipped = 3;
    notes.emptiedColumns = {{QStringLiteral("TITRE1"), 2}, {QStringLiteral("AUTEUR"), 1}};
    importer::TableCount words;
    words.table = QStringLiteral("WordsNoteAll");
    words.missing = true;
    r.tables = {kw, notes, words};
    r.notesThere = 3;
    QVERIFY(r.somethingUnread());
    QCOMPARE(importer::summaryText(r, QStringLiteral("b.cvb")),
             QStringLiteral("Import of b.cvb : 2 rows added, 4 skipped.\n"
                            "\nCGROUP1 : 2 added, 1 skipped"
                            "\nNOTE : 0 added, 3 skipped (left empty, the value did not fit : AUTEUR in 1 row, TITRE1 in 2 rows)"
                            "\nWordsNoteAll : not in the source, nothing read"
                            "\n\nCards skipped because their key is already in the base : 3 notes, 0 quotes, "
                            "0 references (with their keywords, authors and other rows)."));
}

// Values a base from elsewhere may hold, written past the engine's checks:
// text beyond ASCII (lengths in characters, not bytes), texts too long for
// their column, keys alike but for letter case, a key too long or empty,
// dates in another form or none.
void TestImportEngine::oddValuesOfASource()
{
    const QString source = sampleSource();
    const QByteArray e101 = QString(101, QChar(0xe9)).toUtf8(), smile = QStringLiteral("😀").toUtf8();
    QByteArray smiles50, smiles51;
    for (int i = 0; i < 50; ++i)
        smiles50 += smile;
    smiles51 = smiles50 + smile;
    const QByteArray sql =
        "INSERT INTO NOTE(CIT, TITRE1, AUTEUR, TEXTE, JOUR) VALUES"
        "('ÉTÉ0001.TXT', '" + e101 + "', '" + smiles51 + "', 'naïve 😀', '2021-03-04'),"
        "('ÉTÉ0003.TXT', 'there', NULL, 'x', NULL),"
        "('ÉTÉ0002.TXT', '" + smiles50 + "', '', 'y', 'garbage'),"
        "('', 'empty key', NULL, 'z', NULL),"
        "('ABCDEFGHIJKLMNOPQRSTU.TXT', 'long key', NULL, 'w', NULL);"
        "INSERT INTO GRNOTE(GROUPE, NDX) VALUES('Memory', 'été0001.TXT'), ('Memory', 'ÉTÉ0003.TXT');";
    // Through the engine's own connection, which knows the text collation.
    openAndBind(source);
    char *err = nullptr;
    const int rc = sqlite3_exec(dao::Access::impl(g_Db)->db, sql.constData(), nullptr, nullptr, &err);
    const QString message = QString::fromUtf8(err ? err : "");
    sqlite3_free(err);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
    closeBase();
    createAndBind(path(QStringLiteral("open.cvb")));
    add(rsNote, {{&fldNoteCit, QStringLiteral("été0003.txt")}});
    const ImportReport r = importFrom(source);
    QVERIFY(!r.failed);
    QCOMPARE(r.notesThere, 1);
    const QString summary = importer::summaryText(r, QStringLiteral("source.cvb"));
    QVERIFY2(summary.contains(QStringLiteral("\nNOTE : 3 added, 3 skipped (left empty, the value did not fit : "
                                             "AUTEUR in 1 row, TITRE1 in 1 row)")),
             qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("\nGRNOTE : 3 added, 1 skipped")), qPrintable(summary));
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("CIT"), QStringLiteral("NoteNDX")),
             (QStringList{"DUPO0001.TXT", "ÉTÉ0001.TXT", "ÉTÉ0002.TXT", "été0003.txt"}));
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("TITRE1"), QStringLiteral("NoteNDX")).mid(1, 2),
             (QStringList{"~", QString::fromUtf8(smiles50)}));
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("AUTEUR"), QStringLiteral("NoteNDX")).mid(1, 2),
             (QStringList{"~", ""}));
    QCOMPARE(column(QStringLiteral("NOTE"), QStringLiteral("TEXTE"), QStringLiteral("NoteNDX")).mid(1, 2),
             (QStringList{QStringLiteral("naïve 😀"), "y"}));
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("été0001.txt"));
    QVERIFY(!rsNote.NoMatch());
    QCOMPARE(fldNoteJour.Value().toDateTime(), QDateTime(QDate(2021, 3, 4), QTime(0, 0)));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("ÉTÉ0002.TXT"));
    QVERIFY(fldNoteJour.isNullValue());
}

QTEST_GUILESS_MAIN(TestImportEngine)
#include "tst_import_engine.moc"
