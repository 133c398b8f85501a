#pragma once
// fDownUpLinks, "Down-Up Links": the keyword graph browsed upwards from one
// keyword, which stands alone in the rightmost column; each click opens the
// upper keywords of the chosen keyword in a column to the left. It only
// browses. One instance: "UpLinks" of a top-down browser restarts it on the
// keyword chosen there, and a keyword dropped on its background restarts it
// on that keyword.

#include "ColumnStrip.h"
#include "Form.h"
#include "KeywordGraph.h"
#include "StripView.h"

#include <QString>
#include <optional>

class QComboBox;
class QFrame;
class QLineEdit;
class QScrollBar;

// The keyword the upward browser starts from: written by "UpLinks", read when
// the upward browser loads.
extern QString CurrentKeyword;

class fDownUpLinks : public vb::Form {
    Q_OBJECT
    // First: the control members below are taken from it.
    keywords::StripView *m_view;

public:
    fDownUpLinks();

    // Unloads the window, loads it again on CurrentKeyword (or on the given
    // keyword, which leaves CurrentKeyword as it is) and shows it.
    static void restart(const std::optional<QString> &keyword = std::nullopt);

    QFrame *Panel3D1;
    vb::ControlArray<vb::FlexGrid> &Grid1;
    vb::ControlArray<QLineEdit> &Grid1Sel;
    QScrollBar *HScroll1;
    QComboBox *Combo1;

    const keywords::ColumnStrip &strip() const { return m_strip; }

    // The event procedures.
    void Grid1_Click(int index);
    void Grid1_MouseDown(int index, int button);
    void Form_DragDrop(const vb::DragPayload &source);
    void HScroll1_Change(int value);

protected:
    void formLoad() override;

private:
    void render();

    keywords::KeywordGraph m_graph;
    keywords::ColumnStrip m_strip;
};
