#include "CardTables.h"

#include "Start.h"

CardTables cardTablesOf(CardType type)
{
    switch (type) {
    case CardType::Note: return {rsGrNote, "GrNote", "GrNoteNDX", rsNote, "NoteNDX", "NoteCount"};
    case CardType::Quote: return {rsGrCit, "GrCit", "GrCitNDX", rsCit, "CitNDX", "CitCount"};
    case CardType::Reference: break;
    }
    return {rsGrBib, "GrBib", "GrBibNDX", rsBiblio, "BibNDX", "BiblioCount"};
}

namespace {

// From the first link whose `from` column is key on the index, as long as
// it stays key as the index compares it: the `to` column of each.
QStringList walkLinks(dao::Recordset links, const QString &index, const QString &from, const QString &to,
                      const QString &key)
{
    QStringList out;
    links.setIndex(index);
    links.Seek(QStringLiteral("="), key);
    if (links.NoMatch())
        return out;
    const dao::Field fromField = links.Fields(from);
    const dao::Field toField = links.Fields(to);
    for (; !links.Eof() && dao::compareText(fromField.Value().toString(), key) == 0; links.MoveNext())
        out << toField.Value().toString();
    return out;
}

} // namespace

QStringList keywordCardKeys(CardType type, const QString &keyword)
{
    const CardTables t = cardTablesOf(type);
    return walkLinks(t.links, t.linksByKeyword, QStringLiteral("GROUPE"), QStringLiteral("NDX"), keyword);
}

QStringList cardKeywordLinks(CardType type, const QString &cardKey)
{
    const CardTables t = cardTablesOf(type);
    return walkLinks(t.links, t.linksByCard, QStringLiteral("NDX"), QStringLiteral("GROUPE"), cardKey);
}
