#include "Listings.h"

#include "Dao.h"
#include "Dialogs.h"
#include "Form.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "fGrid.h"

#include <QHash>
#include <QSet>

namespace keywords {
namespace {

struct KindTables {
    dao::Recordset link;
    QString byKeyword, byCard;
    dao::Recordset card;
    QString cardIndex, keyField, authorField, titleField;
    QString captionPrefix;
};

KindTables tablesOf(CardType type)
{
    switch (type) {
    case CardType::Note:
        return {rsGrNote, "GrNote", "GrNoteNDX", rsNote, "NoteNDX", "CIT", "AUTEUR", "TITRE1",
                "Notes - Keyword : "};
    case CardType::Quote:
        return {rsGrCit, "GrCit", "GrCitNDX", rsCit, "CitNDX", "CIT", "AUTEUR", "TITRE1",
                "Quote + Keyword : "};
    case CardType::Reference: break;
    }
    return {rsGrBib, "GrBib", "GrBibNDX", rsBiblio, "BibNDX", "NDX", "AUTEUR", "TITRE1",
            "References + Keyword : "};
}

QString textOf(const dao::Recordset &rs, const QString &field)
{
    const QVariant v = rs.Fields(field).Value();
    return v.isValid() ? v.toString() : QString();
}

bool sameKey(const QString &a, const QString &b) { return dao::compareText(a, b) == 0; }

// Every row of rs, on its current index, whose field is the same as key to
// the index; calls visit on each.
template <class Visit> void walkRun(dao::Recordset &rs, const QString &field, const QString &key, Visit visit)
{
    rs.Seek(QStringLiteral("="), key);
    if (rs.NoMatch())
        return;
    while (!rs.Eof() && sameKey(textOf(rs, field), key)) {
        visit();
        rs.MoveNext();
    }
}

// One row per keyword link of the card on which t.card stands, or one row
// with the keyword " " when blankWithoutLinks and it has none.
void appendCardRows(KindTables &t, const QString &cardKey, const QString &author, const QString &title,
                    bool blankWithoutLinks, QList<ResultRow> &out)
{
    t.link.setIndex(t.byCard);
    bool any = false;
    walkRun(t.link, QStringLiteral("NDX"), cardKey, [&] {
        any = true;
        ResultRow r;
        r.cells[0] = textOf(t.link, QStringLiteral("GROUPE"));
        r.cells[1] = textOf(t.link, QStringLiteral("NDX"));
        r.cells[2] = author;
        r.cells[3] = title;
        r.key = cardKey;
        out.append(r);
    });
    if (!any && blankWithoutLinks) {
        ResultRow r;
        r.cells[0] = QStringLiteral(" ");
        r.cells[1] = cardKey;
        r.cells[2] = author;
        r.cells[3] = title;
        r.key = cardKey;
        out.append(r);
    }
}

} // namespace

namespace {

// Two keys are the same to the index when they fold to the same text.
QString foldKey(const QString &key)
{
    QString out = key;
    for (QChar &c : out)
        if (!c.isSurrogate())
            c = c.toCaseFolded();
    return out;
}

struct CardInfo {
    QString key, author, title;
};

// Every card and every by-card link row read in one pass each, for
// listings too long for a seek per card. Matches what the seeks find: the
// first card of a key in index order, and every link of that key.
QList<ResultRow> rowsByPasses(KindTables &t, const QStringList &cardKeys)
{
    QHash<QString, CardInfo> cards;
    QSet<QString> wanted;
    for (const QString &k : cardKeys)
        wanted.insert(foldKey(k));
    t.card.setIndex(t.cardIndex);
    if (t.card.RecordCount() > 0) {
        const dao::Field key = t.card.Fields(t.keyField), author = t.card.Fields(t.authorField),
                         title = t.card.Fields(t.titleField);
        for (t.card.MoveFirst(); !t.card.Eof(); t.card.MoveNext()) {
            const QString k = key.Value().toString();
            const QString folded = foldKey(k);
            if (wanted.contains(folded) && !cards.contains(folded))
                cards.insert(folded, {k, author.Value().toString(), title.Value().toString()});
        }
    }
    QHash<QString, QList<QPair<QString, QString>>> links;
    t.link.setIndex(t.byCard);
    if (t.link.RecordCount() > 0) {
        const dao::Field groupe = t.link.Fields(QStringLiteral("GROUPE")), ndx = t.link.Fields(QStringLiteral("NDX"));
        for (t.link.MoveFirst(); !t.link.Eof(); t.link.MoveNext()) {
            const QString n = ndx.Value().toString();
            const QString folded = foldKey(n);
            if (cards.contains(folded))
                links[folded].append({groupe.Value().toString(), n});
        }
    }
    QList<ResultRow> out;
    for (const QString &k : cardKeys) {
        const QString folded = foldKey(k);
        const auto card = cards.constFind(folded);
        if (card == cards.constEnd())
            continue;
        for (const auto &l : links.value(folded)) {
            ResultRow r;
            r.cells[0] = l.first;
            r.cells[1] = l.second;
            r.cells[2] = card->author;
            r.cells[3] = card->title;
            r.key = card->key;
            out.append(r);
        }
    }
    return out;
}

} // namespace

QList<ResultRow> CardsOfKeyword(CardType type, const QString &keyword, int passesFrom)
{
    KindTables t = tablesOf(type);
    QList<ResultRow> out;
    // The card keys first, so that the by-card walks below cannot disturb
    // the walk over the keyword's links.
    QStringList cardKeys;
    t.link.setIndex(t.byKeyword);
    walkRun(t.link, QStringLiteral("GROUPE"), keyword,
            [&] { cardKeys << textOf(t.link, QStringLiteral("NDX")); });
    if (cardKeys.size() >= passesFrom) {
        out = rowsByPasses(t, cardKeys);
    } else {
        t.card.setIndex(t.cardIndex);
        for (const QString &k : cardKeys) {
            t.card.Seek(QStringLiteral("="), k);
            if (t.card.NoMatch())
                continue;
            appendCardRows(t, textOf(t.card, t.keyField), textOf(t.card, t.authorField),
                           textOf(t.card, t.titleField), false, out);
        }
    }
    t.link.setIndex(t.byKeyword);
    return out;
}

AuthorRows ReferencesOfAuthor(const QString &author)
{
    AuthorRows result;
    KindTables t = tablesOf(CardType::Reference);
    rsAutNdx.setIndex(QStringLiteral("AutBib"));
    rsBiblio.setIndex(QStringLiteral("BibNDX"));
    walkRun(rsAutNdx, QStringLiteral("AUTEUR"), author, [&] {
        result.authorFound = true;
        const QString name = textOf(rsAutNdx, QStringLiteral("AUTEUR"));
        rsBiblio.Seek(QStringLiteral("="), textOf(rsAutNdx, QStringLiteral("NDX")));
        if (rsBiblio.NoMatch())
            return; // a reference that is gone adds nothing
        appendCardRows(t, textOf(rsBiblio, QStringLiteral("NDX")), name,
                       textOf(rsBiblio, QStringLiteral("TITRE1")), true, result.rows);
    });
    return result;
}

AuthorRows QuotesOfAuthor(const QString &author)
{
    AuthorRows result;
    KindTables t = tablesOf(CardType::Quote);
    rsAutNdx.setIndex(QStringLiteral("AutBib"));
    walkRun(rsAutNdx, QStringLiteral("AUTEUR"), author, [&] {
        result.authorFound = true;
        const QString name = textOf(rsAutNdx, QStringLiteral("AUTEUR"));
        const QString reference = textOf(rsAutNdx, QStringLiteral("NDX"));
        // The quotes of the reference; a reference without any adds nothing.
        QList<QPair<QString, QString>> quotes;
        rsCit.setIndex(QStringLiteral("BibNDX"));
        walkRun(rsCit, QStringLiteral("NDX"), reference, [&] {
            quotes.append({textOf(rsCit, QStringLiteral("CIT")), textOf(rsCit, QStringLiteral("TITRE1"))});
        });
        for (const auto &q : quotes)
            appendCardRows(t, q.first, name, q.second, true, result.rows);
    });
    rsCit.setIndex(QStringLiteral("CitNDX"));
    return result;
}

void PublishRows(const QList<ResultRow> &rows)
{
    GridRows = QList<QStringList>{QStringList{QString(), QString(), QString(), QString()}};
    GridKeys = QStringList{QString()};
    if (rows.isEmpty()) {
        GridRows.append(QStringList{QStringLiteral("No Match"), QString(), QString(), QString()});
        GridKeys.clear();
        GridRowCount = 1;
        return;
    }
    GridRows.reserve(rows.size() + 1);
    GridKeys.reserve(rows.size() + 1);
    for (const ResultRow &r : rows) {
        GridRows.append(QStringList{r.cells[0], r.cells[1], r.cells[2], r.cells[3]});
        GridKeys.append(r.key);
    }
    GridRowCount = int(rows.size()) + 1;
}

void ReloadResultGrid(CardType type)
{
    vb::Forms::unload<fGrid>();
    fGrid &grid = vb::Forms::get<fGrid>();
    grid.show();
    grid.setTag(cardKindName(type));
}

void ListCardsOfKeyword(CardType type, const QString &keyword)
{
    const KindTables t = tablesOf(type);
    const QList<ResultRow> rows = CardsOfKeyword(type, keyword);
    PublishRows(rows);
    CardKind = cardKindName(type);
    GridCaption = t.captionPrefix + keyword;
    if (rows.isEmpty()) {
        // Only the option button: its handler would list another keyword.
        if (type == CardType::Note)
            SetCardKindOption(CardType::Note);
    } else {
        GridCurrentKey = keyword;
        GridSortColumn = 1;
    }
    GridCurrentRow = 1;
    ReloadResultGrid(type);
}

void ListNotesOfKeyword(QString &keyword) { ListCardsOfKeyword(CardType::Note, keyword); }
void ListCitsOfKeyword(QString &keyword) { ListCardsOfKeyword(CardType::Quote, keyword); }
void ListRefsOfKeyword(QString &keyword) { ListCardsOfKeyword(CardType::Reference, keyword); }

namespace {

bool listAuthor(CardType type, const AuthorRows &found, const QString &author)
{
    if (!found.authorFound) {
        vb::MsgBox(QStringLiteral("No Match"), vb::vbExclamation);
        return false;
    }
    PublishRows(found.rows);
    CardKind = cardKindName(type);
    GridCaption = QStringLiteral("Reference Author : ") + author;
    if (found.rows.isEmpty())
        GridCurrentKey.clear();
    GridCurrentRow = 1;
    ReloadResultGrid(type);
    return true;
}

} // namespace

bool ListReferencesOfAuthor(const QString &author)
{
    return listAuthor(CardType::Reference, ReferencesOfAuthor(author), author);
}

bool ListQuotesOfAuthor(const QString &author)
{
    return listAuthor(CardType::Quote, QuotesOfAuthor(author), author);
}

} // namespace keywords
