// The cards of a keyword, the references and quotes of an author, and the
// cards by date: keys of both shapes with gaps and case variants, deleted
// cards, references without quotes, empty tables after full ones.

#include "Collation.h"
#include "DaoImpl.h"
#include "KeywordsTestBase.h"
#include "Tabdef.h"
#include "ListByDate.h"
#include "Listings.h"
#include "ProgramState.h"
#include "Runtime.h"
#include "WindowLinks.h"
#include "fGrid.h"

#include <QApplication>

#include <ctime>

using kwtest::Base;
using vb::DialogScript;

namespace {

// The tables of one kind of card, as the walk below uses them.
struct Kind {
    CardType type;
    dao::Recordset link, card;
    QString byKeyword, byCard, cardIndex, keyField;
};
Kind kindOf(CardType type)
{
    switch (type) {
    case CardType::Note: return {type, rsGrNote, rsNote, "GrNote", "GrNoteNDX", "NoteNDX", "CIT"};
    case CardType::Quote: return {type, rsGrCit, rsCit, "GrCit", "GrCitNDX", "CitNDX", "CIT"};
    case CardType::Reference: break;
    }
    return {type, rsGrBib, rsBiblio, "GrBib", "GrBibNDX", "BibNDX", "NDX"};
}

// The cards of a keyword as a walk of the shared recordsets finds them:
// seek the keyword, and for each link row seek its card, then walk the
// card's links; rows equal to the key as the index compares are one run.
QStringList walkedRows(const Kind &kind, const QString &keyword)
{
    dao::Recordset link = kind.link, card = kind.card;
    auto same = [](const QVariant &v, const QString &k) { return dao::compareText(v.toString(), k) == 0; };
    QStringList keys;
    link.setIndex(kind.byKeyword);
    link.Seek("=", keyword);
    if (!link.NoMatch())
        for (; !link.Eof() && same(link.Fields("GROUPE").Value(), keyword); link.MoveNext())
            keys << link.Fields("NDX").Value().toString();
    QStringList out;
    card.setIndex(kind.cardIndex);
    link.setIndex(kind.byCard);
    for (const QString &k : keys) {
        card.Seek("=", k);
        if (card.NoMatch())
            continue;
        const QString key = card.Fields(kind.keyField).Value().toString();
        link.Seek("=", key);
        for (; !link.NoMatch() && !link.Eof() && same(link.Fields("NDX").Value(), key); link.MoveNext())
            out << QStringList{link.Fields("GROUPE").Value().toString(), link.Fields("NDX").Value().toString(),
                               card.Fields("AUTEUR").Value().toString(), card.Fields("TITRE1").Value().toString(), key}
                       .join('|');
    }
    return out;
}
QStringList rowsText(const QList<keywords::ResultRow> &rows)
{
    QStringList out;
    for (const auto &r : rows)
        out << QStringList{r.cells[0], r.cells[1], r.cells[2], r.cells[3], r.key}.join('|');
    return out;
}

} // namespace

