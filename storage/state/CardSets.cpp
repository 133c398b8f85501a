#include "CardSets.h"

CardSet NoteCards, QuoteCards, ReferenceCards;
int CardAuthorCount = 0;
int CardKeywordCount = 0;

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
