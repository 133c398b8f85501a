#include "ColumnStrip.h"

#include <algorithm>

namespace keywords {

namespace {
const QString kRoot = QStringLiteral("Root");
// Design places of the frame: top-down at the window's left, upward at its
// right.
constexpr double kDownFrameLeft = 120;
constexpr double kUpFrameLeft = 5160;
} // namespace

ColumnStrip::ColumnStrip(StripDirection direction, Lister lister)
    : m_direction(direction), m_lister(std::move(lister))
{
    startWithRows({});
}

void ColumnStrip::startWithRows(const QStringList &rows)
{
    StripColumn first;
    first.rows = rows;
    first.serial = ++m_serial;
    m_columns = {first};
    m_current = 0;
    m_path = {kRoot};
    m_pathIndex = 0;
    settleScroll();
}

void ColumnStrip::startOn(const QString &keyword)
{
    StripColumn first;
    first.rows = {keyword};
    first.chosen = keyword;
    first.row = 0;
    first.serial = ++m_serial;
    m_columns = {first};
    m_current = 0;
    openColumn(1);
    m_path = {keyword};
    m_pathIndex = 0;
    settleScroll();
}

int ColumnStrip::slot(int i) const
{
    return m_direction == StripDirection::Down ? i - m_scrollValue : i + m_scrollValue;
}

bool ColumnStrip::isVisible(int i) const
{
    const int s = slot(i);
    return i >= 0 && i < columnCount() && s >= 0 && s < kVisibleColumns;
}

int ColumnStrip::frameColumns() const { return std::min(columnCount(), kVisibleColumns); }

void ColumnStrip::setScrollValue(int value)
{
    m_scrollValue = std::clamp(value, m_scrollMin, m_scrollMax);
}

void ColumnStrip::settleScroll()
{
    // The columns beyond the three places are the ones to scroll over.
    const int hidden = std::max(0, columnCount() - kVisibleColumns);
    if (m_direction == StripDirection::Down) {
        m_scrollMin = 0;
        m_scrollMax = hidden;
    } else {
        m_scrollMin = -hidden;
        m_scrollMax = 0;
    }
    setScrollValue(m_scrollValue);
}

void ColumnStrip::openColumn(int index)
{
    StripColumn next;
    const keywords::KeywordList list =
        m_lister ? m_lister(m_columns.at(index - 1).chosen) : keywords::KeywordList{};
    next.rows = list.keywords.isEmpty() ? QStringList{QString()} : list.keywords;
    next.serial = ++m_serial;
    while (m_columns.size() > index)
        m_columns.removeLast();
    m_columns.append(next);
}

StripClick ColumnStrip::click(int column, int row)
{
    StripClick result;
    if (column < 0 || column >= columnCount() || m_columns.at(column).rows.isEmpty()) {
        result.ignored = true;
        return result;
    }
    const QStringList &rows = m_columns.at(column).rows;
    const int r = std::clamp(row, 0, int(rows.size()) - 1);
    StripColumn &clicked = m_columns[column];
    clicked.chosen = rows.at(r);
    clicked.row = r;
    m_current = column;
    result.keyword = clicked.chosen;

    const bool lastPlace = slot(column) == kVisibleColumns - 1;
    if (column >= kMaxColumn) {
        // The path holds no further column: the ones beyond close.
        while (m_columns.size() > column + 1)
            m_columns.removeLast();
        result.pathLimit = true;
    } else {
        openColumn(column + 1);
        result.opened = true;
    }
    settleScroll();
    if (result.opened && lastPlace) {
        // The new column comes into the last place, the first visible one
        // goes out of view.
        setScrollValue(m_direction == StripDirection::Down ? column - 1 : 1 - column);
    }

    m_path.clear();
    if (m_direction == StripDirection::Down)
        m_path << kRoot;
    for (int i = 0; i <= column; ++i)
        m_path << m_columns.at(i).chosen;
    m_pathIndex = int(m_path.size()) - 1;
    return result;
}

bool ColumnStrip::relist(int column)
{
    if (column < 1 || column >= columnCount())
        return false;
    m_current = column - 1;
    openColumn(column);
    settleScroll();
    return true;
}

double StripLayout::frameLeft() const
{
    if (m_strip.direction() == StripDirection::Down)
        return kDownFrameLeft;
    return kUpFrameLeft - (m_strip.frameColumns() - 1) * kColumnPitch;
}

double StripLayout::frameWidth() const
{
    return kFrameBaseWidth + (m_strip.frameColumns() - 1) * kColumnPitch;
}

double StripLayout::columnLeft(int i) const
{
    const int s = m_strip.slot(i);
    if (m_strip.direction() == StripDirection::Down)
        return 120 + s * kColumnPitch;
    return 120 + (m_strip.frameColumns() - 1 - s) * kColumnPitch;
}

} // namespace keywords
