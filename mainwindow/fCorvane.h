#pragma once
// fCorvane: the one MDI main window. Its frame: the top bar with the mode
// and browser toggles and the search frames, the left panel with the tab
// strip and the keyword browser panes, the status bar, the menu tree, the
// window menu and the base commands. The pane behaviour itself is plugged in
// through KeywordBrowserHooks; the mode rules live in MainWindowModes.
//
// Controls are public members under their design names, as other windows
// and the panes reach them through the default instance.

#include "CommonControls.h"
#include "ComponentHost.h"
#include "FlexGrid.h"
#include "Form.h"
#include "KeywordBrowserHooks.h"
#include "MainCommands.h"
#include "MainWindowModes.h"
#include "Palvex_Ctl.h"

#include <QHash>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

// True while one of the two browser layouts is in force; the grid clicks of
// the panes read it (they list cards only in the tab layout).
extern bool g_KWFrameHidden;

class fCorvane : public vb::MdiForm {
    Q_OBJECT
public:
    fCorvane();
    ~fCorvane() override;

    // --- status bar and top bar
    vb::StatusBar *StatusBar1 = nullptr;
    QWidget *Picture2 = nullptr;
    QFrame *FrameSwitch = nullptr;
    com::Control SwitchKW, SwitchSearch, SwitchOther;
    QFrame *FrameFile = nullptr;
    QRadioButton *OptionNote = nullptr, *OptionCit = nullptr, *OptionRef = nullptr;
    QFrame *FrameSearch = nullptr;
    QLabel *LabelText = nullptr;
    QLineEdit *TextSearch = nullptr;
    QPushButton *CommandSearchText = nullptr;
    QFrame *FrameOther = nullptr;
    QLabel *Label6 = nullptr;
    QRadioButton *OptionByAuthor = nullptr, *OptionByKeyword = nullptr, *OptionByDate = nullptr;
    QPushButton *CommandSearchOther = nullptr;
    QFrame *FrameKW = nullptr;
    com::Control SwitchSimpleBrowser, SwitchDoubleBrowser;

    // --- left panel
    QWidget *Picture1 = nullptr;
    vb::TabStrip *TabStrip1 = nullptr;
    QWidget *DownPanel = nullptr;
    vb::ControlArray<vb::FlexGrid> DownGrid;
    vb::ControlArray<QLineEdit> DownGridSel;
    QScrollBar *DownVScroll = nullptr;
    QWidget *UpPanel = nullptr;
    vb::ControlArray<vb::FlexGrid> UpGrid;
    vb::ControlArray<QLineEdit> UpGridSel;
    QScrollBar *UpVScroll = nullptr;
    QWidget *AllKWPanel = nullptr;
    vb::FlexGrid *KWList = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *KWAdd = nullptr, *KWSupp = nullptr;
    QWidget *DownUpPanel = nullptr;
    QLabel *SelUpDown = nullptr;
    vb::FlexGrid *GridUp = nullptr, *GridDown = nullptr;
    QLabel *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr;
    QPushButton *cmdAddFromListUp = nullptr, *cmdAddFromListDown = nullptr, *cmdFindIfLinks = nullptr,
                *cmdSelFromUp = nullptr, *cmdSelFromDown = nullptr, *cmdSuppFromListUp = nullptr,
                *cmdSuppFromListDown = nullptr;
    QPushButton *cmdSearchUp = nullptr, *cmdReverseSearch = nullptr;
    QLabel *Label1 = nullptr, *KWSel = nullptr, *KWSel2 = nullptr;

    // --- menus (items by design name: mLoad2, mQuit, mCloseAll, ...)
    QAction *menuItem(const QString &name) const;
    QMenu *menu(const QString &name) const;

    // --- frame operations
    void LayoutTabPanes();
    void LayoutSimpleBrowser();
    void LayoutDoubleBrowser();
    void TabStrip1_Click();
    // Brings the keyword of KWSel into view in KWList (both browser layouts).
    void ShowSelectedKeywordInList();
    // KWList from the keyword table, in the order of its index.
    void FillKeywordList();

    // The toggles' handlers (their arguments are ignored).
    void toggleMouseDown(mainwindow::Toggle toggle);
    void toggleMouseUp(mainwindow::Toggle toggle);
    com::Control &toggle(mainwindow::Toggle toggle);
    const mainwindow::MainWindowModes &modes() const { return m_modes; }

    // Menu commands of the frame and of the Database and Keywords menus.
    void mWCascade_Click();
    void mWIcons_Click();
    void mCloseAll_Click();
    void mLoad2_Click();
    void mNewBase_Click();
    void mImport_Click();
    void mSaveAs_Click();
    void mQuit_Click();
    void mKWList_Click();
    void mKWStruct_Click();
    void mCopyright_Click();

    mainwindow::KeywordBrowserHooks &browser() { return *m_browser; }

    // --- searches and card commands: the controls and menu items call
    // MainCommands directly.
    // The all-keywords tab in front, where the tab strip shows.
    void ShowAllKeywordsTab();

protected:
    void formLoad() override;

private:
    void buildTopBar();
    void buildLeftPanel();
    void buildLevelPane(QWidget *pane, vb::ControlArray<vb::FlexGrid> &grids,
                        vb::ControlArray<QLineEdit> &boxes, QScrollBar *&scroll);
    void buildToggles();
    void buildMenus();
    void placeDownAndUpPanels();
    void applyVisibleSet();
    void applyEffect(const mainwindow::ToggleEffect &effect);
    void setLeftPanelWidth(double twips);
    void writePositions();
    QWidget *namedControl(const QString &name) const;

    void connectSearchControls();

    std::unique_ptr<mainwindow::MainCommandHost> m_commandHost;
    std::unique_ptr<mainwindow::MainCommands> m_commands;
    struct ToggleSink;
    std::unique_ptr<ToggleSink> m_sinks[5];
    mainwindow::MainWindowModes m_modes;
    std::unique_ptr<mainwindow::KeywordBrowserHooks> m_browser;
    QHash<QString, QAction *> m_items;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QWidget *> m_named;
};
