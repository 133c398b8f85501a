#include "Working.h"

#include "CommonControls.h"
#include "Placement.h"
#include "Twips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {

// A few paints a second follow the work; more would slow it.
constexpr int kPumpIntervalMs = 80;

bool isUserInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// While events are processed amid the work: user input is dropped, except
// what goes to the controls of the one window that may take it.
class InputGate : public QObject {
public:
    explicit InputGate(QWidget *open) : m_open(open) { qApp->installEventFilter(this); }
    ~InputGate() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (!isUserInput(e->type()))
            return false;
        // A close from the window system (its title bar) would unload the
        // window under the work: refused everywhere.
        if (e->type() == QEvent::Close && e->spontaneous())
            return true;
        if (e->type() == QEvent::Close)
            return false;
        // Input reaches the window first, then its widget.
        if (const auto *win = qobject_cast<QWindow *>(watched))
            return !(m_open && m_open->windowHandle() == win);
        const auto *w = qobject_cast<QWidget *>(watched);
        return !(m_open && w && (w == m_open || m_open->isAncestorOf(w)));
    }

private:
    QPointer<QWidget> m_open;
};

// The window pumped last and when: the pumps of one work are spaced.
QPointer<vb::Form> g_pumped;
QElapsedTimer g_lastPump;

QWidget *topOf(vb::Form &window) { return window.client() ? window.client()->window() : nullptr; }

} // namespace

void PaintProgress(vb::Form &window, bool acceptInput)
{
    QWidget *top = topOf(window);
    if (top)
        top->repaint();
    if (!qApp)
        return;
    // Always at once for a window not pumped yet: it must be mapped to be
    // painted at all.
    if (g_pumped == &window && g_lastPump.isValid() && g_lastPump.elapsed() < kPumpIntervalMs)
        return;
    g_pumped = &window;
    g_lastPump.start();
    const QPointer<vb::Form> alive(&window);
    InputGate gate(acceptInput ? top : nullptr);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (alive && top)
        top->repaint();
}

void EndProgress(vb::Form &window, bool acceptInput)
{
    if (g_pumped == &window)
        g_pumped = nullptr; // the next work pumps at once
    if (!qApp)
        return;
    // Everything the window system has handed over by now, with no time
    // limit: whatever is left would run after the work. Input that is still
    // on its way comes after the end, as the user sees it.
    InputGate gate(acceptInput ? topOf(window) : nullptr);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

Working::Working()
{
    setObjectName(QStringLiteral("Working"));
    setCaption(QStringLiteral("Working..."));
    QWidget *c = client();
    Frame1 = new QGroupBox(c);
    vb::setGeometryTwips(Frame1, 120, 60, 3960, 1620);
    Label1 = new QLabel(Frame1);
    Text3 = new QLineEdit(Frame1);
    Text4 = new QLineEdit(Frame1);
    Text3->setReadOnly(true);
    Text4->setReadOnly(true);
    ProgressBar1 = new vb::ProgressBar(Frame1);
    vb::setGeometryTwips(Label1, 120, 240, 3720, 300);
    vb::setGeometryTwips(Text3, 120, 600, 1740, 360);
    vb::setGeometryTwips(Text4, 2100, 600, 1740, 360);
    vb::setGeometryTwips(ProgressBar1, 120, 1080, 3720, 360);
    cmdStop = new QPushButton(QStringLiteral("Stop"), c);
    vb::setGeometryTwips(cmdStop, 1560, 1800, 1200, 375);
    cmdStop->hide();
    connect(cmdStop, &QPushButton::clicked, this, [this] { m_stop = true; });
    cmdStop->installEventFilter(this);

    addControl(QStringLiteral("Frame1"), Frame1);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Text3"), Text3);
    addControl(QStringLiteral("Text4"), Text4);
    addControl(QStringLiteral("ProgressBar1"), ProgressBar1);
    addControl(QStringLiteral("cmdStop"), cmdStop);
}

void Working::formLoad()
{
    setWidth(4320);
    setHeight(2220);
    const MainWindowSize m = mainWindowSize();
    setLeft(leftOverMainWindow(m, 4320));
    setTop(topOverMainWindow(m, 2220));
    vb::Form::refresh();
}

void Working::refresh() { PaintProgress(*this, m_stopOffered); }

void Working::formUnload(int &) { EndProgress(*this, m_stopOffered); }

void Working::offerStop()
{
    m_stopOffered = true;
    m_stop = false;
    // Room for the button below the frame.
    setHeight(2220 + 480);
    setTop(topOverMainWindow(mainWindowSize(), 2220 + 480));
    cmdStop->show();
    cmdStop->setFocus();
}

bool Working::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmdStop && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        m_stop = true;
        return true;
    }
    return vb::Form::eventFilter(watched, event);
}

CardSetProgress::CardSetProgress(qsizetype total) : m_total(total)
{
    if (total <= kCardsWithoutProgress)
        return;
    m_window = &vb::Forms::get<Working>();
    m_window->offerStop();
    m_window->Label1->setText(QStringLiteral("Opening cards..."));
    m_window->Text3->setText(QStringLiteral(" 0"));
    m_window->Text4->setText(u' ' + QString::number(total));
    m_window->ProgressBar1->setValue(0);
    m_window->show();
    m_window->refresh();
}

CardSetProgress::~CardSetProgress()
{
    if (m_window)
        vb::Forms::unload<Working>();
}

bool CardSetProgress::opened(qsizetype done)
{
    if (!m_window)
        return true;
    if (!vb::Forms::find<Working>())
        return false;
    m_window->Text3->setText(u' ' + QString::number(done));
    m_window->ProgressBar1->setValue(m_total > 0 ? int(done * 100 / m_total) : 0);
    m_window->refresh();
    return !m_window->stopRequested();
}
