#pragma once
// The chooser: a source list (keywords or authors) from which the user
// builds a selection, and one action button that acts on it. The caller
// configures it whole through ShowChooser; configuring it again while it
// is open starts it afresh (list, selection, caption and button).

#include "Chooser.h"
#include "FlexGrid.h"
#include "Form.h"
#include "ListRecordSet.h"
#include "WindowLinks.h"

#include <QHash>
#include <memory>

class QGroupBox;
class QLineEdit;
class QPushButton;

class fMultSel : public vb::Form {
    Q_OBJECT
public:
    fMultSel();
    ~fMultSel() override;

    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr;
    vb::FlexGrid *cgList = nullptr, *cgSel = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *cListAdd = nullptr, *cListSupp = nullptr, *cSelSupp = nullptr;
    // The ten action buttons, by mode.
    QPushButton *actionButton(ChooserMode mode) const { return m_buttons.value(int(mode)); }

    void configure(const ChooserRequest &request);
    const ChooserRequest &request() const { return m_request; }
    const keywords::Selection &selection() const { return m_selection; }

    // The event procedures.
    void cgList_Click();
    void cgList_DblClick();
    void cgSel_Click();
    void cSelSupp_Click();
    void Text1_Change();
    void Text1_Enter();
    void cListAdd_Click();
    void cListSupp_Click();
    void Action_Click(ChooserMode mode);

protected:
    void formLoad() override;
    void formActivate() override;

private:
    class ListAdapter;
    void showSelection();
    QString selectionClip() const;

    QHash<int, QPushButton *> m_buttons;
    ChooserRequest m_request;
    keywords::Selection m_selection;
    std::unique_ptr<ListAdapter> m_list;
    bool m_inTextChange = false;
};

namespace keywords {
void ShowChooser(const ChooserRequest &request);
void UnloadChooser();
} // namespace keywords
