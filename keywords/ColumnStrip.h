#pragma once
// The strip of keyword columns of the two graph browsers, without widgets:
// the open columns with their rows and chosen keywords, the current and last
// column, the three visible places (slots) and the scroll bar that moves the
// columns through them, the width of the frame and the path list.
//
// The top-down browser opens its columns to the right, starting from the
// root keywords; the upward browser opens them to the left, starting from one
// keyword. The slot of column i is always i - value (top-down) or i + value
// (upward, where the value runs from a negative minimum up to 0); the scroll
// range always covers exactly the open columns, so every open column can be
// brought back into view and the frame never grows past three columns.

#include "KeywordGraph.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace keywords {

enum class StripDirection { Down, Up };

// Twips.
inline constexpr int kColumnPitch = 2500;
inline constexpr int kColumnWidth = 3000;
inline constexpr int kFrameBaseWidth = 2415;
inline constexpr int kVisibleColumns = 3;
// Columns 0 to 20.
inline constexpr int kMaxColumn = 20;

struct StripColumn {
    // One keyword a row. A keyword without lower (upper) keywords opens a
    // column of one empty row; a browser without links has a first column
    // without rows.
    QStringList rows;
    // The keyword chosen in the column: the text of its box.
    QString chosen;
    // The row clicked last, -1 for none.
    int row = -1;
    // Changes whenever the rows change, so a window refills only those grids.
    int serial = 0;
};

struct StripClick {
    // Nothing happened: no such column, or a column without rows.
    bool ignored = false;
    QString keyword;
    bool opened = false;
    // The click chose a keyword in the last column the path may hold.
    bool pathLimit = false;
};

class StripLayout;

class ColumnStrip {
public:
    // The keywords of the next column for a chosen keyword: lower keywords
    // (top-down) or upper keywords (upward).
    using Lister = std::function<keywords::KeywordList(const QString &)>;

    ColumnStrip(StripDirection direction, Lister lister);

    StripDirection direction() const { return m_direction; }

    // Top-down start: column 0 holds the rows (the roots), nothing chosen;
    // the path list holds "Root".
    void startWithRows(const QStringList &rows);
    // Upward start: column 0 holds the keyword alone, chosen; column 1 its
    // upper keywords; the path list holds the keyword.
    void startOn(const QString &keyword);

    int currentColumn() const { return m_current; }
    int lastColumn() const { return int(m_columns.size()) - 1; }
    int columnCount() const { return int(m_columns.size()); }
    const StripColumn &column(int i) const { return m_columns.at(i); }

    // The entries of the path list and the one selected.
    const QStringList &path() const { return m_path; }
    int pathIndex() const { return m_pathIndex; }

    int slot(int i) const;
    bool isVisible(int i) const;
    // Columns the frame is wide: one to three.
    int frameColumns() const;

    int scrollMin() const { return m_scrollMin; }
    int scrollMax() const { return m_scrollMax; }
    int scrollValue() const { return m_scrollValue; }
    // The scroll bar moved; values outside the range are brought inside.
    void setScrollValue(int value);

    // A click on row `row` of column `column`: chooses its keyword, closes
    // the columns beyond it and opens the next one with the keywords of the
    // chosen one, shifting the strip when the clicked column stood in the
    // last visible place.
    StripClick click(int column, int row);

    // Lists column `column` (1 or more) again for the keyword chosen in the
    // column before it, which becomes the current column; every column
    // beyond closes. False when there is no such column.
    bool relist(int column);

private:
    void openColumn(int index);
    void settleScroll();

    StripDirection m_direction;
    Lister m_lister;
    QList<StripColumn> m_columns;
    int m_current = 0;
    QStringList m_path;
    int m_pathIndex = 0;
    int m_scrollMin = 0;
    int m_scrollMax = 0;
    int m_scrollValue = 0;
    int m_serial = 0;
};

// Where the frame, its columns and the boxes under them stand, in twips:
// the top-down frame keeps its left edge, the upward one its right edge.
class StripLayout {
public:
    explicit StripLayout(const ColumnStrip &strip) : m_strip(strip) {}
    double frameLeft() const;
    double frameWidth() const;
    // Left of column i's grid (and of its box) inside the frame.
    double columnLeft(int i) const;
    double scrollWidth() const { return frameWidth() - 240; }

private:
    const ColumnStrip &m_strip;
};

} // namespace keywords
