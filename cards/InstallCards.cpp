#include "InstallCards.h"

#include "CardOpeners.h"
#include "FListSel.h"
#include "Form.h"
#include "ProgramState.h"
#include "WindowLinks.h"

void InstallCardWindows()
{
    WindowLinks &l = windowLinks();
    l.showNoteCard = cards::ShowNoteCard;
    l.showQuoteCard = cards::ShowQuoteCard;
    l.showReferenceCard = cards::ShowReferenceCard;
    l.showDateList = [](const QList<QStringList> &rows) {
        FListSel &list = vb::Forms::get<FListSel>();
        list.setCardRows(rows);
        list.show();
    };
    l.dropFromDateList = [](CardType type, const QString &key) {
        // Only a list of that kind shows the key; a closed list stays closed.
        if (FListSel *list = vb::Forms::find<FListSel>())
            if (cardTypeOfKind(g_ListKind) == type)
                list->dropCard(key);
    };
}
