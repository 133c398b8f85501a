#pragma once
// The forms runtime: windows with the runtime's life cycle (Load, Show,
// Hide, Unload and their hooks), default instances, the list of loaded
// windows, the MDI parent with its children, geometry in twips, timers and
// the end of the program.
//
// A Form is a plain object that owns its window. Unload never destroys a
// window at once (the unload may come from inside one of its own events):
// the window is hidden, leaves the Forms list and is deleted later.

#include <QList>
#include <QAbstractButton>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

class QMdiArea;
class QMenu;
class QTimer;
class QWidget;

namespace vb {

enum UnloadMode : int {
    vbFormControlMenu = 0, // the user closed the window
    vbFormCode = 1,        // Unload in code
    vbAppWindows = 2,
    vbAppTaskManager = 3,
    vbFormMDIForm = 4,     // a child closed because its MDI parent is closing
};

enum WindowState : int { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
enum Arrange : int { vbCascade = 0, vbTileHorizontal = 1, vbTileVertical = 2, vbArrangeIcons = 3 };

namespace detail { class FormWindow; }
class MdiForm;

class Form : public QObject {
    Q_OBJECT
public:
    // Builds the window; the form is not loaded until load() (or first use
    // through Forms::get / Forms::create).
    explicit Form(QObject *parent = nullptr);
    ~Form() override;

    QMainWindow *window() const;
    // The surface the controls go on (the window's central widget).
    QWidget *client() const;

    // Load: runs formLoad once; does nothing on a loaded form or on one that
    // was unloaded (an unloaded form is gone; use a new instance).
    void load();
    // Show modeless: loads when needed, shows, brings to front, activates.
    void show();
    void hide();
    // Unload in code. Returns false when a QueryUnload or Unload hook
    // cancelled it. Unloading a form that is not loaded does nothing.
    bool unload();
    bool isLoaded() const { return m_loaded; }
    // Repaints now (the caller may be in the middle of long work).
    void refresh();
    // A window on screen comes in front of the others and is activated (a
    // window that asks something stands over the others while it asks).
    // A hidden or unloaded one stays as it is.
    void bringToFront();
    void setFocus();

    bool isVisible() const;
    void setVisible(bool visible); // true is Show
    bool isEnabled() const;
    void setEnabled(bool enabled);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    QString name() const { return objectName(); }

    // Outer frame in twips; an MDI child's Left/Top are relative to the MDI
    // client area.
    double left() const;
    double top() const;
    double width() const;
    double height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    void move(double left, double top);
    void move(double left, double top, double width, double height);
    // Client area in twips.
    double scaleWidth() const;
    double scaleHeight() const;
    int windowState() const;
    void setWindowState(int state);

    // Design property: the window opens inside the MDI parent. Set it in
    // the constructor.
    bool isMdiChild() const { return m_mdiChild; }
    void setMdiChild(bool child) { m_mdiChild = child; }
    QMdiSubWindow *subWindow() const { return m_sub; }
    // Design property of a child: each Show moves it as little as needed to
    // stand whole inside the MDI area (at the area's top left when it is
    // larger), caption and close box in view.
    void setKeptInsideMdiArea(bool kept) { m_keptInside = kept; }
    // A window of its own (not a child) at its present size: centred over
    // the MDI parent, or beside the other windows of the program on screen
    // when that place would cover one of them (placeClearOf).
    void placeOverMdiForm();

    // The controls of the design, in design order (for code that walks a
    // form's controls; findChildren would also see the inner parts of
    // composite widgets).
    void addControl(const QString &name, QObject *control);
    // A control of the design that few windows ever use (a hidden buffer),
    // made the first time anything asks for it, by name or in controls().
    void addControl(const QString &name, std::function<QObject *()> make);
    // A design's controls at once, each under its design name.
    void addControls(std::initializer_list<std::pair<const char *, QObject *>> named);
    QList<QObject *> controls() const;
    QObject *control(const QString &name) const;

    // Enter in the window clicks this button when it is visible and enabled.
    void setDefaultButton(QAbstractButton *button);
    QAbstractButton *defaultButton() const { return m_defaultButton; }

