#include "Tabdef.h"

#include "DaoErrors.h"
#include "Error.h"
#include "Start.h"

#include <vector>

using namespace dao;

namespace {

struct Col {
    const char *name;
    int type;
    int size;   // Text only
    bool empty; // AllowZeroLength
    bool counter;
};

struct Idx {
    const char *name;
    const char *fields; // separated by ';'
    const char *flags;  // P, U, R
};

struct Table {
    const char *name;
    std::vector<Col> cols;
    std::vector<Idx> indexes;
};

Col T(const char *n, int size, bool empty) { return {n, dbText, size, empty, false}; }
Col M(const char *n) { return {n, dbMemo, 0, true, false}; }
Col L(const char *n) { return {n, dbLong, 0, false, false}; }
Col I(const char *n) { return {n, dbInteger, 0, false, false}; }
Col D(const char *n) { return {n, dbDate, 0, false, false}; }
Col B(const char *n) { return {n, dbBoolean, 0, false, false}; }
Col Ctr(const char *n) { return {n, dbLong, 0, false, true}; }

constexpr bool z = true;  // an empty text is stored as such
constexpr bool nz = false; // an empty text is refused

const std::vector<Table> &schema()
{
    static const std::vector<Table> tables = [] {
        const std::vector<Col> wordIndexCols = {Ctr("N°"), T("Mot", 50, z), T("TypeFichier", 50, z),
                                                T("Index", 50, z), L("NboccurIndex"), B("AsKW")};
        const std::vector<Idx> wordIndexIdx = {{"AsKW", "AsKW", ""},
                                               {"Index", "Index", ""},
                                               {"Mot", "Mot", ""},
                                               {"N°", "N°", ""},
                                               {"NbOccurIndex", "NboccurIndex", ""},
                                               {"TypeFichier", "TypeFichier", ""}};
        const std::vector<Col> wordAllCols = {T("Mot", 40, z), L("Occurences")};
        const std::vector<Idx> wordAllIdx = {{"Mot", "Mot", "PU"}, {"Occurences", "Occurences", ""}};
        return std::vector<Table>{
            {"CGROUP1", {T("GROUPE", 30, nz), Ctr("GrCount")}, {{"Groupe", "GROUPE", "U"}}},
            {"GROUP2",
             {T("GROUPE2", 30, nz), T("GROUPE", 30, nz)},
             {{"GrDown", "GROUPE", ""},
              {"GrDownUp", "GROUPE;GROUPE2", "U"},
              {"GrUp", "GROUPE2", ""},
              {"GrUpDown", "GROUPE2;GROUPE", "PU"}}},
            {"NOTE",
             {T("NOTE", 100, z), T("AUTEUR", 60, z), T("CIT", 20, nz), T("MATIERE", 20, z),
              T("SOUS_MATI", 20, z), D("JOUR"), T("TITRE1", 100, z), M("TEXTE"), M("TEXTRTF"),
              Ctr("NoteCount")},
             {{"Jour", "JOUR", ""}, {"NoteCount", "NoteCount", "U"}, {"NoteNDX", "CIT", "UR"}}},
            {"GRNOTE",
             {T("GROUPE", 30, nz), T("NDX", 15, nz), Ctr("GrNoteCount"), I("WordsNb")},
             {{"GrNote", "GROUPE", ""},
              {"GrNoteCount", "GrNoteCount", "PUR"},
              {"GrNoteNDX", "NDX", ""}}},
            {"AUTNOTE", {T("NOM", 30, nz), I("AUTNOTENDX")}, {{"AutNoteNom", "NOM", ""}}},
            {"CIT",
             {T("NOTE", 100, z), T("AUTEUR", 100, z), T("CIT", 20, nz), D("JOUR"), T("TITRE1", 100, z),
              T("NDX", 25, nz), T("COMMENT", 20, z), M("TEXTE"), Ctr("CitCount"), M("TEXTRTF")},
             {{"BibNDX", "NDX", ""},
              {"CitNDX", "CIT", "PUR"},
              {"CitCount", "CitCount", ""},
              {"Jour", "JOUR", ""}}},
            {"GRCIT",
             {T("GROUPE", 30, nz), T("NDX", 15, nz), Ctr("GrCitCount"), I("WordsNb")},
             {{"GrCit", "GROUPE", ""}, {"GrCitNDX", "NDX", ""}, {"GrCitCount", "GrCitCount", ""}}},
            {"BIBLIO",
             {T("AUTEUR", 200, z),    T("TITRE1", 120, z),    T("TITRE2", 100, z),
              T("EDITEUR", 50, z),    T("LIEU", 40, z),       I("ANNEE"),
              I("MOIS"),              T("REVUE", 50, z),      T("NUMERO", 10, z),
              I("CITATION"),          T("NDX", 20, nz),       T("ISSN", 20, z),
              T("TITRE_ORI", 100, z), T("EDITEUROR", 50, z),  T("LIEU_ORIG", 30, z),
              I("DATE_ORIG"),         T("NOTE", 100, z),      T("ISBN", 20, z),
              T("COMMENT", 20, z),    D("DATE"),              T("COLLECTION", 40, z),
              T("NUMEROCOLL", 10, z), T("Type", 50, z),       Ctr("BiblioCount"),
              T("Congress", 60, z),   D("JOURHEURE")},
             {{"BibNDX", "NDX", "PU"}, {"BiblioCount", "BiblioCount", "U"}, {"Jour", "JOURHEURE", ""}}},
            {"GRBIB",
             {T("GROUPE", 30, z), T("NDX", 15, nz), Ctr("GrBibCount")},
             {{"GrBib", "GROUPE", ""}, {"GrBibCount", "GrBibCount", ""}, {"GrBibNDX", "NDX", ""}}},
            {"AUTNDX",
             {T("AUTEUR", 60, z), T("NDX", 20, z), L("AuteurCount"), L("BiblioCount")},
             {{"AutBib", "AUTEUR", ""}, {"AutNDX", "NDX", ""}}},
            {"AUTEURS",
             {T("NOM", 80, z), Ctr("AuteurCount")},
             {{"AuteurCount", "AuteurCount", ""}, {"Nom", "NOM", ""}}},
            {"TYPES", {T("TYPE", 30, nz)}, {{"TYPE", "TYPE", "PU"}}},
            {"EDITEUR",
             {T("NOM", 80, z), T("ADRESSE", 80, z), T("COMMENTAIR", 200, z), T("Ville", 50, z)},
             {{"NOM", "NOM", ""}}},
            {"REVUE",
             {T("NOM", 80, z), T("ADRESSE", 100, z), T("ISSN", 20, z), T("PERIODICIT", 10, z),
              D("DEBUT_PARU"), D("FIN_PARUTI"), T("Ville", 50, z)},
             {}},
            {"RevueArticle",
             {T("RevueEditeur", 80, z), T("Lieu", 50, z), L("Annee"), L("Mois"), T("RevueTitre", 50, z),
              T("RevueNumero", 50, z), T("NDX", 50, nz), T("Pages", 50, z)},
             {{"Annee", "Annee", ""}, {"NDX", "NDX", ""}, {"RevueTitre", "RevueTitre", ""}}},
            {"words", {T("Word", 40, z)}, {{"WNDX", "Word", "U"}}},
            {"WordsCitIndex", wordIndexCols, wordIndexIdx},
            {"WordsNoteIndex", wordIndexCols, wordIndexIdx},
            {"WordsCitAll", wordAllCols, wordAllIdx},
            {"WordsNoteAll", wordAllCols, wordAllIdx},
        };
    }();
    return tables;
}

// The bindings, in the order of the tables: recordset, current index, and
// each field variable with the column through which it is bound.
struct FieldBinding {
    Field *var;
    const char *column;
};

struct TableBinding {
    const char *table;
    Recordset *var;
    const char *index; // nullptr: none
    std::vector<FieldBinding> fields;
};

const std::vector<TableBinding> &bindings()
{
    static const std::vector<TableBinding> b = {
        {"CGROUP1", &rsCGroup1, "Groupe", {{&fldCGroup1Groupe, "GROUPE"}}},
        {"GROUP2", &rsGroup2, nullptr, {{&fldGroup2Groupe, "GROUPE"}, {&fldGroup2Groupe2, "GROUPE2"}}},
        {"NOTE",
         &rsNote,
         "NoteNDX",
         {{&fldNoteCit, "CIT"},
          {&fldNoteAuteur, "AUTEUR"},
          {&fldNoteTitre1, "TITRE1"},
          {&fldNoteTexte, "Texte"},
          {&fldNoteTextRtf, "TEXTRTF"},
          {&fldNoteJour, "JOUR"},
          {&fldNoteNoteCount, "NoteCount"}}},
        {"GRNOTE",
         &rsGrNote,
         nullptr,
         {{&fldGrNoteGroupe, "Groupe"},
          {&fldGrNoteNdx, "NDX"},
          {&fldGrNoteGrNoteCount, "GrNoteCount"},
          {&fldGrNoteWordsNb, "WordsNb"}}},
        {"AUTNOTE", &rsAutNote, "AutNoteNom", {{&fldAutNoteNom, "NOM"}}},
        {"CIT",
         &rsCit,
         "CitNDX",
         {{&fldCitCit, "Cit"},
          {&fldCitAuteur, "Auteur"},
          {&fldCitNdx, "NDX"},
          {&fldCitJour, "JOUR"},
          {&fldCitCitCount, "CitCount"},
          {&fldCitTitre1, "Titre1"},
          {&fldCitTexte, "Texte"},
          {&fldCitTextRtf, "TEXTRTF"}}},
        {"GRCIT",
         &rsGrCit,
         nullptr,
         {{&fldGrCitGroupe, "Groupe"}, {&fldGrCitNdx, "NDX"}, {&fldGrCitWordsNb, "WordsNb"}}},
        {"BIBLIO",
         &rsBiblio,
         "BibNDX",
         {{&fldBiblioNdx, "NDX"},
          {&fldBiblioDate, "DATE"},
          {&fldBiblioBiblioCount, "BiblioCount"},
          {&fldBiblioAuteur, "AUTEUR"},
          {&fldBiblioTitre1, "TITRE1"},
          {&fldBiblioTitre2, "TITRE2"},
          {&fldBiblioType, "Type"},
          {&fldBiblioEditeur, "EDITEUR"},
          {&fldBiblioLieu, "LIEU"},
          {&fldBiblioAnnee, "ANNEE"},
          {&fldBiblioIsbn, "ISBN"},
          {&fldBiblioCongress, "Congress"},
          {&fldBiblioTitreOri, "TITRE_ORI"},
          {&fldBiblioEditeurOr, "EDITEUROR"},
          {&fldBiblioLieuOrig, "LIEU_ORIG"},
          {&fldBiblioDateOrig, "DATE_ORIG"}}},
        {"GRBIB", &rsGrBib, nullptr, {{&fldGrBibGroupe, "GROUPE"}, {&fldGrBibNdx, "NDX"}}},
        {"AUTNDX", &rsAutNdx, nullptr, {{&fldAutNdxNdx, "NDX"}, {&fldAutNdxAuteur, "AUTEUR"}}},
        {"AUTEURS", &rsAuteurs, "Nom", {{&fldAuteursNom, "NOM"}}},
        {"TYPES", &rsTypes, "TYPE", {{&fldTypesType, "TYPE"}}},
        {"EDITEUR", &rsEditeur, "NOM", {{&fldEditeurNom, "NOM"}, {&fldEditeurVille, "Ville"}}},
        {"REVUE",
         &rsRevue,
         nullptr,
         {{&fldRevueNom, "NOM"}, {&fldRevueVille, "Ville"}, {&fldRevueIssn, "ISSN"}}},
        {"RevueArticle",
         &rsRevueArticle,
         "NDX",
         {{&fldRevueArticleNdx, "NDX"},
          {&fldRevueArticleRevueTitre, "RevueTitre"},
          {&fldRevueArticleRevueNumero, "RevueNumero"},
          {&fldRevueArticleRevueEditeur, "RevueEditeur"},
          {&fldRevueArticleLieu, "Lieu"},
          {&fldRevueArticleAnnee, "Annee"},
          {&fldRevueArticleMois, "Mois"},
          {&fldRevueArticlePages, "Pages"}}},
        {"Words", &rsWords, "WNDX", {{&fldWordsWord, "Word"}}},
        {"WordsCitIndex",
         &rsWordsCitIndex,
         nullptr,
         {{&fldWordsCitIndexNum, "N°"},
          {&fldWordsCitIndexMot, "Mot"},
          {&fldWordsCitIndexTypeFichier, "TypeFichier"},
          {&fldWordsCitIndexIndex, "Index"},
          {&fldWordsCitIndexNbOccurIndex, "NbOccurIndex"},
          {&fldWordsCitIndexAsKW, "AsKW"}}},
        {"WordsNoteIndex",
         &rsWordsNoteIndex,
         nullptr,
         {{&fldWordsNoteIndexNum, "N°"},
          {&fldWordsNoteIndexMot, "Mot"},
          {&fldWordsNoteIndexTypeFichier, "TypeFichier"},
          {&fldWordsNoteIndexIndex, "Index"},
          {&fldWordsNoteIndexNbOccurIndex, "NbOccurIndex"},
          {&fldWordsNoteIndexAsKW, "AsKW"}}},
        {"WordsCitAll",
         &rsWordsCitAll,
         nullptr,
         {{&fldWordsCitAllMot, "Mot"}, {&fldWordsCitAllOccurences, "Occurences"}}},
        {"WordsNoteAll",
         &rsWordsNoteAll,
         nullptr,
         {{&fldWordsNoteAllMot, "Mot"}, {&fldWordsNoteAllOccurences, "Occurences"}}},
    };
    return b;
}

QString text(const char *s) { return QString::fromUtf8(s); }

} // namespace

