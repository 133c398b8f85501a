#include "WordIndexBuilder.h"

#include "DaoErrors.h"
#include "Start.h"
#include "TextFind.h"

#include <QStringList>

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace wordindex {

namespace {

struct Tables {
    dao::Recordset *cards;
    const char *keyIndex;
    dao::Field *cardKey, *cardText;
    dao::Recordset *index;
    dao::Field *word, *key, *count;
    dao::Recordset *totals;
    dao::Field *totalWord, *total;
};

Tables tablesOf(CardType type)
{
    if (type == CardType::Quote)
        return {&rsCit, "CitNDX", &fldCitCit, &fldCitTexte,
                &rsWordsCitIndex, &fldWordsCitIndexMot, &fldWordsCitIndexIndex, &fldWordsCitIndexNbOccurIndex,
                &rsWordsCitAll, &fldWordsCitAllMot, &fldWordsCitAllOccurences};
    return {&rsNote, "NoteNDX", &fldNoteCit, &fldNoteTexte,
            &rsWordsNoteIndex, &fldWordsNoteIndexMot, &fldWordsNoteIndexIndex, &fldWordsNoteIndexNbOccurIndex,
            &rsWordsNoteAll, &fldWordsNoteAllMot, &fldWordsNoteAllOccurences};
}

QString indexTable(CardType type)
{
    return type == CardType::Quote ? QStringLiteral("WordsCitIndex") : QStringLiteral("WordsNoteIndex");
}

QString totalsTable(CardType type)
{
    return type == CardType::Quote ? QStringLiteral("WordsCitAll") : QStringLiteral("WordsNoteAll");
}

QString textOf(const dao::Field &f)
{
    const QVariant v = f.Value();
    return v.isValid() ? v.toString() : QString();
}

// MoveFirst on a table that may be empty.
bool first(dao::Recordset &rs)
{
    try {
        rs.MoveFirst();
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrNoCurrentRecord)
            return false;
        throw;
    }
    return !rs.Eof();
}

bool seekEqual(dao::Recordset &rs, const QString &key)
{
    if (key.isEmpty())
        return false;
    rs.Seek(QStringLiteral("="), key);
    return !rs.NoMatch();
}

} // namespace

WordIndexBuilder::WordIndexBuilder(CardType type) : m_type(type) {}

void WordIndexBuilder::writeRow(const QString &word, const QString &key, int count)
{
    const Tables t = tablesOf(m_type);
    t.index->AddNew();
    t.word->setValue(word);
    t.key->setValue(key);
    t.count->setValue(count);
    t.index->Update();
}

void WordIndexBuilder::dropRowsOf(const QString &key)
{
    const Tables t = tablesOf(m_type);
    t.index->setIndex(QStringLiteral("Index"));
    if (!seekEqual(*t.index, key))
        return;
    while (!t.index->Eof() && dao::compareText(textOf(*t.key), key) == 0) {
        t.index->Delete();
        t.index->MoveNext();
    }
}

