#include "ProgramHooks.h"

#include "ImportBase.h"
#include "InstallCards.h"
#include "InstallKeywords.h"
#include "InstallMainWindowLink.h"
#include "InstallReferences.h"
#include "InstallWordIndex.h"
#include "InstallWords.h"
#include "KeywordBrowser.h"
#include "NewCards.h"
#include "frmType.h"

void InstallProgramHooks()
{
    InstallMainWindowLink();
    browser::InstallKeywordBrowser();
    InstallKeywordWindows();
    InstallImport();
    InstallCardWindows();
    InstallReferenceWindows();
    InstallNewCards();
    InstallTypePicker();
    InstallWordWindows();
    InstallWordIndex();
}
