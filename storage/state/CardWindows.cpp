#include "CardWindows.h"

#include "Dao.h"
#include "Form.h"

#include <QPointer>

namespace cardwindows {
namespace {
QList<CardWindowLink *> &registry()
{
    static QList<CardWindowLink *> cards;
    return cards;
}
} // namespace

void add(CardWindowLink *card)
{
    if (card && !registry().contains(card))
        registry().append(card);
}

void remove(CardWindowLink *card) { registry().removeAll(card); }

QList<CardWindowLink *> find(CardType type, const QString &key)
{
    QList<CardWindowLink *> out;
    for (CardWindowLink *c : registry())
        if (c->cardType() == type && dao::compareText(c->cardKey(), key) == 0)
            out.append(c);
    return out;
}

QList<CardWindowLink *> all() { return registry(); }

} // namespace cardwindows

void RefreshCardKeywords(CardType type, const QString &key)
{
    for (CardWindowLink *c : cardwindows::find(type, key))
        c->reloadKeywords();
}

void RefreshCardAsReopened(CardType type, const QString &key)
{
    for (CardWindowLink *c : cardwindows::find(type, key)) {
        c->reloadKeywords();
        c->reloadCaption();
    }
}

void CloseCardsOfKey(CardType type, const QString &key)
{
    // Closing unregisters the card, so work on a copy.
    const QList<CardWindowLink *> cards = cardwindows::find(type, key);
    for (CardWindowLink *c : cards)
        if (cardwindows::all().contains(c))
            c->closeWithoutAsking();
}

namespace {
constexpr const char *kHoldsOpenBase = "corvaneHoldsOpenBase";
}

void MarkHoldsOpenBase(vb::Form *form)
{
    if (form)
        form->setProperty(kHoldsOpenBase, true);
}

bool HoldsOpenBase(const vb::Form *form) { return form && form->property(kHoldsOpenBase).toBool(); }
