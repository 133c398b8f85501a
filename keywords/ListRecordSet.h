#pragma once
// Module ListRecordSet: a one-column list kept in step with one field of a
// table: fill the list from the table, add a typed entry to both, delete
// the current entry from both, and select the first entry that begins with
// what the user types. The table is written first; the list changes only
// when the write succeeded.

#include "Dao.h"

#include <QString>
#include <QStringList>

namespace keywords {

// The list as these procedures see it (the chooser's cgList, or a plain
// list in tests). Rows from 0.
class ListRows {
public:
    virtual ~ListRows() = default;
    virtual int rows() const = 0;
    virtual QString text(int row) const = 0;
    // -1 when nothing is current.
    virtual int currentRow() const = 0;
    // Current and alone selected.
    virtual void setCurrentRow(int row) = 0;
    virtual void clearSelection() = 0;
    virtual int topRow() const = 0;
    virtual void setTopRow(int row) = 0;
    virtual void setItems(const QStringList &items) = 0;
    virtual void removeRow(int row) = 0;
};

// Every value of the field in the order of the recordset's current index
// (stored order without one). An empty table leaves the list as it is.
void FillListFromRecordset(ListRows &list, dao::Recordset &rs, const dao::Field &field);

// Adds text as a new record and list entry after the question. False when
// nothing was added (empty text, an entry already listed, No, a refusal).
bool AddListItem(const QString &text, ListRows &list, dao::Recordset &rs, const dao::Field &field);

// Deletes the current entry from the table and then from the list, after
// "discard this item ?" (OK/Cancel). False when nothing was deleted.
bool DeleteListItem(ListRows &list, dao::Recordset &rs, const dao::Field &field);

// What typing leaves in the box: the first character in capitals, the rest
// and the caret as typed.
struct TypedText {
    QString text;
    int caret = 0;
    bool changed = false;
};
TypedText CapitaliseFirst(const QString &text, int caret);

// Selects the first entry that begins with text, letter case aside (as the
// index orders them); none: nothing selected, the current row on the last.
// Returns the found row or -1.
int FindListItemAsYouType(const QString &text, ListRows &list);

} // namespace keywords
