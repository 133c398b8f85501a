#include "Form.h"

#include "Error.h"
#include "Events.h"
#include "SecondClickGuard.h"
#include "ShownText.h"
#include "Twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QtDebug>

namespace vb {

namespace {

QList<QPointer<Form>> g_forms;
QPointer<Form> g_active;
QList<std::function<void()>> g_endHooks;
std::function<void()> g_endHandler;
bool g_endQueued = false;
bool g_ending = false;
bool g_programEnded = false;
// Frame margins of the last top-level window seen on screen: the best guess
// for a window not yet shown.
QMargins g_lastMargins;

void endProgram()
{
    g_programEnded = true;
    if (g_endHandler)
        g_endHandler();
    else if (QCoreApplication::instance())
        QCoreApplication::exit(0);
}

} // namespace

namespace detail {

class FormWindow : public QMainWindow {
public:
    explicit FormWindow(Form *form)
        : m_form(form)
    {
        auto *client = new QWidget(this);
        setCentralWidget(client);
        client->installEventFilter(this);
    }

    Form *form() const { return m_form; }

protected:
    void closeEvent(QCloseEvent *e) override
    {
        if (!m_form || !m_form->isLoaded()) {
            e->accept();
            return;
        }
        // The runtime decides: the window goes (later) if its hooks agree.
        e->ignore();
        QPointer<Form> form = m_form;
        runEvent([&] { form->unloadWith(vbFormControlMenu); });
    }

    void resizeEvent(QResizeEvent *e) override
    {
        QMainWindow::resizeEvent(e);
        if (m_form)
            m_form->windowResized();
    }

    void showEvent(QShowEvent *e) override
    {
        QMainWindow::showEvent(e);
        if (isWindow() && frameGeometry() != geometry()) {
            const QRect f = frameGeometry(), g = geometry();
            g_lastMargins = QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                                     f.bottom() - g.bottom());
        }
    }

    void changeEvent(QEvent *e) override
    {
        QMainWindow::changeEvent(e);
        if (e->type() == QEvent::ActivationChange && isWindow() && isActiveWindow() && m_form)
            m_form->activated();
    }

    void keyPressEvent(QKeyEvent *e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && m_form
            && m_form->defaultButtonPressed()) {
            e->accept();
            return;
        }
        QMainWindow::keyPressEvent(e);
    }

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonRelease && m_form && watched == centralWidget()) {
            auto *me = static_cast<QMouseEvent *>(e);
            // Clicks that a child ignored come up to the surface too; only
            // the surface's own count.
            if (me->button() == Qt::LeftButton && !centralWidget()->childAt(me->position().toPoint()))
                m_form->windowClicked();
        }
        return QMainWindow::eventFilter(watched, e);
    }

private:
    QPointer<Form> m_form;
};

} // namespace detail

[[noreturn]] void raiseControlArray(int number)
{
    switch (number) {
    case 360: raise(360, QStringLiteral("Object already loaded"));
    case 362: raise(362, QStringLiteral("Can't unload controls created at design time"));
    default: raise(340, QStringLiteral("Control array element does not exist"));
    }
}

// ---------------------------------------------------------------------------
// Form

Form::Form(QObject *parent)
    : QObject(parent)
{
    m_window = new detail::FormWindow(this);
    installSecondClickGuard();
}

Form *formOfWidget(QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            if (auto *fw = dynamic_cast<detail::FormWindow *>(sub->widget()))
                return fw->form();
        if (auto *fw = dynamic_cast<detail::FormWindow *>(w))
            return fw->form();
    }
    return nullptr;
}

Form::~Form()
{
    if (m_loaded)
        Forms::removed(this);
    if (m_sub)
        delete m_sub.data();
    else if (m_window)
        delete m_window.data();
}

QMainWindow *Form::window() const { return m_window; }
QWidget *Form::client() const { return m_window ? m_window->centralWidget() : nullptr; }

