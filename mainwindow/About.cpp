#include "About.h"

#include "Dialogs.h"
#include "Error.h"
#include "Files.h"
#include "Shell.h"
#include "SystemRegistry.h"

#include <QDir>

namespace about {

QString aboutCaption(const QString &title) { return QStringLiteral("À propos de ") + title; }

QString versionText(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

bool GetKeyValue(quint32 root, const QString &keyName, const QString &valueName, QString &value)
{
    const std::optional<QString> text = vb::registryText(root, keyName, valueName);
    value = text.value_or(QString());
    return text.has_value();
}

std::optional<QString> findSystemInfoTool()
{
    QString value;
    if (GetKeyValue(vb::HKEY_LOCAL_MACHINE, kSysInfoKey, QStringLiteral("PATH"), value))
        return value;
    if (GetKeyValue(vb::HKEY_LOCAL_MACHINE, kSysInfoLocationKey, QStringLiteral("MSINFO"), value)) {
        const QString path = QDir(value).filePath(kSysInfoProgram);
        if (!value.isEmpty() && !vb::Dir(path).isEmpty())
            return path;
    }
    return std::nullopt;
}

void StartSysInfo()
{
    bool started = false;
    try {
        if (const std::optional<QString> path = findSystemInfoTool())
            started = vb::shell().startProgram(*path, {});
    } catch (const vb::Error &) {
        started = false;
    }
    if (!started)
        vb::MsgBox(kSysInfoUnavailable, vb::vbInformation);
}

} // namespace about
