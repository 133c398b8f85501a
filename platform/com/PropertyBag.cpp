#include "PropertyBag.h"

#include <QMetaType>

#include <limits>

namespace com {

namespace {

bool isIntegral(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool isFloating(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::Float || id == QMetaType::Double;
}

bool isUnsigned(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (isIntegral(a) && isIntegral(b)) {
        // Compare as 64-bit without letting a huge unsigned wrap to a
        // negative number.
        if (isUnsigned(a) && a.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return isUnsigned(b) && a.toULongLong() == b.toULongLong();
        if (isUnsigned(b) && b.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return false;
        return a.toLongLong() == b.toLongLong();
    }
    if ((isIntegral(a) || isFloating(a)) && (isIntegral(b) || isFloating(b)))
        return a.toDouble() == b.toDouble();
    // No conversions beyond numbers: the text "0" is not the number 0.
    return a.metaType() == b.metaType() && a == b;
}

PropertyBag::PropertyBag(std::initializer_list<std::pair<QString, QVariant>> values)
{
    for (const auto &[name, value] : values)
        writeProperty(name, value);
}

int PropertyBag::indexOf(const QString &name) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant PropertyBag::readProperty(const QString &name, const QVariant &defaultValue) const
{
    const int i = indexOf(name);
    return i < 0 ? defaultValue : m_entries.at(i).second;
}

void PropertyBag::writeProperty(const QString &name, const QVariant &value,
                                const QVariant &defaultValue)
{
    const int i = indexOf(name);
    if (defaultValue.isValid() && sameValue(value, defaultValue)) {
        if (i >= 0)
            m_entries.removeAt(i);
        return;
    }
    if (i >= 0)
        m_entries[i].second = value;
    else
        m_entries.append({name, value});
}

bool PropertyBag::contains(const QString &name) const
{
    return indexOf(name) >= 0;
}

QStringList PropertyBag::names() const
{
    QStringList out;
    out.reserve(m_entries.size());
    for (const auto &e : m_entries)
        out.append(e.first);
    return out;
}

} // namespace com
