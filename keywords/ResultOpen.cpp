#include "ResultOpen.h"

#include "Dialogs.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"

namespace keywords {

int SearchPosition(const QVariant &text, const QString &term)
{
    if (!text.isValid() || text.isNull())
        return 0;
    const QString s = text.toString();
    if (term.isEmpty())
        return s.isEmpty() ? 0 : 1;
    return int(s.indexOf(term, 0, Qt::CaseSensitive)) + 1;
}

bool OpenResultCard(CardType type, const QString &key)
{
    dao::Recordset rs = type == CardType::Note ? rsNote : type == CardType::Quote ? rsCit : rsBiblio;
    const QString index = type == CardType::Note    ? QStringLiteral("NoteNDX")
                          : type == CardType::Quote ? QStringLiteral("CitNDX")
                                                    : QStringLiteral("BibNDX");
    rs.setIndex(index);
    rs.Seek(QStringLiteral("="), key);
    if (rs.NoMatch()) {
        vb::MsgBox(QStringLiteral("This record does not exists"), vb::vbExclamation | vb::vbOKOnly);
        return false;
    }
    switch (type) {
    case CardType::Note:
        SearchTextPos = SearchPosition(fldNoteTexte.Value(), SearchText);
        ShowNoteCard();
        break;
    case CardType::Quote:
        SearchTextPos = SearchPosition(fldCitTexte.Value(), SearchText);
        ShowQuoteCard();
        break;
    case CardType::Reference:
        OpenReferenceKey = fldBiblioNdx.Value().toString();
        ShowReferenceCard();
        break;
    }
    return true;
}

} // namespace keywords
