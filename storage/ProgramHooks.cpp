#include "ProgramHooks.h"

#include "ImportBase.h"
#include "InstallKeywords.h"
#include "InstallMainWindowLink.h"
#include "KeywordBrowser.h"

void InstallProgramHooks()
{
    // ---- main window hooks: install them here ----
    InstallMainWindowLink();
    browser::InstallKeywordBrowser();
    InstallKeywordWindows();
    InstallImport();
    // ---- end of the main window hooks ----
}
