#include "SystemRegistry.h"

namespace vb {

namespace {
SystemRegistry *g_registry = nullptr;

QString path(quint32 root, const QString &key, const QString &valueName)
{
    QString k = key;
    k.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (k.endsWith(QLatin1Char('\\')))
        k.chop(1);
    return QStringLiteral("%1\\%2\\%3").arg(root, 0, 16).arg(k.toLower(), valueName.toLower());
}
} // namespace

SystemRegistry::~SystemRegistry() = default;

void MemoryRegistry::setValue(quint32 root, const QString &key, const QString &valueName,
                              const RegistryValue &value)
{
    m_values.insert(path(root, key, valueName), value);
}

void MemoryRegistry::setString(quint32 root, const QString &key, const QString &valueName,
                               const QString &text)
{
    setValue(root, key, valueName, {REG_SZ, text.toLocal8Bit() + QByteArray(1, '\0')});
}

void MemoryRegistry::setDword(quint32 root, const QString &key, const QString &valueName, quint32 number)
{
    QByteArray d(4, '\0');
    for (int i = 0; i < 4; ++i)
        d[i] = char((number >> (8 * i)) & 0xFF);
    setValue(root, key, valueName, {REG_DWORD, d});
}

std::optional<RegistryValue> MemoryRegistry::queryValue(quint32 root, const QString &key,
                                                        const QString &valueName) const
{
    const auto it = m_values.constFind(path(root, key, valueName));
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

SystemRegistry &registry()
{
    static MemoryRegistry builtIn;
    return g_registry ? *g_registry : builtIn;
}

void setRegistry(SystemRegistry *replacement) { g_registry = replacement; }

QString registryValueText(const RegistryValue &value)
{
    if (value.type == REG_DWORD) {
        QString out = QStringLiteral("&h");
        for (qsizetype i = value.data.size() - 1; i >= 0; --i)
            out += QString::number(quint8(value.data.at(i)), 16);
        return out;
    }
    QByteArray d = value.data;
    if (d.endsWith('\0'))
        d.chop(1);
    return QString::fromLocal8Bit(d);
}

std::optional<QString> registryText(quint32 root, const QString &key, const QString &valueName)
{
    const std::optional<RegistryValue> v = registry().queryValue(root, key, valueName);
    if (!v)
        return std::nullopt;
    return registryValueText(*v);
}

} // namespace vb
