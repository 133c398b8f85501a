// The word-index builders and the two index windows on a real base.

#include "AfficheKW.h"
#include "FlexGrid.h"
#include "InstallWordIndex.h"
#include "ProgramState.h"
#include "TestBase.h"
#include "WindowLinks.h"
#include "WordIndexBuilder.h"
#include "frmMots.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

using namespace wordindex;

namespace {

void addNote(const QString &key, const QVariant &text)
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    fldNoteTexte.setValue(text);
    rsNote.Update();
}

void addQuote(const QString &key, const QString &text)
{
    rsCit.AddNew();
    fldCitCit.setValue(key);
    fldCitTexte.setValue(text);
    rsCit.Update();
}

void deleteNote(const QString &key)
{
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), key);
    QVERIFY(!rsNote.NoMatch());
    rsNote.Delete();
}

// "key:word:count" of every note index row, in stored order.
QStringList noteRows()
{
    QStringList out;
    rsWordsNoteIndex.setIndex(QString());
    if (rsWordsNoteIndex.RecordCount() == 0)
        return out;
    for (rsWordsNoteIndex.MoveFirst(); !rsWordsNoteIndex.Eof(); rsWordsNoteIndex.MoveNext())
        out << fldWordsNoteIndexIndex.Value().toString() + u':' + fldWordsNoteIndexMot.Value().toString() + u':' +
                   fldWordsNoteIndexNbOccurIndex.Value().toString();
    return out;
}

QStringList noteTotals()
{
    QStringList out;
    rsWordsNoteAll.setIndex(QStringLiteral("Mot"));
    if (rsWordsNoteAll.RecordCount() == 0)
        return out;
    for (rsWordsNoteAll.MoveFirst(); !rsWordsNoteAll.Eof(); rsWordsNoteAll.MoveNext())
        out << fldWordsNoteAllMot.Value().toString() + u':' + fldWordsNoteAllOccurences.Value().toString();
    return out;
}

void addIndexRow(const QVariant &word, const QString &key, int count)
{
    rsWordsNoteIndex.AddNew();
    fldWordsNoteIndexMot.setValue(word);
    fldWordsNoteIndexIndex.setValue(key);
    fldWordsNoteIndexNbOccurIndex.setValue(count);
    rsWordsNoteIndex.Update();
}

// Fails on the given row of the run, as a full disk would.
class FailingBuilder : public WordIndexBuilder {
public:
    FailingBuilder(CardType type, int failAt) : WordIndexBuilder(type), m_failAt(failAt) {}

protected:
    void writeRow(const QString &word, const QString &key, int count) override
    {
        if (++m_rows == m_failAt)
            vb::raise(3026, QStringLiteral("Disk full"));
        WordIndexBuilder::writeRow(word, key, count);
    }

private:
    int m_failAt;
    int m_rows = 0;
};

} // namespace

class TestWordIndex : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        m_base = std::make_unique<testbase::Base>();
    }
    void cleanup()
    {
        for (vb::Form *f : vb::Forms::all())
            f->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_base.reset();
    }

    void cardsGetTheirRowsOnce();
    void wordLengthsAtTheLimits();
    void deletedCardsLoseTheirRows();
    void failureLeavesNoPartialCard();
    void totalsAreRebuiltNotAdded();
    void quotesHaveTheirOwnIndex();
    void indexWindowsShowWhatExists();
    void menuCommandsShowTheirWindows();
    void readOnlyBaseIsReported();

private:
    std::unique_ptr<testbase::Base> m_base;
};

void TestWordIndex::cardsGetTheirRowsOnce()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("alpha beta alpha"));
    addNote(QStringLiteral("AAAA0002.TXT"), QVariant());
    addNote(QStringLiteral("AAAA0003.TXT"), QStringLiteral("ab"));
    BuildResult r = WordIndexBuilder(CardType::Note).build();
    QVERIFY(!r.failure);
    QCOMPARE(noteRows(), (QStringList{"AAAA0001.TXT:alpha:2", "AAAA0001.TXT:beta:1"}));
    QCOMPARE(r.cardsIndexed, 1);

    // A second run writes nothing: the card has rows, the others no words.
    r = WordIndexBuilder(CardType::Note).build();
    QCOMPARE(r.rowsWritten, 0);
    QCOMPARE(r.cardsKept, 1);
    QCOMPARE(noteRows().size(), 2);

    // A new card is indexed by the next run.
    addNote(QStringLiteral("AAAA0004.TXT"), QStringLiteral("gamma"));
    r = WordIndexBuilder(CardType::Note).build();
    QCOMPARE(r.rowsWritten, 1);
    QVERIFY(noteRows().contains(QStringLiteral("AAAA0004.TXT:gamma:1")));
}