BuildResult WordIndexBuilder::build()
{
    BuildResult result;
    const Tables t = tablesOf(m_type);
    const textfind::ExcludedWords excluded = textfind::ExcludedWords::fromBase(g_Db);
    t.cards->setIndex(QString::fromLatin1(t.keyIndex));
    t.index->setIndex(QStringLiteral("Index"));

    // The whole run is one transaction.
    dao::TransactionScope run;
    bool takenBack = true;
    try {
        // Rows of cards that no longer exist go: one look per distinct key.
        if (first(*t.index)) {
            while (!t.index->Eof()) {
                const QString key = textOf(*t.key);
                if (seekEqual(*t.cards, key)) {
                    t.index->Seek(QStringLiteral(">"), key);
                    if (t.index->NoMatch())
                        break;
                    continue;
                }
                while (!t.index->Eof() && dao::compareText(textOf(*t.key), key) == 0) {
                    t.index->Delete();
                    ++result.staleRowsDropped;
                    t.index->MoveNext();
                }
            }
        }

        // The cards without rows, in key order.
        QStringList pending;
        if (first(*t.cards))
            for (; !t.cards->Eof(); t.cards->MoveNext()) {
                const QString key = textOf(*t.cardKey);
                if (seekEqual(*t.index, key))
                    ++result.cardsKept;
                else
                    pending << key;
            }

        // A first build fills the index from empty: its lookup indexes are
        // made once after the rows rather than kept up row by row.
        std::optional<dao::BulkFill> fill;
        if (!pending.isEmpty())
            fill.emplace(g_Db, indexTable(m_type));
        textfind::WordList list;
        for (const QString &key : std::as_const(pending)) {
            if (!seekEqual(*t.cards, key))
                continue;
            const QString text = textOf(*t.cardText);
            if (text.isEmpty())
                continue;
            textfind::extractIndexWords(text, excluded, list);
            int rows = 0;
            try {
                for (int i = 1; i <= list.size(); ++i) {
                    const QString &word = list.words.at(i);
                    if (word.isEmpty() || word.size() > kMaxIndexWord) {
                        ++result.wordsSkipped;
                        continue;
                    }
                    writeRow(word, key, list.counts.at(i));
                    ++rows;
                }
            } catch (const vb::Error &) {
                // The card had no row before: take back what it got, so no
                // card is left half indexed. (A savepoint per card would
                // journal every index page a card touches.)
                try {
                    dropRowsOf(key);
                } catch (const vb::Error &) {
                    // Not even that: the whole run is undone below.
                    takenBack = false;
                }
                throw;
            }
            result.rowsWritten += rows;
            if (rows > 0)
                ++result.cardsIndexed;
            result.lastKey = key;
            if (onCard)
                onCard(key, rows, result.wordsSkipped);
        }
        if (fill)
            fill->finish();
    } catch (const vb::Error &e) {
        // The failing card's rows are already taken back; what was done
        // before it stays.
        result.failure = e;
    }
    if (!takenBack)
        return result;
    try {
        run.Commit();
    } catch (const vb::Error &e) {
        if (!result.failure)
            result.failure = e;
    }
    return result;
}

TotalsResult WordIndexBuilder::aggregate()
{
    TotalsResult result;
    const Tables t = tablesOf(m_type);
    dao::TransactionScope tx;
    try {
        t.totals->setIndex(QString());
        if (first(*t.totals))
            while (!t.totals->Eof()) {
                t.totals->Delete();
                t.totals->MoveNext();
            }

        // One pass over the index in stored order; words equal to the index
        // (letter case aside) add up under the first spelling read.
        struct Total {
            QString word;
            qint64 sum;
        };
        std::vector<Total> totals;
        std::unordered_multimap<quint64, size_t> byHash;
        const int all = int(t.index->RecordCount());
        dao::ScanTable(g_Db, indexTable(m_type), {QStringLiteral("Mot"), QStringLiteral("NboccurIndex")}, [&](const QVariantList &row) {
            ++result.rowsRead;
            if (onTotalsRow)
                onTotalsRow(result.rowsRead, all);
            const QString w = row.at(0).isValid() ? row.at(0).toString() : QString();
            if (w.isEmpty() || w.size() > kMaxTotalsWord) {
                ++result.wordsSkipped;
                return true;
            }
            const int n = row.at(1).toInt();
            const quint64 h = textfind::foldHash(w);
            const auto [from, to] = byHash.equal_range(h);
            for (auto it = from; it != to; ++it)
                if (dao::compareText(totals[it->second].word, w) == 0) {
                    totals[it->second].sum += n;
                    return true;
                }
            byHash.emplace(h, totals.size());
            totals.push_back({w, n});
            return true;
        });
        // Written in the order of the word index, which keeps its pages at
        // hand; the other index is made once after the rows.
        std::sort(totals.begin(), totals.end(),
                  [](const Total &a, const Total &b) { return dao::compareText(a.word, b.word) < 0; });
        std::optional<dao::BulkFill> fill;
        if (!totals.empty())
            fill.emplace(g_Db, totalsTable(m_type));
        for (const Total &total : totals) {
            t.totals->AddNew();
            t.totalWord->setValue(total.word);
            t.total->setValue(int(std::min<qint64>(total.sum, std::numeric_limits<int>::max())));
            t.totals->Update();
        }
        if (fill)
            fill->finish();
        result.totals = int(totals.size());
        tx.Commit();
    } catch (const vb::Error &e) {
        result.failure = e;
        result.totals = 0;
    }
    return result;
}

} // namespace wordindex
