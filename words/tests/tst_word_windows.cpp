// The excluded-words window, the analysis and the word window on a real
// base, driven through their commands.

#include "FlexGrid.h"
#include "InstallWords.h"
#include "ProgramState.h"
#include "WindowLinks.h"
#include "WordBase.h"
#include "Working.h"
#include "WordsTestUtil.h"
#include "fChoixMots.h"
#include "fWords.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace wordstest;

namespace {

QStringList listed(const fChoixMots &f)
{
    QStringList out;
    for (int i = 0; i < f.List1->count(); ++i)
        out << f.List1->item(i)->text();
    return out;
}

QStringList column(const vb::FlexGrid *g, int col)
{
    QStringList out;
    for (int r = 1; r < g->rows(); ++r)
        out << g->textMatrix(r, col);
    return out;
}

void analyse(CardType type, const QString &key, const QString &text)
{
    CardKind = AnalysedCardKind = cardKindName(type);
    AnalysedCardKey = key;
    ParseTextWords(text);
}

void clickRow(vb::FlexGrid *g, int row, int col = 0)
{
    g->setRow(row);
    g->setCol(col);
    emit g->click();
}

} // namespace

class TestWordWindows : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        m_base = std::make_unique<testbase::Base>();
        InstallWordWindows();
        m_refills = 0;
        windowLinks().refillKeywordList = [this] { ++m_refills; };
    }
    void cleanup()
    {
        for (vb::Form *f : vb::Forms::all())
            f->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        windowLinks() = WindowLinks();
        m_base.reset();
    }

    void excludedWordsAddedRefusedRemoved();
    void excludedWordsOnReadOnlyBase();
    void analysisOpensAndRefillsTheWordWindow();
    void shortTextOpensNothing();
    void wordExcludeAndApplyAgain();
    void keywordMadeAndAttachedWithAnotherCardActive();
    void wordWindowAfterItsCardClosed();
    void okAnalysesTheSameCardAgain();
    void quoteOkKeepsTheTickAndTheListIsCurrent();
    void attachingAgainWritesNoSecondLink();

private:
    std::unique_ptr<testbase::Base> m_base;
    int m_refills = 0;
};

void TestWordWindows::excludedWordsAddedRefusedRemoved()
{
    fChoixMots &f = vb::Forms::get<fChoixMots>();
    QVERIFY(!f.Check1->isChecked());
    QVERIFY(!f.Command1->isVisible());
    {
        vb::DialogScript s;
        s.inputBox(QStringLiteral("The"), QStringLiteral("Fill in the word you want to add to exclusion list"));
        s.inputBox(QStringLiteral("tHE"));
        s.msgBox(vb::vbOK, QStringLiteral("'tHE' is already in the Exclusion List"));
        s.inputBoxCancel();
        s.inputBox(QString(41, u'x'));
        s.msgBox(vb::vbOK, QStringLiteral("An excluded word cannot be longer than 40 characters"));
        s.inputBox(QStringLiteral("and"));
        for (int i = 0; i < 5; ++i)
            f.Command2_Click();
        QVERIFY_SCRIPT(s);
    }
    QCOMPARE(listed(f), (QStringList{"and", "The"}));
    QCOMPARE(words::excludedWordList(), (QStringList{"and", "The"}));

    // Nothing selected: "Supp" has nothing to remove and asks nothing.
    QVERIFY(!f.Command3->isEnabled());
    f.Command3_Click();
    f.List1->setCurrentRow(1);
    QVERIFY(f.Command3->isEnabled());
    {
        vb::DialogScript s;
        s.msgBox(vb::vbCancel, QStringLiteral("Discard The from Exclusion List ?"));
        s.msgBox(vb::vbOK, QStringLiteral("Discard The from Exclusion List ?"));
        f.Command3_Click();
        QCOMPARE(listed(f).size(), 2);
        f.Command3_Click();
        QVERIFY_SCRIPT(s);
    }
    QCOMPARE(listed(f), QStringList{"and"});
    QCOMPARE(words::excludedWordList(), QStringList{"and"});
    QVERIFY(!f.Command3->isEnabled());

    // A word another window removed meanwhile: the seek finds nothing and
    // nothing else is deleted.
    f.List1->setCurrentRow(0);
    QVERIFY(words::removeExcludedWord(QStringLiteral("and")));
    words::addExcludedWord(QStringLiteral("keep"));
    {
        vb::DialogScript s;
        s.msgBox(vb::vbOK);
        f.Command3_Click();
        QVERIFY_SCRIPT(s);
    }
    QCOMPARE(words::excludedWordList(), QStringList{"keep"});
    QCOMPARE(listed(f), QStringList{"keep"});
}

