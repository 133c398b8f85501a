// The one opener of a set of cards: its question at and around the road's
// threshold, a refusal or a Cancel that changes nothing, the road's resets
// only once the set begins, a Stop, and a keyword's set with its skipped
// links and its "No Match".

#include "CardSetOpener.h"

#include "Alert.h"
#include "Dialogs.h"
#include "Form.h"
#include "MemoryStatus.h"
#include "ProgramState.h"
#include "Start.h"
#include "TestBase.h"
#include "WindowLinks.h"
#include "Working.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

using vb::DialogScript;

namespace {

vb::MemoryStatus memory(qint64 availPhys)
{
    vb::MemoryStatus s;
    s.totalPhys = s.totalVirtual = qint64(1) << 24;
    s.availPhys = availPhys;
    s.availVirtual = qint64(1) << 22;
    return s;
}

// What an opening may change, to be compared before and after.
struct Shared {
    int count;
    QString slotKey;
    int gridRowCount;
    QString cardKind;
    int searchTextPos;
    bool operator==(const Shared &) const = default;
};
Shared shared()
{
    return {NoteCards.count, NoteCards.slot.key, GridRowCount, CardKind, SearchTextPos};
}
char *toString(const Shared &s)
{
    return qstrdup(QStringLiteral("count %1, slot %2, grid %3, kind %4, hit %5")
                       .arg(s.count)
                       .arg(s.slotKey)
                       .arg(s.gridRowCount)
                       .arg(s.cardKind)
                       .arg(s.searchTextPos)
                       .toUtf8()
                       .constData());
}

// A set in use: its count and hand-over, a listing's grid count, a kind.
void setInUse()
{
    NoteCards.count = 4;
    NoteCards.slot.key = QStringLiteral("OPEN0004.TXT");
    GridRowCount = 9;
    CardKind = QStringLiteral("Bib");
    SearchTextPos = 3;
}

void addNote(const QString &key)
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    rsNote.Update();
}

void addLink(const QString &keyword, const QString &key)
{
    rsGrNote.AddNew();
    fldGrNoteGroupe.setValue(keyword);
    fldGrNoteNdx.setValue(key);
    rsGrNote.Update();
}

} // namespace

