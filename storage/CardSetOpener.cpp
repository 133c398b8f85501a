#include "CardSetOpener.h"

#include "CardTables.h"
#include "Dialogs.h"
#include "Error.h"
#include "MemoryStatus.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "Working.h"

#include <new>

namespace {

const QString kNotEnoughMemory = QStringLiteral("Not enough memory ! Please close some windows !");

// Whether the set may open: memory that cannot hold it refuses it with its
// figures; a set above the threshold asks first.
bool mayOpen(const CardSetOpening &o)
{
    const vb::MemoryStatus s = vb::GetMemoryStatus();
    if (CardSetTooLarge(s, o.count)) {
        vb::MsgBox(CardSetTooLargeMessage(s, o.count), vb::vbExclamation);
        return false;
    }
    if (o.count > o.askAbove)
        return vb::MsgBox(o.question, vb::vbOKCancel + vb::vbQuestion) == vb::vbOK;
    return true;
}

void openCurrentOf(CardType type)
{
    switch (type) {
    case CardType::Note: ShowNoteCard(); break;
    case CardType::Quote: ShowQuoteCard(); break;
    case CardType::Reference: ShowReferenceCard(); break;
    }
}

bool hasOpener(CardType type)
{
    const WindowLinks &l = windowLinks();
    switch (type) {
    case CardType::Note: return bool(l.showNoteCard);
    case CardType::Quote: return bool(l.showQuoteCard);
    case CardType::Reference: break;
    }
    return bool(l.showReferenceCard);
}

} // namespace

std::optional<int> OpenCardSet(const CardSetOpening &o)
{
    // Nothing changes before the answer.
    if (!mayOpen(o))
        return std::nullopt;
    BeginCardSet(o.type);
    if (o.begun)
        o.begun();
    CardSetProgress progress(o.count);
    int opened = 0;
    for (qsizetype i = 0; i < o.count; ++i) {
        // The user may stop a long opening; the cards open stay.
        if (!progress.opened(i))
            break;
        if (o.open(i))
            ++opened;
    }
    return opened;
}

int OpenKeywordCardSet(CardType type, const QString &keyword, const KeywordCardsRoad &road)
{
    // The guard shows Alert itself when memory is short.
    if (LowMemoryGuard())
        return 0;
    int opened = 0;
    try {
        const QStringList keys = keywordCardKeys(type, keyword);
        if (keys.isEmpty()) {
            // Nothing to open: the cards open now keep their set.
            if (road.sayNoMatch)
                vb::MsgBox(QStringLiteral("No Match"), vb::vbExclamation);
            return 0;
        }
        // Without the kind's window only "not available" is said, once.
        if (!road.openCurrent && !hasOpener(type)) {
            openCurrentOf(type);
            return 0;
        }
        CardTables t = cardTablesOf(type);
        CardSetOpening o;
        o.type = type;
        o.count = keys.size();
        o.question = QString::number(keys.size()) + QStringLiteral(" cards are filed under '") + keyword +
                     QStringLiteral("' - open them all ?");
        o.begun = [&] {
            CardKind = cardKindName(type);
            // Cards opened as a set carry no search hit.
            SearchTextPos = 0;
            if (road.clearGridCount)
                GridRowCount = 0;
        };
        o.open = [&](qsizetype i) {
            t.cards.setIndex(t.cardIndex);
            t.cards.Seek(QStringLiteral("="), keys.at(i));
            if (t.cards.NoMatch())
                return false; // a link to a deleted card
            if (type == CardType::Reference)
                OpenReferenceKey = t.cards.Fields(QStringLiteral("NDX")).Value().toString();
            if (road.openCurrent)
                road.openCurrent();
            else
                openCurrentOf(type);
            ++opened;
            return true;
        };
        OpenCardSet(o);
    } catch (const std::bad_alloc &) {
        vb::MsgBox(kNotEnoughMemory, vb::vbExclamation);
    } catch (const vb::Error &e) {
        if (e.number() == vb::ErrOutOfMemory)
            vb::MsgBox(kNotEnoughMemory, vb::vbExclamation);
    }
    return opened;
}
