#include "OpenKeywordCards.h"

#include "CardTables.h"
#include "Dao.h"
#include "Dialogs.h"
#include "Error.h"
#include "Memory.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "Working.h"

#include <new>

namespace mainwindow {
namespace {

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
    CardTables t = cardTablesOf(type);
    QStringList keys;
    t.links.setIndex(t.linksByKeyword);
    t.links.Seek(QStringLiteral("="), keyword);
    if (t.links.NoMatch())
        return keys;
    const dao::Field groupe = t.links.Fields(QStringLiteral("GROUPE"));
    const dao::Field ndx = t.links.Fields(QStringLiteral("NDX"));
    for (; !t.links.Eof() && dao::compareText(groupe.Value().toString(), keyword) == 0; t.links.MoveNext())
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
        const QString question = QString::number(keys.size()) + QStringLiteral(" cards are filed under '") +
                                 keyword + QStringLiteral("' - open them all ?");
        if (!::CardSetMayOpen(keys.size(), question))
            return 0;
        BeginCardSet(type);
        // Cards opened as a set carry no search hit.
        SearchTextPos = 0;
        CardTables t = cardTablesOf(type);
        CardSetProgress progress(keys.size());
        qsizetype done = 0;
        for (const QString &key : keys) {
            // The user may stop a long opening; the cards open stay.
            if (done && !progress.opened(done))
                break;
            ++done;
            t.cards.setIndex(t.cardIndex);
            t.cards.Seek(QStringLiteral("="), key);
            if (t.cards.NoMatch())
                continue; // a link to a deleted card
            if (type == CardType::Reference)
                OpenReferenceKey = t.cards.Fields(QStringLiteral("NDX")).Value().toString();
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
