#pragma once
// The rows the result window shows, as a plain table it owns: four text
// columns (keyword, card key, author, title) and the card key of each row.
// fGrid takes one from the listing that made it, or copies the shared
// GridRows/GridKeys into one at load, and from then on sorts, shows and
// opens cards from it only, so a later listing that changes the shared
// table cannot make it open the wrong card.

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The result window's settings that outlive it: the sort column (1 to 4),
// the value of that column whose first row becomes current after a sort,
// and the row scrolled to the top and selected after each fill.
extern int GridSortColumn;
extern QString GridCurrentKey;
extern int GridCurrentRow;

namespace keywords {

struct ResultRow {
    QString cells[4]; // columns 1 to 4
    QString key;      // empty: the row opens no card
    const QString &cell(int column) const { return cells[column - 1]; }
};

} // namespace keywords

// Moved as bytes when a list of rows grows: its texts are.
Q_DECLARE_TYPEINFO(keywords::ResultRow, Q_RELOCATABLE_TYPE);

namespace keywords {

class ResultTable {
public:
    ResultTable() = default;
    explicit ResultTable(QList<ResultRow> rows) : m_rows(std::move(rows)) {}
    // Rows 1..n of the shared table (row 0 unused); a row past the end of
    // GridKeys has no key.
    static ResultTable fromShared(const QList<QStringList> &gridRows, const QStringList &gridKeys);

    int count() const { return int(m_rows.size()); }
    const ResultRow &row(int i) const { return m_rows.at(i - 1); } // 1-based
    QList<ResultRow> &rows() { return m_rows; }
    const QList<ResultRow> &rows() const { return m_rows; }
    QString keyOf(int i) const { return i >= 1 && i <= count() ? m_rows.at(i - 1).key : QString(); }

    // Ascending by the column, by character codes (letter case counts);
    // sorting by keyword orders ties by card key, sorting by any other
    // column keeps each card's rows together (by key) ordered by keyword.
    // Returns the first row whose sort column equals currentKey,
    // or 0 when none does.
    int sort(int column, const QString &currentKey);

    // The text shown in a cell (rows 1..n, columns 1..4): repeats of the
    // row above are blanked, the keyword when sorted by keyword, the card's
    // key, author and title otherwise.
    QString shownText(int row, int column, int fillSortColumn) const;
    bool shownBlank(int row, int column, int fillSortColumn) const;

    // Removes every row of that card (keys compared as the index does).
    // Returns the number of rows removed.
    int dropKey(const QString &key);

private:
    QList<ResultRow> m_rows;
};

// The order the result window sorts rows in by a column (1 to 4): the
// column's texts by character codes (letter case counts), ties by card key
// then keyword (by keyword when sorting by key).
bool sortsBefore(const ResultRow &a, const ResultRow &b, int column);

// A row number to show for a table of count rows: 1..count, 0 when empty.
int clampRow(int row, int count);

} // namespace keywords
