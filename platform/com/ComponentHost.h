#pragma once
// Host side of the component layer: loading component libraries, creating
// instances by class identifier, late-bound property access and a small
// handle that bundles what a form does with one of its controls.
//
// A form hosting a toggle button (see Palvex_Ctl.h):
//
//     struct SearchEvents : Palvex_Ctl::IPalvexEvents {
//         void MouseUp(short &Button, short &Shift, float &X, float &Y) override;
//     } m_searchEvents;                        // lives as long as the form
//
//     com::Control sw = com::Control::create(Palvex_Ctl::CLSID_Palvex, this,
//                                            Palvex_Ctl::LibraryName);
//     sw.load({{"Caption", "Search"}, {"Style", Palvex_Ctl::Switch},
//              {"Position", Palvex_Ctl::Down}});   // the saved design
//     sw.widget()->setGeometry(...);
//     sw.advise(&m_searchEvents);
//     sw.put(Palvex_Ctl::DISPID_Position, Palvex_Ctl::up);
//     int p = sw.get(Palvex_Ctl::DISPID_Position).toInt();

#include "Com.h"
#include "PropertyBag.h"

#include <QString>
#include <QUuid>
#include <QVariant>

class QWidget;

namespace com {

// The library file shipped with the program: libName.so beside the
// executable (the build tree), else in the library folder of the program's
// own prefix (installed). A name holding a '/' is taken as a path as it is.
QString shippedLibrary(const QString &name);

// The factory of clsid: from the shipped library when one is named and
// serves the class, else from the library registered for it. The library
// stays loaded until freeUnusedLibraries. Raises vb::Error 429 when no
// library serves the class.
IClassFactory *getClassObject(const QUuid &clsid, const QString &shipped = {});

// A new instance of clsid, child of parent. Raises vb::Error 429 as above.
IUnknown *createInstance(const QUuid &clsid, QWidget *parent,
                         const QString &shipped = {});

// Unloads every loaded library whose DllCanUnloadNow says S_OK; returns how
// many were unloaded.
int freeUnusedLibraries();
// Paths of the libraries loaded so far.
QStringList loadedLibraries();

// Late binding through IDispatch; raise vb::Error 438 when the object has no
// dispatch interface or no such member.
QVariant getProperty(IUnknown *object, DispId id);
void putProperty(IUnknown *object, DispId id, const QVariant &value);
QVariant callMethod(IUnknown *object, DispId id, const QVariantList &args = {});
DispId idOfName(IUnknown *object, const QString &name);
QVariant getProperty(IUnknown *object, const QString &name);
void putProperty(IUnknown *object, const QString &name, const QVariant &value);

// A host's handle on one control instance; it does not own the instance
// (the parent widget does). Every call on a null handle raises 438, and a
// missing interface raises 438 too.
class Control {
public:
    Control() = default;
    explicit Control(IUnknown *object) : m_object(object) {}
    // Creates the instance (see createInstance).
    static Control create(const QUuid &clsid, QWidget *parent,
                          const QString &shipped = {});

    IUnknown *object() const { return m_object; }
    bool isNull() const { return m_object == nullptr; }
    QWidget *widget() const;

    void setSite(IControlSite *site) const;
    // A control newly placed on a form: its defaults.
    void initNew() const;
    // A control of a saved form: its saved values.
    void load(const PropertyBag &bag) const;
    PropertyBag save() const;

    QVariant get(DispId id) const { return getProperty(m_object, id); }
    void put(DispId id, const QVariant &value) const { putProperty(m_object, id, value); }
    QVariant get(const QString &name) const { return getProperty(m_object, name); }
    void put(const QString &name, const QVariant &value) const { putProperty(m_object, name, value); }
    QVariant call(DispId id, const QVariantList &args = {}) const { return callMethod(m_object, id, args); }

    // Connects an event sink of interface Events (which names its identifier
    // as Events::iid); the sink must outlive the control or be disconnected.
    template <class Events>
    void advise(Events *sink) const { adviseRaw(Events::iid, sink); }
    template <class Events>
    void unadvise(Events *sink) const { unadviseRaw(Events::iid, sink); }

private:
    template <class I>
    I *need() const;
    void adviseRaw(const QUuid &iid, void *sink) const;
    void unadviseRaw(const QUuid &iid, void *sink) const;

    IUnknown *m_object = nullptr;
};

} // namespace com
