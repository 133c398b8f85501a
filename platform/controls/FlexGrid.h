#pragma once
// The flex grid of the list and result windows: a table of text cells with
// fixed (header) rows and columns, a current cell and a selected block, all
// addressed by grid row and column with the fixed ones counted (row 0 is the
// header row when there is one).
//
// Failures raise vb::Error: 30009 "Invalid Row value", 30010 "Invalid Column
// value", 30015 "Cannot remove last non-fixed row", 381 "Subscript out of
// range" (TextMatrix).

#include "DragDrop.h"

#include <QColor>
#include <QHash>
#include <QTableView>
#include <QVector>

namespace vb {

class FlexModel;

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    // The runtime's design defaults: 2 rows, 2 columns, one fixed of each.
    explicit FlexGrid(QWidget *parent = nullptr);
    FlexGrid(int rows, int cols, int fixedRows, int fixedCols, QWidget *parent = nullptr);
    ~FlexGrid() override;

    int rows() const { return m_cells.rows; }
    // Shrinking drops the last rows, growing adds empty ones; 0 is allowed.
    // A current row beyond the new end moves to the last row.
    void setRows(int rows);
    int cols() const { return m_cols; }
    void setCols(int cols);
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);
    int fixedCols() const { return m_fixedCols; }
    void setFixedCols(int n);

    // Current cell; -1 when the grid has no rows (or columns). Setting
    // either collapses the selection to the current cell and raises
    // rowColChange when it moved.
    int row() const { return m_row; }
    void setRow(int row);
    int col() const { return m_col; }
    void setCol(int col);
    // The other corner of the selected block.
    int rowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int colSel() const { return m_colSel; }
    void setColSel(int col);
    // Whether the selected block is drawn (the default); the current cell
    // and the block are kept either way.
    bool highlight() const { return m_highlight; }
    void setHighlight(bool shown);

    // Text of the current cell; "" when there is none.
    QString text() const;
    void setText(const QString &text);
    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    // The selected block: cells joined by tabs, rows by carriage returns.
    QString clip() const;

    // While one lives, the texts written into cells reach the view once, as
    // the last one ends, instead of cell by cell: for fills of many rows.
    class FillBatch {
    public:
        explicit FillBatch(FlexGrid *grid);
        ~FillBatch();
        FillBatch(const FillBatch &) = delete;
        FillBatch &operator=(const FillBatch &) = delete;

    private:
        FlexGrid *m_grid;
    };

    // Twips.
    double colWidth(int col) const;
    void setColWidth(int col, double twips);

    // First scrollable row in view; setting it scrolls as far as the grid
    // allows. Raises 30009 outside the scrollable rows.
    int topRow() const;
    void setTopRow(int row);

    // Adds a row at the end, or before `index`; tabs in the text separate
    // the columns.
    void addItem(const QString &text, int index = -1);
    // Raises 30015 when it is the last non-fixed row.
    void removeItem(int row);
    // Empties every cell and its colours; rows and columns stay.
    void clear();
    void refresh();

    // Colours of the current cell; an unset colour reads as the default.
    QColor cellBackColor() const;
    void setCellBackColor(const QColor &color);
    QColor cellForeColor() const;
    void setCellForeColor(const QColor &color);

    // The cell under the mouse at the last mouse event, -1 outside cells.
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }

signals:
    void click();
    void dblClick();
    // Button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt;
    // x and y in twips from the grid's top left.
    void mouseDown(int button, int shift, double x, double y);
    void mouseMove(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);
    // The current cell moved, by the user or by code.
    void rowColChange();
    void dragDrop(const vb::DragPayload &source, double x, double y);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    friend class FlexModel;
    struct Cell {
        QString text;
    };
    struct Colors {
        QColor back, fore; // invalid: the default
    };

    int headerRows() const; // 0 or 1: the fixed row shown as the column header
    int headerCols() const;
    void checkRow(int row) const;
    void checkCol(int col) const;
    void moveCurrent(int row, int col, int rowSel, int colSel, bool notify);
    void showSelection();
    void applyLayout();
    void pointerAt(QPoint viewportPos, int &row, int &col) const;
    void emitMouse(void (FlexGrid::*signal)(int, int, double, double), QMouseEvent *e, QWidget *from,
                   bool press);
    void headerMouse(QEvent *e, bool columnHeader);

    // Every cell's text, row after row, in one block, and the colours of
    // the few cells given any: a grid of many rows is one allocation, not
    // one for each row.
    struct Cells {
        QVector<Cell> all;
        QHash<qsizetype, Colors> colors; // by place in `all`
        int rows = 0, cols = 0;
        Cell &at(int r, int c) { return all[qsizetype(r) * cols + c]; }
        const Cell &at(int r, int c) const { return all.at(qsizetype(r) * cols + c); }
        Colors colorsAt(int r, int c) const { return colors.value(qsizetype(r) * cols + c); }
        Colors &paint(int r, int c) { return colors[qsizetype(r) * cols + c]; }
        void setRows(int n);
        void setCols(int n);
        void insertRow(int r, const QVector<Cell> &line);
        void removeRow(int r);
        void clear();
        // Colours moved as their cells move: the cell at place p goes to
        // to(p), or nowhere when it is negative.
        template <class To> void moveColors(To to);
    };
    Cells m_cells;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    int m_row = -1, m_col = -1, m_rowSel = -1, m_colSel = -1;
    int m_mouseRow = -1, m_mouseCol = -1;
    QVector<int> m_colWidthPx;
    int m_fillBatches = 0;
    bool m_batchChanged = false;
    bool m_leftPressed = false;
    bool m_afterDoubleClick = false;
    bool m_highlight = true;
    FlexModel *m_model = nullptr;
};

} // namespace vb
