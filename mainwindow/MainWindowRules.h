#pragma once
// The main window's arithmetic, without widgets: caption, centring, the
// scroll rule of the keyword list and the places of the two browser
// layouts. Everything is in twips.

#include <QList>
#include <QString>
#include <optional>

namespace mainwindow {

inline const QString kProductName = QStringLiteral("Corvane Studio");

// "Corvane Studio - " and the file name of the open base.
QString mainCaption(const QString &fileName);

// (screen - window) \ 2: the difference made a whole number, then halved
// with truncation toward zero (a window wider than the screen goes negative).
int centredOffset(double screen, double window);

// The top row that brings the selected keyword in row `row` of a list of
// `rows` rows into view, or nullopt to leave the scroll position alone.
std::optional<int> keywordListTopRow(int row, int rows);

struct RectTwips {
    double left = 0, top = 0, width = 0, height = 0;
    double right() const { return left + width; }
};

// The simple browser: the keyword list, the link editor panel beside it and
// its seven buttons.
struct SimpleBrowserInput {
    RectTwips allKWPanel;
    double downUpPanelTop = 0, downUpPanelWidth = 0;
    double selUpDownTop = 0, gridUpTop = 0, gridDownTop = 0; // inside DownUpPanel
    double selFromUpHeight = 0, selFromDownHeight = 0;
};
struct SimpleBrowserPlaces {
    double addFromListUpLeft = 0, addFromListUpTop = 0;
    double addFromListDownLeft = 0, addFromListDownTop = 0;
    double findIfLinksLeft = 0, findIfLinksTop = 0;
    double downUpPanelLeft = 0;
    double selFromUpLeft = 0, selFromUpTop = 0;
    double suppFromListUpLeft = 0, suppFromListUpTop = 0;
    double selFromDownLeft = 0, selFromDownTop = 0;
    double suppFromListDownLeft = 0, suppFromListDownTop = 0;
    double leftPanelWidth = 0;
};
SimpleBrowserPlaces simpleBrowserPlaces(const SimpleBrowserInput &in);

// The double browser: keyword list, Down pane and Up pane side by side.
struct DoubleBrowserPlaces {
    double downPanelLeft = 0;
    double searchUpLeft = 0;
    double upPanelLeft = 0;
    double leftPanelWidth = 0;
};
DoubleBrowserPlaces doubleBrowserPlaces(const RectTwips &allKWPanel, double downPanelWidth,
                                        double upPanelWidth);

// Width of the left panel in the tab layout and right after the load.
inline constexpr double kTabLayoutPanelWidth = 2350;
// Design width of the main window, set by the load before it centres.
inline constexpr double kMainWindowWidth = 11730;
// The up pane sits this far below the top of the tab strip's client area.
inline constexpr double kUpPanelOffset = 2000;

} // namespace mainwindow
