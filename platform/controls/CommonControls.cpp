#include "CommonControls.h"

#include "Error.h"
#include "Events.h"
#include "Twips.h"

#include <QAction>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QToolButton>
#include <QToolTip>
#include <cmath>

namespace vb {

namespace {
[[noreturn]] void outOfBounds() { raise(ErrIndexOutOfBounds, QStringLiteral("Index out of bounds")); }
} // namespace

// --- TabStrip ----------------------------------------------------------------

namespace {
// Space beside a caption in the rows of a multi-row strip, in pixels: less
// than a one-row tab bar leaves, so that more tabs share a row.
constexpr int kRowTabPadding = 12;
} // namespace

TabStrip::TabStrip(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QTabBar(this))
{
    m_bar->setExpanding(false);
    m_bar->setDrawBase(true);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        update();
        if (index >= 0)
            runEvent([this] { emit click(); });
    });
}

void TabStrip::setMultiRow(bool on)
{
    m_multiRow = on;
    m_bar->setVisible(!on);
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
    update();
}

TabStrip::RowLayout TabStrip::rowLayout() const
{
    RowLayout l;
    const int n = m_bar->count();
    l.rects.resize(n);
    l.rowOf.resize(n);
    if (n == 0)
        return l;
    const QFontMetrics fm = fontMetrics();
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.shape = QTabBar::RoundedNorth;
    const int vspace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
    QVector<QSize> sizes(n);
    int rowHeight = 0;
    for (int i = 0; i < n; ++i) {
        opt.text = m_bar->tabText(i);
        const QSize content(fm.size(Qt::TextShowMnemonic, opt.text).width() + kRowTabPadding,
                            fm.height() + vspace);
        sizes[i] = style()->sizeFromContents(QStyle::CT_TabBarTab, &opt, content, this);
        rowHeight = qMax(rowHeight, sizes[i].height());
    }
    // Tabs fill rows from the first; a tab wider than the strip has a row
    // of its own.
    QVector<QVector<int>> rows(1);
    int used = 0;
    for (int i = 0; i < n; ++i) {
        if (!rows.last().isEmpty() && used + sizes[i].width() > width()) {
            rows.append(QVector<int>());
            used = 0;
        }
        rows.last().append(i);
        used += sizes[i].width();
    }
    // The row of the selected tab goes next to the page.
    const int current = m_bar->currentIndex();
    for (int r = 0; r < rows.size() - 1; ++r) {
        if (rows[r].contains(current)) {
            rows.append(rows.takeAt(r));
            break;
        }
    }
    l.rows = int(rows.size());
    l.height = l.rows * rowHeight;
    for (int r = 0; r < l.rows; ++r) {
        const QVector<int> &row = rows[r];
        int natural = 0;
        for (int i : row)
            natural += sizes[i].width();
        // Several rows are stretched to the strip's width.
        const int extra = l.rows > 1 ? qMax(0, width() - natural) : 0;
        int x = 0;
        for (int k = 0; k < row.size(); ++k) {
            const int i = row[k];
            int w = sizes[i].width() + extra / int(row.size());
            if (k == row.size() - 1 && l.rows > 1)
                w = qMax(w, width() - x);
            l.rects[i] = QRect(x, r * rowHeight, w, rowHeight);
            l.rowOf[i] = r;
            x += w;
        }
    }
    return l;
}

int TabStrip::rowCount() const { return m_multiRow ? rowLayout().rows : (m_bar->count() ? 1 : 0); }

QRect TabStrip::tabRect(int index) const
{
    check(index);
    return m_multiRow ? rowLayout().rects.at(index - 1) : m_bar->tabRect(index - 1).translated(m_bar->pos());
}

int TabStrip::tabAt(const QPoint &pos) const
{
    const RowLayout l = rowLayout();
    for (int i = 0; i < l.rects.size(); ++i)
        if (l.rects[i].contains(pos))
            return i;
    return -1;
}

int TabStrip::barHeight() const
{
    return m_multiRow ? rowLayout().height : m_bar->sizeHint().height();
}

