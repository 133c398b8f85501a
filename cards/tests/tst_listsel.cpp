// The list by date: its window, and the card a click opens.

#include "CardOpeners.h"
#include "CardTestBase.h"
#include "FlexGrid.h"
#include "FListSel.h"
#include "GridClicks.h"
#include "InstallCards.h"
#include "ReferenceCardDouble.h"
#include "WindowLinks.h"

using namespace cardtest;

class TestListSel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFont();
        InstallCardWindows();
        InstallReferenceCardDouble();
    }
    void cleanup() { unloadAll(); }

    void windowAndHeader()
    {
        FListSel &w = vb::Forms::get<FListSel>();
        QCOMPARE(w.caption(), QStringLiteral("Select"));
        QCOMPARE(w.Grid1->cols(), 2);
        QCOMPARE(w.Grid1->rows(), 2);
        QCOMPARE(w.Grid1->textMatrix(0, 0), QStringLiteral("Date"));
        QCOMPARE(w.Grid1->textMatrix(0, 1), QStringLiteral("Reference"));
        QVERIFY(qAbs(w.Grid1->colWidth(0) - 1700) < 15.5); // whole pixels
        QVERIFY(qAbs(w.Grid1->colWidth(1) - 2000) < 15.5);
        QVERIFY(HoldsOpenBase(&w));
    }

    void aClickOpensTheCardOfTheListedKind()
    {
        Base base;
        addNote(QStringLiteral("SAME.TXT"), {}, QStringLiteral("note"), {});
        addQuote(QStringLiteral("SAME.TXT"), QStringLiteral("R"), QStringLiteral("quote"), {});
        addQuote(QStringLiteral("Q2.TXT"), QStringLiteral("R"), {}, {});
        ShowDateList({{QStringLiteral("4/6/2024"), QStringLiteral("SAME.TXT")},
                         {QString(), QStringLiteral("GONE.TXT")},
                         {QStringLiteral("4/6/2024"), QStringLiteral("Q2.TXT")}});
        FListSel *w = vb::Forms::find<FListSel>();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->Grid1->rows(), 4);

        // Another window left CIT on its reference index; a stale hit waits.
        rsCit.setIndex(QStringLiteral("BibNDX"));
        SearchText = QStringLiteral("old");
        SearchTextPos = 4;
        g_ListKind = QStringLiteral("Cit");
        w->Grid1->setRow(1);
        w->Grid1_Click();
        w->Grid1_Click();
        const QList<CardWindowLink *> quotes = cardwindows::find(CardType::Quote, QStringLiteral("SAME.TXT"));
        QCOMPARE(quotes.size(), 2);
        QCOMPARE(quotes.at(0)->cardNumber(), 1);
        QCOMPARE(quotes.at(1)->cardNumber(), 2);
        QVERIFY(cardwindows::find(CardType::Note, QStringLiteral("SAME.TXT")).isEmpty());
        QCOMPARE(quotes.at(0)->cardForm()->caption(), QStringLiteral(" : '' (1)"));

        // A card gone, the header row, an unknown kind: nothing, silently.
        vb::DialogScript script;
        w->Grid1->setRow(2);
        w->Grid1_Click();
        w->Grid1->setRow(0);
        w->Grid1_Click();
        g_ListKind = QStringLiteral("Other");
        w->Grid1->setRow(3);
        w->Grid1_Click();
        QVERIFY(script.ok());
        QCOMPARE(cardwindows::all().size(), 2);

        g_ListKind = QStringLiteral("Note");
        w->Grid1->setRow(1);
        w->Grid1_Click();
        QCOMPARE(cardwindows::find(CardType::Note, QStringLiteral("SAME.TXT")).size(), 1);

        // A shorter list after a longer one keeps only its own rows.
        ShowDateList({{QString(), QStringLiteral("Q2.TXT")}});
        QCOMPARE(w->Grid1->rows(), 2);
        QCOMPARE(w->Grid1->textMatrix(1, 1), QStringLiteral("Q2.TXT"));
    }

    void clicksOnTheListOpenOnlyTheRowClicked()
    {
        Base base;
        addNote(QStringLiteral("NEW.TXT"), {}, QStringLiteral("newest"), {});
        addNote(QStringLiteral("OLD.TXT"), {}, QStringLiteral("oldest"), {});
        ShowDateList({{QStringLiteral("5/6/2024"), QStringLiteral("NEW.TXT")},
                      {QStringLiteral("4/6/2024"), QStringLiteral("OLD.TXT")}});
        g_ListKind = QStringLiteral("Note");
        FListSel *w = vb::Forms::find<FListSel>();
        QVERIFY(w && w->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(w->window()));

        // The header row names no card: nothing opens, whichever column.
        vb::DialogScript script;
        gridtest::clickHeader(w->Grid1, 1);
        gridtest::clickHeader(w->Grid1, 0);
        QVERIFY(cardwindows::all().isEmpty());
        QVERIFY(script.ok());

        // A row opens its own card.
        gridtest::clickCell(w->Grid1, 2, 1);
        QCOMPARE(cardwindows::all().size(), 1);
        QCOMPARE(cardwindows::all().first()->cardKey(), QStringLiteral("OLD.TXT"));
        gridtest::clickCell(w->Grid1, 1, 0);
        QCOMPARE(cardwindows::all().size(), 2);
        QCOMPARE(cardwindows::all().last()->cardKey(), QStringLiteral("NEW.TXT"));
    }

    void referencesOpenFromTheList()
    {
        Base base;
        addReference(QStringLiteral("Duran__001"), QStringLiteral("Book"), {});
        ShowDateList({{QString(), QStringLiteral("Duran__001")}});
        g_ListKind = QStringLiteral("Bib");
        rsBiblio.setIndex(QStringLiteral("Jour"));
        FListSel *w = vb::Forms::find<FListSel>();
        w->Grid1->setRow(1);
        w->Grid1_Click();
        QCOMPARE(cardwindows::find(CardType::Reference, QStringLiteral("Duran__001")).size(), 1);
        QCOMPARE(OpenReferenceKey, QStringLiteral("Duran__001"));
    }
};

QTEST_MAIN(TestListSel)
#include "tst_listsel.moc"
