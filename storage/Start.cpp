#include "Start.h"

dao::Database g_Db;
QString g_BasePath;
QString g_Connect;

dao::Recordset rsCGroup1, rsGroup2, rsNote, rsGrNote, rsAutNote, rsCit, rsGrCit, rsBiblio, rsGrBib,
    rsAutNdx, rsAuteurs, rsTypes, rsEditeur, rsRevue, rsRevueArticle, rsWords, rsWordsCitIndex,
    rsWordsNoteIndex, rsWordsCitAll, rsWordsNoteAll;

dao::Field fldCGroup1Groupe;
dao::Field fldGroup2Groupe, fldGroup2Groupe2;
dao::Field fldNoteCit, fldNoteAuteur, fldNoteTitre1, fldNoteTexte, fldNoteTextRtf, fldNoteJour,
    fldNoteNoteCount;
dao::Field fldGrNoteGroupe, fldGrNoteNdx, fldGrNoteGrNoteCount, fldGrNoteWordsNb;
dao::Field fldAutNoteNom;
dao::Field fldCitCit, fldCitAuteur, fldCitNdx, fldCitJour, fldCitCitCount, fldCitTitre1, fldCitTexte,
    fldCitTextRtf;
dao::Field fldGrCitGroupe, fldGrCitNdx, fldGrCitWordsNb;
dao::Field fldBiblioNdx, fldBiblioDate, fldBiblioBiblioCount, fldBiblioAuteur, fldBiblioTitre1,
    fldBiblioTitre2, fldBiblioType, fldBiblioEditeur, fldBiblioLieu, fldBiblioAnnee, fldBiblioIsbn,
    fldBiblioCongress, fldBiblioTitreOri, fldBiblioEditeurOr, fldBiblioLieuOrig, fldBiblioDateOrig;
dao::Field fldGrBibGroupe, fldGrBibNdx;
dao::Field fldAutNdxNdx, fldAutNdxAuteur;
dao::Field fldAuteursNom;
dao::Field fldTypesType;
dao::Field fldEditeurNom, fldEditeurVille;
dao::Field fldRevueNom, fldRevueVille, fldRevueIssn;
dao::Field fldRevueArticleNdx, fldRevueArticleRevueTitre, fldRevueArticleRevueNumero,
    fldRevueArticleRevueEditeur, fldRevueArticleLieu, fldRevueArticleAnnee, fldRevueArticleMois,
    fldRevueArticlePages;
dao::Field fldWordsWord;
dao::Field fldWordsCitIndexNum, fldWordsCitIndexMot, fldWordsCitIndexTypeFichier, fldWordsCitIndexIndex,
    fldWordsCitIndexNbOccurIndex, fldWordsCitIndexAsKW;
dao::Field fldWordsNoteIndexNum, fldWordsNoteIndexMot, fldWordsNoteIndexTypeFichier,
    fldWordsNoteIndexIndex, fldWordsNoteIndexNbOccurIndex, fldWordsNoteIndexAsKW;
dao::Field fldWordsCitAllMot, fldWordsCitAllOccurences;
dao::Field fldWordsNoteAllMot, fldWordsNoteAllOccurences;
