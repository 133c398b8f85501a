#include "OpenKeywordCards.h"

#include "CardSetOpener.h"

namespace mainwindow {

int OpenKeywordCards(CardType type, const QString &keyword)
{
    KeywordCardsRoad road;
    road.sayNoMatch = true;
    return OpenKeywordCardSet(type, keyword, road);
}

int OpenKeywordReferences(const QString &keyword) { return OpenKeywordCards(CardType::Reference, keyword); }
int OpenKeywordNotes(const QString &keyword) { return OpenKeywordCards(CardType::Note, keyword); }
int OpenKeywordQuotes(const QString &keyword) { return OpenKeywordCards(CardType::Quote, keyword); }

void OpenKeywordCardsByOptions(const CardKindOptions &options, const QString &keyword)
{
    if (options.references)
        OpenKeywordReferences(keyword);
    if (options.notes)
        OpenKeywordNotes(keyword);
    if (options.quotes)
        OpenKeywordQuotes(keyword);
}

} // namespace mainwindow
