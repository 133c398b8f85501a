#pragma once
// What the main window asks of its keyword browser panes (the Down and Up
// link panes, the link editor and the all-keywords pane) while it loads and
// when the "Up Links." tab is chosen. The panes are wired in through a
// factory; without one every call does nothing, and the window still loads.

#include <functional>
#include <memory>

class fCorvane;

namespace vb {
class FlexGrid;
}

namespace mainwindow {

class KeywordBrowserHooks {
public:
    virtual ~KeywordBrowserHooks();
    // Keeps the link table's recordset and fields; sizes DownGrid(0).
    virtual void BindLinkRecordset() {}
    virtual void CollectRootKeywords() {}
    virtual void FillRootGrid(vb::FlexGrid *grid) { (void)grid; }
    // Display slots of levels 0, 1, 2 back to 0, 1, 2 in both panes and
    // every level counter back to 0.
    virtual void ResetNavigation() {}
    // Rebuilds the Up pane from the Down pane's current level.
    virtual void RefreshUpPane() {}
};

// Made once for each main window, after its controls exist and before its
// load runs, so the panes can connect to the controls.
using KeywordBrowserFactory = std::function<std::unique_ptr<KeywordBrowserHooks>(fCorvane &)>;
void setKeywordBrowserFactory(KeywordBrowserFactory factory);
const KeywordBrowserFactory &keywordBrowserFactory();

} // namespace mainwindow
