#include "Listings.h"

#include "Dao.h"
#include "DaoReads.h"
#include "Dialogs.h"
#include "Form.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "fGrid.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

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

// A link row of the keyword: its number in the link table and its texts.
struct KeywordLink {
    qint64 id;
    QString keyword, cardKey;
};

// A card as a link's key finds it, with the span of its own links.
struct FoundCard {
    qint64 id;
    QString key, author, title;
    qsizetype firstLink = 0, linkCount = 0;
};

// The text of column i, or same when the file holds that very text: equal
// texts then share one copy.
QString textOr(const dao::RowView &row, int i, const QString &same)
{
    if (row.holdsText(i) && QAnyStringView::equal(QUtf8StringView(row.utf8(i)), same))
        return same;
    return row.text(i);
}

template <class Less> std::vector<int> orderBy(size_t n, Less less)
{
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), less);
    return order;
}

} // namespace

QList<ResultRow> CardsOfKeyword(CardType type, const QString &keyword)
{
    KindTables t = tablesOf(type);
    const QString linkTable = t.link.Name(), cardTable = t.card.Name();
    const QString groupe = QStringLiteral("GROUPE"), ndx = QStringLiteral("NDX");
    // The rows are those of seeking each link's card by key and the card's
    // links by the card, as the walk does, but read in fewer and closer
    // steps: each index is sought in key order, so its pages are at hand
    // from the seek before; the index alone answers where it holds what is
    // asked; rows are read in the order of the file, and the keyword's own
    // links only once. The file is locked once for all of it.
    const dao::ReadScope scope(g_Db);
    QList<ResultRow> out;

    // The keyword's links, in the order of its index; their keyword,
    // mostly one spelling, is made into text once for each run of it.
    std::vector<KeywordLink> links;
    QByteArray spelling; // as stored, when it was stored as text
    bool spellingKept = false;
    QString spelled;
    dao::KeyReader(g_Db, linkTable, t.byKeyword, {groupe, ndx}).read(keyword, [&](const dao::RowView &row) {
        if (!(spellingKept && row.holdsText(0) && row.utf8(0) == spelling)) {
            spelled = row.text(0);
            spellingKept = row.holdsText(0);
            if (spellingKept)
                spelling = row.utf8(0).toByteArray();
        }
        links.push_back({row.rowId(), spelled, row.text(1)});
        return true;
    });

    // The card of each link key, each key sought once. A link whose card
    // is gone has none.
    std::vector<FoundCard> cards;
    std::vector<int> cardOfLink(links.size(), -1);
    {
        dao::KeyReader reader(g_Db, cardTable, t.cardIndex, {t.keyField});
        std::vector<const QString *> linkKeys(links.size());
        for (size_t i = 0; i < links.size(); ++i)
            linkKeys[i] = &links[i].cardKey;
        const std::vector<int> byKey = orderOfTexts(linkKeys);
        for (size_t o = 0; o < byKey.size(); ++o) {
            const size_t i = size_t(byKey[o]);
            if (o > 0 && links[i].cardKey == links[size_t(byKey[o - 1])].cardKey) {
                cardOfLink[i] = cardOfLink[size_t(byKey[o - 1])];
                continue;
            }
            reader.read(links[i].cardKey, [&](const dao::RowView &row) {
                cardOfLink[i] = int(cards.size());
                cards.push_back({row.rowId(), textOr(row, 0, links[i].cardKey), {}, {}});
                return false;
            });
        }
    }

    // Their authors and titles, in the order of the file.
    {
        dao::KeyReader reader(g_Db, cardTable, dao::KeyReader::ByRowId{}, {t.authorField, t.titleField});
        for (int c : orderBy(cards.size(), [&](int a, int b) { return cards[size_t(a)].id < cards[size_t(b)].id; })) {
            FoundCard &card = cards[size_t(c)];
            reader.readRow(card.id, [&](const dao::RowView &row) {
                card.author = row.text(0);
                card.title = row.text(1);
                return false;
            });
        }
    }

    // The numbers of each card's links, from the by-card index alone; the
    // cards come in key order already.
    std::vector<qint64> cardLinks;
    {
        dao::KeyReader reader(g_Db, linkTable, t.byCard, {});
        for (FoundCard &card : cards) {
            card.firstLink = qsizetype(cardLinks.size());
            reader.read(card.key, [&](const dao::RowView &row) {
                cardLinks.push_back(row.rowId());
                return true;
            });
            card.linkCount = qsizetype(cardLinks.size()) - card.firstLink;
        }
    }

    // The texts of those links: the keyword's own are known, the others are
    // read in the order of the file. Each link of a card points to its
    // texts: k >= 0 the keyword's link k, else the other link -k - 1. A
    // card's links are looked for among the keyword's own links of that
    // card, gathered by a count of them per card.
    std::vector<int> ownFirst(cards.size() + 1, 0), own(links.size());
    for (int c : cardOfLink)
        if (c >= 0)
            ++ownFirst[size_t(c) + 1];
    for (size_t c = 0; c < cards.size(); ++c)
        ownFirst[c + 1] += ownFirst[c];
    {
        std::vector<int> next(ownFirst.begin(), ownFirst.end() - 1);
        for (size_t i = 0; i < links.size(); ++i)
            if (cardOfLink[i] >= 0)
                own[size_t(next[size_t(cardOfLink[i])]++)] = int(i);
    }
    constexpr int kUnread = std::numeric_limits<int>::min();
    std::vector<int> textsOf(cardLinks.size(), kUnread);
    std::vector<std::pair<qint64, int>> others; // link number, the card it was first found for
    for (size_t c = 0; c < cards.size(); ++c) {
        const FoundCard &card = cards[c];
        for (qsizetype j = card.firstLink; j < card.firstLink + card.linkCount; ++j) {
            for (int o = ownFirst[c]; o < ownFirst[c + 1] && textsOf[size_t(j)] == kUnread; ++o)
                if (links[size_t(own[size_t(o)])].id == cardLinks[size_t(j)])
                    textsOf[size_t(j)] = own[size_t(o)];
            if (textsOf[size_t(j)] == kUnread)
                others.emplace_back(cardLinks[size_t(j)], int(c));
        }
    }
    std::sort(others.begin(), others.end());
    others.erase(std::unique(others.begin(), others.end(),
                             [](const auto &a, const auto &b) { return a.first == b.first; }),
                 others.end());
    for (size_t j = 0; j < cardLinks.size(); ++j)
        if (textsOf[j] == kUnread)
            textsOf[j] = -1 - int(std::lower_bound(others.begin(), others.end(), std::pair<qint64, int>(cardLinks[j], -1)) -
                                  others.begin());
    std::vector<KeywordLink> otherLinks(others.size(), KeywordLink{-1, {}, {}});
    {
        dao::KeyReader reader(g_Db, linkTable, dao::KeyReader::ByRowId{}, {groupe, ndx});
        for (size_t k = 0; k < others.size(); ++k)
            reader.readRow(others[k].first, [&](const dao::RowView &row) {
                otherLinks[k] = {others[k].first, row.text(0), textOr(row, 1, cards[size_t(others[k].second)].key)};
                return false;
            });
    }

    // One row per link of each card, the cards in the order of the
    // keyword's links.
    out.reserve(qsizetype(links.size()) * 2);
    for (size_t i = 0; i < links.size(); ++i) {
        if (cardOfLink[i] < 0)
            continue; // a link whose card is gone adds nothing
        const FoundCard &card = cards[size_t(cardOfLink[i])];
        for (qsizetype j = card.firstLink; j < card.firstLink + card.linkCount; ++j) {
            const int k = textsOf[size_t(j)];
            const KeywordLink &link = k >= 0 ? links[size_t(k)] : otherLinks[size_t(-1 - k)];
            if (link.id < 0)
                continue;
            out.append(ResultRow{{link.keyword, link.cardKey, card.author, card.title}, card.key});
        }
    }
    // The shared recordsets stay on the indexes the walk would leave them on.
    t.link.setIndex(t.byKeyword);
    t.card.setIndex(t.cardIndex);
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
