#include "CommonControls.h"

#include "Error.h"
#include "Events.h"
#include "Twips.h"

#include <QAction>
#include <QLabel>
#include <QTabBar>
#include <cmath>

namespace vb {

namespace {
[[noreturn]] void outOfBounds() { raise(ErrIndexOutOfBounds, QStringLiteral("Index out of bounds")); }
} // namespace

// --- TabStrip ----------------------------------------------------------------

TabStrip::TabStrip(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QTabBar(this))
{
    m_bar->setExpanding(false);
    m_bar->setDrawBase(true);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0)
            runEvent([this] { emit click(); });
    });
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
    const int barH = m_bar->sizeHint().height();
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
    : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
}

QAction *Toolbar::addButton(const QString &key, const QString &toolTipText, const QIcon &icon)
{
    QAction *a = addAction(icon, icon.isNull() ? key : QString());
    a->setObjectName(key);
    a->setToolTip(toolTipText);
    connect(a, &QAction::triggered, this, [this, key] { runEvent([&] { emit buttonClick(key); }); });
    return a;
}

QAction *Toolbar::button(const QString &key) const
{
    for (QAction *a : actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

} // namespace vb
