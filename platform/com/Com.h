#pragma once
// The component layer: how the program and the control library Vantrel meet.
// A host knows only these interfaces; the control classes live in libraries
// loaded at run time and are reached through class and interface identifiers.
//
// Lifetime: a control instance is a QWidget. The host passes a parent when it
// creates one and the parent owns it, as a form owns its controls; deleting
// the widget ends the instance. There is no reference counting.

#include <QFont>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <QVariantList>
#include <cstdint>

class QWidget;

namespace com {

using HResult = std::int32_t;
using DispId = std::int32_t;

// Result codes of the library exports and the class factory.
inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_NOINTERFACE = HResult(0x80004002u);
inline constexpr HResult E_POINTER = HResult(0x80004003u);
inline constexpr HResult E_FAIL = HResult(0x80004005u);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = HResult(0x80040111u);
inline constexpr HResult SELFREG_E_CLASS = HResult(0x80040201u);

inline constexpr bool succeeded(HResult hr) { return hr >= 0; }

// Runtime error numbers raised (as vb::Error) by the layer and by controls.
enum : int {
    ErrTypeMismatch = 13,
    ErrInvalidPropertyValue = 380,
    ErrCannotCreateObject = 429,
    ErrNoSuchMember = 438,
};

inline constexpr DispId DISPID_UNKNOWN = -1;

// The identity of an instance: every other interface is reached from here.
class IUnknown {
public:
    // The interface with this identifier, or nullptr when the object has none.
    virtual void *queryInterface(const QUuid &iid) = 0;

protected:
    ~IUnknown() = default;
};

// Typed query: I names its identifier as I::iid.
template <class I>
I *query(IUnknown *object)
{
    return object ? static_cast<I *>(object->queryInterface(I::iid)) : nullptr;
}

enum class InvokeKind { Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };

// Late binding: members are reached by dispatch identifier, the identifier
// of a name can be asked for. Failures raise vb::Error (438 for an unknown
// member, 13 or 380 for a value the member cannot take).
class IDispatch {
public:
    static constexpr QUuid iid{0x3c0e5a11, 0x7b2d, 0x4e64, 0x9f, 0x1a, 0x52, 0x6d, 0x0b, 0x8e, 0x31, 0x01};

    // DISPID_UNKNOWN when the object has no member of that name (names are
    // compared without regard to case).
    virtual DispId idOfName(const QString &name) const = 0;
    virtual QVariant invoke(DispId id, InvokeKind kind, const QVariantList &args = {}) = 0;

protected:
    ~IDispatch() = default;
};

class PropertyBag;

// Saved property values: a new instance placed on a form starts from its
// defaults (initNew), an instance of a saved form reads its values (load),
// and the host asks for them back to save the form (save).
class IPersistPropertyBag {
public:
    static constexpr QUuid iid{0x3c0e5a11, 0x7b2d, 0x4e64, 0x9f, 0x1a, 0x52, 0x6d, 0x0b, 0x8e, 0x31, 0x02};

    virtual void initNew() = 0;
    virtual void load(const PropertyBag &bag) = 0;
    virtual void save(PropertyBag &bag) const = 0;

protected:
    ~IPersistPropertyBag() = default;
};

// What a host offers the controls it holds. Optional: without a site a
// control takes its parent widget's font as ambient font and tells nobody of
// property changes.
class IControlSite {
public:
    virtual QFont ambientFont() const = 0;
    // A property was changed through its put, so the host's saved design is
    // out of date.
    virtual void propertyChanged(const QString &name) = 0;

protected:
    ~IControlSite() = default;
};

class IControl {
public:
    static constexpr QUuid iid{0x3c0e5a11, 0x7b2d, 0x4e64, 0x9f, 0x1a, 0x52, 0x6d, 0x0b, 0x8e, 0x31, 0x03};

    virtual QWidget *widget() = 0;
    // nullptr detaches. The site must outlive the control or be detached.
    virtual void setSite(IControlSite *site) = 0;

protected:
    ~IControl() = default;
};

// Event connections. sink points to an object of the event interface named
// by eventIid; events go to the sinks in the order they were connected.
class IConnectionPointContainer {
public:
    static constexpr QUuid iid{0x3c0e5a11, 0x7b2d, 0x4e64, 0x9f, 0x1a, 0x52, 0x6d, 0x0b, 0x8e, 0x31, 0x04};

    // False when the object raises no events of that interface.
    virtual bool advise(const QUuid &eventIid, void *sink) = 0;
    virtual void unadvise(const QUuid &eventIid, void *sink) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

// Creates the instances of one class.
class IClassFactory {
public:
    static constexpr QUuid iid{0x3c0e5a11, 0x7b2d, 0x4e64, 0x9f, 0x1a, 0x52, 0x6d, 0x0b, 0x8e, 0x31, 0x05};

    // A new instance, child of parent (which then owns it). Raises vb::Error
    // when it cannot be made.
    virtual IUnknown *createInstance(QWidget *parent) = 0;
    // While locked, the library reports that it cannot be unloaded.
    virtual void lockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// The four exports every component library carries, with C names.
extern "C" {
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
// ppv receives the factory of the class; CLASS_E_CLASSNOTAVAILABLE for a
// class the library does not hold.
using DllGetClassObjectFn = HResult (*)(const QUuid *clsid, const QUuid *iid, void **ppv);
// S_OK when no instance lives and no factory is locked, else S_FALSE.
using DllCanUnloadNowFn = HResult (*)();
}

} // namespace com
