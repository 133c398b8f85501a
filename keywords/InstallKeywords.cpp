#include "InstallKeywords.h"

#include "Form.h"
#include "ListOfKeyword.h"
#include "WindowLinks.h"
#include "fGrid.h"
#include "fKWList.h"
#include "fLinksKey.h"

void InstallKeywordWindows()
{
    WindowLinks &l = windowLinks();
    l.listNotesOfKeyword = keywords::ListNotesOfKeyword;
    l.listCitsOfKeyword = keywords::ListCitsOfKeyword;
    l.listRefsOfKeyword = keywords::ListRefsOfKeyword;
    l.setResultGridVisible = [](bool visible) { vb::Forms::get<fGrid>().setVisible(visible); };
    l.unloadResultGrid = [] { vb::Forms::unload<fGrid>(); };
    l.showKeywordList = [] { vb::Forms::get<fKWList>().show(); };
    l.showKeywordStructure = [] { vb::Forms::get<fLinksKey>().show(); };
}
