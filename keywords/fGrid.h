#pragma once
// The result window: a list of cards, the card kind in its Tag. A keyword
// listing hands it the rows it made (loadWith); the other roads hand them
// over through GridRows, GridKeys and GridCaption, which it copies at load.
// It works on its own table: a header click (or a click in row 1) sorts by
// that column, a click highlights the row, a double-click opens the row's
// card.

#include "FlexGrid.h"
#include "Form.h"
#include "ResultTable.h"

class fGrid : public vb::Form {
    Q_OBJECT
public:
    fGrid();
    vb::FlexGrid *Grid1 = nullptr;

    // The window loaded anew on these rows, which it takes as they are
    // instead of reading the shared table (the one loaded is unloaded).
    static fGrid &loadWith(keywords::ResultTable rows);

    const keywords::ResultTable &table() const { return m_table; }
    int highlightRow() const { return m_highlightRow; }

    // The event procedures.
    void Grid1_Click();
    void Grid1_DblClick();
    // Drops the rows of a deleted card.
    void DropCard(const QString &key);

protected:
    void formLoad() override;
    void formResize() override;

private:
    void ShowTable(keywords::ResultTable table);
    void SortRows();
    void FillGrid();
    void Highlight();

    keywords::ResultTable m_table;
    int m_fillSortColumn = 1;
    int m_highlightRow = 0;
    int m_highlightCol = 0;
};
