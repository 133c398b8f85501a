#pragma once
// The open tables of one card kind: its keyword links and its cards, with the
// names of their indexes.

#include "CardKinds.h"
#include "Dao.h"

#include <QString>
#include <QStringList>

struct CardTables {
    dao::Recordset links;   // GRNOTE, GRCIT or GRBIB
    QString linksByKeyword; // index on GROUPE
    QString linksByCard;    // index on NDX
    dao::Recordset cards;   // NOTE, CIT or BIBLIO
    QString cardIndex;      // index on the card's key
    // NoteCount, CitCount or BiblioCount: the record's counter, which no
    // later card takes again, tells it from a newer card that took its key.
    QString counter;
};

CardTables cardTablesOf(CardType type);

// The keys of the cards filed under keyword, in the order of the by-keyword
// index, rows of another letter case included as the index holds them.
QStringList keywordCardKeys(CardType type, const QString &keyword);
// The keywords linked to a card, in the order of the by-card index.
QStringList cardKeywordLinks(CardType type, const QString &cardKey);
