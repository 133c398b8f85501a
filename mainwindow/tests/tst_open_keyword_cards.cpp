// Opening every card of a keyword: the memory guard at and around its
// thresholds, links to deleted cards, a keyword without cards that leaves
// the open set alone, and rows stored under another letter case.

#include "Memory.h"
#include "Alert.h"
#include "Dao.h"
#include "Dialogs.h"
#include "Error.h"
#include "Form.h"
#include "MemoryStatus.h"
#include "OpenKeywordCards.h"
#include "ProgramState.h"
#include "Start.h"
#include "Tabdef.h"
#include "TestBase.h"
#include "WindowLinks.h"
#include "Working.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QtTest>

using vb::DialogScript;

namespace {

using testbase::Base;

void note(const QString &key)
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    rsNote.Update();
}

void link(dao::Recordset rs, const QString &keyword, const QString &key)
{
    rs.AddNew();
    rs.Fields("GROUPE").setValue(keyword);
    rs.Fields("NDX").setValue(key);
    rs.Update();
}

vb::MemoryStatus memory(qint64 availPhys, qint64 availVirtual)
{
    vb::MemoryStatus s;
    s.totalPhys = 1000;
    s.availPhys = availPhys;
    s.totalVirtual = 4000;
    s.availVirtual = availVirtual;
    return s;
}

} // namespace