void TestWordIndex::wordLengthsAtTheLimits()
{
    const QString fifty(50, u'x');
    const QString fiftyOne(51, u'y');
    addNote(QStringLiteral("LONG0001.TXT"), fifty + u' ' + fiftyOne + QStringLiteral(" short"));
    const BuildResult r = WordIndexBuilder(CardType::Note).build();
    QVERIFY(!r.failure);
    QCOMPARE(r.wordsSkipped, 1);
    QCOMPARE(noteRows(), (QStringList{"LONG0001.TXT:short:1", "LONG0001.TXT:" + fifty + ":1"}));
}

void TestWordIndex::deletedCardsLoseTheirRows()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("alpha"));
    addNote(QStringLiteral("BBBB0001.TXT"), QStringLiteral("beta"));
    WordIndexBuilder(CardType::Note).build();
    // A row whose card was never there, and one without a key.
    addIndexRow(QStringLiteral("ghost"), QStringLiteral("ZZZZ0001.TXT"), 3);
    deleteNote(QStringLiteral("AAAA0001.TXT"));
    const BuildResult r = WordIndexBuilder(CardType::Note).build();
    QVERIFY(!r.failure);
    QCOMPARE(r.staleRowsDropped, 2);
    QCOMPARE(noteRows(), QStringList{"BBBB0001.TXT:beta:1"});
}

void TestWordIndex::failureLeavesNoPartialCard()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("one two three"));
    addNote(QStringLiteral("BBBB0001.TXT"), QStringLiteral("four five six"));
    addNote(QStringLiteral("CCCC0001.TXT"), QStringLiteral("seven"));
    // The fifth row is the second word of the second card.
    const BuildResult r = FailingBuilder(CardType::Note, 5).build();
    QVERIFY(r.failure);
    QCOMPARE(r.failure->number(), 3026);
    const QStringList after = noteRows();
    QCOMPARE(after.size(), 3);
    for (const QString &row : after)
        QVERIFY2(row.startsWith(QLatin1String("AAAA0001.TXT:")), qPrintable(row));
    // That first build filled the index from empty: its lookup indexes are
    // there after the failure as after a build.
    rsWordsNoteIndex.setIndex(QStringLiteral("Mot"));
    rsWordsNoteIndex.Seek(QStringLiteral("="), QStringLiteral("TWO"));
    QVERIFY(!rsWordsNoteIndex.NoMatch());
    QCOMPARE(fldWordsNoteIndexIndex.Value().toString(), QStringLiteral("AAAA0001.TXT"));

    // The next run completes what the failure left.
    const BuildResult again = WordIndexBuilder(CardType::Note).build();
    QVERIFY(!again.failure);
    QCOMPARE(again.cardsIndexed, 2);
    QCOMPARE(noteRows().size(), 7);
}

void TestWordIndex::totalsAreRebuiltNotAdded()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("alpha beta alpha The"));
    addNote(QStringLiteral("BBBB0001.TXT"), QStringLiteral("alpha the"));
    WordIndexBuilder(CardType::Note).build();
    addIndexRow(QVariant(), QStringLiteral("BBBB0001.TXT"), 4);
    addIndexRow(QString(45, u'w'), QStringLiteral("BBBB0001.TXT"), 1);

    TotalsResult t = WordIndexBuilder(CardType::Note).aggregate();
    QVERIFY(!t.failure);
    QCOMPARE(t.wordsSkipped, 2);
    const QStringList first = noteTotals();
    QCOMPARE(first, (QStringList{"alpha:3", "beta:1", "The:2"}));
    t = WordIndexBuilder(CardType::Note).aggregate();
    QCOMPARE(noteTotals(), first);

    // An empty index empties the totals.
    rsWordsNoteIndex.setIndex(QString());
    for (rsWordsNoteIndex.MoveFirst(); !rsWordsNoteIndex.Eof(); rsWordsNoteIndex.MoveNext())
        rsWordsNoteIndex.Delete();
    t = WordIndexBuilder(CardType::Note).aggregate();
    QVERIFY(!t.failure);
    QCOMPARE(noteTotals(), QStringList());
}