    // The hooks. Each runs as an event procedure: an error escaping it is
    // reported and the runtime goes on as if the procedure had ended.
protected:
    virtual void formLoad() {}
    virtual void formActivate() {}
    virtual void formDeactivate() {}
    virtual void formQueryUnload(int &cancel, int unloadMode) { Q_UNUSED(cancel) Q_UNUSED(unloadMode) }
    virtual void formUnload(int &cancel) { Q_UNUSED(cancel) }
    virtual void formResize() {}
    // A click on the window's own surface, not on one of its controls.
    virtual void formClick() {}

signals:
    void loadedSignal();
    void unloadedSignal();

private:
    friend class Forms;
    friend class MdiForm;
    friend class detail::FormWindow;

    bool unloadWith(int mode);
    bool queryUnload(int mode);
    bool runUnloadHook();
    void finishUnload();
    void dropSilently();
    void moveInsideMdiArea();
    void placeInMdi();
    void applyPending();
    void activated();
    void windowResized();
    void windowClicked();
    bool defaultButtonPressed();
    QWidget *frameWidget() const;

    QPointer<QMainWindow> m_window;
    QPointer<QMdiSubWindow> m_sub;
    QString m_caption;
    QString m_tag;
    bool m_loaded = false;
    bool m_dead = false;
    bool m_unloading = false;
    bool m_mdiChild = false;
    bool m_keptInside = false;
    std::optional<double> m_pendingLeft, m_pendingTop, m_pendingWidth, m_pendingHeight;
    struct NamedControl {
        QString name;
        QPointer<QObject> object;
        std::function<QObject *()> make; // until it is made
    };
    QObject *made(NamedControl &c) const;
    mutable QList<NamedControl> m_controls;
    QPointer<QAbstractButton> m_defaultButton;
};

// The form a widget belongs to: the innermost window of the runtime holding
// it (a card inside the main window is the card); a child's frame (title
// bar, borders) belongs to the child. Nothing for a widget of no form.
Form *formOfWidget(QWidget *widget);

// Where a window of that size stands, in screen pixels: centred over
// `over`; when that covers one of `others`, beside one of them (right, left,
// below, above) where it covers none; failing that, the one of those places
// that covers the least of them. Always on `screen` when it fits there.
QRect placeClearOf(const QRect &over, const QSize &size, const QList<QRect> &others, const QRect &screen);

// The MDI parent. Its central widget is the MDI area; a form that puts
// panels beside the area takes the central widget (QMainWindow::
// takeCentralWidget) and places mdiArea() in its own container.
class MdiForm : public Form {
    Q_OBJECT
public:
    explicit MdiForm(QObject *parent = nullptr);

    QMdiArea *mdiArea() const { return m_area; }
    // The child forms, loaded and placed in the area, in load order.
    QList<Form *> children() const;
    Form *activeChild() const;
    // vbCascade, vbTileHorizontal, vbTileVertical, vbArrangeIcons.
    void arrange(int how);
    // The Windows menu: its own items stay, the open children are listed
    // after them each time it opens, the active one checked.
    void setWindowListMenu(QMenu *menu);

private:
    friend class Form;
    void cascade();
    void arrangeIcons();
    void fillWindowList(QMenu *menu);

    QMdiArea *m_area = nullptr;
};

// The runtime's Forms collection and default instances.
class Forms {
public:
    // Loaded forms in load order, hidden ones included.
    static int count();
    static Form *at(int index);
    static QList<Form *> all();
    static Form *activeForm();
    static MdiForm *mdiForm();

    // The default instance: loaded on first use, and made anew after it was
    // unloaded.
    template <class T> static T &get();
    // The default instance when it is loaded, without loading it.
    template <class T> static T *find();
    template <class T> static bool isLoaded() { return find<T>() != nullptr; }
    // Unloads the default instance if loaded; true when it is gone.
    template <class T> static bool unload();
    // A new instance, loaded.
    template <class T, class... Args> static T *create(Args &&...args);