void Form::load()
{
    if (m_loaded || m_dead)
        return;
    m_loaded = true;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::setQuitOnLastWindowClosed(false);
    g_programEnded = false;
    Forms::added(this);
    for (Timer *t : findChildren<Timer *>(Qt::FindDirectChildrenOnly))
        t->update();
    QPointer<Form> self = this;
    runEvent([this] { formLoad(); });
    if (self)
        emit loadedSignal();
}

void Form::show()
{
    if (m_dead) {
        qWarning("Corvane: Show on an unloaded form %s", qPrintable(objectName()));
        return;
    }
    load();
    if (m_dead)
        return; // its Form_Load unloaded it
    if (m_mdiChild)
        placeInMdi();
    const auto pendingWidth = m_pendingWidth, pendingHeight = m_pendingHeight;
    applyPending();
    if (m_sub) {
        m_window->show();
        m_sub->show();
        if (m_keptInside)
            moveInsideMdiArea();
        m_sub->raise();
        if (QMdiArea *area = m_sub->mdiArea())
            area->setActiveSubWindow(m_sub);
    } else {
        m_window->show();
        // The frame is known once the window is on screen: give the outer
        // size asked for, not the client size of a guessed frame.
        if (pendingWidth || pendingHeight) {
            m_pendingWidth = pendingWidth;
            m_pendingHeight = pendingHeight;
            applyPending();
        }
        m_window->raise();
        m_window->activateWindow();
    }
    if (qobject_cast<MdiForm *>(this) && static_cast<MdiForm *>(this)->activeChild())
        Forms::setActive(static_cast<MdiForm *>(this)->activeChild());
    else
        Forms::setActive(this);
}

void Form::hide()
{
    if (m_sub)
        m_sub->hide();
    else if (m_window)
        m_window->hide();
}

bool Form::unload() { return unloadWith(vbFormCode); }

bool Form::queryUnload(int mode)
{
    int cancel = 0;
    runEvent([&] { formQueryUnload(cancel, mode); });
    return cancel == 0;
}

bool Form::runUnloadHook()
{
    int cancel = 0;
    runEvent([&] { formUnload(cancel); });
    return cancel == 0;
}

bool Form::unloadWith(int mode)
{
    if (!m_loaded)
        return true;
    if (m_unloading)
        return true; // Unload from inside its own QueryUnload/Unload: already going
    QPointer<Form> self = this;
    m_unloading = true;
    auto done = [&](bool result) {
        if (self)
            self->m_unloading = false;
        return result;
    };

    auto *mdi = qobject_cast<MdiForm *>(this);
    QList<QPointer<Form>> children;
    if (mdi)
        for (Form *c : mdi->children())
            children.append(c);

    if (!queryUnload(mode))
        return done(false);
    for (const QPointer<Form> &c : children) {
        if (!c || !c->m_loaded || c->m_unloading)
            continue;
        c->m_unloading = true;
        const bool ok = c->queryUnload(vbFormMDIForm);
        if (c)
            c->m_unloading = false;
        if (!ok)
            return done(false);
    }
    for (const QPointer<Form> &c : children) {
        if (!c || !c->m_loaded || c->m_unloading)
            continue;
        c->m_unloading = true;
        const bool ok = c->runUnloadHook();
        if (!c)
            continue;
        c->m_unloading = false;
        if (!ok)
            return done(false);
        if (c->m_loaded)
            c->finishUnload();
    }
    if (!self || !self->m_loaded)
        return done(true);
    if (!runUnloadHook())
        return done(false);
    if (self && self->m_loaded)
        finishUnload();
    return done(true);
}

void Form::dropSilently()
{
    m_loaded = false;
    m_dead = true;
    for (Timer *t : findChildren<Timer *>(Qt::FindDirectChildrenOnly))
        t->update();
    hide();
    deleteLater();
}

