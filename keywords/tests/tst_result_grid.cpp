// The result window and its table: sorting with ties on both columns, the
// blanking of repeats, the current row after a sort, an empty or emptied
// shared table, and the double-click that opens a card by its own copy.

#include "DaoImpl.h"
#include "GridClicks.h"
#include "KeywordsTestBase.h"
#include "ProgramState.h"
#include "ResultOpen.h"
#include "ResultTable.h"
#include "WindowLinks.h"
#include "fGrid.h"
#include "Colors.h"
#include "ShownText.h"
#include "PaintedTexts.h"
#include "Twips.h"
#include "Watchdog.h"

#include <QApplication>
#include <QRandomGenerator>

using keywords::ResultRow;
using keywords::ResultTable;
using vb::DialogScript;

namespace {

ResultRow row(const QString &kw, const QString &key, const QString &author = {}, const QString &title = {})
{
    ResultRow r;
    r.cells[0] = kw;
    r.cells[1] = key;
    r.cells[2] = author;
    r.cells[3] = title;
    r.key = key;
    return r;
}

QStringList column(const ResultTable &t, int c)
{
    QStringList out;
    for (int i = 1; i <= t.count(); ++i)
        out << t.row(i).cell(c);
    return out;
}

QStringList shown(const ResultTable &t, int c, int sortColumn)
{
    QStringList out;
    for (int i = 1; i <= t.count(); ++i)
        out << t.shownText(i, c, sortColumn);
    return out;
}

void share(const QList<ResultRow> &rows)
{
    GridRows = {QStringList{{}, {}, {}, {}}};
    GridKeys = {QString()};
    for (const ResultRow &r : rows) {
        GridRows.append(QStringList{r.cells[0], r.cells[1], r.cells[2], r.cells[3]});
        GridKeys.append(r.key);
    }
}

} // namespace