void TestWordWindows::excludedWordsOnReadOnlyBase()
{
    words::addExcludedWord(QStringLiteral("stay"));
    m_base->reopenReadOnly();
    fChoixMots &f = vb::Forms::get<fChoixMots>();
    f.List1->setCurrentRow(0);
    vb::DialogScript s;
    s.inputBox(QStringLiteral("new"));
    s.msgBox(vb::vbOK, QStringLiteral("Fichier en lecture seule !"));
    s.msgBox(vb::vbOK, QStringLiteral("Discard stay from Exclusion List ?"));
    s.msgBox(vb::vbOK, QStringLiteral("Fichier en lecture seule !"));
    f.Command2_Click();
    f.Command3_Click();
    QVERIFY_SCRIPT(s);
    QCOMPARE(listed(f), QStringList{"stay"});
}

void TestWordWindows::analysisOpensAndRefillsTheWordWindow()
{
    addNote(QStringLiteral("NOTE0001.TXT"), QStringLiteral("x"));
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("alpha beta alpha words word"));
    fWords *w = vb::Forms::find<fWords>();
    QVERIFY(w && w->isVisible());
    QVERIFY(!vb::Forms::find<Working>());
    QCOMPARE(column(w->Grid1, 0), (QStringList{"alpha", "word", "beta", "words"}));
    QCOMPARE(column(w->Grid1, 1), (QStringList{"2", "2", "1", "0"}));
    QCOMPARE(w->Grid1->textMatrix(0, 0), QStringLiteral("Text Term"));
    QCOMPARE(w->Grid2->rows(), 1);

    // A second analysis while it is open refills the same window.
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("gamma"));
    QCOMPARE(vb::Forms::find<fWords>(), w);
    QCOMPARE(column(w->Grid1, 0), QStringList{"gamma"});
    QVERIFY(!vb::Forms::find<Working>());
}

void TestWordWindows::shortTextOpensNothing()
{
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("   ab"));
    QVERIFY(!vb::Forms::find<fWords>());
    QVERIFY(!vb::Forms::find<Working>());
    QCOMPARE(TextWords.size(), 1);
}

void TestWordWindows::wordExcludeAndApplyAgain()
{
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("alpha alpha alpha beta beta gamma"));
    fWords *w = vb::Forms::find<fWords>();
    // Header row current: nothing is excluded.
    w->Grid1->setRow(0);
    w->Command1_Click();
    QCOMPARE(words::excludedWordList(), QStringList());

    clickRow(w->Grid1, 2);
    w->Command1_Click();
    QCOMPARE(words::excludedWordList(), QStringList{"beta"});
    QCOMPARE(column(w->Grid1, 0), (QStringList{"alpha", "gamma", "gamma"}));
    w->Command2_Click();
    QCOMPARE(column(w->Grid1, 0), (QStringList{"alpha", "gamma"}));
    QCOMPARE(TextWords.mid(1), (QStringList{"alpha", "gamma"}));
}

