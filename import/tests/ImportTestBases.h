#pragma once
// Bases for the import tests: made in a temporary folder with the program's
// schema, filled through the shared recordsets, and read back whole so that
// a test can tell that a base is exactly as it was.

#include "Dao.h"
#include "Start.h"
#include "Tabdef.h"

#include <QDateTime>
#include <QMap>
#include <QStringList>

#include <utility>

namespace importtest {

inline const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");

inline void closeBase()
{
    if (g_Db && !g_Db.isNothing())
        g_Db.Close();
    g_Db = dao::Database();
}

// A new base at path, left open and bound as the open base.
inline void createAndBind(const QString &path, const QString &connect = kConnect)
{
    closeBase();
    g_Db = dao::DBEngine::CreateDatabase(path, QString::fromLatin1(dao::dbLangGeneral) + connect, dao::dbEncrypt);
    CreateBaseTables();
    FillTypesTable();
    OpenBaseTables();
}

inline void openAndBind(const QString &path, const QString &connect = kConnect)
{
    closeBase();
    g_Db = dao::DBEngine::OpenDatabase(path, false, false, connect);
    OpenBaseTables();
    g_BasePath = path;
}

inline void add(dao::Recordset &rs, std::initializer_list<std::pair<dao::Field *, QVariant>> values)
{
    rs.AddNew();
    for (const auto &[field, value] : values)
        field->setValue(value);
    rs.Update();
}

inline const QString kRtf = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Caf\\'e9 \\b bold\\b0\\par}");

// A small base of every kind of row, into the open base.
inline void fillSample()
{
    const QDateTime day(QDate(2021, 3, 4), QTime(0, 0));
    for (const char *k : {"Memory", "History", "Travel"})
        add(rsCGroup1, {{&fldCGroup1Groupe, QString::fromLatin1(k)}});
    add(rsGroup2, {{&fldGroup2Groupe2, QStringLiteral("History")}, {&fldGroup2Groupe, QStringLiteral("Memory")}});

    add(rsBiblio, {{&fldBiblioNdx, QStringLiteral("Durand_001")},
                   {&fldBiblioAuteur, QStringLiteral("Durand, Martin")},
                   {&fldBiblioTitre1, QStringLiteral("Les lieux de mémoire")},
                   {&fldBiblioType, QStringLiteral("Thesis")},
                   {&fldBiblioAnnee, 1984},
                   {&fldBiblioDate, day}});
    add(rsAutNdx, {{&fldAutNdxNdx, QStringLiteral("Durand_001")}, {&fldAutNdxAuteur, QStringLiteral("Durand")}});
    add(rsAutNdx, {{&fldAutNdxNdx, QStringLiteral("Durand_001")}, {&fldAutNdxAuteur, QStringLiteral("Martin")}});
    add(rsGrBib, {{&fldGrBibGroupe, QStringLiteral("History")}, {&fldGrBibNdx, QStringLiteral("Durand_001")}});
    add(rsRevueArticle, {{&fldRevueArticleNdx, QStringLiteral("Durand_001")},
                         {&fldRevueArticleRevueTitre, QStringLiteral("Annales")},
                         {&fldRevueArticleAnnee, 1985},
                         {&fldRevueArticlePages, QStringLiteral("12-30")}});
    add(rsAuteurs, {{&fldAuteursNom, QStringLiteral("Durand")}});
    add(rsAuteurs, {{&fldAuteursNom, QStringLiteral("Martin")}});
    add(rsEditeur, {{&fldEditeurNom, QStringLiteral("Gallimard")}, {&fldEditeurVille, QStringLiteral("Paris")}});
    add(rsRevue, {{&fldRevueNom, QStringLiteral("Annales")}, {&fldRevueIssn, QStringLiteral("0395-2649")}});

    add(rsCit, {{&fldCitCit, QStringLiteral("DURAN001.TXT")},
                {&fldCitNdx, QStringLiteral("Durand_001")},
                {&fldCitAuteur, QStringLiteral("Durand")},
                {&fldCitTitre1, QStringLiteral("On memory")},
                {&fldCitTexte, QStringLiteral("Memory is life")},
                {&fldCitTextRtf, kRtf},
                {&fldCitJour, day}});
    add(rsGrCit, {{&fldGrCitGroupe, QStringLiteral("Memory")}, {&fldGrCitNdx, QStringLiteral("DURAN001.TXT")}});
    add(rsWordsCitIndex, {{&fldWordsCitIndexMot, QStringLiteral("memory")},
                          {&fldWordsCitIndexIndex, QStringLiteral("DURAN001.TXT")},
                          {&fldWordsCitIndexNbOccurIndex, 1}});
    add(rsWordsCitAll, {{&fldWordsCitAllMot, QStringLiteral("memory")}, {&fldWordsCitAllOccurences, 1}});

    add(rsNote, {{&fldNoteCit, QStringLiteral("DUPO0001.TXT")},
                 {&fldNoteTitre1, QString(QLatin1String(""))},
                 {&fldNoteTexte, QStringLiteral("A trip to Rome")},
                 {&fldNoteTextRtf, kRtf},
                 {&fldNoteJour, day}});
    add(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Travel")}, {&fldGrNoteNdx, QStringLiteral("DUPO0001.TXT")}});
    add(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Memory")}, {&fldGrNoteNdx, QStringLiteral("DUPO0001.TXT")}});
    add(rsAutNote, {{&fldAutNoteNom, QStringLiteral("Dupont")}});
    add(rsWords, {{&fldWordsWord, QStringLiteral("the")}});
    add(rsWordsNoteIndex, {{&fldWordsNoteIndexMot, QStringLiteral("rome")},
                           {&fldWordsNoteIndexIndex, QStringLiteral("DUPO0001.TXT")},
                           {&fldWordsNoteIndexNbOccurIndex, 1},
                           {&fldWordsNoteIndexAsKW, true}});
    add(rsWordsNoteAll, {{&fldWordsNoteAllMot, QStringLiteral("rome")}, {&fldWordsNoteAllOccurences, 1}});
}

// A base of two tables at path (closed): CGROUP1 with one keyword, and
// NOTE with one note but no author, title, rich text or date columns.
inline void createPartialBase(const QString &path)
{
    closeBase();
    dao::Database db =
        dao::DBEngine::CreateDatabase(path, QString::fromLatin1(dao::dbLangGeneral) + kConnect, dao::dbEncrypt);
    dao::TableDef kw = db.CreateTableDef(QStringLiteral("CGROUP1"));
    kw.Fields().Append(kw.CreateField(QStringLiteral("GROUPE"), dao::dbText, 30));
    db.TableDefs().Append(kw);
    dao::TableDef notes = db.CreateTableDef(QStringLiteral("NOTE"));
    notes.Fields().Append(notes.CreateField(QStringLiteral("CIT"), dao::dbText, 20));
    notes.Fields().Append(notes.CreateField(QStringLiteral("TEXTE"), dao::dbMemo));
    db.TableDefs().Append(notes);
    dao::Recordset rs = db.OpenRecordset(QStringLiteral("CGROUP1"));
    rs.AddNew();
    rs.Fields(QStringLiteral("GROUPE")).setValue(QStringLiteral("Alone"));
    rs.Update();
    rs = db.OpenRecordset(QStringLiteral("NOTE"));
    rs.AddNew();
    rs.Fields(QStringLiteral("CIT")).setValue(QStringLiteral("PART0001.TXT"));
    rs.Fields(QStringLiteral("TEXTE")).setValue(QStringLiteral("text"));
    rs.Update();
    db.Close();
}

// Every row of a table of the open base, each as its values joined ("~" for
// Null), sorted.
inline QStringList rowsOf(const QString &table, bool withCounters = false)
{
    QStringList out;
    dao::Recordset rs = g_Db.OpenRecordset(table);
    const dao::FieldsCollection fields = rs.Fields();
    while (!rs.Eof()) {
        QStringList values;
        for (int i = 0; i < fields.Count(); ++i) {
            const dao::Field f = fields.Item(i);
            if (!withCounters && (f.Attributes() & dao::dbAutoIncrField))
                continue;
            const QVariant v = f.Value();
            values << (v.isValid() ? v.toString() : QStringLiteral("~"));
        }
        out << values.join(QLatin1Char('|'));
        rs.MoveNext();
    }
    rs.Close();
    out.sort();
    return out;
}

inline QStringList importedTables()
{
    return {"CGROUP1", "GROUP2",  "CIT",          "GRCIT", "BIBLIO",  "GRBIB",         "AUTNDX",
            "AUTEURS", "EDITEUR", "REVUE",        "RevueArticle", "NOTE", "GRNOTE", "AUTNOTE",
            "Words",   "WordsCitIndex", "WordsNoteIndex", "WordsCitAll", "WordsNoteAll", "TYPES"};
}

// The whole open base, counters included.
inline QMap<QString, QStringList> wholeBase()
{
    QMap<QString, QStringList> out;
    for (const QString &t : importedTables())
        out.insert(t, rowsOf(t, true));
    return out;
}

} // namespace importtest
