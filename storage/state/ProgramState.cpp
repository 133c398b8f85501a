#include "ProgramState.h"

QString CardKind;
QString SearchText;
int SearchTextPos = 0;
bool KeywordsChanged = false;
int SelectMode = 0;
QString CurrentNoteKey, CurrentQuoteKey, CurrentReferenceKey;
int CurrentNoteNumber = 0, CurrentQuoteNumber = 0, CurrentReferenceNumber = 0;
QString OpenReferenceKey;
QString AnalysedCardKind;
QString AnalysedCardKey;
QString g_ListKind;
QList<QStringList> GridRows{QStringList{QString()}};
QStringList GridKeys;
int GridRowCount = 0;
QString GridCaption;
QStringList TextWords;
QList<int> TextWordCounts;

void ClearGridRows()
{
    GridRows = QList<QStringList>{QStringList{QString()}};
    GridKeys.clear();
    GridRowCount = 0;
}

void ResetProgramState()
{
    CardKind.clear();
    SearchText.clear();
    SearchTextPos = 0;
    KeywordsChanged = false;
    SelectMode = 0;
    CurrentNoteKey.clear();
    CurrentQuoteKey.clear();
    CurrentReferenceKey.clear();
    CurrentNoteNumber = CurrentQuoteNumber = CurrentReferenceNumber = 0;
    OpenReferenceKey.clear();
    AnalysedCardKind.clear();
    AnalysedCardKey.clear();
    g_ListKind.clear();
    ClearGridRows();
    GridCaption.clear();
    TextWords.clear();
    TextWordCounts.clear();
}