void TestWordWindows::keywordMadeAndAttachedWithAnotherCardActive()
{
    addNote(QStringLiteral("NOTE0001.TXT"), QStringLiteral("x"));
    addNote(QStringLiteral("NOTE0002.TXT"), QStringLiteral("y"));
    testbase::Base::keyword(QStringLiteral("Physics"));
    linkNote(QStringLiteral("NOTE0001.TXT"), QStringLiteral("Physics"));
    auto *analysed = vb::Forms::create<FakeCard>(CardType::Note, QStringLiteral("NOTE0001.TXT"), QString());
    auto *other = vb::Forms::create<FakeCard>(CardType::Note, QStringLiteral("NOTE0002.TXT"), QString());

    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"),
            QStringLiteral("compUTER compUTER physics physics physics sun"));
    fWords *w = vb::Forms::find<fWords>();
    QCOMPARE(column(w->Grid2, 0), QStringList{"Physics"});
    QCOMPARE(column(w->Grid3, 0), QStringList{"Physics"});
    QCOMPARE(column(w->Grid3, 1), QStringList{"3"});

    // Another card becomes active: the shared state moves away.
    CardKind = QStringLiteral("Cit");
    AnalysedCardKey = QStringLiteral("NOTE0002.TXT");
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("NOTE0002.TXT"));

    // The count cell of a row selects that row's word; the header selects none.
    clickRow(w->Grid1, 0, 1);
    QCOMPARE(w->selectedWord(), QString());
    w->Command3_Click(); // nothing selected: nothing asked
    clickRow(w->Grid1, 2, 1);
    QCOMPARE(w->selectedWord(), QStringLiteral("compUTER"));
    {
        vb::DialogScript s;
        s.msgBox(vb::vbOK, QStringLiteral("Add 'Computer' as KeyWord ?"));
        w->Command3_Click();
        QVERIFY_SCRIPT(s);
    }
    QCOMPARE(testbase::Base::storedKeywords(), (QStringList{"Computer", "Physics"}));
    QCOMPARE(m_refills, 1);
    QCOMPARE(column(w->Grid2, 0), (QStringList{"Physics", "Computer"}));

    // The same keyword in another letter case is refused.
    clickRow(w->Grid1, 1);
    {
        vb::DialogScript s;
        s.msgBox(vb::vbOK, QStringLiteral("'Physics' is already a Keyword"));
        w->Command3_Click();
        QVERIFY_SCRIPT(s);
    }
    QCOMPARE(testbase::Base::storedKeywords().size(), 2);

    // Attaching writes to the analysed card and refreshes it in place.
    w->Grid2->setRow(2);
    w->Command4_Click();
    QCOMPARE(noteLinks(QStringLiteral("NOTE0001.TXT")), (QStringList{"Physics/", "Computer/2"}));
    QCOMPARE(noteLinks(QStringLiteral("NOTE0002.TXT")), QStringList());
    QCOMPARE(rsGrCit.RecordCount(), 0);
    QCOMPARE(analysed->reloads, 1);
    QCOMPARE(other->reloads, 0);
    QVERIFY(analysed->isLoaded() && other->isLoaded());
    QCOMPARE(column(w->Grid3, 0), (QStringList{"Physics", "Computer"}));

    // All keywords at once: the card has both already, nothing is written.
    w->Command5_Click();
    QCOMPARE(noteLinks(QStringLiteral("NOTE0001.TXT")), (QStringList{"Physics/", "Computer/2"}));
    QCOMPARE(analysed->reloads, 1);
}

void TestWordWindows::wordWindowAfterItsCardClosed()
{
    addNote(QStringLiteral("NOTE0001.TXT"), QStringLiteral("x"));
    testbase::Base::keyword(QStringLiteral("Alpha"));
    testbase::Base::keyword(QStringLiteral("Beta"));
    linkNote(QStringLiteral("NOTE0001.TXT"), QStringLiteral("Alpha"));
    auto *card = vb::Forms::create<FakeCard>(CardType::Note, QStringLiteral("NOTE0001.TXT"), QString());
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("alpha beta"));
    fWords *w = vb::Forms::find<fWords>();
    QCOMPARE(w->Grid3->rows(), 2);

    card->unload();
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("alpha beta"));
    QCOMPARE(w->Grid3->rows(), 1);
    // The record is still there: the link is written.
    w->Grid2->setRow(2);
    w->Command4_Click();
    QCOMPARE(noteLinks(QStringLiteral("NOTE0001.TXT")).size(), 2);

    // Once the record is gone nothing is written.
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("NOTE0001.TXT"));
    rsNote.Delete();
    vb::DialogScript s;
    s.msgBox(vb::vbOK, QStringLiteral("The analysed card no longer exists"));
    w->Command4_Click();
    QVERIFY_SCRIPT(s);
    QCOMPARE(noteLinks(QStringLiteral("NOTE0001.TXT")).size(), 2);
}

void TestWordWindows::okAnalysesTheSameCardAgain()
{
    addNote(QStringLiteral("NOTE0001.TXT"), QStringLiteral("stored text stored"));
    addNote(QStringLiteral("NOTE0002.TXT"), QStringLiteral("other other other"));
    auto *card = vb::Forms::create<FakeCard>(CardType::Note, QStringLiteral("NOTE0001.TXT"),
                                             QStringLiteral("edited edited to"));
    analyse(CardType::Note, QStringLiteral("NOTE0001.TXT"), QStringLiteral("edited edited to"));
    fWords *w = vb::Forms::find<fWords>();
    QCOMPARE(column(w->Grid1, 0), QStringList{"edited"});

    // Another note becomes current before OK.
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("NOTE0002.TXT"));
    AnalysedCardKey = QStringLiteral("NOTE0002.TXT");
    w->Command6_Click();
    fChoixMots *f = vb::Forms::find<fChoixMots>();
    QVERIFY(f && f->isVisible() && f->Command1->isVisible());
    f->Check1->setChecked(true);
    f->Command1_Click();
    QVERIFY(!vb::Forms::find<fChoixMots>());
    QCOMPARE(vb::Forms::find<fWords>(), w);
    QCOMPARE(w->analysedKey(), QStringLiteral("NOTE0001.TXT"));
    QCOMPARE(column(w->Grid1, 0), (QStringList{"edited", "to"}));

    // With the card closed, its stored text is analysed.
    card->unload();
    w->Command6_Click();
    vb::Forms::find<fChoixMots>()->Command1_Click();
    QCOMPARE(column(w->Grid1, 0), (QStringList{"stored", "text"}));
}