const QStringList &ReferenceTypeNames()
{
    static const QStringList names = {
        QStringLiteral("Article"),  QStringLiteral("Book"),    QStringLiteral("Conversation"),
        QStringLiteral("Email"),    QStringLiteral("Encyclopaedia"), QStringLiteral("Movie"),
        QStringLiteral("No Type"),  QStringLiteral("No Ref"),  QStringLiteral("Painting"),
        QStringLiteral("Picture"),  QStringLiteral("Radio"),   QStringLiteral("Video"),
        QStringLiteral("Web")};
    return names;
}

void CreateBaseTables()
{
    if (g_Db.isNothing())
        fail(ErrObjectNotSet);
    for (const Table &t : schema()) {
        TableDef td = g_Db.CreateTableDef(text(t.name));
        for (const Col &c : t.cols) {
            Field f = td.CreateField(text(c.name), c.type, c.size);
            if (c.counter)
                f.setAttributes(dbAutoIncrField | dbFixedField);
            if (c.empty && (c.type == dbText || c.type == dbMemo))
                f.setAllowZeroLength(true);
            td.Fields().Append(f);
        }
        for (const Idx &x : t.indexes) {
            Index ix = td.CreateIndex(text(x.name));
            const QString flags = text(x.flags);
            ix.setPrimary(flags.contains(u'P'));
            ix.setUnique(flags.contains(u'U'));
            ix.setRequired(flags.contains(u'R'));
            for (const QString &name : text(x.fields).split(u';'))
                ix.Fields().Append(ix.CreateField(name));
            td.Indexes().Append(ix);
        }
        g_Db.TableDefs().Append(td);
    }
}

