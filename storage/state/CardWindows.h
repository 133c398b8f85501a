#pragma once
// The open card windows of every kind, found by kind and key. A card window
// registers itself when it loads and leaves when it unloads; other windows
// reach an open card only through here (never through its slot number).

#include "CardSets.h"

#include <QList>
#include <QString>

namespace vb {
class Form;
}

class CardWindowLink {
public:
    virtual ~CardWindowLink() = default;
    virtual CardType cardType() const = 0;
    // The key of the record the card shows (its Tag).
    virtual QString cardKey() const = 0;
    virtual vb::Form *cardForm() = 0;
    // The slot number shown in the hidden box FenNum.
    virtual void setCardNumber(int number) = 0;
    virtual int cardNumber() const = 0;
    // Re-reads the card's keyword links from the base by its own key and
    // refills its keyword grid in place.
    virtual void reloadKeywords() = 0;
    // Shows the caption an opener gives the stored record, as when the card
    // is opened again without a search hit.
    virtual void reloadCaption() {}
    // The plain text the card shows now (edits included).
    virtual QString cardPlainText() const = 0;
    // Closes the card without asking to store (its record was deleted).
    virtual void closeWithoutAsking() = 0;
};

namespace cardwindows {
void add(CardWindowLink *card);
void remove(CardWindowLink *card);
// Open cards of that kind whose key is the same to the index (letter case
// and Unicode form aside), in opening order.
QList<CardWindowLink *> find(CardType type, const QString &key);
QList<CardWindowLink *> all();
} // namespace cardwindows

// Every open card of that key re-reads its keywords from the base.
void RefreshCardKeywords(CardType type, const QString &key);
// Every open card of that key re-reads its keywords and its caption, as a
// card closed and opened again shows them.
void RefreshCardAsReopened(CardType type, const QString &key);
// Every open card of that key closes, asking nothing.
void CloseCardsOfKey(CardType type, const QString &key);

// A window that holds a record, a key or a recordset of the open base
// without being a card (a list, a chooser, a dialog) marks itself when it is
// made, so that it is unloaded before the base is closed or replaced.
void MarkHoldsOpenBase(vb::Form *form);
bool HoldsOpenBase(const vb::Form *form);
