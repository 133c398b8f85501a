// The schema of a new base, the reference types and the table bindings.

#include "DaoErrors.h"
#include "Error.h"
#include "Start.h"
#include "Tabdef.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace dao;

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");
const QString kLocale = QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0") + kConnect;

using vb::errorOf;

#define QCOMPARE_ERR(stmt, number) QCOMPARE(errorOf([&] { stmt; }), number)

// Adds one row through shared field objects, as the program does.
void add(Recordset rs, const QList<QPair<Field, QVariant>> &values)
{
    rs.AddNew();
    for (const auto &v : values)
        v.first.setValue(v.second);
    rs.Update();
}

// Copies the schema of one base into another, leaving out one table,
// one column or one index, to make a base of another shape.
void copySchema(Database from, Database to, const QString &skipTable, const QString &skipColumn,
                const QString &skipIndex)
{
    for (int i = 0; i < from.TableDefs().Count(); ++i) {
        TableDef src = from.TableDefs()(i);
        if (src.Name() == skipTable)
            continue;
        TableDef td = to.CreateTableDef(src.Name());
        for (int f = 0; f < src.Fields().Count(); ++f) {
            Field s = src.Fields(f);
            if (s.Name() == skipColumn)
                continue;
            Field d = td.CreateField(s.Name(), s.Type(), s.Size());
            d.setAttributes(s.Attributes());
            d.setAllowZeroLength(s.AllowZeroLength());
            td.Fields().Append(d);
        }
        for (int x = 0; x < src.Indexes().Count(); ++x) {
            Index s = src.Indexes(x);
            bool usesSkipped = false;
            for (int f = 0; f < s.Fields().Count(); ++f)
                usesSkipped = usesSkipped || s.Fields()(f).Name() == skipColumn;
            if (s.Name() == skipIndex || usesSkipped)
                continue;
            Index d = td.CreateIndex(s.Name());
            d.setPrimary(s.Primary());
            d.setUnique(s.Unique());
            d.setRequired(s.Required());
            for (int f = 0; f < s.Fields().Count(); ++f)
                d.Fields().Append(d.CreateField(s.Fields()(f).Name()));
            td.Indexes().Append(d);
        }
        to.TableDefs().Append(td);
    }
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;

    QString newPath() { return m_dir.filePath(QStringLiteral("NewBase%1.cvb").arg(++m_n, 3, 10, QChar('0'))); }

    // The start-up road: create, build the tables, write the types, bind.
    QString newBase()
    {
        const QString p = newPath();
        g_Db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        OpenBaseTables();
        return p;
    }

    static QStringList walk(Recordset rs, Field f)
    {
        QStringList out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            out << f.Value().toString();
        return out;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void newBaseHoldsTheTwentyTables()
    {
        const QString p = newBase();
        g_Db.Close();
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        const QStringList names = {"CGROUP1", "GROUP2", "NOTE", "GRNOTE", "AUTNOTE", "CIT", "GRCIT",
                                   "BIBLIO", "GRBIB", "AUTNDX", "AUTEURS", "TYPES", "EDITEUR", "REVUE",
                                   "RevueArticle", "words", "WordsCitIndex", "WordsNoteIndex",
                                   "WordsCitAll", "WordsNoteAll"};
        QCOMPARE(db.TableDefs().Count(), 20);
        int columns = 0, indexes = 0;
        QStringList refusingEmpty;
        for (int i = 0; i < 20; ++i) {
            TableDef td = db.TableDefs()(i);
            QCOMPARE(td.Name(), names[i]);
            columns += td.Fields().Count();
            indexes += td.Indexes().Count();
            for (int f = 0; f < td.Fields().Count(); ++f) {
                Field fld = td.Fields(f);
                QVERIFY(!fld.Required());
                if (fld.Type() == dbText && !fld.AllowZeroLength())
                    refusingEmpty << td.Name() + "." + fld.Name();
                if (fld.Attributes() == 17)
                    QCOMPARE(fld.Type(), int(dbLong));
                else
                    QCOMPARE(fld.Attributes(), (fld.Type() == dbText || fld.Type() == dbMemo) ? 2L : 1L);
            }
            for (int x = 0; x < td.Indexes().Count(); ++x)
                QVERIFY(!td.Indexes(x).IgnoreNulls());
        }
        QCOMPARE(columns, 106);
        QCOMPARE(indexes, 51);
        QCOMPARE(refusingEmpty,
                 QStringList({"CGROUP1.GROUPE", "GROUP2.GROUPE2", "GROUP2.GROUPE", "NOTE.CIT",
                              "GRNOTE.GROUPE", "GRNOTE.NDX", "AUTNOTE.NOM", "CIT.CIT", "CIT.NDX",
                              "GRCIT.GROUPE", "GRCIT.NDX", "BIBLIO.NDX", "GRBIB.NDX", "TYPES.TYPE",
                              "RevueArticle.NDX"}));

        TableDef biblio = db.TableDefs("BIBLIO");
        QCOMPARE(biblio.Fields().Count(), 26);
        QCOMPARE(biblio.Fields(23).Name(), QStringLiteral("BiblioCount"));
        QCOMPARE(biblio.Fields(23).Attributes(), 17L);
        QCOMPARE(biblio.Fields("AUTEUR").Size(), 200);
        QCOMPARE(biblio.Indexes("Jour").Fields()(0).Name(), QStringLiteral("JOURHEURE"));
        Index upDown = db.TableDefs("GROUP2").Indexes(3);
        QCOMPARE(upDown.Name(), QStringLiteral("GrUpDown"));
        QVERIFY(upDown.Primary() && upDown.Unique() && !upDown.Required());
        QCOMPARE(upDown.Fields()(0).Name(), QStringLiteral("GROUPE2"));
        Index noteNdx = db.TableDefs("NOTE").Indexes("NoteNDX");
        QVERIFY(noteNdx.Unique() && noteNdx.Required() && !noteNdx.Primary());
        QCOMPARE(db.TableDefs("WordsNoteIndex").Fields(0).Name(), QStringLiteral("N°"));
        QCOMPARE(db.TableDefs("REVUE").Indexes().Count(), 0);
    }

    void typesTableHoldsThirteenRows()
    {
        newBase();
        QCOMPARE(rsTypes.RecordCount(), 13L);
        QCOMPARE(rsTypes.Index(), QStringLiteral("TYPE"));
        Recordset stored = g_Db.OpenRecordset("TYPES");
        QCOMPARE(walk(stored, stored.Fields("TYPE")), ReferenceTypeNames());
        QCOMPARE(ReferenceTypeNames().indexOf("No Type"), ReferenceTypeNames().indexOf("Movie") + 1);
        QCOMPARE(ReferenceTypeNames().indexOf("No Ref"), ReferenceTypeNames().indexOf("Painting") - 1);
        rsTypes.Seek("=", "no ref");
        QVERIFY(!rsTypes.NoMatch());
        QCOMPARE(fldTypesType.Value().toString(), QStringLiteral("No Ref"));
        QCOMPARE_ERR(add(rsTypes, {{fldTypesType, "BOOK"}}), 3022);
    }

    void bindingsReachEveryTable()
    {
        newBase();
        const QList<QPair<Recordset *, QString>> indexes = {
            {&rsCGroup1, "Groupe"}, {&rsGroup2, ""},       {&rsNote, "NoteNDX"},
            {&rsGrNote, ""},        {&rsAutNote, "AutNoteNom"}, {&rsCit, "CitNDX"},
            {&rsGrCit, ""},         {&rsBiblio, "BibNDX"}, {&rsGrBib, ""},
            {&rsAutNdx, ""},        {&rsAuteurs, "Nom"},   {&rsTypes, "TYPE"},
            {&rsEditeur, "NOM"},    {&rsRevue, ""},        {&rsRevueArticle, "NDX"},
            {&rsWords, "WNDX"},     {&rsWordsCitIndex, ""}, {&rsWordsNoteIndex, ""},
            {&rsWordsCitAll, ""},   {&rsWordsNoteAll, ""}};
        for (const auto &i : indexes) {
            QVERIFY(!i.first->isNothing());
            QCOMPARE(i.first->Index(), i.second);
        }
        QCOMPARE(rsWords.Name(), QStringLiteral("words"));
        QCOMPARE(fldNoteTexte.Name(), QStringLiteral("TEXTE"));
        QCOMPARE(fldWordsNoteIndexNbOccurIndex.Name(), QStringLiteral("NboccurIndex"));
        QCOMPARE(fldWordsCitIndexNum.Name(), QStringLiteral("N°"));
        QCOMPARE_ERR(rsRevue.Seek("=", "x"), 3019);

        add(rsNote, {{fldNoteCit, "LI__0001.TXT"}, {fldNoteTitre1, "A title"}});
        rsNote.Seek("=", "li__0001.txt");
        QVERIFY(!rsNote.NoMatch());
        QCOMPARE(fldNoteTitre1.Value().toString(), QStringLiteral("A title"));
        QCOMPARE(fldNoteNoteCount.Value().toInt(), 1);
    }

    void aSeekMovesWhatEveryWindowReads()
    {
        newBase();
        add(rsBiblio, {{fldBiblioNdx, "Author_001"}, {fldBiblioTitre1, "First"}});
        add(rsBiblio, {{fldBiblioNdx, "Author_002"}, {fldBiblioTitre1, "Second"}});
        const Field seenByAnotherWindow = fldBiblioTitre1;
        rsBiblio.Seek("=", "author_002");
        QCOMPARE(seenByAnotherWindow.Value().toString(), QStringLiteral("Second"));
        rsBiblio.Seek("=", "AUTHOR_001");
        QCOMPARE(seenByAnotherWindow.Value().toString(), QStringLiteral("First"));
        // A record added is not current: the creator seeks it again.
        rsBiblio.Seek("=", "Author_002");
        add(rsBiblio, {{fldBiblioNdx, "Author_003"}});
        QCOMPARE(fldBiblioNdx.Value().toString(), QStringLiteral("Author_002"));
    }

    void schemaRules()
    {
        newBase();
        add(rsCGroup1, {{fldCGroup1Groupe, "ABC"}});
        QCOMPARE_ERR(add(rsCGroup1, {{fldCGroup1Groupe, "abc"}}), 3022);
        add(rsCGroup1, {{fldCGroup1Groupe, QString::fromUtf8("éclat")}});
        QCOMPARE_ERR(add(rsCGroup1, {{fldCGroup1Groupe, QString::fromUtf8("ÉCLAT")}}), 3022);
        QCOMPARE_ERR(add(rsCGroup1, {{fldCGroup1Groupe, QString()}}), 3315);
        QCOMPARE_ERR(add(rsCGroup1, {{fldCGroup1Groupe, QString(31, u'k')}}), 3163);

        add(rsGroup2, {{fldGroup2Groupe2, "up"}, {fldGroup2Groupe, "down"}});
        QCOMPARE_ERR(add(rsGroup2, {{fldGroup2Groupe2, "UP"}, {fldGroup2Groupe, "Down"}}), 3022);
        QCOMPARE_ERR(add(rsGroup2, {{fldGroup2Groupe2, "down"}, {fldGroup2Groupe, "up"}}), 0);
        QCOMPARE_ERR(add(rsGroup2, {{fldGroup2Groupe2, "up"}}), 3058); // primary key part Null
        rsGroup2.setIndex("GrUpDown");
        rsGroup2.Seek(">=", "UP");
        QCOMPARE(fldGroup2Groupe.Value().toString(), QStringLiteral("down"));

        const QDateTime day(QDate(2024, 5, 1), QTime(0, 0));
        add(rsNote, {{fldNoteCit, "N1"}, {fldNoteJour, day}});
        add(rsNote, {{fldNoteCit, "N2"}, {fldNoteJour, day}}); // dates may repeat
        QCOMPARE_ERR(add(rsNote, {{fldNoteTitre1, "no key"}}), 3058);
        QCOMPARE_ERR(add(rsNote, {{fldNoteCit, "n1"}}), 3022);
        add(rsCit, {{fldCitCit, "Q1"}, {fldCitNdx, "R1"}});
        QCOMPARE_ERR(add(rsCit, {{fldCitCit, "q1"}, {fldCitNdx, "R1"}}), 3022);
        QCOMPARE_ERR(add(rsCit, {{fldCitNdx, "R1"}}), 3058);

        // Link rows with only keyword and key are stored and numbered, twice over.
        for (int i = 0; i < 2; ++i) {
            add(rsGrNote, {{fldGrNoteGroupe, "kw"}, {fldGrNoteNdx, "N1"}});
            add(rsGrCit, {{fldGrCitGroupe, "kw"}, {fldGrCitNdx, "Q1"}});
            add(rsGrBib, {{fldGrBibGroupe, "kw"}, {fldGrBibNdx, "R1"}});
            add(rsAutNdx, {{fldAutNdxAuteur, "Someone"}, {fldAutNdxNdx, "R1"}});
        }
        QCOMPARE(rsGrNote.RecordCount(), 2L);
        rsGrNote.MoveLast();
        QCOMPARE(fldGrNoteGrNoteCount.Value().toInt(), 2);
        QVERIFY(fldGrNoteWordsNb.isNullValue());
        QCOMPARE(rsGrCit.RecordCount(), 2L);
        QCOMPARE(rsGrBib.RecordCount(), 2L);
        QCOMPARE(rsAutNdx.RecordCount(), 2L);
        QCOMPARE_ERR(add(rsGrBib, {{fldGrBibGroupe, QString()}, {fldGrBibNdx, "R1"}}), 0);
        QCOMPARE_ERR(add(rsGrNote, {{fldGrNoteGroupe, QString()}, {fldGrNoteNdx, "N1"}}), 3315);

        add(rsWords, {{fldWordsWord, QString()}});
        QCOMPARE_ERR(add(rsWords, {{fldWordsWord, QString()}}), 3022);
        add(rsWords, {{fldWordsWord, "the"}});
        QCOMPARE_ERR(add(rsWords, {{fldWordsWord, "The"}}), 3022);

        add(rsWordsNoteAll, {{fldWordsNoteAllMot, "word"}, {fldWordsNoteAllOccurences, 3}});
        QCOMPARE_ERR(add(rsWordsNoteAll, {{fldWordsNoteAllMot, "WORD"}}), 3022);
        QCOMPARE_ERR(add(rsWordsNoteAll, {{fldWordsNoteAllOccurences, 3}}), 3058);
        QCOMPARE_ERR(add(rsWordsCitAll, {{fldWordsCitAllMot, QVariant()}}), 3058);
        // The word indexes take a Null word and leave the flags empty.
        add(rsWordsNoteIndex, {{fldWordsNoteIndexMot, QVariant()}, {fldWordsNoteIndexIndex, "N1"},
                               {fldWordsNoteIndexNbOccurIndex, 2}});
        rsWordsNoteIndex.MoveFirst();
        QVERIFY(fldWordsNoteIndexAsKW.isNullValue());
        QCOMPARE(fldWordsNoteIndexNum.Value().toInt(), 1);

        QCOMPARE_ERR(add(rsBiblio, {{fldBiblioNdx, "R1"}, {fldBiblioAnnee, 40000}}), 3349);
        // The assignment failed; the addition itself is still pending.
        QCOMPARE(rsBiblio.EditMode(), int(dbEditAdd));
        rsBiblio.CancelUpdate();
        QCOMPARE_ERR(add(rsBiblio, {{fldBiblioAuteur, "no key"}}), 3058);
    }

    void createOverAnExistingTableStopsThere()
    {
        const QString p = newPath();
        g_Db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
        TableDef td = g_Db.CreateTableDef("Note");
        td.Fields().Append(td.CreateField("X", dbLong));
        g_Db.TableDefs().Append(td);
        QCOMPARE_ERR(CreateBaseTables(), 3010);
        g_Db.Close();
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        QCOMPARE(db.TableDefs().Count(), 3); // Note, then CGROUP1 and GROUP2
        QCOMPARE(db.TableDefs(1).Name(), QStringLiteral("CGROUP1"));
        QCOMPARE(db.TableDefs(2).Name(), QStringLiteral("GROUP2"));
        QCOMPARE(db.TableDefs(2).Indexes().Count(), 4);
    }

    void bindingIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("index");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("named");
        QTest::newRow("no REVUE table") << "REVUE" << "" << "" << 3078 << "REVUE";
        QTest::newRow("no NOTE.TITRE1") << "" << "TITRE1" << "" << 3265 << "TITRE1";
        QTest::newRow("no index WNDX") << "" << "" << "WNDX" << 3015 << "WNDX";
        QTest::newRow("no last table") << "WordsNoteAll" << "" << "" << 3078 << "WordsNoteAll";
    }

    void bindingIsAllOrNothing()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, index);
        QFETCH(int, error);
        QFETCH(QString, named);

        newBase();
        const Database good = g_Db;
        add(rsCGroup1, {{fldCGroup1Groupe, "kept"}});
        const Recordset before = rsCGroup1;
        const Field beforeField = fldWordsNoteAllMot;

        Database other = DBEngine::CreateDatabase(newPath(), kLocale, dbEncrypt);
        copySchema(good, other, table, column, index);
        g_Db = other;
        QString description;
        QCOMPARE(errorOf([] { OpenBaseTables(); }, &description), error);
        QVERIFY2(description.contains(named), qPrintable(description));
        // Nothing was rebound: every variable still reaches the first base.
        QVERIFY(rsCGroup1 == before);
        QVERIFY(fldWordsNoteAllMot == beforeField);
        rsCGroup1.Seek("=", "KEPT");
        QVERIFY(!rsCGroup1.NoMatch());
        QCOMPARE(fldCGroup1Groupe.Value().toString(), QStringLiteral("kept"));
        g_Db = good;
    }

    void anotherBaseCopiesTableByTable()
    {
        // The import's way: a second base open beside the bound one, each
        // of its tables walked with the progress position and copied row by
        // row through the shared recordsets; the counters are numbered anew.
        const QString source = newBase();
        add(rsCGroup1, {{fldCGroup1Groupe, "alpha"}});
        add(rsCGroup1, {{fldCGroup1Groupe, "beta"}});
        add(rsNote, {{fldNoteCit, "N1"}, {fldNoteTexte, QString(3000, u'z')},
                     {fldNoteJour, QDateTime(QDate(2020, 2, 29), QTime(0, 0))}});
        add(rsWordsNoteIndex, {{fldWordsNoteIndexMot, "mot"}, {fldWordsNoteIndexAsKW, true}});
        g_Db.Close();

        newBase();
        add(rsCGroup1, {{fldCGroup1Groupe, "ALPHA"}}); // already there: that row fails
        Database src = DBEngine::OpenDatabase(source, false, true, kConnect);
        int copied = 0, failed = 0;
        TransactionScope tx;
        for (int i = 0; i < src.TableDefs().Count(); ++i) {
            const QString name = src.TableDefs(i).Name();
            Recordset from = src.OpenRecordset(name);
            Recordset to = g_Db.OpenRecordset(name);
            double last = 0;
            while (!from.Eof()) {
                to.AddNew();
                for (int f = 0; f < from.Fields().Count(); ++f)
                    if (!(from.Fields(f).Attributes() & dbAutoIncrField))
                        to.Fields(from.Fields(f).Name()).setValue(from.Fields(f).Value());
                (errorOf([&] { to.Update(); }) == 0 ? copied : failed)++;
                QVERIFY(from.PercentPosition() >= last);
                last = from.PercentPosition();
                from.MoveNext();
            }
            if (from.RecordCount() > 0)
                QCOMPARE(from.PercentPosition(), 100.0);
        }
        tx.Commit();
        QCOMPARE(failed, 14); // "alpha" and the 13 types already in the new base
        QCOMPARE(copied, 3);
        QCOMPARE(rsCGroup1.RecordCount(), 2L);
        rsNote.Seek("=", "n1");
        QCOMPARE(fldNoteTexte.Value().toString(), QString(3000, u'z'));
        QCOMPARE(fldNoteJour.Value().toDateTime().date(), QDate(2020, 2, 29));
        rsWordsNoteIndex.MoveFirst();
        QCOMPARE(fldWordsNoteIndexAsKW.Value(), QVariant(true));
        QCOMPARE_ERR(src.OpenRecordset("NOTE").Edit(), 3027);
    }

    void closedBaseInvalidatesTheBindings()
    {
        newBase();
        add(rsNote, {{fldNoteCit, "N1"}});
        rsNote.MoveFirst();
        QCOMPARE(fldNoteCit.Value().toString(), QStringLiteral("N1"));
        g_Db.Close();
        QCOMPARE_ERR(fldNoteCit.Value(), 3420);
        QCOMPARE_ERR(rsNote.MoveFirst(), 3420);

        g_Db = Database();
        QCOMPARE_ERR(OpenBaseTables(), 91);
        QCOMPARE_ERR(CreateBaseTables(), 91);
    }

    void reopenedBaseBindsAgain()
    {
        const QString p = newBase();
        add(rsAuteurs, {{fldAuteursNom, "Zola"}});
        add(rsAuteurs, {{fldAuteursNom, "Balzac"}});
        g_Db.Close();
        g_Db = DBEngine::OpenDatabase(p, false, false, kConnect);
        OpenBaseTables();
        QCOMPARE(walk(rsAuteurs, fldAuteursNom), QStringList({"Balzac", "Zola"}));
        // The stop-word look-ups reopen "Words" for their own use.
        rsWords = g_Db.OpenRecordset("Words", dbOpenTable);
        rsWords.setIndex("WNDX");
        fldWordsWord = rsWords.Fields("Word");
        QVERIFY(rsWords.Eof());
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
