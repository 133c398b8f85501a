#pragma once
// fLinksKey, "Top-Down Links": the keyword graph browsed from the root
// keywords down, one column a level, with the links edited by dropping a
// keyword box on a column and by "Supp". The menu shows its default
// instance; "New List" opens further, independent instances.

#include "Form.h"
#include "LinksBrowser.h"
#include "StripView.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QScrollBar;

class fLinksKey : public vb::Form {
    Q_OBJECT
    // First: the control members below are taken from it.
    keywords::StripView *m_view;

public:
    fLinksKey();

    QFrame *Panel3D1;
    vb::ControlArray<vb::FlexGrid> &Grid1;
    vb::ControlArray<QLineEdit> &Grid1Sel;
    QScrollBar *HScroll1;
    QComboBox *Combo1;
    QPushButton *cSupp;
    QPushButton *Command2;
    QPushButton *Command1;

    const keywords::LinksBrowser &browser() const { return m_browser; }

    // The event procedures.
    void Grid1_Click(int index);
    void Grid1_DragDrop(int index, const vb::DragPayload &source);
    void Grid1_MouseDown(int index, int button);
    void HScroll1_Change(int value);
    void cSupp_Click();
    void Command2_Click();
    void Command1_Click();

protected:
    void formLoad() override;

private:
    void render();

    keywords::LinksBrowser m_browser;
};
