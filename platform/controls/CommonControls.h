#pragma once
// The common controls the windows use: tab strip, status bar, progress bar
// and toolbar. Indexes are 1-based as the windows count them; a bad index
// raises 35600 "Index out of bounds".

#include <QProgressBar>
#include <QRect>
#include <QStatusBar>
#include <QVector>
#include <QWidget>

class QTabBar;
class QToolButton;
class QLabel;

namespace vb {

enum : int { ErrIndexOutOfBounds = 35600 };

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget *parent = nullptr);

    int tabCount() const;
    int addTab(const QString &caption, const QString &toolTipText = QString());
    QString tabCaption(int index) const;
    void setTabCaption(int index, const QString &caption);
    QString tabToolTipText(int index) const;
    void setTabToolTipText(int index, const QString &text);
    // SelectedItem.Index: 1-based, 0 when there is no tab. Selecting another
    // tab, by the user or by code, raises click.
    int selectedIndex() const;
    void setSelectedIndex(int index);

    // MultiRow: the tabs that do not fit the strip's width go on further
    // rows instead of behind scroll arrows; each caption shows whole, the
    // rows are stretched to the strip's width, and the row of the selected
    // tab lies next to the page. Off, the tabs keep one row.
    bool multiRow() const { return m_multiRow; }
    void setMultiRow(bool on);
    // Rows of tabs shown, and where tab `index` (1-based) lies in the strip.
    int rowCount() const;
    QRect tabRect(int index) const;

    // The page area below the tabs, in twips, in the coordinates of the
    // strip's container (where the panes placed on it live).
    double clientLeft() const;
    double clientTop() const;
    double clientWidth() const;
    double clientHeight() const;

    // The tabs' captions, tooltips and selection (drawn by it in one row).
    QTabBar *tabBar() const { return m_bar; }

signals:
    void click();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool event(QEvent *e) override;

private:
    struct RowLayout {
        QVector<QRect> rects; // by tab, 0-based
        QVector<int> rowOf;   // the row each tab is on, 0 at the top
        int rows = 0;
        int height = 0;
    };
    void check(int index) const;
    QRect clientRect() const;
    int barHeight() const;
    RowLayout rowLayout() const;
    int tabAt(const QPoint &pos) const;
    // Before the bar: making the bar sends this strip events that read it.
    bool m_multiRow = false;
    QTabBar *m_bar;
};

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    // A new status bar has one panel, as the runtime's does.
    explicit StatusBar(QWidget *parent = nullptr, int panels = 1);
    int panelCount() const { return int(m_panels.size()); }
    // Width in twips; 0 or less lets the panel take the room left.
    int addPanel(const QString &text = QString(), double widthTwips = 0);
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);

private:
    QLabel *panel(int index) const;
    QList<QLabel *> m_panels;
};

// Min 0 and Max 100 by default. An out-of-range Value is clamped into
// Min..Max (the old control raised error 380, which would have stopped a
// long operation for the sake of its progress display).
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget *parent = nullptr);
    void setValue(double value);
    void setMin(int min);
    void setMax(int max);
};

// Tools identified by key; a click on one raises buttonClick(key).
// A row of buttons that never overflows its width (the windows give it room
// for its few tools): the buttons stand where a tool bar places them, drawn
// as a tool bar draws them, without a tool bar's overflow menu and layout,
// which cost more to build than the buttons themselves.
class Toolbar : public QWidget {
    Q_OBJECT
public:
    explicit Toolbar(QWidget *parent = nullptr);
    QAction *addButton(const QString &key, const QString &toolTipText, const QIcon &icon = QIcon());
    QAction *button(const QString &key) const;

signals:
    void buttonClick(const QString &key);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    QSize iconSize() const;
    void placeButtons(int from = 0);
    QList<QToolButton *> m_buttons;
};

} // namespace vb