    // End: unloads every form without their QueryUnload/Unload hooks, runs
    // the end hooks (closing the base) and ends the program. The caller
    // should return at once.
    static void end();
    static bool ended();
    // Run by End before the forms go.
    static void addEndHook(std::function<void()> hook);
    // What ending the program does (default: leave the event loop). Tests
    // replace it. The program also ends when the last form is unloaded.
    static void setProgramEndHandler(std::function<void()> handler);
    // Runs the event loop while forms are loaded; returns at once when none
    // is (a start that showed nothing must not wait forever).
    static int exec();

private:
    friend class Form;
    friend class MdiForm;
    template <class T> static QPointer<T> &defaultSlot()
    {
        static QPointer<T> slot;
        return slot;
    }
    static void added(Form *form);
    static void removed(Form *form);
    static void setActive(Form *form);
    static void checkProgramEnd();
};

template <class T> T &Forms::get()
{
    QPointer<T> &slot = defaultSlot<T>();
    if (!slot || slot->m_dead) {
        slot = new T();
        slot->load();
    }
    return *slot;
}

template <class T> T *Forms::find()
{
    QPointer<T> &slot = defaultSlot<T>();
    return slot && slot->isLoaded() ? slot.data() : nullptr;
}

template <class T> bool Forms::unload()
{
    if (T *f = find<T>())
        return f->unload();
    return true;
}

template <class T, class... Args> T *Forms::create(Args &&...args)
{
    T *f = new T(std::forward<Args>(args)...);
    f->load();
    return f;
}

inline void End() { Forms::end(); }

// The runtime's Timer: Interval in milliseconds (0 stops it), Enabled, and a
// timer() signal. It stops when its form unloads.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(Form *form);
    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

signals:
    void timer();

private:
    friend class Form;
    void update();
    QTimer *m_timer;
    QPointer<Form> m_form;
    int m_interval = 0;
    bool m_enabled = true;
};

// Control arrays with elements loaded and unloaded at run time. Element 0
// is the design's; the factory makes a new element from it (invisible, as
// the runtime does).
template <class T> class ControlArray {
public:
    using Factory = std::function<T *(int index)>;
    ControlArray() = default;
    ControlArray(T *design, Factory factory) { setDesign(design, std::move(factory)); }
    void setDesign(T *design, Factory factory)
    {
        m_items.clear();
        m_items.append(design);
        m_factory = std::move(factory);
    }
    bool exists(int index) const { return index >= 0 && index < m_items.size() && m_items.at(index); }
    // Raises 340 when the element does not exist.
    T *operator[](int index) const;
    // Raises 360 when already loaded.
    T *load(int index);
    // Raises 340 when missing and 362 for the design element. The element
    // is deleted later, since it may be the sender of the running event.
    void unload(int index);
    int ubound() const;
    // Index of an element, -1 when not one of them.
    int indexOf(const QObject *element) const;

private:
    QList<QPointer<T>> m_items;
    Factory m_factory;
};

[[noreturn]] void raiseControlArray(int number);

template <class T> T *ControlArray<T>::operator[](int index) const
{
    if (!exists(index))
        raiseControlArray(340);
    return m_items.at(index);
}

template <class T> T *ControlArray<T>::load(int index)
{
    if (index < 0)
        raiseControlArray(340);
    if (exists(index))
        raiseControlArray(360);
    T *item = m_factory(index);
    item->setVisible(false);
    while (m_items.size() <= index)
        m_items.append(QPointer<T>());
    m_items[index] = item;
    return item;
}

template <class T> void ControlArray<T>::unload(int index)
{
    if (!exists(index))
        raiseControlArray(340);
    if (index == 0)
        raiseControlArray(362);
    T *item = m_items.at(index);
    item->setVisible(false);
    item->deleteLater();
    m_items[index] = nullptr;
}

template <class T> int ControlArray<T>::ubound() const
{
    for (int i = int(m_items.size()) - 1; i >= 0; --i)
        if (m_items.at(i))
            return i;
    return -1;
}

template <class T> int ControlArray<T>::indexOf(const QObject *element) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i) && m_items.at(i).data() == element)
            return i;
    return -1;
}

} // namespace vb
