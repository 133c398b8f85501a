#include "StripView.h"

#include "Events.h"
#include "ShownText.h"
#include "Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>

namespace keywords {

namespace {

// Twips, inside the frame: the grids at its top, the boxes under them, the
// scroll bar at its foot.
constexpr double kFrameTop = 120;
constexpr double kFrameHeight = 2415;
constexpr double kGridTop = 120;
constexpr double kGridWidth = 2175;
constexpr double kGridHeight = 1500;
constexpr double kBoxTop = 1680;
constexpr double kBoxHeight = 300;
constexpr double kScrollLeft = 120;
constexpr double kScrollTop = 2040;
constexpr double kScrollHeight = 255;

vb::FlexGrid *newGrid(QWidget *frame)
{
    auto *grid = new vb::FlexGrid(1, 1, 0, 0, frame);
    grid->setColWidth(0, kColumnWidth);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vb::setGeometryTwips(grid, kGridTop, kGridTop, kGridWidth, kGridHeight);
    return grid;
}

QLineEdit *newBox(QWidget *frame)
{
    auto *box = new QLineEdit(frame);
    // The box shows the chosen keyword; typing into it would make links to
    // keywords that are not in the base.
    box->setReadOnly(true);
    vb::setGeometryTwips(box, kGridTop, kBoxTop, kGridWidth, kBoxHeight);
    // Grid1Sel_MouseDown: the box and its keyword are dragged by the mouse.
    vb::enableAutomaticDrag(box, [box] { return vb::DragPayload::fromTextBox(box, box->text()); });
    return box;
}

} // namespace

StripView::StripView(QWidget *client, QObject *parent)
    : QObject(parent), m_serials(kMaxColumn + 1, -1)
{
    m_frame = new QFrame(client);
    m_frame->setObjectName(QStringLiteral("Panel3D1"));
    m_frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_scroll = new QScrollBar(Qt::Horizontal, m_frame);
    m_scroll->setObjectName(QStringLiteral("HScroll1"));
    m_scroll->setRange(0, 0);
    m_scroll->setPageStep(1);
    m_path = new QComboBox(client);
    m_path->setObjectName(QStringLiteral("Combo1"));

    vb::FlexGrid *grid = newGrid(m_frame);
    grid->setObjectName(QStringLiteral("Grid1"));
    m_grids.setDesign(grid, [this](int) { return newGrid(m_frame); });
    QLineEdit *box = newBox(m_frame);
    box->setObjectName(QStringLiteral("Grid1Sel"));
    m_boxes.setDesign(box, [this](int) { return newBox(m_frame); });
    connectColumn(0);

    vb::connectEvent(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_rendering && onScroll)
            onScroll(value);
    });
}

void StripView::connectColumn(int index)
{
    vb::FlexGrid *grid = m_grids[index];
    vb::connectEvent(grid, &vb::FlexGrid::click, this, [this, index] {
        if (onClick)
            onClick(index);
    });
    vb::connectEvent(grid, &vb::FlexGrid::mouseDown, this, [this, index](int button) {
        if (onMouseDown)
            onMouseDown(index, button);
    });
    vb::connectEvent(grid, &vb::FlexGrid::dragDrop, this, [this, index](const vb::DragPayload &source) {
        if (onDrop)
            onDrop(index, source);
    });
}

void StripView::render(const ColumnStrip &strip)
{
    const bool wasRendering = m_rendering;
    m_rendering = true;
    const StripLayout layout(strip);
    for (int i = kMaxColumn; i > strip.lastColumn(); --i) {
        if (i > 0 && m_grids.exists(i))
            m_grids.unload(i);
        if (i > 0 && m_boxes.exists(i))
            m_boxes.unload(i);
        m_serials[i] = -1;
    }

    vb::setGeometryTwips(m_frame, layout.frameLeft(), kFrameTop, layout.frameWidth(), kFrameHeight);
    for (int i = 0; i <= strip.lastColumn(); ++i) {
        if (!m_grids.exists(i)) {
            m_grids.load(i);
            connectColumn(i);
            m_serials[i] = -1;
        }
        if (!m_boxes.exists(i))
            m_boxes.load(i);
        vb::FlexGrid *grid = m_grids[i];
        QLineEdit *box = m_boxes[i];
        const StripColumn &column = strip.column(i);
        if (m_serials[i] != column.serial) {
            grid->clear();
            grid->setRows(int(column.rows.size()));
            for (int r = 0; r < column.rows.size(); ++r)
                grid->setTextMatrix(r, 0, column.rows.at(r));
            if (!column.rows.isEmpty())
                grid->setTopRow(0);
            m_serials[i] = column.serial;
        }
        // Only a chosen keyword shows highlighted: the grid's own current
        // row of a column just opened is no choice.
        const bool chosen = column.row >= 0 && column.row < grid->rows();
        if (chosen) {
            grid->setRow(column.row);
            grid->setRowSel(column.row);
        }
        grid->setHighlight(chosen);
        box->setText(column.chosen);
        box->setCursorPosition(0);
        const double left = layout.columnLeft(i);
        vb::setLeft(grid, left);
        vb::setLeft(box, left);
        const bool visible = strip.isVisible(i);
        grid->setVisible(visible);
        box->setVisible(visible);
    }

    vb::setGeometryTwips(m_scroll, kScrollLeft, kScrollTop, layout.scrollWidth(), kScrollHeight);
    m_scroll->setRange(strip.scrollMin(), strip.scrollMax());
    m_scroll->setValue(strip.scrollValue());

    if (strip.path() != m_shownPath || strip.pathIndex() != m_shownPathIndex) {
        m_path->clear();
        // Shown only, never read back: each keyword as far as it shows.
        for (const QString &keyword : strip.path())
            m_path->addItem(vb::shownText(keyword));
        m_path->setCurrentIndex(strip.pathIndex());
        m_shownPath = strip.path();
        m_shownPathIndex = strip.pathIndex();
    }
    m_rendering = wasRendering;
}

} // namespace keywords
