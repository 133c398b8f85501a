#pragma once
// FListSel, "Select": every card of one kind with its date and key, filled
// by the listings by date; a click on a row opens that card.

#include "Form.h"

namespace vb {
class FlexGrid;
}

class FListSel : public vb::Form {
    Q_OBJECT
public:
    FListSel();

    vb::FlexGrid *Grid1 = nullptr;

    // Rows from row 1 (date, key), the header kept; a longer earlier list
    // leaves nothing behind.
    void setCardRows(const QList<QStringList> &rows);
    // Takes out the rows of a deleted card.
    void dropCard(const QString &key);
    // Opens the card of the grid's current row, by g_ListKind.
    void Grid1_Click();

protected:
    void formLoad() override;
};
