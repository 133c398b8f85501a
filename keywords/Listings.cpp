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
#include <string>
#include <string_view>
#include <unordered_map>
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

struct BytesHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

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

QList<ResultRow> CardsOfKeyword(CardType type, const QString &keyword)
{
    KindTables t = tablesOf(type);
    // The rows are those of seeking each link's card by key and the card's
    // links by the card, as the walk does, read in one go.
    QList<ResultRow> out;
    const QByteArray spelling = keyword.toUtf8();
    qint64 lastCard = -1;
    QByteArray cardKey; // as stored
    ResultRow row;
    // A listing names a few hundred keywords over many thousand rows: each
    // spelling is made once and shared, which also lets the window's sort
    // rank it once.
    std::unordered_map<std::string, QString, BytesHash, std::equal_to<>> keywordTexts;
    auto keywordText = [&](const dao::RowView &r) -> QString {
        if (!r.holdsText(0))
            return r.text(0);
        const QByteArrayView bytes = r.utf8(0);
        const std::string_view view(bytes.data(), size_t(bytes.size()));
        auto it = keywordTexts.find(view);
        if (it == keywordTexts.end())
            it = keywordTexts.emplace(std::string(view), r.text(0)).first;
        return it->second;
    };
    dao::ReadCardsOfKey(g_Db,
                        {t.link.Name(), t.byKeyword, t.byCard, t.card.Name(), t.cardIndex,
                         {QStringLiteral("GROUPE"), QStringLiteral("NDX")}, {t.keyField, t.authorField, t.titleField}},
                        keyword, [&](const dao::RowView &r) {
                            // A card's rows share its texts, and the keyword as
                            // sought is mostly its links' spelling.
                            if (r.rowId() != lastCard) {
                                lastCard = r.rowId();
                                row.key = r.text(2);
                                cardKey = r.utf8(2).toByteArray();
                                row.cells[2] = r.text(3);
                                row.cells[3] = r.text(4);
                            }
                            row.cells[0] = r.holdsText(0) && r.utf8(0) == spelling ? keyword : keywordText(r);
                            row.cells[1] = r.holdsText(1) && r.utf8(1) == cardKey ? row.key : r.text(1);
                            out.append(row);
                            return true;
                        });
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

void ReloadResultGrid(CardType type, ResultTable rows)
{
    fGrid &grid = fGrid::loadWith(std::move(rows));
    grid.show();
    grid.setTag(cardKindName(type));
}

void ListCardsOfKeyword(CardType type, const QString &keyword)
{
    const KindTables t = tablesOf(type);
    QList<ResultRow> rows = CardsOfKeyword(type, keyword);
    PublishRows(rows);
    const bool none = rows.isEmpty();
    CardKind = cardKindName(type);
    GridCaption = t.captionPrefix + keyword;
    if (none) {
        // Only the option button: its handler would list another keyword.
        if (type == CardType::Note)
            SetCardKindOption(CardType::Note);
    } else {
        GridCurrentKey = keyword;
        GridSortColumn = 1;
    }
    GridCurrentRow = 1;
    // The window takes the rows as they are; "No Match" is the shared
    // table's.
    if (none)
        ReloadResultGrid(type);
    else
        ReloadResultGrid(type, ResultTable(std::move(rows)));
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
