#pragma once
// The program's shared state: what one window hands to another. Windows of
// every folder read and write these; none of them owns them.

#include <QList>
#include <QString>
#include <QStringList>

// The kind of card the user works on: "Note", "Cit" or "Bib".
extern QString CardKind;

// The last searched term, and the 1-based position of its hit in the text of
// the card about to open (below 1: no hit). Read by the note and quote openers.
extern QString SearchText;
extern int SearchTextPos;

// Raised when keyword links were written for a card; the first card window
// activated afterwards re-reads its keywords and clears it.
extern bool KeywordsChanged;
extern int SelectMode;

// The card whose keyword command opened the chooser (key and slot number).
extern QString CurrentNoteKey, CurrentQuoteKey, CurrentReferenceKey;
extern int CurrentNoteNumber, CurrentQuoteNumber, CurrentReferenceNumber;

// The reference whose card is about to open from a quote card, the result
// grid or the list by date.
extern QString OpenReferenceKey;

// The card whose text the word window analysed: kind ("Note", "Cit") and key.
extern QString AnalysedCardKind;
extern QString AnalysedCardKey;

// The kind listed by date in FListSel: "Note", "Cit" or "Bib".
extern QString g_ListKind;

// What a listing hands to the result window fGrid: rows of four text
// columns (row 0 unused, rows from 1), the card key of each row, the number
// of rows and the caption. "Empty" is one row holding one empty cell.
extern QList<QStringList> GridRows;
extern QStringList GridKeys;
extern int GridRowCount;
extern QString GridCaption;
// GridRows back to its single empty element.
void ClearGridRows();

// The distinct words of the last analysed text and their counts, slots 1..n
// (slot 0 never holds a word).
extern QStringList TextWords;
extern QList<int> TextWordCounts;

// Resets every variable above to its start value (a new base, a test).
void ResetProgramState();
