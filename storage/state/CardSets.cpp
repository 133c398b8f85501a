#include "CardSets.h"

CardSet NoteCards, QuoteCards, ReferenceCards;
int CardAuthorCount = 0;
int CardKeywordCount = 0;

QString cardKindName(CardType type)
{
    switch (type) {
    case CardType::Note: return QStringLiteral("Note");
    case CardType::Quote: return QStringLiteral("Cit");
    case CardType::Reference: break;
    }
    return QStringLiteral("Bib");
}

QString cardGoneMessage(CardType type)
{
    return QString::fromLatin1(type == CardType::Reference ? kReferenceGoneText : kCardGoneText);
}

std::optional<CardType> cardTypeOfKind(const QString &kind)
{
    if (kind == QLatin1String("Note"))
        return CardType::Note;
    if (kind == QLatin1String("Cit"))
        return CardType::Quote;
    if (kind == QLatin1String("Bib"))
        return CardType::Reference;
    return std::nullopt;
}

CardSet &cardSet(CardType type)
{
    switch (type) {
    case CardType::Note: return NoteCards;
    case CardType::Quote: return QuoteCards;
    case CardType::Reference: break;
    }
    return ReferenceCards;
}

void BeginCardSet(CardType type)
{
    CardSet &set = cardSet(type);
    set.count = 0;
    set.slot = CardSlot{};
    set.window = nullptr;
}

int NextCardSlot(CardType type)
{
    CardSet &set = cardSet(type);
    // The count was 16-bit; a set that would pass it starts again from 1
    // rather than wrap to a negative slot.
    set.count = set.count >= 32767 ? 1 : set.count + 1;
    set.slot = CardSlot{};
    set.window = nullptr;
    return set.count;
}