void Form::finishUnload()
{
    m_loaded = false;
    m_dead = true;
    for (Timer *t : findChildren<Timer *>(Qt::FindDirectChildrenOnly))
        t->update();
    if (g_active == this)
        g_active = nullptr;
    Forms::removed(this);
    hide();
    emit unloadedSignal();
    deleteLater();
    Forms::checkProgramEnd();
}

void Form::refresh()
{
    if (m_window)
        m_window->repaint();
}

void Form::bringToFront()
{
    if (!m_loaded || !isVisible())
        return;
    if (m_sub) {
        m_sub->raise();
        if (QMdiArea *area = m_sub->mdiArea())
            area->setActiveSubWindow(m_sub);
    } else if (m_window) {
        m_window->raise();
        m_window->activateWindow();
    }
}

void Form::setFocus()
{
    if (m_sub && m_sub->mdiArea())
        m_sub->mdiArea()->setActiveSubWindow(m_sub);
    else if (m_window)
        m_window->activateWindow();
    if (m_window)
        m_window->setFocus();
}

bool Form::isVisible() const
{
    if (m_sub)
        return m_sub->isVisible();
    return m_window && m_window->isVisible();
}

void Form::setVisible(bool visible)
{
    if (visible)
        show();
    else
        hide();
}

bool Form::isEnabled() const { return m_window && m_window->isEnabled(); }

void Form::setEnabled(bool enabled)
{
    if (m_window)
        m_window->setEnabled(enabled);
}

void Form::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_window) {
        // "[*]" is Qt's modified-mark placeholder; a caption made of user
        // text must show as written.
        // A title bar elides its title by laying it all out: a caption
        // made of a value of the base shows as far as any title can.
        QString shown = shownText(caption);
        shown.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
        m_window->setWindowTitle(shown);
    }
}

// --- geometry ---------------------------------------------------------------

QWidget *Form::frameWidget() const
{
    if (m_sub)
        return m_sub;
    return m_window;
}

static QRect outerRect(const QWidget *w, bool topLevel)
{
    return topLevel ? w->frameGeometry() : w->geometry();
}

double Form::left() const
{
    if (m_pendingLeft)
        return *m_pendingLeft;
    return twipsX(outerRect(frameWidget(), !m_sub).x());
}

double Form::top() const
{
    if (m_pendingTop)
        return *m_pendingTop;
    return twipsY(outerRect(frameWidget(), !m_sub).y());
}

double Form::width() const
{
    if (m_pendingWidth)
        return *m_pendingWidth;
    return twipsX(outerRect(frameWidget(), !m_sub).width());
}

double Form::height() const
{
    if (m_pendingHeight)
        return *m_pendingHeight;
    return twipsY(outerRect(frameWidget(), !m_sub).height());
}

void Form::setLeft(double t)
{
    m_pendingLeft = t;
    if (isVisible())
        applyPending();
}

void Form::setTop(double t)
{
    m_pendingTop = t;
    if (isVisible())
        applyPending();
}

void Form::setWidth(double t)
{
    m_pendingWidth = qMax(0.0, t);
    if (isVisible())
        applyPending();
}

void Form::setHeight(double t)
{
    m_pendingHeight = qMax(0.0, t);
    if (isVisible())
        applyPending();
}

void Form::move(double l, double t)
{
    m_pendingLeft = l;
    m_pendingTop = t;
    if (isVisible())
        applyPending();
}

void Form::move(double l, double t, double w, double h)
{
    m_pendingWidth = qMax(0.0, w);
    m_pendingHeight = qMax(0.0, h);
    move(l, t);
}