// A quote's analysis loads the excluded-words window hidden and unticked;
// what the user ticks there afterwards holds for its OK, and the window
// shows a word just excluded from the word window.
void TestWordWindows::quoteOkKeepsTheTickAndTheListIsCurrent()
{
    addQuote(QStringLiteral("DURAN001.TXT"), QStringLiteral("alpha alpha alpha beta beta gamma"));
    auto *card = vb::Forms::create<FakeCard>(CardType::Quote, QStringLiteral("DURAN001.TXT"),
                                             QStringLiteral("alpha alpha alpha beta beta gamma"));
    analyse(CardType::Quote, QStringLiteral("DURAN001.TXT"), card->cardPlainText());
    fChoixMots *f = vb::Forms::find<fChoixMots>();
    QVERIFY(f && !f->isVisible() && !f->Check1->isChecked());
    fWords *w = vb::Forms::find<fWords>();
    QCOMPARE(column(w->Grid1, 0), (QStringList{"alpha", "beta", "gamma"}));

    clickRow(w->Grid1, 1);
    QTest::mouseClick(w->Command1, Qt::LeftButton); // Word Exclude
    QCOMPARE(words::excludedWordList(), QStringList{"alpha"});
    QTest::mouseClick(w->Command6, Qt::LeftButton); // Exclusion List Parameters
    QCOMPARE(vb::Forms::find<fChoixMots>(), f);
    QVERIFY(f->isVisible());
    QCOMPARE(listed(*f), QStringList{"alpha"});

    // Ticked by the user: OK analyses with every word.
    QTest::mouseClick(f->Check1, Qt::LeftButton, {}, QPoint(8, f->Check1->height() / 2));
    QVERIFY(f->Check1->isChecked());
    QTest::mouseClick(f->Command1, Qt::LeftButton);
    QVERIFY(!vb::Forms::find<fChoixMots>());
    QCOMPARE(column(w->Grid1, 0), (QStringList{"alpha", "beta", "gamma"}));

    // Not ticked: the excluded word stays out.
    QTest::mouseClick(w->Command6, Qt::LeftButton);
    QTest::mouseClick(vb::Forms::find<fChoixMots>()->Command1, Qt::LeftButton);
    QCOMPARE(column(w->Grid1, 0), (QStringList{"beta", "gamma"}));
}

// "Attach keyword to card" clicked twice, and "attach all" after it, file
// the card once under each keyword, for notes and quotes alike; the card
// is refreshed only when something was written.
void TestWordWindows::attachingAgainWritesNoSecondLink()
{
    testbase::Base::keyword(QStringLiteral("Physics"));
    testbase::Base::keyword(QStringLiteral("Sun"));
    const QString text = QStringLiteral("physics physics physics sun sun moon");
    for (CardType type : {CardType::Note, CardType::Quote}) {
        const QString key = type == CardType::Note ? QStringLiteral("NOTE0001.TXT") : QStringLiteral("DURAN001.TXT");
        if (type == CardType::Note)
            addNote(key, text);
        else
            addQuote(key, text);
        auto *card = vb::Forms::create<FakeCard>(type, key, text);
        analyse(type, key, text);
        fWords *w = vb::Forms::find<fWords>();
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w->window()));
        QCOMPARE(column(w->Grid2, 0), (QStringList{"Physics", "Sun"}));

        w->Grid2->setRow(1);
        QTest::mouseClick(w->Command4, Qt::LeftButton);
        QTest::mouseClick(w->Command4, Qt::LeftButton);
        QTest::mouseDClick(w->Command4, Qt::LeftButton);
        QCOMPARE(words::cardKeywords(type, key), QStringList{"Physics"});
        QCOMPARE(column(w->Grid3, 0), QStringList{"Physics"});
        QCOMPARE(card->reloads, 1);

        QTest::mouseClick(w->Command5, Qt::LeftButton);
        QTest::mouseClick(w->Command5, Qt::LeftButton);
        QStringList links = words::cardKeywords(type, key);
        links.sort();
        QCOMPARE(links, (QStringList{"Physics", "Sun"}));
        QCOMPARE(column(w->Grid3, 0), (QStringList{"Physics", "Sun"}));
        QCOMPARE(card->reloads, 2);
        card->unload();
    }
    QCOMPARE(rsGrNote.RecordCount(), 2);
    QCOMPARE(rsGrCit.RecordCount(), 2);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    TestWordWindows t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_word_windows.moc"
