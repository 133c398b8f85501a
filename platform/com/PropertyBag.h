#pragma once
// The saved property values of one control on a host form, by name. A host
// fills a bag from its saved design and hands it to the control's load; the
// control's save writes its values back into a bag.
//
// As the runtime does, a value equal to its default is not stored: reading a
// missing name gives the default back, so a saved design lists only what
// differs.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace com {

class PropertyBag {
public:
    PropertyBag() = default;
    // Host side: a saved design written out as name/value pairs.
    PropertyBag(std::initializer_list<std::pair<QString, QVariant>> values);

    // The stored value of name (names compared without regard to case), or
    // defaultValue when none is stored.
    QVariant readProperty(const QString &name, const QVariant &defaultValue = {}) const;
    // Stores value under name unless it equals defaultValue; a name written
    // again replaces its earlier value, and a write of the default removes it.
    void writeProperty(const QString &name, const QVariant &value,
                       const QVariant &defaultValue = {});

    bool contains(const QString &name) const;
    // Names in the order they were first stored.
    QStringList names() const;
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    void clear() { m_entries.clear(); }

private:
    int indexOf(const QString &name) const;
    QList<std::pair<QString, QVariant>> m_entries;
};

// Equality as the bag applies it to defaults: numbers by value whatever
// their type (a 16-bit 0 equals a 32-bit 0), everything else only when of
// the same type and equal.
bool sameValue(const QVariant &a, const QVariant &b);

} // namespace com
