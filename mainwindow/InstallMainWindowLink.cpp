#include "InstallMainWindowLink.h"

#include "BaseCommands.h"
#include "Form.h"
#include "MainWindowLink.h"
#include "OuvreBase.h"
#include "Start.h"
#include "ImportBase.h"
#include "Twips.h"
#include "fCorvane.h"

#include <QPointer>

namespace mainwindow {

bool UnloadCardWindows()
{
    QList<QPointer<vb::Form>> children;
    for (vb::Form *f : vb::Forms::all())
        if (f->isMdiChild())
            children.append(f);
    for (const QPointer<vb::Form> &f : children)
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
    void importBase() override { ImportBase(); }
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
}
