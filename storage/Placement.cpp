#include "Placement.h"

#include "MainWindowLink.h"
#include "Runtime.h"
#include "Screen.h"

MainWindowSize mainWindowSize()
{
    const MainWindowLink &link = mainWindowLink();
    if (link.isLoaded && link.isLoaded() && link.width && link.height) {
        MainWindowSize m;
        m.width = link.width();
        m.height = link.height();
        m.leftPanel = link.leftPanelWidth ? link.leftPanelWidth() : 0;
        return m;
    }
    return {vb::Screen::width(), vb::Screen::height(), 0};
}

int leftOverMainWindow(const MainWindowSize &m, double width)
{
    return vb::intDiv(m.width - width, 2) - qRound(m.leftPanel);
}

int topOverMainWindow(const MainWindowSize &m, double height, int divisor)
{
    return vb::intDiv(m.height - height, divisor);
}