// Outer sizes become client sizes once the frame is known; before the
// window is on screen the last frame seen stands in for it.
void Form::applyPending()
{
    QWidget *w = frameWidget();
    if (!w)
        return;
    if (m_sub) {
        QRect g = m_sub->geometry();
        if (m_pendingLeft)
            g.moveLeft(pixelsX(*m_pendingLeft));
        if (m_pendingTop)
            g.moveTop(pixelsY(*m_pendingTop));
        if (m_pendingWidth)
            g.setWidth(pixelsX(*m_pendingWidth));
        if (m_pendingHeight)
            g.setHeight(pixelsY(*m_pendingHeight));
        m_sub->setGeometry(g);
    } else {
        const QRect f = m_window->frameGeometry(), c = m_window->geometry();
        QMargins m(c.left() - f.left(), c.top() - f.top(), f.right() - c.right(), f.bottom() - c.bottom());
        if (f == c)
            m = g_lastMargins;
        if (m_pendingLeft || m_pendingTop)
            m_window->move(m_pendingLeft ? pixelsX(*m_pendingLeft) : f.x(),
                           m_pendingTop ? pixelsY(*m_pendingTop) : f.y());
        if (m_pendingWidth || m_pendingHeight) {
            const int cw = m_pendingWidth ? pixelsX(*m_pendingWidth) - m.left() - m.right() : c.width();
            const int ch = m_pendingHeight ? pixelsY(*m_pendingHeight) - m.top() - m.bottom() : c.height();
            m_window->resize(qMax(0, cw), qMax(0, ch));
        }
    }
    m_pendingLeft.reset();
    m_pendingTop.reset();
    m_pendingWidth.reset();
    m_pendingHeight.reset();
}

double Form::scaleWidth() const
{
    if (!m_window)
        return 0;
    return twipsX(m_window->width());
}

double Form::scaleHeight() const
{
    if (!m_window)
        return 0;
    int h = m_window->height();
    if (QWidget *menu = m_window->menuWidget(); menu && !menu->isHidden())
        h -= menu->sizeHint().height();
    return twipsY(qMax(0, h));
}

int Form::windowState() const
{
    const QWidget *w = frameWidget();
    if (!w)
        return vbNormal;
    const Qt::WindowStates s = w->windowState();
    if (s & Qt::WindowMinimized)
        return vbMinimized;
    if (s & Qt::WindowMaximized)
        return vbMaximized;
    return vbNormal;
}

void Form::setWindowState(int state)
{
    QWidget *w = frameWidget();
    if (!w)
        return;
    switch (state) {
    case vbMinimized: w->setWindowState(Qt::WindowMinimized); break;
    case vbMaximized: w->setWindowState(Qt::WindowMaximized); break;
    default: w->setWindowState(Qt::WindowNoState); break;
    }
}

void Form::moveInsideMdiArea()
{
    QMdiArea *area = m_sub ? m_sub->mdiArea() : nullptr;
    if (!area || m_sub->isMaximized() || m_sub->isMinimized())
        return;
    const QSize room = area->viewport()->size();
    QRect g = m_sub->geometry();
    g.moveLeft(qMax(0, qMin(g.left(), room.width() - g.width())));
    g.moveTop(qMax(0, qMin(g.top(), room.height() - g.height())));
    if (g != m_sub->geometry())
        m_sub->move(g.topLeft());
}

namespace {

int clampInto(int at, int length, int start, int room)
{
    if (length >= room)
        return start;
    return qBound(start, at, start + room - length);
}

QRect keptOn(QRect r, const QRect &screen)
{
    if (screen.isEmpty())
        return r;
    r.moveTo(clampInto(r.x(), r.width(), screen.x(), screen.width()),
             clampInto(r.y(), r.height(), screen.y(), screen.height()));
    return r;
}

qint64 coveredArea(const QRect &r, const QList<QRect> &others)
{
    qint64 sum = 0;
    for (const QRect &o : others) {
        const QRect both = r.intersected(o);
        if (!both.isEmpty())
            sum += qint64(both.width()) * both.height();
    }
    return sum;
}

} // namespace

