#pragma once
// The start-up road, the welcome window and the progress and low-memory
// windows show or measure the main window, which is built in a library that
// itself depends on this one. The main window fills these hooks when its
// library initialises; until then they are empty and callers fall back to a
// neutral behaviour (no main window: nothing shown, placement on the screen).

#include <functional>

class QWidget;

struct MainWindowLink {
    // Load fCorvane (a fresh load when it is not loaded) and show it modeless.
    std::function<void()> loadAndShow;
    // True while fCorvane is loaded.
    std::function<bool()> isLoaded;
    // Unload fCorvane with its child windows.
    std::function<void()> unload;
    // Unload every card window first, each changed card asking whether to
    // store, so that no edit is lost or written into another base. False when
    // a window refused to close.
    std::function<bool()> unloadCardWindows;
    // Outer width and height of fCorvane and width of its left panel Picture1, in twips.
    std::function<int()> width;
    std::function<int()> height;
    std::function<int()> leftPanelWidth;
    // The widget, to parent or place other windows over it (may be null).
    std::function<QWidget *()> widget;
};

// The one link of the program.
inline MainWindowLink &mainWindowLink()
{
    static MainWindowLink link;
    return link;
}