void TabStrip::paintEvent(QPaintEvent *e)
{
    QWidget::paintEvent(e);
    if (!m_multiRow || m_bar->count() == 0)
        return;
    const RowLayout l = rowLayout();
    const int current = m_bar->currentIndex();
    QPainter p(this);
    // The base line under the tabs, broken by the selected tab.
    QStyleOptionTabBarBase base;
    base.initFrom(this);
    base.shape = QTabBar::RoundedNorth;
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    base.rect = QRect(0, l.height - overlap, width(), overlap);
    base.tabBarRect = QRect(0, 0, width(), l.height);
    if (current >= 0)
        base.selectedTabRect = l.rects[current];
    style()->drawPrimitive(QStyle::PE_FrameTabBarBase, &base, &p, this);
    // The selected tab last, over its neighbours.
    QVector<int> order;
    for (int i = 0; i < m_bar->count(); ++i)
        if (i != current)
            order.append(i);
    if (current >= 0)
        order.append(current);
    for (int i : order) {
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.shape = QTabBar::RoundedNorth;
        opt.text = m_bar->tabText(i);
        opt.rect = l.rects[i];
        opt.row = l.rowOf[i];
        int first = i, last = i;
        while (first > 0 && l.rowOf[first - 1] == l.rowOf[i])
            --first;
        while (last + 1 < l.rowOf.size() && l.rowOf[last + 1] == l.rowOf[i])
            ++last;
        opt.position = first == last ? QStyleOptionTab::OnlyOneTab
                       : i == first  ? QStyleOptionTab::Beginning
                       : i == last   ? QStyleOptionTab::End
                                     : QStyleOptionTab::Middle;
        opt.selectedPosition = current == i - 1 && i > first   ? QStyleOptionTab::PreviousIsSelected
                               : current == i + 1 && i < last ? QStyleOptionTab::NextIsSelected
                                                              : QStyleOptionTab::NotAdjacent;
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        if (i == current) {
            opt.state |= QStyle::State_Selected;
            if (hasFocus())
                opt.state |= QStyle::State_HasFocus;
        }
        style()->drawControl(QStyle::CE_TabBarTabShape, &opt, &p, this);
        // The caption with the rows' own narrow padding (the style's label
        // would keep its wider one and cut the caption).
        QRect text = opt.rect.adjusted(kRowTabPadding / 2, 0, -kRowTabPadding / 2, 0);
        if (i != current)
            text.translate(0, style()->pixelMetric(QStyle::PM_TabBarTabShiftVertical, &opt, this));
        style()->drawItemText(&p, text, Qt::AlignCenter | Qt::TextShowMnemonic, opt.palette, isEnabled(),
                              opt.text, QPalette::WindowText);
        if (opt.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = text.adjusted(-2, 2, 2, -2);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
        }
    }
}

void TabStrip::mousePressEvent(QMouseEvent *e)
{
    if (!m_multiRow || e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const int i = tabAt(e->position().toPoint());
    if (i >= 0 && isEnabled())
        m_bar->setCurrentIndex(i);
}

void TabStrip::keyPressEvent(QKeyEvent *e)
{
    const int step = e->key() == Qt::Key_Left ? -1 : e->key() == Qt::Key_Right ? 1 : 0;
    const int next = m_bar->currentIndex() + step;
    if (!m_multiRow || step == 0 || next < 0 || next >= m_bar->count()) {
        QWidget::keyPressEvent(e);
        return;
    }
    m_bar->setCurrentIndex(next);
}

bool TabStrip::event(QEvent *e)
{
    if (m_multiRow && e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const int i = tabAt(help->pos());
        if (i >= 0 && !m_bar->tabToolTip(i).isEmpty())
            QToolTip::showText(help->globalPos(), m_bar->tabToolTip(i), this, tabRect(i + 1));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void TabStrip::check(int index) const
{
    if (index < 1 || index > m_bar->count())
        outOfBounds();
}

int TabStrip::tabCount() const { return m_bar->count(); }

int TabStrip::addTab(const QString &caption, const QString &toolTipText)
{
    const QSignalBlocker block(m_bar); // the first tab becomes current without a click
    const int i = m_bar->addTab(caption);
    m_bar->setTabToolTip(i, toolTipText);
    update();
    return i + 1;
}

QString TabStrip::tabCaption(int index) const
{
    check(index);
    return m_bar->tabText(index - 1);
}

void TabStrip::setTabCaption(int index, const QString &caption)
{
    check(index);
    m_bar->setTabText(index - 1, caption);
    update();
}

QString TabStrip::tabToolTipText(int index) const
{
    check(index);
    return m_bar->tabToolTip(index - 1);
}

void TabStrip::setTabToolTipText(int index, const QString &text)
{
    check(index);
    m_bar->setTabToolTip(index - 1, text);
}

int TabStrip::selectedIndex() const { return m_bar->currentIndex() + 1; }

void TabStrip::setSelectedIndex(int index)
{
    check(index);
    m_bar->setCurrentIndex(index - 1);
}

QRect TabStrip::clientRect() const
{
    const int barH = barHeight();
    const int margin = 2;
    QRect r(margin, barH + margin, width() - 2 * margin, height() - barH - 2 * margin);
    if (r.width() < 0)
        r.setWidth(0);
    if (r.height() < 0)
        r.setHeight(0);
    return r.translated(pos());
}

double TabStrip::clientLeft() const { return twipsX(clientRect().x()); }
double TabStrip::clientTop() const { return twipsY(clientRect().y()); }
double TabStrip::clientWidth() const { return twipsX(clientRect().width()); }
double TabStrip::clientHeight() const { return twipsY(clientRect().height()); }

void TabStrip::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
}

// --- StatusBar ---------------------------------------------------------------

StatusBar::StatusBar(QWidget *parent, int panels)
    : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (int i = 0; i < panels; ++i)
        addPanel();
}

int StatusBar::addPanel(const QString &text, double widthTwips)
{
    auto *label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText); // panel texts may carry user text
    if (widthTwips > 0) {
        label->setFixedWidth(pixelsX(widthTwips));
        addPermanentWidget(label);
    } else {
        addWidget(label, 1);
    }
    m_panels.append(label);
    return int(m_panels.size());
}

