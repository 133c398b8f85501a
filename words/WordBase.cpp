#include "WordBase.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Start.h"

#include <algorithm>
#include <vector>

namespace words {

void reportWriteFailure(const vb::Error &e)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(QStringLiteral("Fichier en lecture seule !"), vb::vbExclamation);
    else
        vb::MsgBox(e.description(), vb::vbExclamation);
}

// ---- excluded words -------------------------------------------------------

QStringList excludedWordList()
{
    QStringList out;
    rsWords.setIndex(QStringLiteral("WNDX"));
    if (rsWords.RecordCount() == 0)
        return out;
    for (rsWords.MoveFirst(); !rsWords.Eof(); rsWords.MoveNext()) {
        const QString w = fldWordsWord.Value().toString();
        if (!w.isEmpty())
            out << w;
    }
    return out;
}

AddExcluded addExcludedWord(const QString &word)
{
    if (word.isEmpty())
        return AddExcluded::Empty;
    if (word.size() > kMaxExcludedWord)
        return AddExcluded::TooLong;
    rsWords.setIndex(QStringLiteral("WNDX"));
    rsWords.Seek(QStringLiteral("="), word);
    if (!rsWords.NoMatch())
        return AddExcluded::Duplicate;
    rsWords.AddNew();
    fldWordsWord.setValue(word);
    rsWords.Update();
    return AddExcluded::Added;
}

bool removeExcludedWord(const QString &word)
{
    if (word.isEmpty())
        return false;
    rsWords.setIndex(QStringLiteral("WNDX"));
    rsWords.Seek(QStringLiteral("="), word);
    if (rsWords.NoMatch())
        return false;
    rsWords.Delete();
    return true;
}

// ---- keywords -------------------------------------------------------------

QList<KeywordTerm> keywordTerms(const textfind::WordList &list)
{
    // The keywords once, sorted as their index compares, then one lookup
    // per word: a long text has far more words than a base has keywords.
    std::vector<QString> keywords;
    dao::Recordset rs = g_Db.OpenRecordset(QStringLiteral("CGROUP1"));
    rs.setIndex(QStringLiteral("Groupe"));
    dao::Field groupe = rs.Fields(QStringLiteral("GROUPE"));
    if (rs.RecordCount() > 0)
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            keywords.push_back(groupe.Value().toString());
    rs.Close();
    std::sort(keywords.begin(), keywords.end(),
              [](const QString &a, const QString &b) { return dao::compareText(a, b) < 0; });

    QList<KeywordTerm> out;
    for (int i = 1; i <= list.size(); ++i) {
        const QString &w = list.words.at(i);
        auto it = std::lower_bound(keywords.begin(), keywords.end(), w,
                                   [](const QString &a, const QString &b) { return dao::compareText(a, b) < 0; });
        if (it != keywords.end() && dao::compareText(*it, w) == 0)
            out.append({*it, list.counts.at(i)});
    }
    return out;
}

QString capitalised(const QString &word)
{
    if (word.isEmpty())
        return word;
    QString out = word.toLower();
    // One character up: "ß" stays one letter.
    out[0] = out.at(0).toUpper();
    return out;
}

NewKeyword checkNewKeyword(const QString &keyword, QString *existing)
{
    if (keyword.isEmpty())
        return NewKeyword::Empty;
    if (keyword.size() > kMaxKeyword)
        return NewKeyword::TooLong;
    rsCGroup1.setIndex(QStringLiteral("Groupe"));
    rsCGroup1.Seek(QStringLiteral("="), keyword);
    if (!rsCGroup1.NoMatch()) {
        if (existing)
            *existing = fldCGroup1Groupe.Value().toString();
        return NewKeyword::Exists;
    }
    return NewKeyword::Ok;
}

void addKeyword(const QString &keyword)
{
    rsCGroup1.AddNew();
    fldCGroup1Groupe.setValue(keyword);
    rsCGroup1.Update();
}

// ---- the analysed card ----------------------------------------------------

namespace {

struct CardTable {
    dao::Recordset *rs;
    const char *index;
    dao::Field *key;
    dao::Field *text;
    dao::Recordset *links;
    const char *linkIndex;
    dao::Field *linkKey;
    dao::Field *linkKeyword;
    dao::Field *linkCount;
};

CardTable tableOf(CardType type)
{
    if (type == CardType::Quote)
        return {&rsCit, "CitNDX", &fldCitCit, &fldCitTexte, &rsGrCit, "GrCitNDX", &fldGrCitNdx, &fldGrCitGroupe,
                &fldGrCitWordsNb};
    return {&rsNote, "NoteNDX", &fldNoteCit, &fldNoteTexte, &rsGrNote, "GrNoteNDX", &fldGrNoteNdx,
            &fldGrNoteGroupe, &fldGrNoteWordsNb};
}

bool seekCard(const CardTable &t, const QString &key)
{
    if (key.isEmpty() || t.rs->isNothing())
        return false;
    t.rs->setIndex(QString::fromLatin1(t.index));
    t.rs->Seek(QStringLiteral("="), key);
    return !t.rs->NoMatch();
}

} // namespace

std::optional<QString> storedCardKey(CardType type, const QString &key)
{
    const CardTable t = tableOf(type);
    if (type == CardType::Reference || !seekCard(t, key))
        return std::nullopt;
    return t.key->Value().toString();
}

std::optional<QString> storedCardText(CardType type, const QString &key)
{
    const CardTable t = tableOf(type);
    if (type == CardType::Reference || !seekCard(t, key))
        return std::nullopt;
    return t.text->Value().toString();
}

QStringList cardKeywords(CardType type, const QString &key)
{
    QStringList out;
    if (type == CardType::Reference || key.isEmpty())
        return out;
    const CardTable t = tableOf(type);
    t.links->setIndex(QString::fromLatin1(t.linkIndex));
    t.links->Seek(QStringLiteral("="), key);
    if (t.links->NoMatch())
        return out;
    while (!t.links->Eof() && dao::compareText(t.linkKey->Value().toString(), key) == 0) {
        out << t.linkKeyword->Value().toString();
        t.links->MoveNext();
    }
    return out;
}

std::optional<QList<KeywordTerm>> attachKeywords(CardType type, const QString &key, const QList<KeywordTerm> &terms,
                                                 bool withCount)
{
    const std::optional<QString> stored = storedCardKey(type, key);
    if (!stored)
        return std::nullopt;
    QStringList linked = cardKeywords(type, *stored);
    auto isLinked = [&linked](const QString &keyword) {
        return std::any_of(linked.cbegin(), linked.cend(),
                           [&keyword](const QString &k) { return dao::compareText(k, keyword) == 0; });
    };
    const CardTable t = tableOf(type);
    QList<KeywordTerm> written;
    dao::TransactionScope tx;
    for (const KeywordTerm &term : terms) {
        if (isLinked(term.keyword))
            continue;
        t.links->AddNew();
        t.linkKey->setValue(*stored);
        t.linkKeyword->setValue(term.keyword);
        if (withCount)
            t.linkCount->setValue(std::min(term.count, kMaxWordsNb));
        t.links->Update();
        linked << term.keyword;
        written << term;
    }
    tx.Commit();
    return written;
}

} // namespace words
