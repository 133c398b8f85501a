#include "Chooser.h"

#include "CardTables.h"
#include "CardWindows.h"
#include "Dao.h"
#include "DaoReads.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "ProgramState.h"
#include "Start.h"
#include "RowUpdate.h"

#include <optional>

namespace keywords {

void Selection::add(const QString &entry)
{
    if (isEmpty())
        m_rows[0] = entry;
    else
        m_rows.append(entry);
}

void Selection::remove(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    if (m_rows.size() == 1)
        m_rows[0].clear();
    else
        m_rows.removeAt(row);
}

namespace {

bool containsKey(const QStringList &list, const QString &k)
{
    for (const QString &s : list)
        if (dao::compareText(s, k) == 0)
            return true;
    return false;
}

} // namespace

QStringList KeywordsToLink(const QStringList &selection, const QStringList &existing)
{
    QStringList out;
    for (const QString &k : selection) {
        if (k.isEmpty() || containsKey(out, k) || containsKey(existing, k))
            continue;
        out << k;
    }
    return out;
}

QStringList LinkedKeywords(CardType type, const QString &cardKey) { return cardKeywordLinks(type, cardKey); }

namespace {

enum class Target { Linked, Missing, Replaced };

// The counter of the record under key, read as the card reads its own.
std::optional<qint64> counterOf(const CardTables &t, const QString &key)
{
    dao::KeyReader reader(g_Db, t.cards.Name(), t.cardIndex, {t.counter});
    std::optional<qint64> counter;
    reader.read(key, [&](const dao::RowView &row) {
        counter = row.value(0).toLongLong();
        return false; // the key is unique
    });
    return counter;
}

} // namespace

bool LinkKeywords(CardType type, const QString &cardKey, qint64 counter, const QStringList &selection)
{
    CardTables t = cardTablesOf(type);
    Target target = Target::Linked;
    try {
        // The check and the links in one transaction, as a card's store
        // does: no other window or running copy of the program can delete
        // the card, or give its key to a new one, in between. All links or
        // none: a retry after a failure doubles nothing.
        dao::TransactionScope transaction;
        const std::optional<qint64> now = counterOf(t, cardKey);
        if (!now) {
            target = Target::Missing;
        } else if (*now != counter) {
            // Deleted since the chooser was opened for it, and a newer card
            // took its key.
            target = Target::Replaced;
        } else {
            const QStringList wanted = KeywordsToLink(selection, LinkedKeywords(type, cardKey));
            for (const QString &k : wanted) {
                dao::RowUpdate row(t.links, dao::RowUpdate::AddNew);
                t.links.Fields(QStringLiteral("GROUPE")).setValue(k);
                t.links.Fields(QStringLiteral("NDX")).setValue(cardKey);
                row.Update();
            }
            transaction.Commit();
        }
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrReadOnly)
            vb::MsgBox(QStringLiteral("Fichier en lecture seule !"), vb::vbExclamation);
        else
            vb::MsgBox(e.description(), vb::vbExclamation);
        return false;
    }
    // Said once the transaction is over, so that no lock is held while the
    // message waits.
    if (target == Target::Missing) {
        vb::MsgBox(QStringLiteral("This record does not exists"), vb::vbExclamation);
        return false;
    }
    if (target == Target::Replaced) {
        vb::MsgBox(cardGoneMessage(type), vb::vbExclamation);
        return false;
    }
    KeywordsChanged = true;
    if (type == CardType::Note)
        SelectMode = 1;
    RefreshCardKeywords(type, cardKey);
    return true;
}

} // namespace keywords