void TestWordIndex::quotesHaveTheirOwnIndex()
{
    addQuote(QStringLiteral("REFER001.TXT"), QStringLiteral("quoted words quoted"));
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("noted"));
    WordIndexBuilder(CardType::Quote).build();
    QCOMPARE(noteRows(), QStringList());
    QCOMPARE(rsWordsCitIndex.RecordCount(), 2);
    CardKind = QStringLiteral("Cit");
    words::ShowWordIndexWindow();
    AfficheKW *w = vb::Forms::find<AfficheKW>();
    QVERIFY(w);
    QCOMPARE(w->rowsShown(), 2);
    QCOMPARE(w->MSHFlexGrid1->textMatrix(1, 0), QStringLiteral("quoted"));
    QCOMPARE(w->MSHFlexGrid1->textMatrix(1, 2), QStringLiteral("2"));
}

void TestWordIndex::indexWindowsShowWhatExists()
{
    CardKind = QStringLiteral("Note");
    words::ShowWordIndexWindow();
    AfficheKW *w = vb::Forms::find<AfficheKW>();
    QVERIFY(w);
    QCOMPARE(w->rowsShown(), 0);
    QCOMPARE(w->MSHFlexGrid1->rows(), 1);

    {
        dao::TransactionScope tx;
        for (int i = 1; i <= 1500; ++i)
            addIndexRow(QStringLiteral("w%1").arg(i), QStringLiteral("K%1").arg(i % 7), i);
        addIndexRow(QVariant(), QStringLiteral("K0"), 5000);
        tx.Commit();
    }
    // Shown again, it reads the index as it is now.
    words::ShowWordIndexWindow();
    QCOMPARE(w->rowsShown(), 1000);
    QCOMPARE(w->MSHFlexGrid1->rows(), 1001);
    QCOMPARE(w->MSHFlexGrid1->textMatrix(1, 0), QString()); // the row without a word
    QCOMPARE(w->MSHFlexGrid1->textMatrix(1, 2), QStringLiteral("5000"));
    QCOMPARE(w->MSHFlexGrid1->textMatrix(2, 0), QStringLiteral("w1500"));
    QCOMPARE(w->MSHFlexGrid1->textMatrix(1000, 2), QStringLiteral("502"));

    // Another kind shows its own (empty) index; a reference kind shows nothing.
    CardKind = QStringLiteral("Cit");
    words::ShowWordIndexWindow();
    QCOMPARE(w->rowsShown(), 0);
    CardKind = QStringLiteral("Bib");
    words::ShowWordTotalsWindow();
    QCOMPARE(vb::Forms::find<AfficheKWAll>()->rowsShown(), 0);

    // The result table of fGrid is not touched.
    GridRows = {QStringList{QString()}, QStringList{"", "kw", "KEY", "a", "t"}};
    CardKind = QStringLiteral("Note");
    words::ShowWordIndexWindow();
    words::ShowWordTotalsWindow();
    QCOMPARE(GridRows.size(), 2);
    QCOMPARE(GridRows.at(1).at(2), QStringLiteral("KEY"));
}

void TestWordIndex::menuCommandsShowTheirWindows()
{
    InstallWordIndex();
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("alpha alpha beta"));
    CardKind = QStringLiteral("Cit");
    ::IndexAllNotes();
    QCOMPARE(CardKind, QStringLiteral("Note"));
    QVERIFY(vb::Forms::find<frmMots>());
    AfficheKW *w = vb::Forms::find<AfficheKW>();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->rowsShown(), 2);
    ::AllKeywordsNotes();
    AfficheKWAll *t = vb::Forms::find<AfficheKWAll>();
    QVERIFY(t && t->isVisible());
    QCOMPARE(t->MSHFlexGrid1->textMatrix(1, 0), QStringLiteral("alpha"));
    QCOMPARE(t->MSHFlexGrid1->textMatrix(1, 1), QStringLiteral("2"));
    QCOMPARE(t->MSHFlexGrid1->textMatrix(2, 0), QStringLiteral("beta"));
    windowLinks() = WindowLinks();
}

void TestWordIndex::readOnlyBaseIsReported()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("alpha"));
    m_base->reopenReadOnly();
    vb::DialogScript script;
    script.msgBox(vb::vbOK, QStringLiteral("Fichier en lecture seule !"));
    wordindex::IndexAllNotes();
    QVERIFY_SCRIPT(script);
    QCOMPARE(noteRows(), QStringList());
    QVERIFY(vb::Forms::find<AfficheKW>());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    TestWordIndex t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_wordindex.moc"
