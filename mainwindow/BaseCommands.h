#pragma once
// The Database menu's commands that close or replace the open base, as
// sequences over a small set of services, so that the order (card windows
// first, then the base) holds whatever the services do and can be checked
// with fakes.
//
// Every sequence unloads the card windows before it touches the base: each
// changed card then asks whether to store while its base is still open, and
// a card that refuses to close stops the command with nothing closed.

#include <QString>

namespace mainwindow {

class BaseServices {
public:
    virtual ~BaseServices();
    // Every window inside the main window, each changed card asking; false
    // when one refused to close.
    virtual bool unloadCardWindows() = 0;
    virtual void closeBase() = 0;
    virtual bool isMainWindowLoaded() = 0;
    virtual void hideMainWindow() = 0;
    virtual void unloadMainWindow() = 0;
    // Loads the main window (afresh when it is not loaded) and shows it.
    virtual void showMainWindow() = 0;
    virtual void showWelcome() = 0;
    // "" when the user cancelled or the target was refused.
    virtual QString pickNewBaseFileName() = 0;
    // With the base closed; false (after saying why, with the original open
    // again and shown) on failure.
    virtual bool moveBaseFile(const QString &newPath) = 0;
    // True when the open base changed; false when nothing was added (a
    // cancelled choice, a refused source, an import undone).
    virtual bool importBase() = 0;
    // Opens the base at its absolute path again with the key and the mode it
    // was opened with and binds its tables; raises vb::Error and keeps nothing
    // on failure.
    virtual void reopenBase() = 0;
    // Ends the program at once.
    virtual void endProgram() = 0;
};

// The services the menus use; InstallMainWindowLink puts the program's own
// in place, tests their fakes. Raises vb::Error when none is set.
BaseServices &baseServices();
void setBaseServices(BaseServices *services);

// "&Load": card windows, base, main window, then the welcome window.
void LoadAnotherBase(BaseServices &s);
// "&New": the welcome window over the main window; nothing closes here.
void ShowNewBaseWelcome(BaseServices &s);
// "&Import": card windows; hide the main window; import; unload it; close
// the base; reopen it with its key; show the main window afresh. A failed
// reopen gives a message and the welcome window. An import that changed
// nothing shows the same main window again.
void ImportIntoBase(BaseServices &s);
// "&Save As...": the new name first; then card windows, base, main window,
// and the move, which reopens and shows the main window.
void SaveBaseAs(BaseServices &s);
// "&Quit": card windows, base, end.
void QuitProgram(BaseServices &s);

// The message of a reopen that failed after an import.
QString reopenFailedMessage(const QString &description);

} // namespace mainwindow
