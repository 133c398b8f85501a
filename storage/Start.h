#pragma once
// Module START: the one open base and its shared recordsets and field
// objects, bound by OpenBaseTables (Tabdef.h) after every open or creation.

#include "Dao.h"

#include <QString>

extern dao::Database g_Db;
extern QString g_BasePath;
extern QString g_Connect;

extern dao::Recordset rsCGroup1, rsGroup2, rsNote, rsGrNote, rsAutNote, rsCit, rsGrCit, rsBiblio,
    rsGrBib, rsAutNdx, rsAuteurs, rsTypes, rsEditeur, rsRevue, rsRevueArticle, rsWords,
    rsWordsCitIndex, rsWordsNoteIndex, rsWordsCitAll, rsWordsNoteAll;

extern dao::Field fldCGroup1Groupe;
extern dao::Field fldGroup2Groupe, fldGroup2Groupe2;
extern dao::Field fldNoteCit, fldNoteAuteur, fldNoteTitre1, fldNoteTexte, fldNoteTextRtf, fldNoteJour,
    fldNoteNoteCount;
extern dao::Field fldGrNoteGroupe, fldGrNoteNdx, fldGrNoteGrNoteCount, fldGrNoteWordsNb;
extern dao::Field fldAutNoteNom;
extern dao::Field fldCitCit, fldCitAuteur, fldCitNdx, fldCitJour, fldCitCitCount, fldCitTitre1,
    fldCitTexte, fldCitTextRtf;
extern dao::Field fldGrCitGroupe, fldGrCitNdx, fldGrCitWordsNb;
extern dao::Field fldBiblioNdx, fldBiblioDate, fldBiblioBiblioCount, fldBiblioAuteur, fldBiblioTitre1,
    fldBiblioTitre2, fldBiblioType, fldBiblioEditeur, fldBiblioLieu, fldBiblioAnnee, fldBiblioIsbn,
    fldBiblioCongress, fldBiblioTitreOri, fldBiblioEditeurOr, fldBiblioLieuOrig, fldBiblioDateOrig;
extern dao::Field fldGrBibGroupe, fldGrBibNdx;
extern dao::Field fldAutNdxNdx, fldAutNdxAuteur;
extern dao::Field fldAuteursNom;
extern dao::Field fldTypesType;
extern dao::Field fldEditeurNom, fldEditeurVille;
extern dao::Field fldRevueNom, fldRevueVille, fldRevueIssn;
extern dao::Field fldRevueArticleNdx, fldRevueArticleRevueTitre, fldRevueArticleRevueNumero,
    fldRevueArticleRevueEditeur, fldRevueArticleLieu, fldRevueArticleAnnee, fldRevueArticleMois,
    fldRevueArticlePages;
extern dao::Field fldWordsWord;
extern dao::Field fldWordsCitIndexNum, fldWordsCitIndexMot, fldWordsCitIndexTypeFichier,
    fldWordsCitIndexIndex, fldWordsCitIndexNbOccurIndex, fldWordsCitIndexAsKW;
extern dao::Field fldWordsNoteIndexNum, fldWordsNoteIndexMot, fldWordsNoteIndexTypeFichier,
    fldWordsNoteIndexIndex, fldWordsNoteIndexNbOccurIndex, fldWordsNoteIndexAsKW;
extern dao::Field fldWordsCitAllMot, fldWordsCitAllOccurences;
extern dao::Field fldWordsNoteAllMot, fldWordsNoteAllOccurences;