QRect placeClearOf(const QRect &over, const QSize &size, const QList<QRect> &others, const QRect &screen)
{
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(over.center());
    QList<QRect> places{keptOn(centred, screen)};
    for (const QRect &o : others) {
        places << keptOn(QRect(QPoint(o.right() + 1, centred.top()), size), screen)
               << keptOn(QRect(QPoint(o.left() - size.width(), centred.top()), size), screen)
               << keptOn(QRect(QPoint(centred.left(), o.bottom() + 1), size), screen)
               << keptOn(QRect(QPoint(centred.left(), o.top() - size.height()), size), screen);
    }
    QRect best = places.first();
    qint64 least = coveredArea(best, others);
    for (const QRect &r : places) {
        if (least == 0)
            break;
        const qint64 covered = coveredArea(r, others);
        if (covered < least) {
            least = covered;
            best = r;
        }
    }
    return best;
}

void Form::placeOverMdiForm()
{
    if (m_mdiChild || !m_window)
        return;
    MdiForm *mdi = Forms::mdiForm();
    const bool overMain = mdi && mdi != this && mdi->isVisible();
    QScreen *screen = overMain ? mdi->window()->screen() : m_window->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    const QRect over = overMain ? mdi->window()->frameGeometry() : room;
    QList<QRect> others;
    for (Form *f : Forms::all())
        if (f != this && f != mdi && !f->m_sub && f->isVisible())
            others << f->window()->frameGeometry();
    // Before the window is first on screen its frame is not known: the last
    // frame seen stands in for it.
    QSize outer(pixelsX(width()), pixelsY(height()));
    if (!m_pendingWidth && !m_pendingHeight && m_window->frameGeometry() == m_window->geometry())
        outer += QSize(g_lastMargins.left() + g_lastMargins.right(), g_lastMargins.top() + g_lastMargins.bottom());
    const QRect at = placeClearOf(over, outer, others, room);
    move(twipsX(at.x()), twipsY(at.y()));
}

void Form::placeInMdi()
{
    if (m_sub)
        return;
    MdiForm *mdi = Forms::mdiForm();
    if (!mdi || mdi == this)
        return; // no MDI parent loaded: the child opens as a window of its own
    const QRect before = m_window->geometry();
    m_sub = mdi->mdiArea()->addSubWindow(m_window);
    m_sub->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!m_pendingWidth && !m_pendingHeight)
        m_sub->resize(before.size() + (m_sub->size() - m_window->size()));
}

// --- controls and events ----------------------------------------------------

void Form::addControl(const QString &name, QObject *control)
{
    if (control && control->objectName().isEmpty())
        control->setObjectName(name);
    m_controls.append({name, control, {}});
}

void Form::addControl(const QString &name, std::function<QObject *()> make)
{
    m_controls.append({name, nullptr, std::move(make)});
}

void Form::addControls(std::initializer_list<std::pair<const char *, QObject *>> named)
{
    for (const auto &[name, control] : named)
        addControl(QString::fromLatin1(name), control);
}

QObject *Form::made(NamedControl &c) const
{
    if (!c.object && c.make) {
        const auto make = std::move(c.make);
        c.make = nullptr;
        c.object = make();
        if (c.object && c.object->objectName().isEmpty())
            c.object->setObjectName(c.name);
    }
    return c.object;
}

QList<QObject *> Form::controls() const
{
    QList<QObject *> out;
    for (NamedControl &c : m_controls)
        if (QObject *o = made(c))
            out.append(o);
    return out;
}

QObject *Form::control(const QString &name) const
{
    for (NamedControl &c : m_controls)
        if (c.name == name)
            if (QObject *o = made(c))
                return o;
    return nullptr;
}

void Form::setDefaultButton(QAbstractButton *button) { m_defaultButton = button; }

bool Form::defaultButtonPressed()
{
    if (!m_defaultButton || !m_defaultButton->isVisible() || !m_defaultButton->isEnabled())
        return false;
    QPointer<QAbstractButton> button = m_defaultButton;
    runEvent([&] { button->click(); });
    return true;
}

void Form::activated()
{
    if (!m_loaded)
        return;
    if (auto *mdi = qobject_cast<MdiForm *>(this); mdi && mdi->activeChild())
        Forms::setActive(mdi->activeChild());
    else
        Forms::setActive(this);
}

