#include "WordSearch.h"

#include "CardSetOpener.h"
#include "DaoReads.h"
#include "Dialogs.h"
#include "Error.h"
#include "Memory.h"
#include "ProgramState.h"
#include "Screen.h"
#include "Start.h"
#include "WindowLinks.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace words {

namespace {

struct Table {
    dao::Recordset *rs;
    const char *index;
    dao::Field *key, *text, *author, *title;
    dao::Recordset *links;
    const char *linkIndex;
    dao::Field *linkKey, *linkKeyword;
};

Table tableOf(CardType type)
{
    if (type == CardType::Quote)
        return {&rsCit, "CitNDX", &fldCitCit, &fldCitTexte, &fldCitAuteur, &fldCitTitre1,
                &rsGrCit, "GrCitNDX", &fldGrCitNdx, &fldGrCitGroupe};
    return {&rsNote, "NoteNDX", &fldNoteCit, &fldNoteTexte, &fldNoteAuteur, &fldNoteTitre1,
            &rsGrNote, "GrNoteNDX", &fldGrNoteNdx, &fldGrNoteGroupe};
}

QString textOf(const dao::Field &f)
{
    const QVariant v = f.Value();
    return v.isValid() ? v.toString() : QString();
}

} // namespace

std::optional<QByteArray> byteSearchTerm(const QString &term)
{
    for (qsizetype i = 0; i < term.size(); ++i) {
        const char16_t c = term.at(i).unicode();
        // The decoded text shows undecodable bytes as U+FFFD; only the
        // decoded text can be searched for it.
        if (c == 0xFFFD)
            return std::nullopt;
        if (QChar::isHighSurrogate(c) && i + 1 < term.size() && QChar::isLowSurrogate(term.at(i + 1).unicode())) {
            ++i;
            continue;
        }
        // Half a character has no bytes of its own.
        if (QChar::isSurrogate(c))
            return std::nullopt;
    }
    return term.toUtf8();
}

namespace {

// The UTF-16 units of a stretch of stored text.
int utf16Length(QByteArrayView utf8)
{
    for (const char b : utf8)
        if (static_cast<unsigned char>(b) >= 0x80)
            return int(dao::fromStoredText(utf8).size());
    return int(utf8.size());
}

} // namespace

ScanResult scanCardTexts(CardType type, const QString &term)
{
    ScanResult result;
    if (term.isEmpty() || g_Db.isNothing())
        return result;
    const bool quotes = type == CardType::Quote;
    const QStringList columns = quotes ? QStringList{QStringLiteral("Cit"), QStringLiteral("Auteur"),
                                                     QStringLiteral("Titre1")}
                                       : QStringList{QStringLiteral("CIT"), QStringLiteral("AUTEUR"),
                                                     QStringLiteral("TITRE1")};
    auto text = [](const QVariant &v) { return v.isValid() ? v.toString() : QString(); };
    // Texts are searched as the file holds them (UTF-8) whenever the term
    // allows it: a hit there is a hit in the decoded text, at the same
    // character. Only a hit is decoded, to give its position in UTF-16
    // units as the card's text counts them.
    const std::optional<QByteArray> bytes = byteSearchTerm(term);
    try {
        // One pass over the table in stored order; the hits are put in key
        // order afterwards, as a walk of the key index would give them.
        dao::ScanTexts(g_Db, quotes ? QStringLiteral("CIT") : QStringLiteral("NOTE"), QStringLiteral("Texte"),
                       columns, [&](const dao::TextRow &row) {
                           try {
                               if (row.textIsNull())
                                   return true;
                               int position = 0;
                               if (bytes) {
                                   const QByteArrayView t = row.utf8();
                                   const void *at = memmem(t.data(), size_t(t.size()), bytes->constData(),
                                                           size_t(bytes->size()));
                                   if (!at)
                                       return true;
                                   position = utf16Length(t.first(static_cast<const char *>(at) - t.data())) + 1;
                               } else {
                                   const qsizetype at = row.text().indexOf(term, 0, Qt::CaseSensitive);
                                   if (at < 0)
                                       return true;
                                   position = int(at) + 1;
                               }
                               result.hits.append({text(row.value(0)), position, text(row.value(1)),
                                                   text(row.value(2))});
                           } catch (const vb::Error &) {
                               ++result.skipped;
                           }
                           return true;
                       });
    } catch (const vb::Error &e) {
        // The walk itself failed: what was found so far is kept.
        result.stoppedBy = e.description();
    }
    std::stable_sort(result.hits.begin(), result.hits.end(), [](const TextHit &a, const TextHit &b) {
        return dao::compareText(a.key, b.key) < 0;
    });
    return result;
}