class TestResultGrid : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        GridSortColumn = 1;
        GridCurrentKey.clear();
        GridCurrentRow = 1;
        windowLinks() = WindowLinks{};
    }
    void cleanup() { vb::Forms::unload<fGrid>(); }

    void sortByKeywordOrdersTiesByKey()
    {
        // Two quotes under K, the second listed first: K rows follow their keys.
        ResultTable t;
        t.rows() = {row("B", "Q2"), row("K", "Q2"), row("A", "Q1"), row("K", "Q1")};
        const int current = t.sort(1, "K");
        QCOMPARE(column(t, 1), QStringList({"A", "B", "K", "K"}));
        QCOMPARE(column(t, 2), QStringList({"Q1", "Q2", "Q1", "Q2"}));
        QCOMPARE(current, 3);
        // The second K is blank, the keys all show.
        QCOMPARE(shown(t, 1, 1), QStringList({"A", "B", "K", ""}));
        QCOMPARE(shown(t, 2, 1), QStringList({"Q1", "Q2", "Q1", "Q2"}));
    }

    void sortByAuthorKeepsEachCardTogetherOrderedByKeyword()
    {
        ResultTable t;
        // Listed by keyword: Li's two cards interleave with each other.
        t.rows() = {row("A", "LI__0002.TXT", "Li", "T3"), row("C", "LI__0001.TXT", "Li", "T2"),
                    row("Z", "MART0001.TXT", "Martin", "T1"), row("B", "LI__0001.TXT", "Li", "T2"),
                    row("A", "MART0001.TXT", "Martin", "T1"), row("K", "LI__0002.TXT", "Li", "T3")};
        t.sort(3, QString());
        QCOMPARE(column(t, 3), QStringList({"Li", "Li", "Li", "Li", "Martin", "Martin"}));
        QCOMPARE(column(t, 2), QStringList({"LI__0001.TXT", "LI__0001.TXT", "LI__0002.TXT", "LI__0002.TXT",
                                            "MART0001.TXT", "MART0001.TXT"}));
        QCOMPARE(column(t, 1), QStringList({"B", "C", "A", "K", "A", "Z"}));
        // Key, author and title once per card, keywords on every row.
        QCOMPARE(shown(t, 2, 3), QStringList({"LI__0001.TXT", "", "LI__0002.TXT", "", "MART0001.TXT", ""}));
        QCOMPARE(shown(t, 3, 3), QStringList({"Li", "", "Li", "", "Martin", ""}));
        QCOMPARE(shown(t, 4, 3), QStringList({"T2", "", "T3", "", "T1", ""}));
        QCOMPARE(shown(t, 1, 3), QStringList({"B", "C", "A", "K", "A", "Z"}));
        // By title too, and by key.
        t.sort(4, QString());
        QCOMPARE(column(t, 1), QStringList({"A", "Z", "B", "C", "A", "K"}));
        t.sort(2, QString());
        QCOMPARE(column(t, 1), QStringList({"B", "C", "A", "K", "A", "Z"}));
    }

    void sortComparesByCharacterCodes()
    {
        ResultTable t;
        t.rows() = {row("apple", "2"), row("Apple", "1"), row("Äpfel", "3"), row("banana", "4")};
        t.sort(1, "none");
        QCOMPARE(column(t, 1), QStringList({"Apple", "apple", "banana", "Äpfel"}));
    }

    // Many rows with repeated texts in every column, sorted by each column:
    // the order of a stable sort comparing the texts themselves.
    void sortOfManyRowsAsTheTextsCompare()
    {
        static const QChar kRaw[] = {u'N', u'O', u'T', u'E', u'0', u'0', u'1', u'.', u'T', u'X', u'T'};
        QRandomGenerator rng(9);
        // Short texts, and long ones alike in their first dozen characters
        // or more, with a character 0 or the highest one after them.
        const QStringList texts = {"", "a", "A", "ab", "ab0", u"\u00E9"_qs, "K", "k", "Z", "b", u"\U0001F600"_qs,
                                   "keyword 00000", "keyword 0000", "keyword 000001", "NOTE000123.TXT",
                                   "NOTE000123.TX", QString("NOTE000123.T") + QChar(0) + "A",
                                   QString("NOTE000123.T") + QChar(0xFFFF), "NOTE000123.T",
                                   // alike for more than sixty-four characters
                                   QString(70, 'x'), QString(70, 'x') + "a", QString(70, 'x') + QChar(0),
                                   QString(64, 'x') + QChar(0) + "b", QString(64, 'x') + "b", QString(63, 'x')};
        QList<ResultRow> rows;
        for (int i = 0; i < 3000; ++i) {
            ResultRow r;
            // Half the cells share their text's data with others, as a
            // listing's rows do; some share the data but not the length.
            for (QString &cell : r.cells) {
                const QString &text = texts.at(int(rng.bounded(int(texts.size()))));
                switch (rng.bounded(3)) {
                case 0: cell = text + QString::number(rng.bounded(3)); break;
                case 1: cell = text; break;
                default: cell = QString::fromRawData(kRaw, int(rng.bounded(int(std::size(kRaw)) + 1))); break;
                }
            }
            r.key = QString::number(i);
            rows.append(r);
        }
        // Also with rows that come in the order of the keyword or of the key
        // already, as listings read them.
        for (int pass = 0; pass < 3; ++pass)
        for (int column = 1; column <= 4; ++column) {
            const int c = column - 1;
            if (pass > 0 && column == 1)
                std::stable_sort(rows.begin(), rows.end(), [pass](const ResultRow &a, const ResultRow &b) {
                    return a.cells[pass - 1] < b.cells[pass - 1];
                });
            QList<ResultRow> expected = rows;
            std::stable_sort(expected.begin(), expected.end(), [c](const ResultRow &a, const ResultRow &b) {
                if (a.cells[c] != b.cells[c])
                    return a.cells[c] < b.cells[c];
                if (c == 0)
                    return a.cells[1] < b.cells[1];
                if (c != 1 && a.cells[1] != b.cells[1])
                    return a.cells[1] < b.cells[1];
                return a.cells[0] < b.cells[0];
            });
            ResultTable t;
            t.rows() = rows;
            t.sort(column, QString());
            QStringList got, want;
            for (int i = 0; i < rows.size(); ++i) {
                got << t.rows().at(i).key;
                want << expected.at(i).key;
            }
            QCOMPARE(got, want);
        }
    }

    void sortOfSortedTableKeepsIt()
    {
        ResultTable t;
        t.rows() = {row("A", "1"), row("A", "2"), row("B", "1")};
        t.sort(1, "A");
        const QStringList before = column(t, 2);
        t.sort(1, "A");
        QCOMPARE(column(t, 2), before);
    }

    void sharedTableWithAndWithoutColumnZero()
    {
        const ResultTable four = ResultTable::fromShared({{}, {"k", "key", "a", "t"}}, {"", "key"});
        QCOMPARE(four.row(1).cell(4), QString("t"));
        const ResultTable five = ResultTable::fromShared({{}, {"", "k", "key", "a", "t"}}, {});
        QCOMPARE(five.row(1).cell(1), QString("k"));
        QVERIFY(five.row(1).key.isEmpty());
        QCOMPARE(keywords::clampRow(9, 3), 3);
        QCOMPARE(keywords::clampRow(0, 3), 1);
        QCOMPARE(keywords::clampRow(5, 0), 0);
    }

    void searchPosition()
    {
        QCOMPARE(keywords::SearchPosition(QVariant(), "x"), 0);
        QCOMPARE(keywords::SearchPosition(QString("abc"), QString()), 1);
        QCOMPARE(keywords::SearchPosition(QString(), QString()), 0);
        QCOMPARE(keywords::SearchPosition(QString("abcabc"), "ca"), 3);
        QCOMPARE(keywords::SearchPosition(QString("abc"), "B"), 0);
        // Past the old 16-bit bound.
        QCOMPARE(keywords::SearchPosition(QString(40000, u'a') + "z", "z"), 40001);
    }

    void emptyTableShowsHeadersOnly()
    {
        ClearGridRows();
        GridCurrentRow = 7;
        DialogScript script;
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        QCOMPARE(g.Grid1->rows(), 1);
        QCOMPARE(g.Grid1->cols(), 5);
        QCOMPARE(g.Grid1->textMatrix(0, 2), QString(" Reference "));
        g.Grid1_Click();
        g.Grid1_DblClick();
        QVERIFY_SCRIPT(script);
        QCOMPARE(GridCurrentRow, 0);
    }

    void currentRowFromALongerListingIsClamped()
    {
        share({row("A", "1"), row("B", "2")});
        GridCurrentKey = "absent";
        GridCurrentRow = 40;
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        QCOMPARE(g.Grid1->rows(), 3);
        QCOMPARE(g.Grid1->row(), 2);
        QCOMPARE(g.Grid1->textMatrix(2, 0), QString("2"));
    }

    void headerClickSortsAndSameRowTwiceEndsUnhighlighted()
    {
        share({row("K", "B1", "Zed"), row("K", "A1", "Abe")});
        CardKind = "Bib";
        GridCurrentKey = "K";
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        QCOMPARE(g.Grid1->textMatrix(1, 2), QString("A1"));
        // A click in row 1 of the author column sorts by author.
        g.Grid1->setRow(1);
        g.Grid1->setCol(3);
        g.Grid1_Click();
        QCOMPARE(GridSortColumn, 3);
        QCOMPARE(g.Grid1->textMatrix(1, 3), QString("Abe"));
        QCOMPARE(g.highlightRow(), 1);
        g.Grid1->setRow(2);
        g.Grid1->setCol(1);
        g.Grid1_Click();
        QCOMPARE(g.highlightRow(), 2);
        g.Grid1->setRow(2);
        g.Grid1_Click();
        g.Grid1->setRow(2);
        g.Grid1->setCol(1);
        QCOMPARE(g.Grid1->cellBackColor(), vb::oleColor(vb::vbWindowBackground));
    }

    void openGridKeepsItsRowsWhenTheSharedTableEmpties()
    {
        kwtest::Base base;
        kwtest::Base::note("MART0001.TXT", "Martin", "A note", {}, "some text here");
        share({row("K", "MART0001.TXT", "Martin", "A note")});
        CardKind = "Note";
        SearchText = "text";
        QString opened;
        windowLinks().showNoteCard = [&] { opened = fldNoteCit.Value().toString(); };
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        // Another listing empties the shared table without reloading the grid.
        ClearGridRows();
        GridKeys.clear();
        g.Grid1->setRow(1);
        g.Grid1->setCol(1);
        g.Grid1_DblClick();
        QCOMPARE(opened, QString("MART0001.TXT"));
        QCOMPARE(SearchTextPos, 6);
    }

    void noMatchRowOpensNothingAndAGoneCardSaysSo()
    {
        kwtest::Base base;
        share({row("No Match", "")});
        GridKeys.clear();
        CardKind = "Bib";
        int opened = 0;
        windowLinks().showReferenceCard = [&] { ++opened; };
        {
            DialogScript script;
            fGrid &g = vb::Forms::get<fGrid>();
            g.show();
            QCOMPARE(g.Grid1->textMatrix(1, 1), QString("No Match"));
            QCOMPARE(g.Grid1->textMatrix(1, 0), QString("1"));
            g.Grid1->setRow(1);
            g.Grid1_DblClick();
            QVERIFY_SCRIPT(script);
        }
        share({row("K", "Gone___001")});
        vb::Forms::unload<fGrid>();
        DialogScript script;
        script.msgBox(vb::vbOK, QString("This record does not exists"));
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        g.Grid1->setRow(1);
        g.Grid1_DblClick();
        QVERIFY_SCRIPT(script);
        QCOMPARE(opened, 0);
    }

    // A card of a base made elsewhere, its key and author a million
    // characters long (the program never writes such values): the window
    // paints prefixes of them without a freeze, and a double-click on the
    // row opens the card by its whole key.
    void hugeValuesShowAPrefixAndOpenTheCardByTheWholeKey()
    {
        kwtest::Base base;
        QString key, author;
        for (int i = 0; key.size() < 1000000; ++i) {
            key += QStringLiteral("KEY%1.").arg(i);
            author += QStringLiteral("Name%1 ").arg(i);
        }
        {
            sqlite3 *db = dao::Access::impl(g_Db)->db;
            sqlite3_stmt *s = nullptr;
            QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO NOTE (CIT, AUTEUR, TITRE1) VALUES (?, ?, 'A note')", -1, &s,
                                        nullptr),
                     SQLITE_OK);
            const QByteArray k = key.toUtf8(), a = author.toUtf8();
            sqlite3_bind_text(s, 1, k.constData(), int(k.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 2, a.constData(), int(a.size()), SQLITE_STATIC);
            QCOMPARE(sqlite3_step(s), SQLITE_DONE);
            sqlite3_finalize(s);
        }
        kwtest::Base::note("MART0001.TXT", "Martin", "Short");
        // Listed second: a click in row 1 would sort by its column.
        share({row("Z", key, author, "A note"), row("K", "MART0001.TXT", "Martin", "Short")});
        CardKind = "Note";
        QString opened;
        windowLinks().showNoteCard = [&] { opened = fldNoteCit.Value().toString(); };
        painted::ItemTextStyle style;
        fGrid *g = nullptr;
        {
            Watchdog dog("the result window with values of a million characters", 120);
            g = &vb::Forms::get<fGrid>();
            g->Grid1->setStyle(&style);
            g->show();
            QVERIFY(QTest::qWaitForWindowExposed(g->Grid1));
            g->Grid1->grab();
            QCoreApplication::processEvents();
        }
        QVERIFY(style.items > 0);
        QVERIFY2(style.longest <= vb::kShownChars + 1, qPrintable(QString::number(style.longest)));
        QVERIFY(g->Grid1->textMatrix(2, 3) == author);
        gridtest::doubleClickCell(g->Grid1, 2, 3);
        QCOMPARE(opened.size(), key.size());
        QVERIFY(opened == key);
    }

    void deletedCardLeavesTheGrid()
    {
        share({row("A", "n1"), row("B", "N2"), row("C", "n1")});
        CardKind = "Note";
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        g.DropCard("N1");
        QCOMPARE(g.Grid1->rows(), 2);
        QCOMPARE(g.Grid1->textMatrix(1, 2), QString("N2"));
    }

    void resizeKeepsMarginsAndNeverGoesNegative()
    {
        share({row("A", "1")});
        fGrid &g = vb::Forms::get<fGrid>();
        g.show();
        g.setWidth(6000);
        g.setHeight(3000);
        QApplication::processEvents();
        QVERIFY(qAbs(vb::widthOf(g.Grid1) - (g.width() - 420)) <= 30);
        g.setWidth(300);
        g.setHeight(300);
        QApplication::processEvents();
        QVERIFY(vb::widthOf(g.Grid1) >= 0);
        QVERIFY(vb::heightOf(g.Grid1) >= 0);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFont f = app.font();
    f.setPointSize(8);
    app.setFont(f);
    TestResultGrid t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_result_grid.moc"