class TestListings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        windowLinks() = WindowLinks{};
    }
    void cleanup() { vb::Forms::unload<fGrid>(); }

    void cardsOfKeywordWithAllTheirKeywords()
    {
        Base base;
        Base::note("MART0001.TXT", "Martin", "First");
        Base::note("MART0003.TXT", "", "Third");
        Base::note("LI__0001.TXT", "Li");
        Base::link(rsGrNote, "K", "MART0001.TXT");
        Base::link(rsGrNote, "A", "MART0001.TXT");
        Base::link(rsGrNote, "Z", "MART0001.TXT");
        Base::link(rsGrNote, "K", "GONE0001.TXT"); // its card was deleted
        Base::link(rsGrNote, "k", "MART0003.TXT"); // another spelling of K
        Base::link(rsGrNote, "L", "LI__0001.TXT");
        const QStringList rows = rowsText(keywords::CardsOfKeyword(CardType::Note, "K"));
        QCOMPARE(rows, QStringList({"K|MART0001.TXT|Martin|First|MART0001.TXT",
                                    "A|MART0001.TXT|Martin|First|MART0001.TXT",
                                    "Z|MART0001.TXT|Martin|First|MART0001.TXT",
                                    "k|MART0003.TXT||Third|MART0003.TXT"}));
        // The same from the other spelling, and nothing of the next keyword.
        QCOMPARE(keywords::CardsOfKeyword(CardType::Note, "k").size(), 4);
        QCOMPARE(rsGrNote.Index(), QString("GrNote"));
    }

    // Many cards, keys and keywords in several spellings, links and cards
    // written in an order unlike their keys, some cards gone: the rows and
    // their order are those of the walk of the shared recordsets.
    void manyCardsOfAKeywordAsTheWalkFindsThem()
    {
        Base base;
        dao::TransactionScope writing; // one commit for all the rows
        QStringList cards;
        for (int i = 0; i < 90; ++i)
            cards << QString("MANY%1.TXT").arg((i * 37) % 90, 4, 10, QChar('0'));
        for (int i = 0; i < cards.size(); ++i)
            if (i % 11 != 5) // these cards are gone
                Base::note(cards.at(i), i % 4 ? QString("Author %1").arg(i % 7) : QString(),
                           i % 5 ? QString("Title %1").arg(i) : QString());
        for (int i = 0; i < cards.size(); ++i) {
            const QString key = cards.at(cards.size() - 1 - i);
            // The link key of some cards stored in small letters.
            const QString linkKey = i % 9 == 2 ? key.toLower() : key;
            Base::link(rsGrNote, i % 6 == 1 ? "many" : "Many", linkKey);
            if (i % 3 == 0)
                Base::link(rsGrNote, QString("Other %1").arg(i % 4), linkKey);
            if (i % 8 == 0)
                Base::link(rsGrNote, "Manz", key);
        }
        Base::link(rsGrNote, "Man", cards.at(3));
        writing.Commit();
        const QStringList expected = walkedRows(kindOf(CardType::Note), "Many");
        QVERIFY(expected.size() > 100);
        QCOMPARE(rowsText(keywords::CardsOfKeyword(CardType::Note, "Many")), expected);
        QCOMPARE(rowsText(keywords::CardsOfKeyword(CardType::Note, "MANY")), expected);
        QCOMPARE(rsGrNote.Index(), QString("GrNote"));
        QCOMPARE(rsNote.Index(), QString("NoteNDX"));
        // They come in that order as the indexes are walked: the statement
        // sorted nothing and scanned no table.
        int reads = 0;
        sqlite3 *db = dao::Access::impl(g_Db)->db;
        for (sqlite3_stmt *st = sqlite3_next_stmt(db, nullptr); st; st = sqlite3_next_stmt(db, st)) {
            const QByteArray sql = sqlite3_sql(st);
            if (!sql.contains("\"GRNOTE.GrNote\"") || !sql.contains("\"NOTE.NoteNDX\""))
                continue;
            ++reads;
            QCOMPARE(sqlite3_stmt_status(st, SQLITE_STMTSTATUS_SORT, 0), 0);
            QCOMPARE(sqlite3_stmt_status(st, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0), 0);
        }
        QCOMPARE(reads, 1);
    }

    // A listing's reads share one read transaction: a card the program
    // stores after it is in the file at once, and once the event loop has
    // turned another program writes without waiting, and the next listing
    // shows what it wrote.
    void writesBeforeAndBetweenListings()
    {
        Base base;
        Base::note("MART0001.TXT", "Martin", "First");
        Base::link(rsGrNote, "K", "MART0001.TXT");
        QCOMPARE(keywords::CardsOfKeyword(CardType::Note, "K").size(), 1);
        Base::note("MART0002.TXT", "Martin", "Second");
        Base::link(rsGrNote, "K", "MART0002.TXT");
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(g_Db.Name()).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        sqlite3_key(raw, "Qv47Tz28", 8);
        dao::registerTextCollation(raw);
        sqlite3_stmt *count = nullptr;
        QCOMPARE(sqlite3_prepare_v2(raw, "SELECT count(*) FROM GRNOTE WHERE NDX = 'MART0002.TXT'", -1, &count, nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_step(count), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(count, 0), 1);
        sqlite3_finalize(count);
        QCOMPARE(keywords::CardsOfKeyword(CardType::Note, "K").size(), 2);

        QCoreApplication::processEvents();
        QCOMPARE(sqlite3_exec(raw,
                              "INSERT INTO NOTE(CIT, AUTEUR, TITRE1) VALUES('LI__0001.TXT', 'Li', 'Third');"
                              "INSERT INTO GRNOTE(GROUPE, NDX) VALUES('K', 'LI__0001.TXT')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(raw);
        QCOMPARE(rowsText(keywords::CardsOfKeyword(CardType::Note, "K")),
                 QStringList({"K|MART0001.TXT|Martin|First|MART0001.TXT", "K|MART0002.TXT|Martin|Second|MART0002.TXT",
                              "K|LI__0001.TXT|Li|Third|LI__0001.TXT"}));
        // The program's next card takes the number after the other's.
        Base::note("LI__0002.TXT", "Li", "Fourth");
        Base::link(rsGrNote, "K", "LI__0002.TXT");
        QCOMPARE(keywords::CardsOfKeyword(CardType::Note, "K").size(), 4);
    }

    // Each kind of card: keywords of no, one and many links; cards linked to
    // the keyword twice (once under another spelling of their key), cards
    // gone, cards without author or title, keys beyond ASCII, and links of a
    // card written long after the others. The rows, their order and their
    // texts are those of the walk of the shared recordsets.
    void everyKindAsTheWalkFindsThem_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("notes") << int(CardType::Note);
        QTest::newRow("quotes") << int(CardType::Quote);
        QTest::newRow("references") << int(CardType::Reference);
    }
    void everyKindAsTheWalkFindsThem()
    {
        QFETCH(int, type);
        Base base;
        const Kind kind = kindOf(CardType(type));
        dao::TransactionScope writing;
        auto card = [&](const QString &key, const QString &author, const QString &title) {
            switch (kind.type) {
            case CardType::Note: Base::note(key, author, title); break;
            case CardType::Quote:
                Base::quote(key, "REF0000001", title);
                if (!author.isEmpty()) {
                    rsCit.setIndex("CitNDX");
                    rsCit.Seek("=", key);
                    rsCit.Edit();
                    rsCit.Fields("AUTEUR").setValue(author);
                    rsCit.Update();
                }
                break;
            case CardType::Reference: Base::reference(key, author, title); break;
            }
        };
        QStringList keys;
        for (int i = 0; i < 40; ++i)
            keys << (i % 13 == 4 ? QStringLiteral("\u00C9T\u00C9%1") : QStringLiteral("CARD%1"))
                        .arg((i * 17) % 40, 3, 10, QChar('0'));
        for (int i = 0; i < keys.size(); ++i)
            if (i % 9 != 3) // these are gone
                card(keys.at(i), i % 3 ? QString("Author %1").arg(i % 4) : QString(),
                     i % 4 ? QString("Title \u00E0 %1").arg(i) : QString());
        for (int i = 0; i < keys.size(); ++i) {
            const QString key = keys.at(i);
            const QString linkKey = i % 5 == 1 ? key.toLower() : key;
            Base::link(kind.link, i % 7 == 2 ? "big" : "Big", linkKey);
            if (i % 2 == 0)
                Base::link(kind.link, QString("K%1").arg(i % 3), linkKey);
            if (i % 10 == 6)
                Base::link(kind.link, "BIG", key); // linked twice to the keyword
        }
        Base::link(kind.link, "Single", keys.at(1));
        Base::link(kind.link, "Single", "GONE999");
        Base::link(kind.link, "Gone only", keys.at(3));
        for (int i = 0; i < keys.size(); i += 6) // written long after
            Base::link(kind.link, QString("Late %1").arg(i), keys.at(i).toLower());
        writing.Commit();
        for (const QString keyword : {"Big", "Single", "Gone only", "Late 0", "Nothing"}) {
            const QStringList expected = walkedRows(kind, keyword);
            QCOMPARE(rowsText(keywords::CardsOfKeyword(kind.type, keyword)), expected);
            if (keyword == "Big")
                QVERIFY(expected.size() > 60);
            if (keyword == "Single")
                QCOMPARE(expected.size(), 2); // the card of its one link that is there, both its links
            if (keyword == "Gone only" || keyword == "Nothing")
                QVERIFY(expected.isEmpty());
        }
        QCOMPARE(kind.link.Index(), kind.byKeyword);
        QCOMPARE(kind.card.Index(), kind.cardIndex);
    }

    void listingShowsTheGridSortedOnTheKeyword()
    {
        Base base;
        Base::quote("REF__001.TXT", "Ref____001", "Q1");
        Base::quote("REF__002.TXT", "Ref____001", "Q2");
        Base::link(rsGrCit, "K", "REF__002.TXT");
        Base::link(rsGrCit, "B", "REF__002.TXT");
        Base::link(rsGrCit, "K", "REF__001.TXT");
        Base::link(rsGrCit, "A", "REF__001.TXT");
        QString k = "K";
        keywords::ListCitsOfKeyword(k);
        fGrid *g = vb::Forms::find<fGrid>();
        QVERIFY(g);
        QCOMPARE(g->tag(), QString("Cit"));
        QCOMPARE(g->caption(), QString("Quote + Keyword : K"));
        QCOMPARE(CardKind, QString("Cit"));
        QStringList col1;
        for (int r = 1; r < g->Grid1->rows(); ++r)
            col1 << g->Grid1->textMatrix(r, 1);
        QCOMPARE(col1, QStringList({"A", "B", "K", ""}));
        QCOMPARE(g->Grid1->row(), 3);
        QCOMPARE(g->Grid1->textMatrix(3, 2), QString("REF__001.TXT"));
    }

    // A listing hands its rows to the window it opens; a window opened
    // afterwards from the shared table shows that table as it stands, its
    // keys and cells changed or not, and opens the cards of its keys.
    void windowOpenedFromTheSharedTableAfterAListingShowsThatTable()
    {
        Base base;
        Base::note("MART0001.TXT", "Martin", "First");
        Base::note("MART0002.TXT", "Martin", "Second");
        Base::note("LI__0001.TXT", "Li", "Third");
        Base::link(rsGrNote, "K", "MART0001.TXT");
        Base::link(rsGrNote, "K", "MART0002.TXT");
        QString opened;
        windowLinks().showNoteCard = [&] { opened = fldNoteCit.Value().toString(); };
        auto keysShown = [] {
            QStringList keys;
            const fGrid *g = vb::Forms::find<fGrid>();
            for (int r = 1; r <= g->table().count(); ++r)
                keys << g->table().keyOf(r);
            return keys;
        };
        auto openRow = [&](int row) {
            fGrid *g = vb::Forms::find<fGrid>();
            g->Grid1->setRow(row);
            g->Grid1->setCol(1);
            opened.clear();
            g->Grid1_DblClick();
            return opened;
        };
        QString k = "K";
        auto list = [&] {
            keywords::ListNotesOfKeyword(k);
            QCOMPARE(keysShown(), QStringList({"MART0001.TXT", "MART0002.TXT"}));
        };

        // Only the key list changes, rows and length alike.
        list();
        GridKeys[2] = "LI__0001.TXT";
        keywords::ReloadResultGrid(CardType::Note);
        QCOMPARE(keysShown(), QStringList({"MART0001.TXT", "LI__0001.TXT"}));
        QCOMPARE(openRow(2), QString("LI__0001.TXT"));

        // Only a cell changes.
        list();
        GridRows[2][3] = "Edited";
        keywords::ReloadResultGrid(CardType::Note);
        QCOMPARE(vb::Forms::find<fGrid>()->Grid1->textMatrix(2, 4), QString("Edited"));
        QCOMPARE(openRow(2), QString("MART0002.TXT"));

        // Another table of the same length, written by another road.
        list();
        keywords::PublishRows({keywords::ResultRow{{"W", "LI__0001.TXT", "Li", "Third"}, "LI__0001.TXT"},
                               keywords::ResultRow{{"W", "MART0001.TXT", "Martin", "First"}, "MART0001.TXT"}});
        keywords::ReloadResultGrid(CardType::Note);
        QCOMPARE(keysShown(), QStringList({"LI__0001.TXT", "MART0001.TXT"}));
        QCOMPARE(openRow(1), QString("LI__0001.TXT"));

        // The table emptied.
        list();
        ClearGridRows();
        keywords::ReloadResultGrid(CardType::Note);
        QCOMPARE(vb::Forms::find<fGrid>()->table().count(), 0);

        // Shown again by the main window's road, which loads it from the
        // table when it is not loaded.
        list();
        GridKeys[1] = "LI__0001.TXT";
        vb::Forms::unload<fGrid>();
        vb::Forms::get<fGrid>().setVisible(true);
        QCOMPARE(openRow(1), QString("LI__0001.TXT"));
    }

    void noMatchSetsTheOptionWithoutAnotherListing()
    {
        Base base;
        Base::link(rsGrNote, "Other", "MART0001.TXT");
        int optionSet = 0;
        int relisted = 0;
        windowLinks().setCardKindOption = [&](CardType t) { optionSet += t == CardType::Note; };
        windowLinks().listNotesOfKeyword = [&](QString &) { ++relisted; };
        CardKind = "Bib";
        QString k = "Nothing";
        keywords::ListNotesOfKeyword(k);
        QCOMPARE(optionSet, 1);
        QCOMPARE(relisted, 0);
        QCOMPARE(CardKind, QString("Note"));
        QCOMPARE(GridRows.size(), 2);
        QCOMPARE(GridRows.at(1).at(0), QString("No Match"));
        QVERIFY(GridKeys.isEmpty());
        fGrid *g = vb::Forms::find<fGrid>();
        QVERIFY(g);
        QCOMPARE(g->caption(), QString("Notes - Keyword : Nothing"));
        QCOMPARE(g->table().keyOf(1), QString());
    }

    void referencesOfAnAuthor()
    {
        Base base;
        Base::reference("Li_____001", "Li ", "Linked");
        Base::reference("Li_____002", "Li ", "Unlinked");
        Base::author("Li", "Li_____001");
        Base::author("li", "Li_____002"); // stored in another case
        Base::author("Li", "Gone___001"); // its reference is gone
        Base::link(rsGrBib, "K1", "Li_____001");
        Base::link(rsGrBib, "K2", "Li_____001");
        const keywords::AuthorRows found = keywords::ReferencesOfAuthor("Li");
        QVERIFY(found.authorFound);
        QCOMPARE(rowsText(found.rows), QStringList({"K1|Li_____001|Li|Linked|Li_____001",
                                                    "K2|Li_____001|Li|Linked|Li_____001",
                                                    " |Li_____002|li|Unlinked|Li_____002"}));
        GridCurrentRow = 30;
        QVERIFY(keywords::ListReferencesOfAuthor("Li"));
        QCOMPARE(CardKind, QString("Bib"));
        QCOMPARE(vb::Forms::find<fGrid>()->caption(), QString("Reference Author : Li"));
        QVERIFY(GridCurrentRow <= 3);
    }

    void unknownAuthorSaysNoMatchAndKeepsTheTable()
    {
        Base base;
        Base::author("Zola", "Zola___001");
        GridRows = {QStringList{}, QStringList{"K", "X", "", ""}};
        GridKeys = {"", "X"};
        DialogScript script;
        script.msgBox(vb::vbOK, QString("No Match"));
        QVERIFY(!keywords::ListQuotesOfAuthor("Hugo"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(GridKeys, QStringList({"", "X"}));
        QVERIFY(!vb::Forms::find<fGrid>());
    }

    void quotesOfAnAuthorSkipReferencesWithoutQuotes()
    {
        Base base;
        Base::reference("Hugo___001");
        Base::reference("Hugo___002");
        Base::author("Hugo", "Hugo___001"); // no quote
        Base::author("Hugo", "Hugo___002");
        Base::quote("HUGO_001.TXT", "Hugo___002", "Quoted");
        Base::link(rsGrCit, "Sea", "HUGO_001.TXT");
        QVERIFY(keywords::ListQuotesOfAuthor("Hugo"));
        QCOMPARE(GridRows.size(), 2);
        QCOMPARE(GridRows.at(1), QStringList({"Sea", "HUGO_001.TXT", "Hugo", "Quoted"}));
        QCOMPARE(GridKeys.at(1), QString("HUGO_001.TXT"));
        QCOMPARE(CardKind, QString("Cit"));
        QCOMPARE(rsCit.Index(), QString("CitNDX"));

        // Only references without quotes: one "No Match" row with no key.
        Base::reference("Vian___001");
        Base::author("Vian", "Vian___001");
        QVERIFY(keywords::ListQuotesOfAuthor("Vian"));
        QCOMPARE(GridRows.at(1).at(0), QString("No Match"));
        QVERIFY(GridKeys.isEmpty());
        fGrid *g = vb::Forms::find<fGrid>();
        QCOMPARE(g->tag(), QString("Cit"));
        QCOMPARE(g->caption(), QString("Reference Author : Vian"));
    }

    void notesByDateNewestFirst()
    {
        Base base;
        const QDate d1(2001, 1, 1), d2(2002, 2, 2), d3(2003, 3, 3);
        Base::note("B", {}, {}, d2);
        Base::note("A", {}, {}, d3);
        Base::note("C", {}, {}, d1);
        Base::note("N"); // no date
        rsNote.setIndex("Jour");
        const QList<QStringList> rows = keywords::CardsByDate(CardType::Note);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.at(0), QStringList({vb::DateText(QVariant(d3)), "A"}));
        QCOMPARE(rows.at(2).at(1), QString("C"));
        QCOMPARE(rows.at(3), QStringList({QString(), "N"}));
        QCOMPARE(rsNote.Index(), QString("NoteNDX"));
    }

    // Equal dates come in the index's order, newest first: the card written
    // last first; cards without a date come last, also in reverse order.
    void equalDatesInReverseOrderOfWriting()
    {
        Base base;
        const QDate d1(2001, 1, 1), d2(2002, 2, 2);
        const QStringList keys = {"E1", "E2", "E3", "E4", "E5", "E6", "E7", "E8"};
        for (int i = 0; i < keys.size(); ++i)
            Base::note(keys.at(i), {}, {}, i % 3 == 2 ? QVariant() : QVariant(i % 2 ? d1 : d2));
        QStringList shown;
        for (const QStringList &r : keywords::CardsByDate(CardType::Note))
            shown << r.at(1) + (r.at(0).isEmpty() ? "-" : r.at(0) == vb::DateText(QVariant(d2)) ? "2" : "1");
        QCOMPARE(shown, QStringList({"E72", "E52", "E12", "E81", "E41", "E21", "E6-", "E3-"}));

        // A row numbered far beyond the others (written by another program)
        // still takes its place.
        QCOMPARE(sqlite3_exec(dao::Access::impl(g_Db)->db,
                              "INSERT INTO NOTE (NoteCount, CIT, JOUR) VALUES (3000000000, 'FAR', '2001-01-01 00:00:00')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        OpenBaseTables();
        shown.clear();
        for (const QStringList &r : keywords::CardsByDate(CardType::Note))
            shown << r.at(1);
        QCOMPARE(shown, QStringList({"E7", "E5", "E1", "FAR", "E8", "E4", "E2", "E6", "E3"}));
    }

    void referencesByStampShowTheirDate()
    {
        Base base;
        Base::reference("Old____001", {}, {}, QDate(2020, 5, 1), QDateTime({2001, 1, 1}, {10, 0}));
        Base::reference("New____001", {}, {}, {}, QDateTime({2009, 1, 1}, {10, 0}));
        const QList<QStringList> rows = keywords::CardsByDate(CardType::Reference);
        QCOMPARE(rows.at(0), QStringList({QString(), "New____001"}));
        QCOMPARE(rows.at(1).at(1), QString("Old____001"));
        QVERIFY(rows.at(1).at(0).contains("2020") || rows.at(1).at(0).contains("20"));
    }

    void emptyTableAfterAFullOneHandsNoRows()
    {
        Base base;
        Base::quote("Q1", "R");
        QList<QList<QStringList>> shown;
        windowLinks().showDateList = [&](const QList<QStringList> &rows) { shown << rows; };
        keywords::ListCitsByDate();
        keywords::ListRefsByDate();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).size(), 1);
        QVERIFY(shown.at(1).isEmpty());
    }

    // The texts of stored dates, written out without a value per row, are
    // those of the cards' DateText of the Field's value: in zones whose
    // clock changes (a gap, an overlap, at midnight, by half an hour, the
    // old mean times), for odd and wrongly typed stored values and Null.
    // A date the clock skips shows as stored, as any other.
    void storedDatesShowAsTheirFieldValues()
    {
        const QByteArray zoneBefore = qgetenv("TZ");
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const char *values[] = {
            "'2024-02-29 00:00:00'", "'2024-02-29 13:05:09'", "'2023-02-29 10:00:00'", "'2100-02-29 10:00:00'",
            "'1899-12-30 00:00:00'", "'1850-06-01 13:05:09'", "'0100-01-01 00:00:01'", "'9999-12-31 23:59:59'",
            "'1911-03-11 00:05:00'", "'1891-03-15 23:59:00'", "'2021-03-28 01:59:59'", "'2021-03-28 02:30:00'",
            "'2021-03-28 03:00:00'", "'2021-10-31 02:30:00'", "'2021-10-31 03:00:00'", "'2018-11-04 00:00:00'",
            "'2018-11-04 00:30:00'", "'2018-11-04 12:00:00'", "'2019-02-17 00:00:00'", "'2021-04-04 01:45:00'",
            "'2021-10-03 02:15:00'", "'1970-01-01 00:00:00'", "'2038-01-19 03:14:08'", "'2001-01-01 10:20:30'",
            "'2001-01-01 10:20:30'", "' 2001-01-01 10:20:30'", "'2001-01-01 10:20:30 '", "'2001-1-1'",
            "'2001-01-01T10:20:30'", "'2001-01-01 10.20.30'", "'2001-01-01 24:00:00'", "'2001-01-01 +1:00:00'",
            "'2001-01-01'", "'garbage'", "''", "12345", "3.5", "X'00'", "NULL"};
        QStringList differ;
        for (const char *zone : {"UTC", "Europe/Paris", "America/Sao_Paulo", "Australia/Lord_Howe"}) {
            qputenv("TZ", zone);
            tzset();
            Base base;
            QByteArray sql;
            int n = 0;
            for (const char *v : values)
                sql += "INSERT INTO NOTE (CIT, JOUR) VALUES ('K" + QByteArray::number(++n) + "', " + v + ");";
            QCOMPARE(sqlite3_exec(dao::Access::impl(g_Db)->db, sql.constData(), nullptr, nullptr, nullptr),
                     SQLITE_OK);
            OpenBaseTables();
            const QList<QStringList> rows = keywords::CardsByDate(CardType::Note);
            QCOMPARE(rows.size(), n);
            rsNote.setIndex("NoteNDX");
            for (const QStringList &r : rows) {
                rsNote.Seek("=", r.at(1));
                const QString old = vb::DateText(rsNote.Fields("JOUR").Value());
                if (rsNote.NoMatch() || r.at(0) != old || r.at(0).isNull() != old.isNull())
                    differ << QString::fromLatin1(zone) + u' ' + r.at(1) + u' ' + r.at(0) + u'/' + old;
                const QString stored = QString::fromLatin1(values[r.at(1).mid(1).toInt() - 1]);
                const QDate day = QDate::fromString(stored.mid(1, 10), QStringLiteral("yyyy-MM-dd"));
                const QTime time = QTime::fromString(stored.mid(12, 8), QStringLiteral("HH:mm:ss"));
                if (stored.size() == 21 && day.isValid() && time.isValid() && r.at(0) != vb::DateText(day, time))
                    differ << QString::fromLatin1(zone) + u' ' + r.at(1) + u' ' + r.at(0) + QStringLiteral(" is not ") + stored;
            }
        }
        if (hadZone)
            qputenv("TZ", zoneBefore);
        else
            qunsetenv("TZ");
        tzset();
        QCOMPARE(differ, QStringList());
    }

    // The cards' time pattern written out gives what the locale writes, for
    // every second of the day in locales of each kind of format; where it
    // cannot be written out (other digits) the locale's own text is kept.
    void timeTextsAsTheLocaleWritesThem()
    {
        QStringList differ;
        for (const char *name : {"C", "en_US", "en_GB", "fr_FR", "de_DE", "fi_FI", "hu_HU", "bg_BG", "ja_JP",
                                 "ko_KR", "zh_CN", "zh_TW", "vi_VN", "ar_EG", "fa_IR", "hi_IN", "sq_AL"}) {
            const QLocale locale(QString::fromLatin1(name));
            keywords::StoredDateTexts::TimeTexts texts(locale);
            if (QByteArrayView(name) == "C" || QByteArrayView(name) == "en_US" || QByteArrayView(name) == "fr_FR")
                QVERIFY2(texts.direct(), name);
            const int step = texts.direct() ? 1 : 61;
            for (int s = 0; s < 24 * 3600; s += step) {
                const QTime t = QTime(0, 0).addSecs(s);
                if (texts.text(t) != locale.toString(t, vb::TimePattern(locale)))
                    differ << QString::fromLatin1(name) + u' ' + t.toString() + u' ' + texts.text(t);
            }
        }
        QCOMPARE(differ.mid(0, 10), QStringList());
        // The program's locale, as the listing uses it.
        keywords::StoredDateTexts::TimeTexts current{QLocale()};
        for (int s = 0; s < 24 * 3600; s += 7)
            QCOMPARE(current.text(QTime(0, 0).addSecs(s)), QLocale().toString(QTime(0, 0).addSecs(s), vb::TimePattern(QLocale())));
    }

    // The list writes each date as the card windows do: four-digit years
    // (1850 and 1950 apart), no zone after a time (summer or winter), the
    // hour the clock skips as stored; in each locale.
    void listsWriteTheCardsDateText()
    {
        const QLocale before;
        for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::French, QLocale::France), QLocale::system()}) {
            QLocale::setDefault(locale);
            Base base;
            const QList<QPair<QString, QDateTime>> dated{
                {"OLD", QDateTime({1850, 6, 1}, {0, 0}, Qt::UTC)},
                {"MID", QDateTime({1950, 6, 1}, {0, 0}, Qt::UTC)},
                {"SUMMER", QDateTime({2024, 7, 14}, {13, 5, 9}, Qt::UTC)},
                {"WINTER", QDateTime({2024, 1, 14}, {13, 5, 9}, Qt::UTC)},
                {"SKIPPED", QDateTime({2024, 3, 31}, {2, 30}, Qt::UTC)},
                {"MIDNIGHT", QDateTime({2018, 11, 4}, {0, 0}, Qt::UTC)},
            };
            for (const auto &[key, when] : dated)
                Base::note(key, {}, {}, when);
            QHash<QString, QString> shown;
            for (const QStringList &r : keywords::CardsByDate(CardType::Note))
                shown.insert(r.at(1), r.at(0));
            for (const auto &[key, when] : dated) {
                QCOMPARE(shown.value(key), vb::DateText(when.date(), when.time(), locale));
                QVERIFY2(shown.value(key).contains(QString::number(when.date().year())), qPrintable(shown.value(key)));
            }
            QVERIFY(shown.value("OLD") != shown.value("MID"));
            for (const char *key : {"SUMMER", "WINTER"})
                for (const char *zone : {"CET", "CEST", "UTC", "GMT", "BRT", "-03", "+01", "+02"})
                    QVERIFY2(!shown.value(key).contains(QLatin1String(zone)), qPrintable(shown.value(key)));
        }
        QLocale::setDefault(before);
        QVERIFY(vb::DateText(QVariant()).isEmpty());
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestListings t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_listings.moc"
