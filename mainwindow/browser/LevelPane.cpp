#include "LevelPane.h"

#include <algorithm>
#include <cstdlib>

namespace browser {

LevelPane::LevelPane(PaneDirection direction, std::function<KeywordList(const QString &)> lister,
                     std::function<bool()> linksEmpty)
    : m_direction(direction), m_lister(std::move(lister)), m_linksEmpty(std::move(linksEmpty))
{
    m_levels.append(Level{});
    reset();
}

void LevelPane::reset()
{
    while (m_levels.size() > 1)
        m_levels.removeLast();
    m_level = 0;
    m_lastLevel = 0;
    for (int i = 0; i <= kMaxLevel; ++i)
        m_slots[i] = i;
    m_scrollValue = 0;
    m_scrollMax = 0;
    m_extraHeight = 0;
}

void LevelPane::setRootRows(const QStringList &rows)
{
    Level &root = m_levels[0];
    root = Level{};
    root.rows = rows;
    root.current = rows.isEmpty() ? -1 : 0;
    root.serial = ++m_serial;
    root.rowsSerial = root.serial;
}

double LevelPane::gridTop(int i) const
{
    if (m_direction == PaneDirection::Down)
        return m_slots[i] * kSlotHeight + 120;
    // The Up pane stacks from its bottom edge, which moves with its height.
    return paneHeight() - 1935 - m_slots[i] * kSlotHeight;
}

double LevelPane::boxTop(int i) const { return gridTop(i) + 120; }

void LevelPane::setScrollValue(int value)
{
    value = std::clamp(value, 0, m_scrollMax);
    const int outOfView = std::abs(m_slots[0]);
    for (int i = 0; i <= m_lastLevel; ++i)
        m_slots[i] += outOfView - value;
    m_scrollValue = value;
}

QStringList LevelPane::levelRows(const KeywordList &list)
{
    // A keyword without lower (upper) keywords gets one empty row.
    return list.keywords.isEmpty() ? QStringList{QString()} : list.keywords;
}

void LevelPane::openLevel(int index, const QString &keyword)
{
    Level next;
    next.rows = levelRows(m_lister ? m_lister(keyword) : KeywordList{});
    next.current = 0;
    next.serial = ++m_serial;
    next.rowsSerial = next.serial;
    while (m_levels.size() > index)
        m_levels.removeLast();
    m_levels.append(next);
}

PaneClick LevelPane::click(int j, int row)
{
    PaneClick result;
    if (j < 0 || j > m_lastLevel || j >= m_levels.size()
        || (m_direction == PaneDirection::Down && m_linksEmpty && m_linksEmpty())) {
        result.ignored = true;
        return result;
    }
    const QStringList &rows = m_levels.at(j).rows;
    const QString keyword = row >= 0 && row < rows.size() ? rows.at(row) : QString();
    m_level = j;
    m_levels[j].selected = keyword;
    result.keyword = keyword;
    if (keyword.isEmpty())
        return result;

    if (j == m_lastLevel && m_lastLevel < 2)
        m_extraHeight += kSlotHeight;
    else if (j == 0 && m_lastLevel > 1)
        m_extraHeight -= kSlotHeight;
    m_extraHeight = std::clamp(m_extraHeight, 0, 2 * kSlotHeight);

    if (j + 1 > kMaxLevel) {
        // No 22nd level: the levels above stay as they are.
        result.levelLimit = true;
    } else {
        openLevel(j + 1, keyword);
        result.opened = true;
        if (m_slots[j] == kVisibleSlots - 1) {
            // The lowest visible slot: the view scrolls by one level.
            m_slots[j + 1] = kVisibleSlots - 1;
            for (int i = 0; i <= j; ++i)
                --m_slots[i];
            m_scrollMax = std::max(0, j - 1);
            m_scrollValue = m_scrollMax;
        } else {
            m_slots[j + 1] = m_slots[j] + 1;
        }
        if (m_slots[j] == 1)
            m_scrollMax = std::max(0, j - 1);
    }

    // Taken only now: opening the next level may have moved the levels.
    Level &clicked = m_levels[j];
    clicked.painted = true;
    clicked.highlighted = row;
    clicked.current = row;
    clicked.serial = ++m_serial;
    m_lastLevel = result.opened ? j + 1 : j;
    return result;
}

void LevelPane::rebuildFrom(const LevelPane &down)
{
    reset();
    const Level &source = down.level(down.currentLevel());
    Level bottom;
    bottom.rows = source.rows;
    bottom.painted = source.painted;
    bottom.highlighted = source.highlighted;
    bottom.selected = source.selected;
    bottom.current = source.rows.indexOf(source.selected);
    if (bottom.current < 0 && !bottom.rows.isEmpty())
        bottom.current = 0;
    bottom.serial = ++m_serial;
    bottom.rowsSerial = bottom.serial;
    m_levels[0] = bottom;

    m_extraHeight = kSlotHeight;
    openLevel(1, bottom.selected);
    m_slots[1] = m_slots[0] + 1;
    m_lastLevel = 1;
}

} // namespace browser
