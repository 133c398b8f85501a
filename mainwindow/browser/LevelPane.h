#pragma once
// The state of one keyword browser pane without its widgets: the stack of
// list levels (the Down pane descends from the root keywords, the Up pane
// ascends from a Down level), the three visible display slots, the scroll
// bar that counts the levels scrolled out of view, and the extra height the
// pane has grown by. The window makes its level grids and boxes follow it.

#include "BrowserTexts.h"
#include "BrowserTexts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace browser {

enum class PaneDirection { Down, Up };

// Twips.
inline constexpr int kSlotHeight = 2000;
inline constexpr int kVisibleSlots = 3;
inline constexpr int kPaneBaseHeight = 2055;
inline constexpr int kScrollBaseHeight = 1815;
inline constexpr int kLevelColumnWidth = 3000;

struct Level {
    QStringList rows;
    // The row painted as clicked (highlight colours), -1 for none; the other
    // rows of a clicked level are painted with the plain window colours.
    int highlighted = -1;
    bool painted = false;
    // The current row of the level's grid, -1 for none.
    int current = -1;
    // The hidden box of the level: the keyword selected in it.
    QString selected;
    // Changes whenever the rows or colours change, so the window refills
    // only the grids that need it.
    int serial = 0;
    // Changes only with the rows: a click that paints its level leaves it,
    // and the level's grid keeps its rows and scroll position.
    int rowsSerial = 0;
};

struct PaneClick {
    // Nothing happened (empty link table in the Down pane, no such level).
    bool ignored = false;
    // The keyword the click selected ("" for an empty cell).
    QString keyword;
    // A next level was listed.
    bool opened = false;
    // The click would have opened a level past the last one.
    bool levelLimit = false;
};

class LevelPane {
public:
    // lister: the next level's keywords for a keyword; linksEmpty: true when
    // the link table holds no row (the Down pane then ignores clicks).
    LevelPane(PaneDirection direction, std::function<KeywordList(const QString &)> lister,
              std::function<bool()> linksEmpty = {});

    PaneDirection direction() const { return m_direction; }

    // Back to the state after the window's load: level 0 only, slots 0, 1
    // and 2, counters 0, no scroll, no growth. Level 0 keeps its rows.
    void reset();
    // Level 0 of the Down pane: the root keywords (no row when there is none).
    void setRootRows(const QStringList &rows);

    int currentLevel() const { return m_level; }
    int lastLevel() const { return m_lastLevel; }
    int levelCount() const { return m_lastLevel + 1; }
    const Level &level(int i) const { return m_levels.at(i); }

    int slot(int i) const { return m_slots[i]; }
    bool isLevelVisible(int i) const { return m_slots[i] >= 0 && m_slots[i] < kVisibleSlots; }
    // Top of level i's grid and of its box in the pane, twips.
    double gridTop(int i) const;
    double boxTop(int i) const;

    int scrollValue() const { return m_scrollValue; }
    int scrollMax() const { return m_scrollMax; }
    // The scroll bar moved (by the user or by code): every level takes the
    // slot of its place; values outside 0 .. max are brought inside.
    void setScrollValue(int value);

    int extraHeight() const { return m_extraHeight; }
    double paneHeight() const { return kPaneBaseHeight + m_extraHeight; }
    double scrollHeight() const { return kScrollBaseHeight + m_extraHeight; }

    // A click on row `row` of level j (the row the grid made current).
    PaneClick click(int j, int row);

    // The Up pane rebuilt from a Down pane: its current level at the bottom
    // with the selected keyword current, the upper keywords of that keyword
    // above it.
    void rebuildFrom(const LevelPane &down);

private:
    void openLevel(int index, const QString &keyword);
    static QStringList levelRows(const KeywordList &list);

    PaneDirection m_direction;
    std::function<KeywordList(const QString &)> m_lister;
    std::function<bool()> m_linksEmpty;
    QList<Level> m_levels;
    int m_level = 0;
    int m_lastLevel = 0;
    int m_slots[kMaxLevel + 1] = {};
    int m_scrollValue = 0;
    int m_scrollMax = 0;
    int m_extraHeight = 0;
    int m_serial = 0;
};

} // namespace browser
