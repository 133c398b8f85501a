#include "InstallKeywords.h"

#include "Form.h"
#include "ListByDate.h"
#include "Listings.h"
#include "WindowLinks.h"
#include "fGrid.h"
#include "fKWList.h"
#include "fLinksKey.h"
#include "fMultSel.h"

void InstallKeywordWindows()
{
    WindowLinks &l = windowLinks();
    l.listNotesOfKeyword = keywords::ListNotesOfKeyword;
    l.listCitsOfKeyword = keywords::ListCitsOfKeyword;
    l.listRefsOfKeyword = keywords::ListRefsOfKeyword;
    l.listNotesByDate = keywords::ListNotesByDate;
    l.listCitsByDate = keywords::ListCitsByDate;
    l.listRefsByDate = keywords::ListRefsByDate;
    l.showChooser = keywords::ShowChooser;
    l.unloadChooser = keywords::UnloadChooser;
    l.setResultGridVisible = [](bool visible) { vb::Forms::get<fGrid>().setVisible(visible); };
    l.unloadResultGrid = [] { vb::Forms::unload<fGrid>(); };
    l.dropDeletedCard = [](CardType type, const QString &key) {
        if (fGrid *g = vb::Forms::find<fGrid>(); g && cardTypeOfKind(g->tag()) == type)
            g->DropCard(key);
        DropFromDateList(type, key);
    };
    l.showResultGrid = [](const QString &kindTag) {
        if (const auto type = cardTypeOfKind(kindTag))
            keywords::ReloadResultGrid(*type);
    };
    l.showKeywordList = [] { vb::Forms::get<fKWList>().show(); };
    l.showKeywordStructure = [] { vb::Forms::get<fLinksKey>().show(); };
}
