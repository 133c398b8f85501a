#include "Shell.h"

#include "Error.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace vb {

namespace {

class DesktopShell : public ShellService {
public:
    bool openUrl(const QString &address) override
    {
        const QUrl url = QFileInfo::exists(address) ? QUrl::fromLocalFile(address)
                                                    : QUrl::fromUserInput(address);
        return url.isValid() && QDesktopServices::openUrl(url);
    }

    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

ShellService *g_shell = nullptr;

} // namespace

ShellService::~ShellService() = default;

ShellService &shell()
{
    static DesktopShell desktop;
    return g_shell ? *g_shell : desktop;
}

void setShell(ShellService *replacement) { g_shell = replacement; }

bool ShellExecute(const QString &address)
{
    if (address.trimmed().isEmpty())
        return false;
    return shell().openUrl(address.trimmed());
}

void Shell(const QString &commandLine)
{
    const QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty() || !shell().startProgram(parts.constFirst(), parts.mid(1)))
        raise(ErrFileNotFound, QStringLiteral("File not found"), commandLine);
}

bool RecordingShell::openUrl(const QString &address)
{
    opened << address;
    return succeed;
}

bool RecordingShell::startProgram(const QString &program, const QStringList &arguments)
{
    started << (QStringList{program} + arguments).join(QLatin1Char(' '));
    return succeed;
}

} // namespace vb
