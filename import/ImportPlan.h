#pragma once
// What a base import copies, table by table, in the order it walks them:
// the progress label, the columns written
// through the open base's shared field objects, and the rules that keep the
// open base sound (a row already there is not added again; the rows that
// hang on a card come only with a card this import added).

#include "Dao.h"

#include <QList>
#include <QString>

namespace importer {

enum class CardKind { None, Note, Quote, Reference };

struct ColumnPlan {
    QString name;
    dao::Field *target = nullptr;
};

struct TablePlan {
    QString table;
    // Written into the progress window before the walk; "" keeps the label
    // of the table before.
    QString label;
    // The progress bar follows this walk.
    bool progress = true;
    dao::Recordset *target = nullptr;
    // In the order they are written. Counters are not among them: the open
    // base numbers every added row itself, as its own rows are numbered.
    QList<ColumnPlan> columns;
    // Positions in columns of the value(s) that the open base holds once at
    // most (compared as its indexes compare); empty: every row is offered.
    QList<int> uniqueColumns;
    // The card table of this kind: its unique value is the card key.
    CardKind card = CardKind::None;
    // Rows that belong to a card of this kind: only those of the cards this
    // import added are copied; ownerColumn is the card key among columns.
    CardKind owner = CardKind::None;
    int ownerColumn = -1;
    // Quotes: the key of their reference. A quote of a reference that the
    // open base held before the import is not copied (it would hang on
    // another card of the same key, or on the copy skipped with its key).
    int referenceColumn = -1;
};

// The nineteen tables, in the order of the walk. The reference types are
// never imported.
const QList<TablePlan> &importPlan();

// Position of a column of the plan of table, -1 when absent.
int columnOf(const TablePlan &plan, const QString &column);

} // namespace importer
