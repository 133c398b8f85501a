#pragma once
// Where the small windows of the program stand: over the main window, by
// its outer size less its left panel, or over the screen while there is no
// main window.

struct MainWindowSize {
    double width = 0;      // twips
    double height = 0;
    double leftPanel = 0;  // width of its left panel Picture1
};

// From the main window's hooks; the screen's size and no panel when the
// main window is not there.
MainWindowSize mainWindowSize();

// (W - w) \ 2 - P and (H - h) \ divisor, the runtime's integer division of
// the rounded differences.
int leftOverMainWindow(const MainWindowSize &m, double width);
int topOverMainWindow(const MainWindowSize &m, double height, int divisor = 2);
