#pragma once
// Shared by the storage tests: a stand-in for the main window's hooks that
// records what the roads asked of it, the error number of a statement, and
// a clean slate of shared state between cases.

#include "Error.h"
#include "Form.h"
#include "MainWindowLink.h"
#include "Start.h"

#include <QStringList>
#include <functional>

struct FakeMainWindow {
    QStringList calls;
    bool loaded = false;
    bool cardsClose = true;
    int width = 12000, height = 9000, leftPanel = 2400;

    FakeMainWindow()
    {
        MainWindowLink &l = mainWindowLink();
        l.loadAndShow = [this] {
            calls << QStringLiteral("loadAndShow");
            loaded = true;
        };
        l.isLoaded = [this] { return loaded; };
        l.unload = [this] {
            calls << QStringLiteral("unload");
            loaded = false;
        };
        l.unloadCardWindows = [this] {
            calls << QStringLiteral("unloadCardWindows");
            return cardsClose;
        };
        l.width = [this] { return width; };
        l.height = [this] { return height; };
        l.leftPanelWidth = [this] { return leftPanel; };
    }
    ~FakeMainWindow() { mainWindowLink() = MainWindowLink(); }
    FakeMainWindow(const FakeMainWindow &) = delete;
    FakeMainWindow &operator=(const FakeMainWindow &) = delete;
};

using vb::errorOf;

// Closes the open base, forgets its path and key, unloads every window.
inline void resetShared()
{
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    if (!g_Db.isNothing()) {
        try {
            g_Db.Close();
        } catch (const vb::Error &) {
        }
    }
    g_Db = dao::Database();
    g_BasePath.clear();
    g_Connect.clear();
}