ListedRows listHits(CardType type, const QList<TextHit> &hits)
{
    ListedRows out;
    const Table t = tableOf(type);
    const bool quotes = type == CardType::Quote;
    for (const TextHit &h : hits) {
        QStringList keywords;
        try {
            t.links->setIndex(QString::fromLatin1(t.linkIndex));
            t.links->Seek(QStringLiteral("="), h.key);
            if (!t.links->NoMatch())
                while (!t.links->Eof() && dao::compareText(textOf(*t.linkKey), h.key) == 0) {
                    QString k = textOf(*t.linkKeyword);
                    if (quotes && k.isEmpty())
                        k = QStringLiteral(" ");
                    keywords << k;
                    t.links->MoveNext();
                }
        } catch (const vb::Error &) {
            // The card is listed with the keywords read so far.
        }
        // A card without keywords is listed once with an empty keyword.
        if (keywords.isEmpty())
            keywords << QString();
        for (const QString &k : keywords) {
            out.rows.append(QStringList{QString(), k, h.key, h.author, h.title});
            out.keys.append(h.key);
        }
    }
    // By keyword, comparing character codes; cards keep their key order.
    QList<int> order(out.rows.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return out.rows.at(a).at(1) < out.rows.at(b).at(1); });
    ListedRows sorted;
    for (int i : order) {
        sorted.rows.append(out.rows.at(i));
        sorted.keys.append(out.keys.at(i));
    }
    return sorted;
}

namespace {

void searchByWord(CardType type)
{
    CheckMemory();
    SearchText = MainSearchBoxText();
    if (SearchText.isEmpty())
        return;
    // Every road in (button, Enter, menu) needs the same minimum: a shorter
    // term would open a card for nearly every record.
    if (SearchText.size() < kMinSearchLength) {
        vb::MsgBox(QStringLiteral("You cannot search less than 3 characters"), vb::vbCritical);
        return;
    }
    const QString noMatch = type == CardType::Quote ? QStringLiteral("No Match !") : QStringLiteral("No Match");

    ScanResult scan;
    {
        vb::HourglassCursor wait;
        scan = scanCardTexts(type, SearchText);
    }
    if (!scan.stoppedBy.isEmpty())
        vb::MsgBox(scan.stoppedBy, vb::vbExclamation);
    if (scan.hits.isEmpty()) {
        SearchTextPos = 0;
        vb::MsgBox(noMatch, vb::vbExclamation);
        return;
    }
    const Table t = tableOf(type);
    CardSetOpening o;
    o.type = type;
    o.count = scan.hits.size();
    o.question = QString::number(scan.hits.size()) + QStringLiteral(" cards contain '") + SearchText +
                 QStringLiteral("' - open them all ?");
    o.askAbove = kCardsWithoutAsking;
    o.open = [&](qsizetype i) {
        const TextHit &hit = scan.hits.at(i);
        try {
            vb::HourglassCursor wait;
            // The opener reads the record the shared recordset stands on.
            t.rs->setIndex(QString::fromLatin1(t.index));
            t.rs->Seek(QStringLiteral("="), hit.key);
            if (t.rs->NoMatch())
                return false;
            SearchTextPos = hit.position;
            if (type == CardType::Quote)
                ShowQuoteCard();
            else
                ShowNoteCard();
            return true;
        } catch (const vb::Error &) {
            // This card could not open; the others still do.
            return false;
        }
    };
    OpenCardSet(o);
    // Cards opened later by other roads have no hit to select, nor have
    // they after a refusal.
    SearchTextPos = 0;
}

void textSearch(CardType type)
{
    const QString term = vb::InputBox(QStringLiteral("Fill in the Word (or part of Word) you are looking for"),
                                      QStringLiteral("Text Search"));
    if (term.isEmpty())
        return;
    SearchText = term;
    ScanResult scan;
    ListedRows listed;
    {
        vb::HourglassCursor wait;
        scan = scanCardTexts(type, term);
        listed = listHits(type, scan.hits);
    }
    SearchTextPos = 0;
    if (!scan.stoppedBy.isEmpty())
        vb::MsgBox(scan.stoppedBy, vb::vbExclamation);
    // Nothing found: the result window and its table stay as they were.
    if (listed.rows.isEmpty()) {
        vb::MsgBox(QStringLiteral("No Match"), vb::vbExclamation);
        return;
    }
    GridRows = QList<QStringList>{QStringList{QString()}} + listed.rows;
    GridKeys = QStringList{QString()} + listed.keys;
    GridRowCount = int(listed.rows.size()) + 1;
    const QString kind = cardKindName(type);
    CardKind = kind;
    GridCaption = (type == CardType::Quote ? QStringLiteral("  Quotes containing ")
                                           : QStringLiteral("  Notes containing ")) +
                  u'\'' + term + u'\'';
    ShowResultGrid(kind);
}

} // namespace

void SearchNotesByWord() { searchByWord(CardType::Note); }
void SearchQuotesByWord() { searchByWord(CardType::Quote); }
void TextSearchNotes() { textSearch(CardType::Note); }
void TextSearchQuotes() { textSearch(CardType::Quote); }

} // namespace words
