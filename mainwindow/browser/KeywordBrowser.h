#pragma once
// The keyword browser wired into the main window's controls: the Down and
// Up link panes, the link editor and the all-keywords pane. The behaviour
// lives in the plain classes (LevelPane, LinkEditor, AllKeywordsPane); this
// class only makes the controls show their state and feeds them the events.

#include "AllKeywords.h"
#include "KeywordBrowserHooks.h"
#include "BrowserTexts.h"
#include "LevelPane.h"
#include "LinkEditor.h"

#include <QObject>
#include <QPointer>
#include <QVector>
#include <memory>

class QLineEdit;
class QScrollBar;
class QWidget;
class fCorvane;

namespace vb {
class FlexGrid;
struct DragPayload;
template <class T> class ControlArray;
} // namespace vb

namespace browser {

// KWList as the all-keywords pane sees it.
class FlexGridRows : public KeywordRows {
public:
    explicit FlexGridRows(vb::FlexGrid *grid) : m_grid(grid) {}
    int rows() const override;
    QString text(int row) const override;
    int currentRow() const override;
    void setCurrentRow(int row) override;
    int topRow() const override;
    void setTopRow(int row) override;
    void removeRow(int row) override;
    void setKeywords(const QStringList &keywords) override;

private:
    vb::FlexGrid *m_grid;
};

class KeywordBrowser : public QObject, public mainwindow::KeywordBrowserHooks {
    Q_OBJECT
public:
    explicit KeywordBrowser(fCorvane &window);
    ~KeywordBrowser() override;

    // The load's calls.
    void BindLinkRecordset() override;
    void CollectRootKeywords() override;
    void FillRootGrid(vb::FlexGrid *grid) override;
    void ResetNavigation() override;
    void RefreshUpPane() override;

    // The event procedures of the panes.
    void DownGrid_Click(int index);
    void UpGrid_Click(int index);
    void DownGrid_MouseDown(int index, int button);
    void DownVScroll_Change();
    void UpVScroll_Change();
    void KWList_Click();
    // A double-click on a keyword opens all its cards of the chosen kind.
    void DownGrid_DblClick(int index);
    void KWList_DblClick();
    void cmdSearchUp_Click();
    void Text1_Change();
    void KWAdd_Click();
    void KWSupp_Click();

    // The link editor.
    void ShowKeywordLinks(const QString &keyword);
    void RefreshLinkEditor();
    void cmdAddFromListDown_Click();
    void cmdAddFromListUp_Click();
    void GridDown_DragDrop(const vb::DragPayload &source);
    void GridUp_DragDrop(const vb::DragPayload &source);
    void cmdSuppFromListDown_Click();
    void cmdSuppFromListUp_Click();
    void cmdSelFromDown_Click();
    void cmdSelFromUp_Click();
    void cmdFindIfLinks_Click();
    void GridDown_Click();
    void GridUp_Click();

    // KWSel takes a keyword: KWSel2 repeats it and the link editor's
    // buttons name it in their tooltips.
    void setSelectedKeyword(const QString &keyword);

    const LevelPane &downPane() const { return m_down; }
    const LevelPane &upPane() const { return m_up; }
    const LinkEditor &linkEditor() const { return m_editor; }
    const KeywordList &rootKeywords() const { return m_roots; }

signals:
    // A double-click on a Down level (it opens all the cards of the keyword).
    void downGridDblClick(int index);

private:
    struct PaneWidgets;
    void connectLevel(PaneDirection direction, int index);
    void renderPane(LevelPane &pane, PaneWidgets &w);
    void renderLinkEditor();
    void listCardsOfSelection();
    void updateAddTips();

    fCorvane &m_window;
    KeywordGraph m_graph;
    KeywordList m_roots;
    LevelPane m_down;
    LevelPane m_up;
    LinkEditor m_editor;
    FlexGridRows m_kwRows;
    std::unique_ptr<AllKeywordsPane> m_allKeywords;
    std::unique_ptr<PaneWidgets> m_downWidgets;
    std::unique_ptr<PaneWidgets> m_upWidgets;
    bool m_inText1Change = false;
    bool m_rendering = false;
};

// Makes every main window from now on use this browser.
void InstallKeywordBrowser();

} // namespace browser
