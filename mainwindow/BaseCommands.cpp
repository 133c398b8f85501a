#include "BaseCommands.h"

#include "Dialogs.h"
#include "Error.h"

namespace mainwindow {

namespace {
BaseServices *g_services = nullptr;
}

BaseServices::~BaseServices() = default;

BaseServices &baseServices()
{
    if (!g_services)
        vb::raise(91, QStringLiteral("Object variable or With block variable not set"),
                  QStringLiteral("BaseServices"));
    return *g_services;
}

void setBaseServices(BaseServices *services) { g_services = services; }

QString reopenFailedMessage(const QString &description)
{
    return QStringLiteral("The base could not be opened again : ") + description;
}

void LoadAnotherBase(BaseServices &s)
{
    if (!s.unloadCardWindows())
        return;
    s.closeBase();
    s.unloadMainWindow();
    s.showWelcome();
}

void ShowNewBaseWelcome(BaseServices &s) { s.showWelcome(); }

void ImportIntoBase(BaseServices &s)
{
    if (!s.unloadCardWindows())
        return;
    s.hideMainWindow();
    bool changed = false;
    try {
        changed = s.importBase();
    } catch (...) {
        // The import failed on its own road: the base is still the one open,
        // so bring the window back before the error is reported.
        s.showMainWindow();
        throw;
    }
    if (!changed) {
        s.showMainWindow();
        return;
    }
    s.unloadMainWindow();
    try {
        s.closeBase();
        s.reopenBase();
    } catch (const vb::Error &e) {
        // A window before the message, which must not be the last one.
        s.showWelcome();
        vb::MsgBox(reopenFailedMessage(e.description()), vb::vbExclamation);
        return;
    }
    s.showMainWindow();
}

void SaveBaseAs(BaseServices &s)
{
    const QString target = s.pickNewBaseFileName();
    if (target.isEmpty())
        return;
    if (!s.unloadCardWindows())
        return;
    s.closeBase();
    s.unloadMainWindow();
    s.moveBaseFile(target);
}

void QuitProgram(BaseServices &s)
{
    if (!s.unloadCardWindows())
        return;
    s.closeBase();
    s.endProgram();
}

} // namespace mainwindow
