#include "Chooser.h"

#include "CardTables.h"
#include "CardWindows.h"
#include "Dao.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "ProgramState.h"
#include "Start.h"
#include "RowUpdate.h"

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

QStringList LinkedKeywords(CardType type, const QString &cardKey)
{
    CardTables t = cardTablesOf(type);
    QStringList out;
    t.links.setIndex(t.linksByCard);
    t.links.Seek(QStringLiteral("="), cardKey);
    if (t.links.NoMatch())
        return out;
    for (; !t.links.Eof() && dao::compareText(t.links.Fields(QStringLiteral("NDX")).Value().toString(), cardKey) == 0;
         t.links.MoveNext())
        out << t.links.Fields(QStringLiteral("GROUPE")).Value().toString();
    return out;
}

bool LinkKeywords(CardType type, const QString &cardKey, const QStringList &selection)
{
    CardTables t = cardTablesOf(type);
    try {
        // The card may have been deleted while the chooser stood open.
        t.cards.setIndex(t.cardIndex);
        t.cards.Seek(QStringLiteral("="), cardKey);
        if (t.cards.NoMatch()) {
            vb::MsgBox(QStringLiteral("This record does not exists"), vb::vbExclamation);
            return false;
        }
        const QStringList wanted = KeywordsToLink(selection, LinkedKeywords(type, cardKey));
        if (!wanted.isEmpty()) {
            // All links or none: a retry after a failure doubles nothing.
            dao::TransactionScope transaction;
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
    KeywordsChanged = true;
    if (type == CardType::Note)
        SelectMode = 1;
    RefreshCardKeywords(type, cardKey);
    return true;
}

} // namespace keywords