QLabel *StatusBar::panel(int index) const
{
    if (index < 1 || index > m_panels.size())
        outOfBounds();
    return m_panels.at(index - 1);
}

QString StatusBar::panelText(int index) const { return panel(index)->text(); }
void StatusBar::setPanelText(int index, const QString &text) { panel(index)->setText(text); }

// --- ProgressBar -------------------------------------------------------------

ProgressBar::ProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(false);
    QProgressBar::setValue(0);
}

void ProgressBar::setValue(double value)
{
    if (std::isnan(value))
        value = minimum();
    const double v = qBound(double(minimum()), value, double(maximum()));
    QProgressBar::setValue(int(std::lround(v)));
}

void ProgressBar::setMin(int min) { setMinimum(min); }
void ProgressBar::setMax(int max) { setMaximum(max); }

// --- Toolbar -----------------------------------------------------------------

Toolbar::Toolbar(QWidget *parent)
    : QWidget(parent)
{
    // What a tool bar outside a main window's tool bar area is: no panel of
    // its own (the window shows through), hover tracking for its buttons.
    setBackgroundRole(QPalette::Button);
    setAttribute(Qt::WA_Hover);
}

QSize Toolbar::iconSize() const
{
    const int extent = style()->pixelMetric(QStyle::PM_ToolBarIconSize, nullptr, this);
    return QSize(extent, extent);
}

QAction *Toolbar::addButton(const QString &key, const QString &toolTipText, const QIcon &icon)
{
    auto *a = new QAction(icon, icon.isNull() ? key : QString(), this);
    a->setObjectName(key);
    a->setToolTip(toolTipText);
    addAction(a);
    auto *b = new QToolButton(this);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIconSize(iconSize());
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setDefaultAction(a);
    m_buttons.append(b);
    placeButtons(int(m_buttons.size()) - 1);
    b->setVisible(true);
    connect(a, &QAction::triggered, this, [this, key] { runEvent([&] { emit buttonClick(key); }); });
    return a;
}

// Left to right from the margin a tool bar keeps, each button as wide as it
// asks and as high as the bar leaves; from button `from` on.
void Toolbar::placeButtons(int from)
{
    const QStyle *s = style();
    const int margin = s->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, this)
                       + s->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, this);
    const int spacing = s->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, this);
    const int room = qMax(0, height() - 2 * margin);
    int x = from > 0 ? m_buttons.at(from - 1)->geometry().right() + 1 + spacing : margin;
    for (int i = from; i < m_buttons.size(); ++i) {
        QToolButton *b = m_buttons.at(i);
        const QSize hint = b->sizeHint();
        const int h = qMin(room, hint.height());
        b->setGeometry(x, margin + (room - h) / 2, hint.width(), h);
        x += hint.width() + spacing;
    }
}

void Toolbar::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    placeButtons();
}

void Toolbar::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() != QEvent::StyleChange && e->type() != QEvent::FontChange)
        return;
    for (QToolButton *b : std::as_const(m_buttons))
        b->setIconSize(iconSize());
    placeButtons();
}

QAction *Toolbar::button(const QString &key) const
{
    for (QAction *a : actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

} // namespace vb