void Form::windowResized()
{
    if (m_loaded)
        runEvent([this] { formResize(); });
}

void Form::windowClicked()
{
    if (m_loaded)
        runEvent([this] { formClick(); });
}

// ---------------------------------------------------------------------------
// MdiForm

MdiForm::MdiForm(QObject *parent)
    : Form(parent)
{
    m_area = new QMdiArea;
    // A child placed past the area's edges stays reachable: the area
    // scrolls, as an MDI parent window does by default.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A child that closes gives the front to the one active before it, once
    // it is deleted: after the event that unloaded it, so that nothing
    // activated in between moves the shared records under that event.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    window()->setCentralWidget(m_area); // replaces the plain surface
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        if (!sub)
            return;
        for (Form *c : children())
            if (c->subWindow() == sub) {
                Forms::setActive(c);
                return;
            }
    });
}

QList<Form *> MdiForm::children() const
{
    QList<Form *> out;
    if (Forms::mdiForm() != this)
        return out;
    for (Form *f : Forms::all())
        if (f != this && f->isMdiChild())
            out.append(f);
    return out;
}

Form *MdiForm::activeChild() const
{
    QMdiSubWindow *sub = m_area->activeSubWindow();
    if (!sub)
        return nullptr;
    for (Form *c : children())
        if (c->subWindow() == sub)
            return c;
    return nullptr;
}

void MdiForm::arrange(int how)
{
    switch (how) {
    case vbCascade: cascade(); break;
    case vbTileHorizontal:
    case vbTileVertical: m_area->tileSubWindows(); break;
    case vbArrangeIcons: arrangeIcons(); break;
    default: break;
    }
}

// Every child on screen and not minimised keeps its own size (a maximised
// one is restored first) and stands one title bar lower and to the right of
// the one behind it, back to front, the front one last. One that would pass
// the area's foot starts again at its top; none passes its right edge when
// it fits in the area's width.
void MdiForm::cascade()
{
    QList<QMdiSubWindow *> placed;
    for (QMdiSubWindow *sub : m_area->subWindowList(QMdiArea::StackingOrder)) {
        if (!sub->isVisible() || sub->isMinimized())
            continue;
        if (sub->isMaximized())
            sub->showNormal();
        placed.append(sub);
    }
    if (placed.isEmpty())
        return;
    QStyleOptionTitleBar option;
    option.initFrom(placed.first());
    const int step = qMax(1, placed.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, placed.first()));
    const QSize room = m_area->viewport()->size();
    int x = 0, y = 0;
    for (QMdiSubWindow *sub : placed) {
        if (y > 0 && y + sub->height() > room.height())
            y = 0;
        sub->move(qMax(0, qMin(x, room.width() - sub->width())), y);
        x += step;
        y += step;
    }
}

// Minimised children in a row along the bottom of the area.
void MdiForm::arrangeIcons()
{
    int x = 0;
    const int bottom = m_area->viewport()->height();
    for (QMdiSubWindow *sub : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || !sub->isMinimized())
            continue;
        const QSize s = sub->size();
        sub->move(x, bottom - s.height());
        x += s.width();
    }
}

void MdiForm::setWindowListMenu(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillWindowList(menu); });
}

void MdiForm::fillWindowList(QMenu *menu)
{
    static const char *const kListed = "corvaneWindowList";
    for (QAction *a : menu->actions())
        if (a->property(kListed).toBool()) {
            menu->removeAction(a);
            a->deleteLater();
        }
    const Form *active = activeChild();
    int n = 0;
    for (Form *c : children()) {
        if (!c->isVisible())
            continue;
        if (n == 0 && !menu->actions().isEmpty()) {
            QAction *sep = menu->addSeparator();
            sep->setProperty(kListed, true);
        }
        ++n;
        const QString caption = shownText(c->caption());
        const QString label = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(caption)
                                     : QStringLiteral("%1 %2").arg(n).arg(caption);
        QAction *a = menu->addAction(label);
        a->setProperty(kListed, true);
        a->setCheckable(true);
        a->setChecked(c == active);
        QPointer<Form> target = c;
        connect(a, &QAction::triggered, this, [target] {
            if (target && target->isLoaded())
                runEvent([&] { target->show(); });
        });
    }
}

