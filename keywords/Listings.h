#pragma once
// Module GRIDS and the chooser's author searches: the cards of one keyword,
// the references of an author and the quotes of an author's references,
// gathered as result rows and handed to the result window fGrid.
//
// Every walk over link or author rows takes the rows whose key is the same
// as the sought one to the index (letter case aside) and always moves on,
// so rows stored under another spelling are neither missed nor looped on.

#include "CardSets.h"
#include "ResultTable.h"

#include <QList>
#include <QString>

namespace keywords {

// The rows of the cards linked to keyword: one row per keyword link of each
// card (keyword, link key, author, title), the cards in the order of the
// keyword index, each card's links in the order of its by-card index. A
// link whose card is gone adds nothing. Each card and its links are sought
// by key, so the cost follows the keyword, not the base.
QList<ResultRow> CardsOfKeyword(CardType type, const QString &keyword);

struct AuthorRows {
    bool authorFound = false; // the author has rows in AUTNDX
    QList<ResultRow> rows;
};
// References of an author, each with its keyword links (" " without any).
AuthorRows ReferencesOfAuthor(const QString &author);
// Quotes of the author's references; references without quotes add nothing.
AuthorRows QuotesOfAuthor(const QString &author);

// Writes rows into the shared table (GridRows, GridKeys, GridRowCount);
// no rows gives the single "No Match" row with no key.
void PublishRows(const QList<ResultRow> &rows);
// Closes the result window and opens it again on the shared table, with
// the kind in its Tag; or on the rows given, as the listing that made them
// hands them over.
void ReloadResultGrid(CardType type);
void ReloadResultGrid(CardType type, ResultTable rows);

// The three listings (the main window's keyword clicks, the chooser).
void ListCardsOfKeyword(CardType type, const QString &keyword);
void ListNotesOfKeyword(QString &keyword);
void ListCitsOfKeyword(QString &keyword);
void ListRefsOfKeyword(QString &keyword);

// The chooser's author searches. False (after "No Match") when the author
// has no row in AUTNDX: nothing is listed.
bool ListReferencesOfAuthor(const QString &author);
bool ListQuotesOfAuthor(const QString &author);

} // namespace keywords
