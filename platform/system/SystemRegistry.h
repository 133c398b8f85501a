#pragma once
// Read-only look-ups of system registry values, as the About box makes them
// to find the system-information tool. There is no such registry here: the
// built-in one is an in-memory table, empty unless something fills it, and
// tests put their own in place.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace vb {

enum RegistryRoot : quint32 {
    HKEY_CLASSES_ROOT = 0x80000000,
    HKEY_CURRENT_USER = 0x80000001,
    HKEY_LOCAL_MACHINE = 0x80000002,
    HKEY_USERS = 0x80000003,
};

enum RegistryType : int { REG_SZ = 1, REG_DWORD = 4 };

struct RegistryValue {
    int type = REG_SZ;
    QByteArray data; // as stored: REG_SZ with its trailing NUL, REG_DWORD 4 bytes little-endian
};

class SystemRegistry {
public:
    virtual ~SystemRegistry();
    // nullopt when the key or the value is missing.
    virtual std::optional<RegistryValue> queryValue(quint32 root, const QString &key,
                                                    const QString &valueName) const = 0;
};

// A table of values; keys and value names are matched without regard to case.
class MemoryRegistry : public SystemRegistry {
public:
    void setValue(quint32 root, const QString &key, const QString &valueName, const RegistryValue &value);
    void setString(quint32 root, const QString &key, const QString &valueName, const QString &text);
    void setDword(quint32 root, const QString &key, const QString &valueName, quint32 number);
    std::optional<RegistryValue> queryValue(quint32 root, const QString &key,
                                            const QString &valueName) const override;

private:
    QHash<QString, RegistryValue> m_values;
};

// The registry in use; setRegistry(nullptr) puts the built-in one back.
SystemRegistry &registry();
void setRegistry(SystemRegistry *replacement);

// A value as text: a string less its trailing NUL; a 32-bit number as "&h"
// and the hex digits of each byte from the last to the first, each byte
// without leading zeros (0x00010203 -> "&h1023"); other types as raw text.
QString registryValueText(const RegistryValue &value);

// The look-up of the About box: the value as text, or nullopt.
std::optional<QString> registryText(quint32 root, const QString &key, const QString &valueName);

} // namespace vb