// ---------------------------------------------------------------------------
// Forms

int Forms::count() { return int(all().size()); }

Form *Forms::at(int index)
{
    const QList<Form *> forms = all();
    if (index < 0 || index >= forms.size())
        raise(ErrSubscript, QStringLiteral("Subscript out of range"));
    return forms.at(index);
}

QList<Form *> Forms::all()
{
    QList<Form *> out;
    for (const QPointer<Form> &f : g_forms)
        if (f && f->isLoaded())
            out.append(f);
    return out;
}

Form *Forms::activeForm() { return g_active && g_active->isLoaded() ? g_active.data() : nullptr; }

MdiForm *Forms::mdiForm()
{
    for (Form *f : all())
        if (auto *m = qobject_cast<MdiForm *>(f))
            return m;
    return nullptr;
}

void Forms::added(Form *form)
{
    g_forms.removeAll(QPointer<Form>());
    g_forms.append(form);
}

void Forms::removed(Form *form)
{
    for (qsizetype i = g_forms.size() - 1; i >= 0; --i)
        if (!g_forms.at(i) || g_forms.at(i).data() == form)
            g_forms.removeAt(i);
    if (g_active == form)
        g_active = nullptr;
}

void Forms::setActive(Form *form)
{
    if (form && !form->isLoaded())
        return;
    if (g_active == form)
        return;
    QPointer<Form> previous = g_active;
    g_active = form;
    if (previous && previous->isLoaded())
        runEvent([&] { previous->formDeactivate(); });
    QPointer<Form> now = form;
    if (now && now->isLoaded() && g_active == now)
        runEvent([&] { now->formActivate(); });
}

// Checked once control is back in the event loop: a window unloaded just
// before the next one is loaded (the welcome window taking over from the
// main window) must not end the program.
void Forms::checkProgramEnd()
{
    if (g_endQueued || g_ending || count() > 0)
        return;
    if (!QCoreApplication::instance()) {
        endProgram();
        return;
    }
    g_endQueued = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        g_endQueued = false;
        if (count() == 0 && !g_ending)
            endProgram();
    });
}

void Forms::end()
{
    if (g_ending)
        return;
    g_ending = true;
    for (const auto &hook : g_endHooks)
        runEvent(hook);
    const QList<QPointer<Form>> forms = g_forms;
    g_forms.clear();
    g_active = nullptr;
    for (const QPointer<Form> &f : forms)
        if (f && f->isLoaded())
            f->dropSilently();
    endProgram();
    g_ending = false;
}

bool Forms::ended() { return g_programEnded; }

void Forms::addEndHook(std::function<void()> hook) { g_endHooks.append(std::move(hook)); }

void Forms::setProgramEndHandler(std::function<void()> handler) { g_endHandler = std::move(handler); }

int Forms::exec()
{
    if (g_programEnded || count() == 0 || !QCoreApplication::instance())
        return 0;
    return QCoreApplication::exec();
}

// ---------------------------------------------------------------------------
// Timer

Timer::Timer(Form *form)
    : QObject(form)
    , m_timer(new QTimer(this))
    , m_form(form)
{
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (!m_form || !m_form->isLoaded()) {
            m_timer->stop();
            return;
        }
        runEvent([this] { emit timer(); });
    });
}

void Timer::setInterval(int ms)
{
    m_interval = qMax(0, ms);
    update();
}

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    update();
}

void Timer::update()
{
    if (m_enabled && m_interval > 0 && m_form && m_form->isLoaded())
        m_timer->start(m_interval);
    else
        m_timer->stop();
}

} // namespace vb