class TestOpenKeywordCards : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        windowLinks() = WindowLinks{};
        BeginCardSet(CardType::Note);
        vb::setMemoryStatusSource([] { return memory(1 << 20, 1 << 22); });
    }
    void cleanup()
    {
        vb::setMemoryStatusSource({});
        vb::Forms::unload<Alert>();
    }

    void guardThresholds()
    {
        QVERIFY(::MemoryTooShortForCards(memory(49, 1999)));
        QVERIFY(!::MemoryTooShortForCards(memory(49, 2000)));
        QVERIFY(!::MemoryTooShortForCards(memory(50, 1999)));
        // Figures past 32 bits are no shortage.
        QVERIFY(!::MemoryTooShortForCards(memory(qint64(8) << 32, qint64(8) << 32)));
    }

    void shortMemoryOpensNothing()
    {
        Base base;
        note("N1");
        link(rsGrNote, "K", "N1");
        int opened = 0;
        windowLinks().showNoteCard = [&] { ++opened; };
        NoteCards.count = 4;
        CardKind = "Bib";
        vb::setMemoryStatusSource([] { return memory(49, 1999); });
        QCOMPARE(mainwindow::OpenKeywordNotes("K"), 0);
        QCOMPARE(opened, 0);
        QCOMPARE(NoteCards.count, 4);
        QCOMPARE(CardKind, QString("Bib"));
        Alert *a = vb::Forms::find<Alert>();
        QVERIFY(a);
        QCOMPARE(a->Text1->text(), QString(" 95.1 %"));
        QCOMPARE(a->Text2->text(), QString(" 50.025 %"));

        vb::Forms::unload<Alert>();
        vb::setMemoryStatusSource([] { return memory(49, 2000); });
        QCOMPARE(mainwindow::OpenKeywordNotes("K"), 1);
        QVERIFY(!vb::Forms::isLoaded<Alert>());
    }

    void aLargeSetIsJudgedAskedAndMayBeStopped()
    {
        // The figures of the set in question: 30,000 cards are more than 8 GB
        // free can hold; 300 open at once; one more asks.
        QVERIFY(::CardSetTooLarge(memory(qint64(8) << 20, 1 << 22), 30000));
        QVERIFY(!::CardSetTooLarge(memory(qint64(8) << 20, 1 << 22), 300));

        Base base;
        const int total = 400;
        for (int i = 0; i < total; ++i) {
            const QString key = QStringLiteral("BIGS%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
            note(key);
            link(rsGrNote, "Big", key);
        }
        int opened = 0;
        windowLinks().showNoteCard = [&] { ++opened; };
        const QString question = QStringLiteral("400 cards are filed under 'Big' - open them all ?");
        // A set in use: neither a refusal nor Cancel changes it, nor what a
        // new set would reset.
        NoteCards.count = 4;
        NoteCards.slot.key = "OPEN0004.TXT";
        GridRowCount = 9;
        CardKind = "Bib";
        SearchTextPos = 3;
        const auto unchanged = [] {
            QCOMPARE(NoteCards.count, 4);
            QCOMPARE(NoteCards.slot.key, QString("OPEN0004.TXT"));
            QCOMPARE(GridRowCount, 9);
            QCOMPARE(CardKind, QString("Bib"));
            QCOMPARE(SearchTextPos, 3);
        };
        {
            // Free memory for a hundred cards: refused, and said why.
            const vb::MemoryStatus small = memory(100 * ::kCardMemoryKB, 1 << 22);
            vb::setMemoryStatusSource([=] { return small; });
            DialogScript script;
            script.msgBox(vb::vbOK, ::CardSetTooLargeMessage(small, total));
            QCOMPARE(mainwindow::OpenKeywordNotes("Big"), 0);
            QVERIFY_SCRIPT(script);
            QCOMPARE(opened, 0);
            QVERIFY(::CardSetTooLargeMessage(small, total).startsWith("These 400 cards would take about 157 MB"));
            unchanged();
        }
        vb::setMemoryStatusSource([] { return memory(1 << 20, 1 << 22); });
        {
            DialogScript script;
            script.msgBox(vb::vbCancel, question);
            QCOMPARE(mainwindow::OpenKeywordNotes("Big"), 0);
            QVERIFY_SCRIPT(script);
            QCOMPARE(opened, 0);
            unchanged();
        }
        // Opened after OK, in Working: a click on its Stop, arriving while
        // card 50 opens, ends the opening at the next pump (at card 50 at the
        // soonest, however long each card takes); the cards open stay. A
        // click elsewhere meanwhile runs nothing.
        QPushButton elsewhere(QStringLiteral("another command"));
        elsewhere.show();
        int otherCommand = 0;
        connect(&elsewhere, &QPushButton::clicked, [&] { ++otherCommand; });
        auto click = [](QWidget *w) {
            const QPoint at = w->rect().center();
            for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(w, new QMouseEvent(t, at, w->mapToGlobal(at), Qt::LeftButton,
                                                               t == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                             : Qt::NoButton,
                                                               Qt::NoModifier));
        };
        QString stepShown;
        windowLinks().showNoteCard = [&] {
            ++opened;
            if (opened == 50) {
                Working *w = vb::Forms::find<Working>();
                QVERIFY(w && w->isVisible() && w->cmdStop->isVisible());
                stepShown = w->Label1->text() + u'|' + w->Text4->text();
                click(&elsewhere);
                click(w->cmdStop);
            }
            QThread::msleep(2);
        };
        DialogScript script;
        script.msgBox(vb::vbOK, question);
        const int result = mainwindow::OpenKeywordNotes("Big");
        QVERIFY_SCRIPT(script);
        QCOMPARE(stepShown, QStringLiteral("Opening cards...| 400"));
        QVERIFY2(result >= 50 && result < total, qPrintable(QString::number(result)));
        QCOMPARE(result, opened);
        QVERIFY(!vb::Forms::isLoaded<Working>());
        QCoreApplication::processEvents();
        QCOMPARE(otherCommand, 0);
    }

    void deletedCardsAreSkippedAndSlotsCountFromOne()
    {
        Base base;
        note("MART0001.TXT");
        note("MART0003.TXT");
        link(rsGrNote, "K", "MART0001.TXT");
        link(rsGrNote, "K", "GONE0001.TXT");
        link(rsGrNote, "k", "MART0003.TXT");
        link(rsGrNote, "L", "MART0001.TXT");
        NoteCards.count = 7;
        SearchTextPos = 12;
        QList<QPair<int, QString>> opened;
        windowLinks().showNoteCard = [&] {
            opened.append({NextCardSlot(CardType::Note), fldNoteCit.Value().toString()});
            QCOMPARE(SearchTextPos, 0);
        };
        QCOMPARE(mainwindow::OpenKeywordNotes("K"), 2);
        QCOMPARE(opened, (QList<QPair<int, QString>>{{1, "MART0001.TXT"}, {2, "MART0003.TXT"}}));
        QCOMPARE(CardKind, QString("Note"));
    }

    void noMatchLeavesTheOpenSetAlone()
    {
        Base base;
        link(rsGrCit, "Other", "Q1");
        QuoteCards.count = 3;
        int opened = 0;
        windowLinks().showQuoteCard = [&] { ++opened; };
        DialogScript script;
        script.msgBox(vb::vbOK, QString("No Match"));
        QCOMPARE(mainwindow::OpenKeywordQuotes("K"), 0);
        QVERIFY_SCRIPT(script);
        QCOMPARE(QuoteCards.count, 3);
        QCOMPARE(opened, 0);
    }

    void referencesAndTheOptionsInOrder()
    {
        Base base;
        rsBiblio.AddNew();
        fldBiblioNdx.setValue("Li_____001");
        rsBiblio.Update();
        link(rsGrBib, "K", "Li_____001");
        note("N1");
        link(rsGrNote, "K", "N1");
        QStringList order;
        windowLinks().showReferenceCard = [&] { order << "ref:" + OpenReferenceKey; };
        windowLinks().showNoteCard = [&] { order << "note"; };
        mainwindow::OpenKeywordCardsByOptions({true, true, false}, "K");
        QCOMPARE(order, QStringList({"ref:Li_____001", "note"}));
    }

    void outOfMemorySaysSo()
    {
        Base base;
        note("N1");
        link(rsGrNote, "K", "N1");
        windowLinks().showNoteCard = [] { throw vb::Error(7, "Out of memory"); };
        DialogScript script;
        script.msgBox(vb::vbOK, QString("Not enough memory ! Please close some windows !"));
        QCOMPARE(mainwindow::OpenKeywordNotes("K"), 0);
        QVERIFY_SCRIPT(script);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestOpenKeywordCards t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_open_keyword_cards.moc"
