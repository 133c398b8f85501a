#include "MainWindowRules.h"

#include "Runtime.h"

#include <algorithm>

namespace mainwindow {

QString mainCaption(const QString &fileName)
{
    return kProductName + QStringLiteral(" - ") + fileName;
}

int centredOffset(double screen, double window) { return vb::intDiv(screen - window, 2); }

std::optional<int> keywordListTopRow(int row, int rows)
{
    if (2 < row && row < rows - 7)
        return row - 3;
    if (row > rows - 7 && row > 0)
        return std::max(0, row - 7);
    return std::nullopt;
}

SimpleBrowserPlaces simpleBrowserPlaces(const SimpleBrowserInput &in)
{
    SimpleBrowserPlaces p;
    const double x = vb::CLng(in.allKWPanel.right());
    p.addFromListUpLeft = x;
    p.addFromListUpTop = in.allKWPanel.top + 100;
    p.addFromListDownLeft = x;
    p.addFromListDownTop = in.allKWPanel.top + 2980;
    p.findIfLinksLeft = x;
    p.findIfLinksTop = in.downUpPanelTop + in.selUpDownTop;
    p.downUpPanelLeft = x + 500;
    const double x2 = x + 500 + in.downUpPanelWidth;
    p.selFromUpLeft = x2;
    p.selFromUpTop = in.downUpPanelTop + in.gridUpTop;
    p.suppFromListUpLeft = x2;
    p.suppFromListUpTop = p.selFromUpTop + in.selFromUpHeight;
    p.selFromDownLeft = x2;
    p.selFromDownTop = in.downUpPanelTop + in.gridDownTop;
    p.suppFromListDownLeft = x2;
    p.suppFromListDownTop = p.selFromDownTop + in.selFromDownHeight;
    p.leftPanelWidth = x2 + 500;
    return p;
}

DoubleBrowserPlaces doubleBrowserPlaces(const RectTwips &allKWPanel, double downPanelWidth,
                                        double upPanelWidth)
{
    DoubleBrowserPlaces p;
    const double x = vb::CLng(allKWPanel.right());
    p.downPanelLeft = x + 300;
    const double y = vb::CLng(p.downPanelLeft + downPanelWidth);
    p.searchUpLeft = y;
    p.upPanelLeft = y + 400;
    p.leftPanelWidth = p.upPanelLeft + upPanelWidth + 200;
    return p;
}

} // namespace mainwindow
