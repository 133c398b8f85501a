#include "ImportPlan.h"

#include "Start.h"

namespace importer {

namespace {

QList<ColumnPlan> cols(std::initializer_list<std::pair<const char *, dao::Field *>> list)
{
    QList<ColumnPlan> out;
    for (const auto &[name, field] : list)
        out.append({QString::fromUtf8(name), field});
    return out;
}

TablePlan table(const char *name, const char *label, dao::Recordset *target, QList<ColumnPlan> columns)
{
    TablePlan t;
    t.table = QString::fromUtf8(name);
    t.label = QString::fromUtf8(label);
    t.target = target;
    t.columns = std::move(columns);
    return t;
}

TablePlan unique(TablePlan t, QList<int> positions)
{
    t.uniqueColumns = std::move(positions);
    return t;
}

TablePlan card(TablePlan t, CardKind kind)
{
    t.uniqueColumns = {0};
    t.card = kind;
    return t;
}

TablePlan ownedBy(TablePlan t, CardKind kind, int column)
{
    t.owner = kind;
    t.ownerColumn = column;
    return t;
}

TablePlan quiet(TablePlan t)
{
    t.progress = false;
    return t;
}

QList<TablePlan> build()
{
    QList<TablePlan> p;
    p << unique(table("CGROUP1", "Import Keywords List", &rsCGroup1, cols({{"GROUPE", &fldCGroup1Groupe}})),
                {0});
    p << unique(table("GROUP2", "Import Keywords Relations", &rsGroup2,
                      cols({{"GROUPE", &fldGroup2Groupe}, {"GROUPE2", &fldGroup2Groupe2}})),
                {0, 1});
    TablePlan quotes = card(table("CIT", "Import Quotes", &rsCit,
                                  cols({{"CIT", &fldCitCit},
                                        {"AUTEUR", &fldCitAuteur},
                                        {"NDX", &fldCitNdx},
                                        {"JOUR", &fldCitJour},
                                        {"TITRE1", &fldCitTitre1},
                                        {"TEXTE", &fldCitTexte},
                                        {"TEXTRTF", &fldCitTextRtf}})),
                            CardKind::Quote);
    quotes.referenceColumn = 2;
    p << quotes;
    p << ownedBy(table("GRCIT", "Import Quotes Keywords", &rsGrCit,
                       cols({{"GROUPE", &fldGrCitGroupe}, {"NDX", &fldGrCitNdx}, {"WordsNb", &fldGrCitWordsNb}})),
                 CardKind::Quote, 1);
    p << card(table("BIBLIO", "Import References", &rsBiblio,
                    cols({{"NDX", &fldBiblioNdx},
                          {"DATE", &fldBiblioDate},
                          {"AUTEUR", &fldBiblioAuteur},
                          {"TITRE1", &fldBiblioTitre1},
                          {"TITRE2", &fldBiblioTitre2},
                          {"Type", &fldBiblioType},
                          {"EDITEUR", &fldBiblioEditeur},
                          {"LIEU", &fldBiblioLieu},
                          {"ANNEE", &fldBiblioAnnee},
                          {"ISBN", &fldBiblioIsbn},
                          {"Congress", &fldBiblioCongress},
                          {"TITRE_ORI", &fldBiblioTitreOri},
                          {"EDITEUROR", &fldBiblioEditeurOr},
                          {"LIEU_ORIG", &fldBiblioLieuOrig},
                          {"DATE_ORIG", &fldBiblioDateOrig}})),
              CardKind::Reference);
    p << ownedBy(table("GRBIB", "Import References Keywords", &rsGrBib,
                       cols({{"GROUPE", &fldGrBibGroupe}, {"NDX", &fldGrBibNdx}})),
                 CardKind::Reference, 1);
    p << quiet(ownedBy(
        table("AUTNDX", "", &rsAutNdx, cols({{"NDX", &fldAutNdxNdx}, {"AUTEUR", &fldAutNdxAuteur}})),
        CardKind::Reference, 0));
    p << unique(table("AUTEURS", "Import Authors", &rsAuteurs, cols({{"NOM", &fldAuteursNom}})), {0});
    p << unique(table("EDITEUR", "Import Editors", &rsEditeur,
                      cols({{"NOM", &fldEditeurNom}, {"Ville", &fldEditeurVille}})),
                {0});
    p << unique(table("REVUE", "Import Reviews", &rsRevue,
                      cols({{"NOM", &fldRevueNom}, {"Ville", &fldRevueVille}, {"ISSN", &fldRevueIssn}})),
                {0});
    p << ownedBy(table("RevueArticle", "Import Articles", &rsRevueArticle,
                       cols({{"NDX", &fldRevueArticleNdx},
                             {"RevueTitre", &fldRevueArticleRevueTitre},
                             {"RevueNumero", &fldRevueArticleRevueNumero},
                             {"RevueEditeur", &fldRevueArticleRevueEditeur},
                             {"Lieu", &fldRevueArticleLieu},
                             {"Annee", &fldRevueArticleAnnee},
                             {"Mois", &fldRevueArticleMois},
                             {"Pages", &fldRevueArticlePages}})),
                 CardKind::Reference, 0);
    p << card(table("NOTE", "Import Notes", &rsNote,
                    cols({{"CIT", &fldNoteCit},
                          {"AUTEUR", &fldNoteAuteur},
                          {"TITRE1", &fldNoteTitre1},
                          {"TEXTE", &fldNoteTexte},
                          {"TEXTRTF", &fldNoteTextRtf},
                          {"JOUR", &fldNoteJour}})),
              CardKind::Note);
    p << ownedBy(table("GRNOTE", "Import Notes Keywords", &rsGrNote,
                       cols({{"GROUPE", &fldGrNoteGroupe}, {"NDX", &fldGrNoteNdx}, {"WordsNb", &fldGrNoteWordsNb}})),
                 CardKind::Note, 1);
    p << quiet(unique(table("AUTNOTE", "", &rsAutNote, cols({{"NOM", &fldAutNoteNom}})), {0}));
    p << unique(table("Words", "Import List of Words", &rsWords, cols({{"Word", &fldWordsWord}})), {0});
    p << quiet(ownedBy(table("WordsCitIndex", "", &rsWordsCitIndex,
                             cols({{"Mot", &fldWordsCitIndexMot},
                                   {"TypeFichier", &fldWordsCitIndexTypeFichier},
                                   {"Index", &fldWordsCitIndexIndex},
                                   {"NbOccurIndex", &fldWordsCitIndexNbOccurIndex},
                                   {"AsKW", &fldWordsCitIndexAsKW}})),
                       CardKind::Quote, 2));
    p << quiet(ownedBy(table("WordsNoteIndex", "", &rsWordsNoteIndex,
                             cols({{"Mot", &fldWordsNoteIndexMot},
                                   {"TypeFichier", &fldWordsNoteIndexTypeFichier},
                                   {"Index", &fldWordsNoteIndexIndex},
                                   {"NbOccurIndex", &fldWordsNoteIndexNbOccurIndex},
                                   {"AsKW", &fldWordsNoteIndexAsKW}})),
                       CardKind::Note, 2));
    p << quiet(unique(table("WordsCitAll", "", &rsWordsCitAll,
                            cols({{"Mot", &fldWordsCitAllMot}, {"Occurences", &fldWordsCitAllOccurences}})),
                      {0}));
    p << quiet(unique(table("WordsNoteAll", "", &rsWordsNoteAll,
                            cols({{"Mot", &fldWordsNoteAllMot}, {"Occurences", &fldWordsNoteAllOccurences}})),
                      {0}));
    return p;
}

} // namespace

const QList<TablePlan> &importPlan()
{
    static const QList<TablePlan> plan = build();
    return plan;
}

int columnOf(const TablePlan &plan, const QString &column)
{
    for (int i = 0; i < plan.columns.size(); ++i)
        if (plan.columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace importer
