#pragma once
// The working modes of the main window and its five toggles, without
// widgets: which Position each toggle gets, which controls each mode shows,
// where the frames of the top bar go, and what happens to the result window.
//
// Modes: Search (at start), Other, and the keyword mode in one of its two
// browser layouts. The three mode toggles act as a group with exactly one
// down, the two browser toggles as a pair; every handler writes the same
// positions on press and on release, so re-clicking the toggle that is down
// keeps it down and applies its layout again.

#include <QPoint>
#include <QSet>
#include <QString>

namespace mainwindow {

enum class Toggle { KW, Search, Other, SimpleBrowser, DoubleBrowser };
enum class Mode { Search, Other, KeywordSimple, KeywordDouble };
enum class Layout { None, Tabs, SimpleBrowser, DoubleBrowser };
enum class ResultWindow { Unchanged, Show, Hide };

// Palvex Position values.
inline constexpr int PositionDown = 0;
inline constexpr int PositionUp = 1;

// What one toggle event asks of the window.
struct ToggleEffect {
    Layout layout = Layout::None;       // applied after the visible set
    ResultWindow resultWindow = ResultWindow::Unchanged;
};

class MainWindowModes {
public:
    // The saved design: Search and Simple Browser down, the rest up; tab 1.
    MainWindowModes() = default;

    Mode mode() const { return m_mode; }
    int position(Toggle toggle) const;
    // True while one of the two browser layouts is in force.
    bool kwFrameHidden() const { return m_kwFrameHidden; }
    // The selected tab of the tab strip (1 to 3).
    int selectedTab() const { return m_tab; }
    void selectTab(int tab);

    ToggleEffect mouseDown(Toggle toggle);
    ToggleEffect mouseUp(Toggle toggle);

    // The controls shown now, by name. Frames are named too; every name of
    // allControls() that is missing here is hidden.
    QSet<QString> visibleControls() const;
    static const QStringList &allControls();
    // Panes that take input: the visible panes are the enabled ones.
    static bool isPane(const QString &name);

    // Frame places in twips (left, top) as the handlers set them; the
    // search frame sits a little more to the left right after the load.
    static QPoint framePosition(const QString &frame);
    static QPoint searchFramePositionAtLoad() { return {5880, -120}; }

private:
    void setModePositions(Toggle down);
    void setBrowserPositions(Toggle down);

    Mode m_mode = Mode::Search;
    int m_positions[5] = {PositionUp, PositionDown, PositionUp, PositionDown, PositionUp};
    bool m_kwFrameHidden = false;
    int m_tab = 1;
    // Between the press and the release of a mode toggle the panes of the
    // left panel are hidden and the frames are those of the press.
    bool m_pressing = false;
    QSet<QString> m_pressVisible;
};

} // namespace mainwindow
