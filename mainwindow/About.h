#pragma once
// The About box's look-ups, without its window: caption and version texts,
// where the system-information tool lies (from the registry layer) and
// starting it through the shell layer.

#include <QString>
#include <functional>
#include <optional>

namespace about {

inline const QString kSysInfoUnavailable =
    QStringLiteral("Les informations système ne sont pas disponibles actuellement");
inline const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kSysInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kSysInfoProgram = QStringLiteral("MSINFO32.EXE");

// The program's web pages.
inline const QString kHomeHost = QStringLiteral("www.corvane-studio.org");
inline const QString kHomePage = QStringLiteral("https://www.corvane-studio.org/");
inline const QString kAboutPage = QStringLiteral("https://www.corvane-studio.org/about.html");

QString aboutCaption(const QString &title);
// "Version 1.8.66": plain numbers, no leading zeros.
QString versionText(int major, int minor, int revision);

// One registry value as text; false with an empty value when the key or the
// value is missing.
bool GetKeyValue(quint32 root, const QString &keyName, const QString &valueName, QString &value);

// The tool's full path: the "PATH" value of MSINFO, else MSINFO32.EXE in
// the folder named by "MSINFO" of Shared Tools Location when it is there.
std::optional<QString> findSystemInfoTool();

// Starts the tool; when it cannot be found or started, the message box
// "Les informations système ne sont pas disponibles actuellement".
void StartSysInfo();

} // namespace about
