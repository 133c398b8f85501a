#pragma once
// Line and Shape drawing controls, the picture clip, and the reading and
// writing of control geometry by property name (for code that resizes
// every control of a window).

#include <QColor>
#include <QPixmap>
#include <QVariant>
#include <QWidget>

namespace vb {

// A line between two points given in twips in its container's coordinates.
// It takes no mouse input.
class LineControl : public QWidget {
    Q_OBJECT
public:
    explicit LineControl(QWidget *parent = nullptr);
    double x1() const { return m_x1; }
    double y1() const { return m_y1; }
    double x2() const { return m_x2; }
    double y2() const { return m_y2; }
    void setX1(double t) { m_x1 = t; place(); }
    void setY1(double t) { m_y1 = t; place(); }
    void setX2(double t) { m_x2 = t; place(); }
    void setY2(double t) { m_y2 = t; place(); }
    void setPoints(double x1, double y1, double x2, double y2);
    QColor borderColor() const { return m_color; }
    void setBorderColor(const QColor &c) { m_color = c; update(); }
    int borderWidth() const { return m_width; } // pixels
    void setBorderWidth(int px) { m_width = qMax(1, px); place(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void place();
    double m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    QColor m_color = Qt::black;
    int m_width = 1;
};

class ShapeControl : public QWidget {
    Q_OBJECT
public:
    enum Shape { Rectangle = 0, Square = 1, Oval = 2, Circle = 3, RoundedRectangle = 4, RoundedSquare = 5 };
    enum FillStyle { Solid = 0, Transparent = 1 };
    explicit ShapeControl(QWidget *parent = nullptr);
    int shape() const { return m_shape; }
    void setShape(int shape) { m_shape = shape; update(); }
    int fillStyle() const { return m_fillStyle; }
    void setFillStyle(int style) { m_fillStyle = style; update(); }
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor &c) { m_fillColor = c; update(); }
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &c) { m_borderColor = c; update(); }
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int px) { m_borderWidth = qMax(0, px); update(); }
    // BackStyle 1 (opaque) fills the box behind the shape with BackColor.
    bool opaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; update(); }
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &c) { m_backColor = c; update(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int m_shape = Rectangle;
    int m_fillStyle = Transparent;
    QColor m_fillColor = Qt::black;
    QColor m_borderColor = Qt::black;
    int m_borderWidth = 1;
    bool m_opaque = false;
    QColor m_backColor = Qt::white;
};

// A picture cut into a grid of equal cells.
class PictureClip {
public:
    void setPicture(const QPixmap &picture) { m_picture = picture; }
    const QPixmap &picture() const { return m_picture; }
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // Raises 380 for a count below 1.
    void setRows(int rows);
    void setCols(int cols);
    // Cell i, counted row by row from 0; raises 380 outside the cells.
    QPixmap graphicCell(int index) const;
    // Any rectangle of the picture, in pixels.
    QPixmap clip(int x, int y, int width, int height) const;

private:
    QPixmap m_picture;
    int m_rows = 1;
    int m_cols = 1;
};

// Left, Top, Width, Height (twips; for a line, its bounding box), X1, Y1,
// X2, Y2 (lines), Visible, Enabled and Tag of a control by name. Raises 438
// for a name the control does not have.
QVariant controlProperty(const QObject *control, const QString &name);
void setControlProperty(QObject *control, const QString &name, const QVariant &value);

} // namespace vb
