#include "CardKinds.h"

QString cardKindName(CardType type)
{
    switch (type) {
    case CardType::Note: return QStringLiteral("Note");
    case CardType::Quote: return QStringLiteral("Cit");
    case CardType::Reference: break;
    }
    return QStringLiteral("Bib");
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

QString cardGoneMessage(CardType type)
{
    return QString::fromLatin1(type == CardType::Reference ? kReferenceGoneText : kCardGoneText);
}