class TestCardSetOpener : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        windowLinks() = WindowLinks{};
        BeginCardSet(CardType::Note);
        vb::setMemoryStatusSource([] { return memory(qint64(1) << 22); });
    }
    void cleanup()
    {
        vb::setMemoryStatusSource({});
        vb::Forms::unload<Alert>();
        vb::Forms::unload<Working>();
    }

    // Up to the threshold the set opens unasked; one more asks. Cancel, or
    // memory that cannot hold the set, changes nothing: not the open set,
    // its hand-over, the grid count, the kind or the hit.
    void asksAboveTheThresholdAndCancelChangesNothing()
    {
        int begun = 0;
        QList<qsizetype> opened;
        CardSetOpening o;
        o.type = CardType::Note;
        o.question = QStringLiteral("open them all ?");
        o.askAbove = 25;
        o.begun = [&] {
            ++begun;
            // The road's resets run on a set already begun, before any card.
            QCOMPARE(NoteCards.count, 0);
            QVERIFY(opened.isEmpty());
            GridRowCount = 0;
        };
        o.open = [&](qsizetype i) {
            opened << i;
            NextCardSlot(CardType::Note);
            return i != 1; // card 1 is gone
        };

        o.count = 25;
        setInUse();
        {
            DialogScript script; // nothing asked
            QCOMPARE(OpenCardSet(o), std::optional<int>(24));
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(begun, 1);
        QCOMPARE(opened.size(), 25);
        QCOMPARE(GridRowCount, 0);

        o.count = 26;
        opened.clear();
        setInUse();
        const Shared before = shared();
        {
            DialogScript script;
            script.msgBox(vb::vbCancel, QStringLiteral("open them all ?"));
            QVERIFY(!OpenCardSet(o));
            QVERIFY_SCRIPT(script);
            QCOMPARE(script.shown().at(0).buttons, int(vb::vbOKCancel + vb::vbQuestion));
        }
        QCOMPARE(shared(), before);
        QCOMPARE(begun, 1);
        QVERIFY(opened.isEmpty());

        // Free memory for ten cards: refused with its figures, before any
        // question.
        const vb::MemoryStatus small = memory(10 * kCardMemoryKB);
        vb::setMemoryStatusSource([=] { return small; });
        {
            DialogScript script;
            script.msgBox(vb::vbOK, CardSetTooLargeMessage(small, 26));
            QVERIFY(!OpenCardSet(o));
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(shared(), before);
        QVERIFY(opened.isEmpty());

        vb::setMemoryStatusSource([] { return memory(qint64(1) << 22); });
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("open them all ?"));
            QCOMPARE(OpenCardSet(o), std::optional<int>(25));
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(begun, 2);
        QCOMPARE(NoteCards.count, 26);
    }

    // Beyond a small set the cards open in Working; its Stop, pressed while
    // they open, ends the opening after the card that was opening.
    void stopEndsTheOpening()
    {
        CardSetOpening o;
        o.type = CardType::Quote;
        o.count = kCardsWithoutProgress + 10;
        o.askAbove = o.count;
        int opened = 0;
        o.open = [&](qsizetype) {
            ++opened;
            Working *w = vb::Forms::find<Working>();
            if (!w || !w->cmdStop->isVisible())
                return false;
            if (opened == 5)
                QTest::keyClick(w->cmdStop, Qt::Key_Escape);
            return true;
        };
        QCOMPARE(OpenCardSet(o), std::optional<int>(5));
        QCOMPARE(opened, 5);
        QVERIFY(!vb::Forms::isLoaded<Working>());

        // A small set opens without the window.
        o.count = kCardsWithoutProgress;
        opened = 0;
        o.open = [&](qsizetype) {
            ++opened;
            return !vb::Forms::isLoaded<Working>();
        };
        QCOMPARE(OpenCardSet(o), std::optional<int>(kCardsWithoutProgress));
    }

    // A keyword's set: "No Match" only where the road says it, and then the
    // set in use stays; links to deleted cards skipped; the kind and the
    // road's resets only once the set begins; the question of a large set.
    void aKeywordsSet()
    {
        testbase::Base base;
        addNote(QStringLiteral("A.TXT"));
        addNote(QStringLiteral("B.TXT"));
        addLink(QStringLiteral("K"), QStringLiteral("A.TXT"));
        addLink(QStringLiteral("K"), QStringLiteral("GONE.TXT"));
        addLink(QStringLiteral("k"), QStringLiteral("B.TXT"));
        QStringList opened;
        windowLinks().showNoteCard = [&] {
            QCOMPARE(CardKind, QStringLiteral("Note"));
            QCOMPARE(SearchTextPos, 0);
            NextCardSlot(CardType::Note);
            opened << fldNoteCit.Value().toString();
        };

        setInUse();
        const Shared before = shared();
        KeywordCardsRoad road;
        {
            DialogScript script; // nothing said
            QCOMPARE(OpenKeywordCardSet(CardType::Note, QStringLiteral("none"), road), 0);
            QVERIFY_SCRIPT(script);
        }
        road.sayNoMatch = true;
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("No Match"));
            QCOMPARE(OpenKeywordCardSet(CardType::Note, QStringLiteral("none"), road), 0);
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(shared(), before);

        QCOMPARE(OpenKeywordCardSet(CardType::Note, QStringLiteral("K"), road), 2);
        QCOMPARE(opened, (QStringList{QStringLiteral("A.TXT"), QStringLiteral("B.TXT")}));
        QCOMPARE(NoteCards.count, 2);
        QCOMPARE(GridRowCount, 9); // this road keeps it

        road.clearGridCount = true;
        QCOMPARE(OpenKeywordCardSet(CardType::Note, QStringLiteral("K"), road), 2);
        QCOMPARE(GridRowCount, 0);

        // A large set asks with its count and keyword; Cancel keeps all.
        {
            dao::TransactionScope tx;
            for (int i = 0; i <= kCardsWithoutQuestion; ++i) {
                const QString key = QStringLiteral("BIG%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
                addNote(key);
                addLink(QStringLiteral("Big"), key);
            }
            tx.Commit();
        }
        setInUse();
        opened.clear();
        DialogScript script;
        script.msgBox(vb::vbCancel, QStringLiteral("301 cards are filed under 'Big' - open them all ?"));
        QCOMPARE(OpenKeywordCardSet(CardType::Note, QStringLiteral("Big"), road), 0);
        QVERIFY_SCRIPT(script);
        QCOMPARE(shared(), before);
        QVERIFY(opened.isEmpty());
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestCardSetOpener t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_card_set_opener.moc"
