#include "OpenKeywordCards.h"

#include "Dao.h"
#include "Dialogs.h"
#include "Error.h"
#include "Memory.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"

#include <new>

namespace mainwindow {
namespace {

struct Tables {
    dao::Recordset link;
    QString byKeyword;
    dao::Recordset card;
    QString cardIndex;
};

Tables tablesOf(CardType type)
{
    switch (type) {
    case CardType::Note: return {rsGrNote, "GrNote", rsNote, "NoteNDX"};
    case CardType::Quote: return {rsGrCit, "GrCit", rsCit, "CitNDX"};
    case CardType::Reference: break;
    }
    return {rsGrBib, "GrBib", rsBiblio, "BibNDX"};
}

void openOne(CardType type)
{
    switch (type) {
    case CardType::Note: ShowNoteCard(); break;
    case CardType::Quote: ShowQuoteCard(); break;
    case CardType::Reference: ShowReferenceCard(); break;
    }
}

const QString kOutOfMemory = QStringLiteral("Not enough memory ! Please close some windows !");

} // namespace


QStringList KeywordCardKeys(CardType type, const QString &keyword)
{
    Tables t = tablesOf(type);
    QStringList keys;
    t.link.setIndex(t.byKeyword);
    t.link.Seek(QStringLiteral("="), keyword);
    if (t.link.NoMatch())
        return keys;
    const dao::Field groupe = t.link.Fields(QStringLiteral("GROUPE"));
    const dao::Field ndx = t.link.Fields(QStringLiteral("NDX"));
    for (; !t.link.Eof() && dao::compareText(groupe.Value().toString(), keyword) == 0; t.link.MoveNext())
        keys << ndx.Value().toString();
    return keys;
}

int OpenKeywordCards(CardType type, const QString &keyword)
{
    // The guard shows Alert itself when memory is short.
    if (::LowMemoryGuard())
        return 0;
    int opened = 0;
    try {
        CardKind = cardKindName(type);
        const QStringList keys = KeywordCardKeys(type, keyword);
        if (keys.isEmpty()) {
            // Nothing to open: the cards open now keep their set.
            vb::MsgBox(QStringLiteral("No Match"), vb::vbExclamation);
            return 0;
        }
        BeginCardSet(type);
        // Cards opened as a set carry no search hit.
        SearchTextPos = 0;
        Tables t = tablesOf(type);
        for (const QString &key : keys) {
            t.card.setIndex(t.cardIndex);
            t.card.Seek(QStringLiteral("="), key);
            if (t.card.NoMatch())
                continue; // a link to a deleted card
            if (type == CardType::Reference)
                OpenReferenceKey = t.card.Fields(QStringLiteral("NDX")).Value().toString();
            openOne(type);
            ++opened;
        }
    } catch (const std::bad_alloc &) {
        vb::MsgBox(kOutOfMemory, vb::vbExclamation);
    } catch (const vb::Error &e) {
        if (e.number() == vb::ErrOutOfMemory)
            vb::MsgBox(kOutOfMemory, vb::vbExclamation);
    }
    return opened;
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