void FillTypesTable()
{
    if (g_Db.isNothing())
        fail(ErrObjectNotSet);
    rsTypes = g_Db.OpenRecordset(QStringLiteral("TYPES"), dbOpenTable);
    rsTypes.setIndex(QStringLiteral("TYPE"));
    fldTypesType = rsTypes.Fields(QStringLiteral("TYPE"));
    for (const QString &name : ReferenceTypeNames()) {
        rsTypes.AddNew();
        fldTypesType.setValue(name);
        rsTypes.Update();
    }
}

void OpenBaseTables()
{
    if (g_Db.isNothing())
        fail(ErrObjectNotSet);
    const auto &all = bindings();
    // Everything is bound into locals first; the shared variables change
    // only when the whole base has been bound, so that a base of another
    // shape never leaves half of them pointing at it.
    std::vector<Recordset> sets(all.size());
    std::vector<std::vector<Field>> fields(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const TableBinding &b = all[i];
        const QString table = text(b.table);
        QString what = QStringLiteral("the table '%1'").arg(table);
        try {
            sets[i] = g_Db.OpenRecordset(table, dbOpenTable);
            if (b.index) {
                what = QStringLiteral("the index '%1' of table '%2'").arg(text(b.index), table);
                sets[i].setIndex(text(b.index));
            }
            for (const FieldBinding &f : b.fields) {
                what = QStringLiteral("the column '%1' of table '%2'").arg(text(f.column), table);
                fields[i].push_back(sets[i].Fields(text(f.column)));
            }
        } catch (const vb::Error &e) {
            vb::raise(e.number(),
                      QStringLiteral("This base is not a knowledge base: it lacks %1 (%2)")
                          .arg(what, e.description()),
                      e.source());
        }
    }
    for (size_t i = 0; i < all.size(); ++i) {
        *all[i].var = sets[i];
        for (size_t j = 0; j < all[i].fields.size(); ++j)
            *all[i].fields[j].var = fields[i][j];
    }
}
