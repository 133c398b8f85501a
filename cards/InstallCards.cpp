#include "InstallCards.h"

#include "CardOpeners.h"
#include "FListSel.h"
#include "Form.h"
#include "WindowLinks.h"

void InstallCardWindows()
{
    WindowLinks &l = windowLinks();
    l.showNoteCard = cards::ShowNoteCard;
    l.showQuoteCard = cards::ShowQuoteCard;
    l.showReferenceCard = cards::ShowReferenceCard;
    l.showCardsByDate = [](const QList<QStringList> &rows) {
        FListSel &list = vb::Forms::get<FListSel>();
        list.setCardRows(rows);
        list.show();
    };
}
