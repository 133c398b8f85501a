#pragma once
// The widgets of a column strip, shared by the two graph browsers: the frame
// Panel3D1 with one grid a column (Grid1) and one keyword box under each
// (Grid1Sel), the scroll bar HScroll1 at the frame's foot, and the path list.
// The view follows a ColumnStrip: it loads and unloads the column controls,
// fills only the grids whose rows changed, and places and shows each column
// by its slot. The user's actions come back through the callbacks, each run
// as an event procedure.

#include "ColumnStrip.h"
#include "DragDrop.h"
#include "FlexGrid.h"
#include "Form.h"

#include <QObject>
#include <QVector>
#include <functional>

class QComboBox;
class QFrame;
class QLineEdit;
class QScrollBar;
class QWidget;

namespace keywords {

class StripView : public QObject {
    Q_OBJECT
public:
    StripView(QWidget *client, QObject *parent = nullptr);

    QFrame *frame() const { return m_frame; }
    QScrollBar *scrollBar() const { return m_scroll; }
    QComboBox *pathList() const { return m_path; }
    vb::ControlArray<vb::FlexGrid> &grids() { return m_grids; }
    vb::ControlArray<QLineEdit> &boxes() { return m_boxes; }

    std::function<void(int index)> onClick;
    std::function<void(int index, int button)> onMouseDown;
    // Null: the columns take no drop (the drop then goes nowhere).
    std::function<void(int index, const vb::DragPayload &source)> onDrop;
    std::function<void(int value)> onScroll;

    void render(const ColumnStrip &strip);

private:
    void connectColumn(int index);

    QFrame *m_frame;
    QScrollBar *m_scroll;
    QComboBox *m_path;
    vb::ControlArray<vb::FlexGrid> m_grids;
    vb::ControlArray<QLineEdit> m_boxes;
    QVector<int> m_serials;
    QStringList m_shownPath;
    int m_shownPathIndex = -1;
    bool m_rendering = false;
};

} // namespace keywords
