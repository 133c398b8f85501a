#include "InstallMainWindowLink.h"

#include "BaseCommands.h"
#include "CardWindows.h"
#include "Form.h"
#include "MainWindowLink.h"
#include "OuvreBase.h"
#include "Start.h"
#include "WindowLinks.h"
#include "Twips.h"
#include "fCorvane.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSignalBlocker>

namespace mainwindow {

bool UnloadCardWindows()
{
    // The cards first (a changed one asks and may refuse), then the other
    // child windows, then every other window that holds a record, a key or
    // a recordset of the open base.
    QList<QPointer<vb::Form>> windows;
    for (CardWindowLink *card : cardwindows::all())
        windows.append(card->cardForm());
    for (vb::Form *f : vb::Forms::all())
        if (f->isMdiChild())
            windows.append(f);
    for (vb::Form *f : vb::Forms::all())
        if (!f->isMdiChild() && HoldsOpenBase(f))
            windows.append(f);
    for (const QPointer<vb::Form> &f : windows)
        if (f && f->isLoaded() && !f->unload())
            return false;
    return true;
}

namespace {

// The program's own roads, through the open base of module START and the
// base module OuvreBase.
class StorageServices : public BaseServices {
public:
    bool unloadCardWindows() override { return UnloadCardWindows(); }
    void closeBase() override
    {
        if (!g_Db.isNothing())
            g_Db.Close();
    }
    bool isMainWindowLoaded() override { return vb::Forms::isLoaded<fCorvane>(); }
    void hideMainWindow() override
    {
        if (fCorvane *f = vb::Forms::find<fCorvane>())
            f->setVisible(false);
    }
    void unloadMainWindow() override { vb::Forms::unload<fCorvane>(); }
    void showMainWindow() override { vb::Forms::get<fCorvane>().show(); }
    void showWelcome() override { ShowWelcome(); }
    QString pickNewBaseFileName() override { return PickNewBaseFileName(); }
    bool moveBaseFile(const QString &newPath) override { return MoveBaseFile(newPath); }
    bool importBase() override { return ::ImportBase(); }
    void reopenBase() override
    {
        // The key and the mode the base was opened with; a base of the
        // start-up road has the built-in password alone.
        ReopenAndBindBase(g_BasePath, g_Connect.isEmpty() ? BuiltInConnect() : g_Connect);
    }
    void endProgram() override { vb::End(); }
};

} // namespace
} // namespace mainwindow

void InstallMainWindowLink()
{
    static mainwindow::StorageServices services;
    mainwindow::setBaseServices(&services);

    MainWindowLink &link = mainWindowLink();
    link.loadAndShow = [] { vb::Forms::get<fCorvane>().show(); };
    link.isLoaded = [] { return vb::Forms::isLoaded<fCorvane>(); };
    link.unload = [] { vb::Forms::unload<fCorvane>(); };
    link.unloadCardWindows = [] { return mainwindow::UnloadCardWindows(); };
    link.width = [] {
        fCorvane *f = vb::Forms::find<fCorvane>();
        return f ? int(f->width()) : 0;
    };
    link.height = [] {
        fCorvane *f = vb::Forms::find<fCorvane>();
        return f ? int(f->height()) : 0;
    };
    link.leftPanelWidth = [] {
        fCorvane *f = vb::Forms::find<fCorvane>();
        return f ? int(vb::widthOf(f->Picture1)) : 0;
    };
    link.widget = []() -> QWidget * {
        fCorvane *f = vb::Forms::find<fCorvane>();
        return f ? f->window() : nullptr;
    };

    // What the other folders' windows ask of the main window.
    WindowLinks &w = windowLinks();
    w.setCardKindOption = [](CardType type) {
        fCorvane *f = vb::Forms::find<fCorvane>();
        if (!f)
            return;
        QRadioButton *option = type == CardType::Note  ? f->OptionNote
                               : type == CardType::Quote ? f->OptionCit
                                                         : f->OptionRef;
        // Only the button: its handler would list the cards again.
        const QSignalBlocker block(option);
        option->setChecked(true);
    };
    w.refillKeywordList = [] {
        if (fCorvane *f = vb::Forms::find<fCorvane>())
            f->FillKeywordList();
    };
    w.searchBoxText = []() -> QString {
        fCorvane *f = vb::Forms::find<fCorvane>();
        return f ? f->TextSearch->text() : QString();
    };
    w.selectedKeyword = []() -> QString {
        fCorvane *f = vb::Forms::find<fCorvane>();
        return f ? f->KWSel->text() : QString();
    };
}
