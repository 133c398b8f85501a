#pragma once
// What the listings hand to the result window fGrid, and the card kind the
// user works on (read by the chooser, the result grid and the word window).

#include <QList>
#include <QString>
#include <QStringList>

// Rows of four text columns; "empty" is one row holding one empty cell.
extern QList<QStringList> GridRows;
// The card key of each row of GridRows.
extern QStringList GridKeys;
extern int GridRowCount;
extern QString GridCaption;

// "Note", "Cit" or "Bib".
extern QString CardKind;

// GridRows back to its single empty element (0, 0).
void ClearGridRows();
