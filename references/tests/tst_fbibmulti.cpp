// The reference card in a real window on a real base: what it shows, its
// commands, the complete references view, the first-edition dialog, the set
// opener of its keyword grid and its close question.

#include "CardWindows.h"
#include "CommonControls.h"
#include "DaoErrors.h"
#include "FlexGrid.h"
#include "Form.h"
#include "GridClicks.h"
#include "InstallReferences.h"
#include "Memory.h"
#include "MemoryStatus.h"
#include "Palvex_Ctl.h"
#include "ProgramState.h"
#include "RefTestBase.h"
#include "ReferenceRecords.h"
#include "ReferenceRules.h"
#include "RichTextBox.h"
#include "Twips.h"
#include "WindowClicks.h"
#include "WindowLinks.h"
#include "fBibMulti.h"
#include "fFirstEdit.h"
#include "Alert.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStyleOptionTitleBar>
#include <QPushButton>
#include <QtTest>

using namespace reftest;

namespace {

// What the card opener does for the record BIBLIO stands on.
fBibMulti *openCurrentReference()
{
    const QString key = fldBiblioNdx.Value().toString();
    const QString title = fldBiblioTitre1.Value().toString();
    NextCardSlot(CardType::Reference);
    CardSlot &s = ReferenceCards.slot;
    s.key = key;
    s.title = title;
    s.authors = references::ReadReferenceAuthors(key);
    s.keywords = references::ReadReferenceKeywords(key);
    CardWindowLink *card = windowLinks().createReferenceWindow();
    auto *f = static_cast<fBibMulti *>(card->cardForm());
    f->show();
    return f;
}

fBibMulti *openCard(const QString &key)
{
    references::SeekReference(key);
    return openCurrentReference();
}

using gridtest::column;

bool near(double a, double b) { return qAbs(a - b) <= 15; }

// Every shown frame of the card lies whole above its status bar.
bool framesWhole(fBibMulti *f)
{
    for (QWidget *w : std::initializer_list<QWidget *>{f->FrameCommands, f->FrameQuotes, f->FrameBook,
                                                      f->FrameArticle, f->FrameOther})
        if (w->isVisibleTo(f->client()) && vb::topOf(w) + vb::heightOf(w) > f->clientRoom() + 1)
            return false;
    return true;
}

void clickSwitch(fBibMulti *f, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *w = f->SwitchCompleteRefs.widget();
    QVERIFY(w);
    QTest::mouseClick(w, button, {}, w->rect().center());
}

QString switchCaption(fBibMulti *f) { return f->SwitchCompleteRefs.get(Palvex_Ctl::DISPID_Caption).toString(); }
int switchPosition(fBibMulti *f) { return f->SwitchCompleteRefs.get(Palvex_Ctl::DISPID_Position).toInt(); }

void selectRowOf(vb::FlexGrid *g, const QString &text)
{
    for (int i = 0; i < g->rows(); ++i)
        if (g->textMatrix(i, 0) == text) {
            g->setRow(i);
            g->setCol(0);
            return;
        }
    QFAIL("row not found");
}

const QString kQuestion = QStringLiteral("The data have changed - do you want save?");
const QString kGone = QStringLiteral("This reference is no longer in the base.");
const QString kChangedHere = QStringLiteral(
    "This reference was changed in the base since it was read here (in another window or by another "
    "program).\n\nReplace those changes with what this window holds?");

// The middle of a button of a child window's title bar, in the main
// window's own coordinates.
QPoint titleBarButton(QMdiSubWindow *sub, QStyle::SubControl which)
{
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.titleBarFlags = sub->windowFlags();
    option.titleBarState = sub->windowState();
    option.subControls = QStyle::SC_All;
    option.rect = QRect(0, 0, sub->width(),
                        sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub));
    const QRect r = sub->style()->subControlRect(QStyle::CC_TitleBar, &option, which, sub);
    if (r.isEmpty())
        return {};
    return sub->mapTo(sub->window(), r.center());
}

} // namespace

class TestBibMulti : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadShowsTheCard();
    void foreignTypeShownAndKept();
    void deleteTheMiddleCardOfASet();
    void deleteAsksAndRefusesWhileQuotesExist();
    void deletedArticleDoesNotReachANewReference();
    void closeQuestionStoresBookAndArticle();
    void completeViewAfterAnUnsavedTitleEdit();
    void noEditNoQuestion();
    void firstEditionStaysWithTheCardThatAsked();
    void firstEditionGoesWithItsReference();
    void firstEditionAsksBeforeServingAnotherCard();
    void publisherTownLongerThanItsBox();
    void bookFrameReadAgainWhenNothingUnsaved();
    void addQuoteWithALongTitle();
    void yearBoxHoldingText();
    void failedStoreFromTheQuestionKeepsTheCard();
    void keywordsChangeOnlyOnTheirCard();
    void keywordRemovalThroughSupp();
    void addHandsTheCardToTheChooser();
    void switchViewsAndGeometry();
    void closeButtonsKeepTheHeight();
    void setOpenerOpensEveryReferenceOfTheKeyword();
    void memoryGuardOpensNothing();
    void aLargeSetAsksBeforeAnythingChanges();
    void publisherList();
    void unstoredBoxesTakeNoTyping();
    void statusTexts();
    void aKeyTakenByANewReferenceIsNotThisCard();
    void aStoreOverAnotherCardsStoreAsks();
    void minimisedFromItsTitleBar();

private:
    std::unique_ptr<Base> m_base;
    QStringList m_log;
};

void TestBibMulti::initTestCase()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    vb::Forms::setProgramEndHandler([] {});
}

void TestBibMulti::init()
{
    ResetProgramState();
    m_base = std::make_unique<Base>();
    m_log.clear();
    windowLinks() = WindowLinks();
    InstallReferenceWindows();
    windowLinks().showQuoteCard = [this] { m_log << QStringLiteral("quote ") + fldCitCit.Value().toString(); };
    windowLinks().dropDeletedCard = [this](CardType t, const QString &key) {
        m_log << QStringLiteral("drop ") + cardKindName(t) + QLatin1Char(' ') + key;
    };
    windowLinks().showReferenceCard = [] { openCurrentReference(); };
    vb::setMemoryStatusSource({});
}

void TestBibMulti::cleanup()
{
    for (vb::Form *f : vb::Forms::all()) {
        if (auto *card = qobject_cast<fBibMulti *>(f))
            card->closeWithoutAsking();
        else
            f->unload();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    windowLinks() = WindowLinks();
    vb::setMemoryStatusSource({});
    m_base.reset();
}

void TestBibMulti::loadShowsTheCard()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("Memory and time"), QStringLiteral("Book"),
              {QStringLiteral("Durand"), QStringLiteral("Dupont")});
    references::SeekReference(QStringLiteral("Durand_001"));
    rsBiblio.Edit();
    fldBiblioTitre2.setValue(QStringLiteral("A study"));
    rsBiblio.Update();
    for (const char *k : {"cedar", "Birch", "birch"})
        link(QStringLiteral("Durand_001"), QString::fromLatin1(k));
    quote(QStringLiteral("DURAN001.TXT"), QStringLiteral("Durand_001"), {QStringLiteral("k1"), QStringLiteral("k2")});
    quote(QStringLiteral("DURAN002.TXT"), QStringLiteral("Durand_001"));
    windowLinks().selectedKeyword = [] { return QStringLiteral("Memory"); };
    BeginCardSet(CardType::Reference);
    NextCardSlot(CardType::Reference);
    NextCardSlot(CardType::Reference);

    fBibMulti *f = openCard(QStringLiteral("Durand_001"));
    QCOMPARE(f->caption(), QStringLiteral("Durand : Memory (3)"));
    QCOMPARE(f->tag(), QStringLiteral("Durand_001"));
    QCOMPARE(f->cardNumber(), 3);
    QCOMPARE(f->FenNum->text(), QStringLiteral("3"));
    QVERIFY(!f->FenNum->isVisible());
    QCOMPARE(column(f->cgAutBib), (QStringList{"Durand", "Dupont"}));
    QCOMPARE(f->cBibTitre1->text(), QStringLiteral("Memory and time"));
    QCOMPARE(f->cBibTitre2->text(), QStringLiteral("A study"));
    QCOMPARE(f->ComboType->currentText(), QStringLiteral("Book"));
    QCOMPARE(f->ComboType->count(), 13);
    QCOMPARE(column(f->cgMCBib), (QStringList{"Birch", "birch", "cedar"}));
    QCOMPARE(column(f->cgBibCit, 0), (QStringList{"k1", "k2", ""}));
    QCOMPARE(column(f->cgBibCit, 1), (QStringList{"DURAN001.TXT", "DURAN001.TXT", "DURAN002.TXT"}));
    QVERIFY(!f->DataChanged());
    QVERIFY(!f->CompleteView());
    QCOMPARE(CardKind, QStringLiteral("Bib"));
    QVERIFY(near(f->width(), 8430));
    QVERIFY(near(f->height(), 6470));
    QCOMPARE(cardwindows::find(CardType::Reference, QStringLiteral("DURAND_001")),
             QList<CardWindowLink *>{f});
    QCOMPARE(switchCaption(f), QStringLiteral("Complete Refs"));
    QCOMPARE(switchPosition(f), int(Palvex_Ctl::up));

    // A reference without keywords or quotes shows empty grids.
    reference(QStringLiteral("Bare_001"), QStringLiteral("Bare"));
    fBibMulti *bare = openCard(QStringLiteral("Bare_001"));
    QCOMPARE(bare->cgMCBib->rows(), 0);
    QCOMPARE(bare->cgBibCit->rows(), 0);
    QCOMPARE(bare->ComboType->currentText(), QStringLiteral("No Type"));
}

void TestBibMulti::foreignTypeShownAndKept()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Thesis"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    QCOMPARE(f->ComboType->currentText(), QStringLiteral("Thesis"));
    QTest::keyClicks(f->cBibTitre1, QStringLiteral("!"));
    f->CommandStore_Click();
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("Type")).toString(), QStringLiteral("Thesis"));
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T!"));
    // Storing does not clear the mark: closing still asks.
    QVERIFY(f->DataChanged());

    // A base without types gives an empty combo, and the card still loads.
    rsTypes.setIndex(QStringLiteral("TYPE"));
    while (rsTypes.RecordCount() > 0) {
        rsTypes.MoveFirst();
        rsTypes.Delete();
    }
    reference(QStringLiteral("B_001"), QStringLiteral("T"));
    fBibMulti *g = openCard(QStringLiteral("B_001"));
    QCOMPARE(g->ComboType->count(), 0);
    QCOMPARE(g->ComboType->currentText(), QString());
    QVERIFY(!g->DataChanged());
}

void TestBibMulti::deleteTheMiddleCardOfASet()
{
    for (const char *k : {"A_001", "B_001", "C_001"})
        reference(QString::fromLatin1(k), QStringLiteral("T"), {}, {QStringLiteral("Au")});
    link(QStringLiteral("B_001"), QStringLiteral("Memory"));
    BeginCardSet(CardType::Reference);
    QPointer<fBibMulti> a = openCard(QStringLiteral("A_001"));
    QPointer<fBibMulti> b = openCard(QStringLiteral("B_001"));
    QPointer<fBibMulti> c = openCard(QStringLiteral("C_001"));
    QPointer<fBibMulti> b2 = openCard(QStringLiteral("B_001"));
    // Unsaved edits on the other cards must not be asked about.
    QTest::keyClicks(a->cBibTitre1, QStringLiteral("x"));
    QTest::keyClicks(c->cBibTitre1, QStringLiteral("x"));

    b->show();
    vb::DialogScript script;
    script.msgBox(vb::vbOK, QStringLiteral("Confirm that you want to delete this card ?"));
    b->CmdDelete_Click();
    QVERIFY_SCRIPT(script);
    QVERIFY(a && a->isLoaded());
    QVERIFY(c && c->isLoaded());
    QVERIFY(!b || !b->isLoaded());
    QVERIFY(!b2 || !b2->isLoaded());
    QCOMPARE(biblio(QStringLiteral("B_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("<gone>"));
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("B_001")), 0);
    QCOMPARE(m_log, QStringList{QStringLiteral("drop Bib B_001")});
    QVERIFY(cardwindows::find(CardType::Reference, QStringLiteral("B_001")).isEmpty());
    // The set's count is not a slot allocator to give back.
    QCOMPARE(ReferenceCards.count, 4);
    // The cards left work on their own rows.
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
    a->CommandStore_Click();
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("Tx"));
    QCOMPARE(biblio(QStringLiteral("C_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
}

void TestBibMulti::deleteAsksAndRefusesWhileQuotesExist()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"));
    quote(QStringLiteral("A_001001.TXT"), QStringLiteral("A_001"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbCancel, QStringLiteral("Confirm that you want to delete this card ?"));
        f->CmdDelete_Click();
        QVERIFY_SCRIPT(script);
    }
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, QStringLiteral("Confirm that you want to delete this card ?"))
            .msgBox(vb::vbOK, QStringLiteral("Quotes belong to this reference. Please delete these quotes first"));
        f->CmdDelete_Click();
        QVERIFY_SCRIPT(script);
    }
    QVERIFY(f->isLoaded());
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
    QVERIFY(m_log.isEmpty());

    // Read-only: said so, nothing deleted, the card stays.
    rsCit.setIndex(QStringLiteral("CitNDX"));
    rsCit.Seek(QStringLiteral("="), QStringLiteral("A_001001.TXT"));
    rsCit.Delete();
    m_base->reopenReadOnly();
    vb::DialogScript script;
    script.msgBox(vb::vbOK, QStringLiteral("Confirm that you want to delete this card ?"))
        .msgBox(vb::vbOK, QStringLiteral("Fichier en lecture seule !"));
    f->CmdDelete_Click();
    QVERIFY_SCRIPT(script);
    QCOMPARE(script.shown().at(1).buttons, int(vb::vbExclamation));
    QVERIFY(f->isLoaded());
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
}

void TestBibMulti::deletedArticleDoesNotReachANewReference()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("Old"), QStringLiteral("Article"));
    article(QStringLiteral("Durand_001"), QStringLiteral("Nature"), 1999);
    fBibMulti *f = openCard(QStringLiteral("Durand_001"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK);
        f->CmdDelete_Click();
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("Durand_001")), 0);
    reference(QStringLiteral("Durand_001"), QStringLiteral("New"), QStringLiteral("Article"));
    fBibMulti *g = openCard(QStringLiteral("Durand_001"));
    clickSwitch(g);
    QVERIFY(g->FrameArticle->isVisible());
    QCOMPARE(g->ComboReview->currentText(), QString());
    QCOMPARE(g->ArticleYear->text(), QString());
}

void TestBibMulti::closeQuestionStoresBookAndArticle()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    QPointer<fBibMulti> f = openCard(QStringLiteral("A_001"));
    clickSwitch(f);
    QVERIFY(f->FrameBook->isVisible());
    QTest::keyClicks(f->ISBN, QStringLiteral("978"));
    QTest::keyClicks(f->Town, QStringLiteral("Lyon"));
    clickSwitch(f);
    f->ComboType->setFocus();
    f->ComboType->lineEdit()->selectAll();
    QTest::keyClicks(f->ComboType->lineEdit(), QStringLiteral("Article"));
    clickSwitch(f);
    QVERIFY(f->FrameArticle->isVisible());
    QTest::keyClicks(f->ArticlePages, QStringLiteral("1-9"));
    QTest::keyClicks(f->ArticleNumber, QStringLiteral("12"));

    vb::DialogScript script;
    script.msgBox(vb::vbOK, kQuestion);
    QVERIFY(f->unload());
    QVERIFY_SCRIPT(script);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("Type")).toString(), QStringLiteral("Article"));
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("ISBN")).toString(), QStringLiteral("978"));
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("LIEU")).toString(), QStringLiteral("Lyon"));
    references::ArticleDetails a;
    references::ReadArticleDetails(QStringLiteral("A_001"), a);
    QCOMPARE(a.pages, QStringLiteral("1-9"));
    QCOMPARE(a.number, QStringLiteral("12"));
}

void TestBibMulti::completeViewAfterAnUnsavedTitleEdit()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    QPointer<fBibMulti> f = openCard(QStringLiteral("A_001"));
    QTest::keyClicks(f->cBibTitre1, QStringLiteral("2"));
    clickSwitch(f);
    QVERIFY(f->DataChanged());
    clickSwitch(f);
    QVERIFY(f->DataChanged());
    vb::DialogScript script;
    script.msgBox(vb::vbOK, kQuestion);
    QVERIFY(f->unload());
    QVERIFY_SCRIPT(script);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T2"));
}

void TestBibMulti::noEditNoQuestion()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"), {QStringLiteral("Au")});
    references::SeekReference(QStringLiteral("A_001"));
    rsBiblio.Edit();
    fldBiblioIsbn.setValue(QStringLiteral("111"));
    rsBiblio.Update();
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    clickSwitch(f);
    QCOMPARE(f->ISBN->text(), QStringLiteral("111"));
    clickSwitch(f);
    vb::DialogScript script; // nothing may be asked
    QVERIFY(f->unload());
    QVERIFY_SCRIPT(script);
}

void TestBibMulti::firstEditionStaysWithTheCardThatAsked()
{
    publisher(QStringLiteral("Gallimard"), QStringLiteral("Paris"));
    reference(QStringLiteral("A_001"), QStringLiteral("TA"), QStringLiteral("Book"));
    reference(QStringLiteral("B_001"), QStringLiteral("TB"), QStringLiteral("Book"));
    references::SeekReference(QStringLiteral("B_001"));
    rsBiblio.Edit();
    fldBiblioDateOrig.setValue(1888);
    rsBiblio.Update();
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    fBibMulti *b = openCard(QStringLiteral("B_001"));
    a->show();
    clickSwitch(a);
    a->CommandBookOriginal_Click();
    fFirstEdit *d = vb::Forms::find<fFirstEdit>();
    QVERIFY(d);
    QCOMPARE(d->caption(), QStringLiteral("First Edition"));
    QVERIFY(near(d->width(), 4800));
    QVERIFY(near(d->height(), 3915));
    QCOMPARE(d->referenceKey(), QStringLiteral("A_001"));
    QCOMPARE(d->tDateOrig->text(), QString());
    QCOMPARE(d->Combo1->count(), 1);
    // Placed over the asking card's book details.
    QVERIFY(near(d->left(), a->left() + 2640));
    QVERIFY(near(d->top(), a->top() + 3240));

    // Another card becomes active: the dialog still stores to its own.
    b->show();
    QCOMPARE(fldBiblioNdx.Value().toString(), QStringLiteral("B_001"));
    d->tDateOrig->setText(QStringLiteral("1920"));
    d->tTitreOrig->setPlainText(QStringLiteral("Orig"));
    d->Combo1->setCurrentIndex(0);
    d->Combo1_Click();
    QCOMPARE(d->tLieuOrig->text(), QStringLiteral("Paris"));
    QVERIFY(d->Command1_Click());
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("DATE_ORIG")).toInt(), 1920);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE_ORI")).toString(), QStringLiteral("Orig"));
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("LIEU_ORIG")).toString(), QStringLiteral("Paris"));
    QCOMPARE(biblio(QStringLiteral("B_001"), QStringLiteral("DATE_ORIG")).toInt(), 1888);
    QVERIFY(!biblio(QStringLiteral("B_001"), QStringLiteral("TITRE_ORI")).isValid());
    QVERIFY(d->isLoaded());

    // Asked by the other card, it shows that card's first edition.
    clickSwitch(b);
    b->CommandBookOriginal_Click();
    QCOMPARE(vb::Forms::find<fFirstEdit>(), d);
    QCOMPARE(d->referenceKey(), QStringLiteral("B_001"));
    QCOMPARE(d->tDateOrig->text(), QStringLiteral("1888"));

    // A date that is no year is refused by name.
    d->tDateOrig->setText(QStringLiteral("12a"));
    vb::DialogScript script;
    script.msgBox(vb::vbOK);
    QVERIFY(!d->Command1_Click());
    QVERIFY_SCRIPT(script);
    QVERIFY(script.shown().at(0).prompt.contains(QStringLiteral("\"Date\"")));
    QCOMPARE(biblio(QStringLiteral("B_001"), QStringLiteral("DATE_ORIG")).toInt(), 1888);
    d->Command2_Click();
    QVERIFY(!vb::Forms::isLoaded<fFirstEdit>());
}

namespace {

void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

void setBiblio(const QString &key, const char *field, const QVariant &value)
{
    references::SeekReference(key);
    rsBiblio.Edit();
    rsBiblio.Fields(QString::fromLatin1(field)).setValue(value);
    rsBiblio.Update();
}

} // namespace

void TestBibMulti::firstEditionGoesWithItsReference()
{
    reference(QStringLiteral("A_001"), QStringLiteral("TA"), QStringLiteral("Book"));
    QPointer<fBibMulti> a = openCard(QStringLiteral("A_001"));
    clickSwitch(a);
    click(a->CommandBookOriginal);
    QPointer<fFirstEdit> d = vb::Forms::find<fFirstEdit>();
    QVERIFY(d);
    QTest::keyClicks(d->tTitreOrig, QStringLiteral("Old edition"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, QStringLiteral("Confirm that you want to delete this card ?"));
        click(a->CmdDelete);
        QVERIFY_SCRIPT(script);
    }
    QVERIFY(!a || !a->isLoaded());
    // The dialog went with the reference: a new one of the same key gets
    // nothing of it.
    QVERIFY(!vb::Forms::isLoaded<fFirstEdit>());
    reference(QStringLiteral("A_001"), QStringLiteral("New one"), QStringLiteral("Book"));
    QVERIFY(!biblio(QStringLiteral("A_001"), QStringLiteral("TITRE_ORI")).isValid());

    // A reference gone by another road, its key taken again meanwhile: the
    // dialog's Store says so and writes nothing.
    reference(QStringLiteral("B_001"), QStringLiteral("TB"), QStringLiteral("Book"));
    QPointer<fBibMulti> b = openCard(QStringLiteral("B_001"));
    clickSwitch(b);
    click(b->CommandBookOriginal);
    d = vb::Forms::find<fFirstEdit>();
    QVERIFY(d);
    QCOMPARE(references::DeleteReference(QStringLiteral("B_001")), references::Outcome::Done);
    reference(QStringLiteral("B_001"), QStringLiteral("Unrelated"), QStringLiteral("Book"));
    QTest::keyClicks(d->tTitreOrig, QStringLiteral("Old edition"));
    vb::DialogScript script;
    script.msgBox(vb::vbOK, QStringLiteral("This reference is no longer in the base."));
    click(d->Command1);
    QVERIFY_SCRIPT(script);
    QVERIFY(!biblio(QStringLiteral("B_001"), QStringLiteral("TITRE_ORI")).isValid());
    QCOMPARE(biblio(QStringLiteral("B_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("Unrelated"));
}

void TestBibMulti::firstEditionAsksBeforeServingAnotherCard()
{
    reference(QStringLiteral("A_001"), QStringLiteral("TA"), QStringLiteral("Book"));
    reference(QStringLiteral("B_001"), QStringLiteral("TB"), QStringLiteral("Book"));
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    fBibMulti *b = openCard(QStringLiteral("B_001"));
    clickSwitch(a);
    clickSwitch(b);
    a->show();
    click(a->CommandBookOriginal);
    fFirstEdit *d = vb::Forms::find<fFirstEdit>();
    QVERIFY(d);
    QTest::keyClicks(d->tTitreOrig, QStringLiteral("For A"));

    // OK stores the typing for the first card, then the dialog serves B.
    b->show();
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, kQuestion);
        click(b->CommandBookOriginal);
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbOKCancel));
    }
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE_ORI")).toString(), QStringLiteral("For A"));
    QCOMPARE(d->referenceKey(), QStringLiteral("B_001"));
    QCOMPARE(d->tTitreOrig->toPlainText(), QString());

    // Cancel drops it, as the close question's Cancel does.
    QTest::keyClicks(d->tDateOrig, QStringLiteral("1901"));
    a->show();
    {
        vb::DialogScript script;
        script.msgBox(vb::vbCancel, kQuestion);
        click(a->CommandBookOriginal);
        QVERIFY_SCRIPT(script);
    }
    QVERIFY(!biblio(QStringLiteral("B_001"), QStringLiteral("DATE_ORIG")).isValid());
    QCOMPARE(d->referenceKey(), QStringLiteral("A_001"));
    QCOMPARE(d->tTitreOrig->toPlainText(), QStringLiteral("For A"));

    // Nothing typed: nothing asked.
    b->show();
    {
        vb::DialogScript script;
        click(b->CommandBookOriginal);
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(d->referenceKey(), QStringLiteral("B_001"));

    // Typing that cannot be stored keeps the dialog on its card, typing
    // and all.
    QTest::keyClicks(d->tDateOrig, QStringLiteral("12a"));
    a->show();
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, kQuestion).msgBox(vb::vbOK);
        click(a->CommandBookOriginal);
        QVERIFY_SCRIPT(script);
        QVERIFY(script.shown().at(1).prompt.contains(QStringLiteral("\"Date\"")));
    }
    QCOMPARE(d->referenceKey(), QStringLiteral("B_001"));
    QCOMPARE(d->tDateOrig->text(), QStringLiteral("12a"));
    // Stored, it no longer holds unsaved typing.
    d->tDateOrig->clear();
    QTest::keyClicks(d->tDateOrig, QStringLiteral("1902"));
    {
        vb::DialogScript script;
        click(d->Command1);
        click(a->CommandBookOriginal);
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(biblio(QStringLiteral("B_001"), QStringLiteral("DATE_ORIG")).toInt(), 1902);
    QCOMPARE(d->referenceKey(), QStringLiteral("A_001"));
}

void TestBibMulti::publisherTownLongerThanItsBox()
{
    // EDITEUR holds 50 characters of town, the book's box 40, the first
    // edition's 30.
    const QString town45 = QStringLiteral("Saint-") + QString(39, QLatin1Char('x'));
    const QString town35 = QStringLiteral("Le-") + QString(32, QLatin1Char('y'));
    const QString town40 = QString(40, QLatin1Char('z'));
    publisher(QStringLiteral("Gallimard"), town45);
    publisher(QStringLiteral("Seuil"), town35);
    publisher(QStringLiteral("Plon"), town40);
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    setBiblio(QStringLiteral("A_001"), "EDITEUR", QStringLiteral("Gallimard"));
    setBiblio(QStringLiteral("A_001"), "EDITEUROR", QStringLiteral("Seuil"));
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK);
        clickSwitch(a);
        QVERIFY_SCRIPT(script);
        QVERIFY(script.shown().at(0).prompt.contains(town45));
        QVERIFY(script.shown().at(0).prompt.contains(QStringLiteral("\"Town\"")));
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbExclamation));
    }
    QCOMPARE(a->Town->text(), QString());
    {
        vb::DialogScript script;
        click(a->CommandBookStore);
        QVERIFY_SCRIPT(script);
    }
    QVERIFY(biblio(QStringLiteral("A_001"), QStringLiteral("LIEU")).toString().isEmpty());

    // The dialog's box is shorter still: a 35-character town is said, a
    // picked publisher's too long town leaves the box as it was.
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK);
        click(a->CommandBookOriginal);
        QVERIFY_SCRIPT(script);
        QVERIFY(script.shown().at(0).prompt.contains(town35));
    }
    fFirstEdit *d = vb::Forms::find<fFirstEdit>();
    QVERIFY(d);
    QCOMPARE(d->tLieuOrig->text(), QString());
    QTest::keyClicks(d->tLieuOrig, QStringLiteral("Paris"));
    d->Combo1->setCurrentIndex(d->Combo1->findText(QStringLiteral("Plon")));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK);
        d->Combo1_Click();
        QVERIFY_SCRIPT(script);
        QVERIFY(script.shown().at(0).prompt.contains(town40));
    }
    QCOMPARE(d->tLieuOrig->text(), QStringLiteral("Paris"));
    QVERIFY(d->Command1_Click());
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("LIEU_ORIG")).toString(), QStringLiteral("Paris"));
    d->Command2_Click();

    // A town that fits is filled without a word.
    setBiblio(QStringLiteral("A_001"), "EDITEUR", QStringLiteral("Plon"));
    setBiblio(QStringLiteral("A_001"), "LIEU", QVariant());
    fBibMulti *b = openCard(QStringLiteral("A_001"));
    vb::DialogScript script;
    clickSwitch(b);
    QVERIFY_SCRIPT(script);
    QCOMPARE(b->Town->text(), town40);
}

void TestBibMulti::bookFrameReadAgainWhenNothingUnsaved()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    fBibMulti *a1 = openCard(QStringLiteral("A_001"));
    fBibMulti *a2 = openCard(QStringLiteral("A_001"));
    a1->show();
    clickSwitch(a1);
    QTest::keyClicks(a1->ISBN, QStringLiteral("111"));
    click(a1->CommandBookStore);
    a2->show();
    clickSwitch(a2);
    QCOMPARE(a2->ISBN->text(), QStringLiteral("111"));
    a2->ISBN->selectAll();
    QTest::keyClicks(a2->ISBN, QStringLiteral("222"));
    click(a2->CommandBookStore);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("ISBN")).toString(), QStringLiteral("222"));

    // The first card, stored and not typed in since, shows what the other
    // stored.
    a1->show();
    clickSwitch(a1);
    clickSwitch(a1);
    QCOMPARE(a1->ISBN->text(), QStringLiteral("222"));
    // Typing not yet stored stays over a re-entry.
    QTest::keyClicks(a2->ISBN, QStringLiteral("9"));
    a2->show();
    clickSwitch(a2);
    clickSwitch(a2);
    QCOMPARE(a2->ISBN->text(), QStringLiteral("2229"));
    a2->ISBN->clear();
    QTest::keyClicks(a2->ISBN, QStringLiteral("333"));
    click(a2->CommandBookStore);

    // Closing the first card still asks, and writes back nothing stale.
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, kQuestion);
        QVERIFY(a1->unload());
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("ISBN")).toString(), QStringLiteral("333"));
}

void TestBibMulti::addQuoteWithALongTitle()
{
    // The longest title the reference holds, and 150 characters of authors.
    const QString title(120, QLatin1Char('t'));
    reference(QStringLiteral("Durand_001"), title, {},
              {QStringLiteral("Durand"), QString(60, QLatin1Char('a')), QString(60, QLatin1Char('b')), QString(21, QLatin1Char('c'))});
    fBibMulti *f = openCard(QStringLiteral("Durand_001"));
    vb::DialogScript script; // no message
    f->CmdAddQuote_Click();
    QVERIFY_SCRIPT(script);
    QCOMPARE(m_log, QStringList{QStringLiteral("quote DURAN001.TXT")});
    QCOMPARE(fldCitTitre1.Value().toString(), title.left(100));
    QCOMPARE(fldCitAuteur.Value().toString(), biblio(QStringLiteral("Durand_001"), QStringLiteral("AUTEUR")).toString().left(100));
    QCOMPARE(column(f->cgBibCit, 1), QStringList{QStringLiteral("DURAN001.TXT")});
    // A second quote shows on the next activation too.
    references::AddQuoteForReference(QStringLiteral("Durand_001"));
    f->show();
    reference(QStringLiteral("Other_001"), QStringLiteral("o"));
    fBibMulti *other = openCard(QStringLiteral("Other_001"));
    Q_UNUSED(other)
    f->show();
    QCOMPARE(column(f->cgBibCit, 1), (QStringList{"DURAN001.TXT", "DURAN002.TXT"}));

    // Double-click on a quote row opens it.
    m_log.clear();
    f->cgBibCit->setRow(1);
    f->cgBibCit_DblClick();
    QCOMPARE(m_log, QStringList{QStringLiteral("quote DURAN002.TXT")});
}

void TestBibMulti::yearBoxHoldingText()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Article"));
    QPointer<fBibMulti> f = openCard(QStringLiteral("A_001"));
    clickSwitch(f);
    QTest::keyClicks(f->ArticleYear, QStringLiteral("19x9"));
    vb::DialogScript script;
    script.msgBox(vb::vbOK,
                  QStringLiteral("The box \"Year\" must hold a whole number from -2147483648 to 2147483647, or nothing."));
    f->CommandArticleStore_Click();
    QVERIFY_SCRIPT(script);
    QVERIFY(f && f->isLoaded());
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("A_001")), 0);

    // Emptied, the box stores Null and the card closes after asking.
    f->ArticleYear->clear();
    QTest::keyClicks(f->ArticlePages, QStringLiteral("3"));
    vb::DialogScript second;
    second.msgBox(vb::vbCancel, kQuestion);
    f->CommandArticleStore_Click();
    QVERIFY_SCRIPT(second);
    QVERIFY(!f || !f->isLoaded());
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("A_001")), 1);
}

void TestBibMulti::failedStoreFromTheQuestionKeepsTheCard()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    QTest::keyClicks(f->cBibTitre2, QStringLiteral("sub"));
    m_base->reopenReadOnly();
    vb::DialogScript script;
    script.msgBox(vb::vbOK, kQuestion).msgBox(vb::vbOK, QStringLiteral("Fichier en lecture seule !"));
    QVERIFY(!f->unload());
    QVERIFY_SCRIPT(script);
    QVERIFY(f->isLoaded());
    QCOMPARE(f->cBibTitre2->text(), QStringLiteral("sub"));
}

void TestBibMulti::keywordsChangeOnlyOnTheirCard()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"));
    reference(QStringLiteral("B_001"), QStringLiteral("T"));
    link(QStringLiteral("B_001"), QStringLiteral("Own"));
    fBibMulti *b = openCard(QStringLiteral("B_001"));
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    // What the chooser does after linking.
    link(QStringLiteral("A_001"), QStringLiteral("Time"));
    link(QStringLiteral("A_001"), QStringLiteral("Memory"));
    KeywordsChanged = true;
    RefreshCardKeywords(CardType::Reference, QStringLiteral("A_001"));
    QCOMPARE(column(a->cgMCBib), (QStringList{"Memory", "Time"}));
    QCOMPARE(a->keywords(), (QStringList{"Time", "Memory"}));
    QCOMPARE(column(b->cgMCBib), QStringList{"Own"});
    // The other card, activated first, still shows its own.
    b->show();
    QCOMPARE(column(b->cgMCBib), QStringList{"Own"});
    QVERIFY(!KeywordsChanged);
    a->show();
    QCOMPARE(column(a->cgMCBib), (QStringList{"Memory", "Time"}));
}

void TestBibMulti::keywordRemovalThroughSupp()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"));
    link(QStringLiteral("A_001"), QStringLiteral("Memory"));
    link(QStringLiteral("A_001"), QStringLiteral("Time"));
    link(QStringLiteral("A_001"), QStringLiteral("Memory"));
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    fBibMulti *a2 = openCard(QStringLiteral("A_001"));
    selectRowOf(a->cgMCBib, QStringLiteral("Time"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbCancel, references::DeleteKeywordPrompt(QStringLiteral("Time")));
        a->cmdSuppKW_Click();
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbOKCancel | vb::vbQuestion));
    }
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("A_001")), 3);
    selectRowOf(a->cgMCBib, QStringLiteral("Memory"));
    vb::DialogScript script;
    script.msgBox(vb::vbOK, references::DeleteKeywordPrompt(QStringLiteral("Memory")));
    a->cmdSuppKW_Click();
    QVERIFY_SCRIPT(script);
    QCOMPARE(column(a->cgMCBib), QStringList{"Time"});
    QCOMPARE(column(a2->cgMCBib), QStringList{"Time"});
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("A_001")), 1);

    // Removing the last keyword empties the grid.
    vb::DialogScript last;
    last.msgBox(vb::vbOK);
    a->cmdSuppKW_Click();
    QVERIFY_SCRIPT(last);
    QCOMPARE(a->cgMCBib->rows(), 0);
}

void TestBibMulti::addHandsTheCardToTheChooser()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"));
    rsCGroup1.AddNew();
    fldCGroup1Groupe.setValue(QStringLiteral("Memory"));
    rsCGroup1.Update();
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, QString::fromLatin1(kNotAvailableYet));
        a->cmdAddKW_Click();
        QVERIFY_SCRIPT(script);
    }
    ChooserRequest got;
    windowLinks().showChooser = [&got](const ChooserRequest &r) { got = r; };
    a->cmdAddKW_Click();
    QCOMPARE(got.mode, ChooserMode::KWBibAdd);
    QCOMPARE(got.caption, QStringLiteral("Select Keywords"));
    QVERIFY(got.defaultButton);
    QVERIFY(!got.listButtons);
    QCOMPARE(got.targetType, CardType::Reference);
    QCOMPARE(got.targetKey, QStringLiteral("A_001"));
    QCOMPARE(got.targetNumber, a->cardNumber());
    QCOMPARE(CurrentReferenceKey, QStringLiteral("A_001"));
    QCOMPARE(CurrentReferenceNumber, a->cardNumber());
    QCOMPARE(got.source.Index(), QStringLiteral("Groupe"));
    got.source.MoveFirst();
    QCOMPARE(got.sourceField.Value().toString(), QStringLiteral("Memory"));
}

void TestBibMulti::switchViewsAndGeometry()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    clickSwitch(f);
    QVERIFY(f->CompleteView());
    QCOMPARE(switchCaption(f), QStringLiteral("Quotes"));
    QCOMPARE(switchPosition(f), int(Palvex_Ctl::Down));
    QVERIFY(f->FrameBook->isVisible());
    QVERIFY(!f->FrameQuotes->isVisible());
    QVERIFY(near(vb::leftOf(f->FrameBook), 2640));
    QVERIFY(near(vb::topOf(f->FrameBook), 3240));
    QVERIFY(near(f->height(), 7075));
    QVERIFY(near(vb::topOf(f->FrameCommands), 5575));
    QVERIFY(framesWhole(f));
    clickSwitch(f, Qt::RightButton);
    QVERIFY(!f->CompleteView());
    QCOMPARE(switchCaption(f), QStringLiteral("Complete Refs"));
    QCOMPARE(switchPosition(f), int(Palvex_Ctl::up));
    QVERIFY(f->FrameQuotes->isVisible());
    QVERIFY(!f->FrameBook->isVisible());
    QVERIFY(near(f->height(), 6470));
    QVERIFY(near(vb::topOf(f->FrameCommands), 5040));

    f->ComboType->setEditText(QStringLiteral("Article"));
    clickSwitch(f);
    QVERIFY(f->FrameArticle->isVisible());
    // The design height, or more where the window's frame would cut it.
    QVERIFY(f->height() >= 6755 - 15);
    QVERIFY(near(vb::topOf(f->FrameCommands), 5755));
    QVERIFY(framesWhole(f));
    clickSwitch(f);
    f->ComboType->setEditText(QStringLiteral("book"));
    clickSwitch(f);
    QVERIFY(f->FrameOther->isVisible());
    QVERIFY(!f->FrameBook->isVisible());
    QVERIFY(f->height() >= 7835 - 15);
    QVERIFY(near(vb::topOf(f->FrameCommands), 6835));
    QVERIFY(framesWhole(f));
    clickSwitch(f);
    QVERIFY(near(f->height(), 6470));
    QVERIFY(framesWhole(f));
}

void TestBibMulti::closeButtonsKeepTheHeight()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    clickSwitch(f);
    f->CommandBookClose_Click();
    QVERIFY(!f->CompleteView());
    QVERIFY(f->FrameQuotes->isVisible());
    QVERIFY(!f->FrameBook->isVisible());
    QCOMPARE(switchCaption(f), QStringLiteral("Complete Refs"));
    QVERIFY(near(f->height(), 7075));
    QVERIFY(near(vb::topOf(f->FrameCommands), 5575));
    clickSwitch(f);
    QVERIFY(f->FrameBook->isVisible());
}

void TestBibMulti::setOpenerOpensEveryReferenceOfTheKeyword()
{
    reference(QStringLiteral("A_001"), QStringLiteral("TA"), {}, {QStringLiteral("Adam")});
    reference(QStringLiteral("B_001"), QStringLiteral("TB"), {}, {QStringLiteral("Bob")});
    reference(QStringLiteral("C_001"), QStringLiteral("TC"), {}, {QStringLiteral("Carl")});
    for (const char *k : {"A_001", "B_001", "C_001", "Gone_001"})
        link(QString::fromLatin1(k), QStringLiteral("Memory"));
    link(QStringLiteral("A_001"), QStringLiteral("Alone"));
    windowLinks().selectedKeyword = [] { return QStringLiteral("Memory"); };
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    selectRowOf(a->cgMCBib, QStringLiteral("Memory"));
    a->cgMCBib_DblClick();
    QCOMPARE(ReferenceCards.count, 3);
    const auto openA = cardwindows::find(CardType::Reference, QStringLiteral("A_001"));
    QCOMPARE(openA.size(), 2);
    QCOMPARE(openA.at(1)->cardForm()->caption(), QStringLiteral("Adam : Memory (1)"));
    QCOMPARE(cardwindows::find(CardType::Reference, QStringLiteral("B_001")).at(0)->cardForm()->caption(),
             QStringLiteral("Bob : Memory (2)"));
    QCOMPARE(cardwindows::find(CardType::Reference, QStringLiteral("C_001")).at(0)->cardNumber(), 3);
}

void TestBibMulti::memoryGuardOpensNothing()
{
    reference(QStringLiteral("A_001"), QStringLiteral("TA"));
    reference(QStringLiteral("B_001"), QStringLiteral("TB"));
    link(QStringLiteral("A_001"), QStringLiteral("Memory"));
    link(QStringLiteral("B_001"), QStringLiteral("Memory"));
    fBibMulti *a = openCard(QStringLiteral("A_001"));
    vb::setMemoryStatusSource([] {
        vb::MemoryStatus s;
        s.totalPhys = 1000;
        s.availPhys = 25;
        s.totalVirtual = 4000;
        s.availVirtual = 1000;
        return s;
    });
    a->cgMCBib_DblClick();
    QCOMPARE(cardwindows::all().size(), 1);
    Alert *alert = vb::Forms::find<Alert>();
    QVERIFY(alert);
    QCOMPARE(alert->Text1->text(), QStringLiteral(" 97.5 %"));
    QCOMPARE(alert->Text2->text(), QStringLiteral(" 75 %"));

    // Only one of the two shortages: the cards open.
    alert->unload();
    vb::setMemoryStatusSource([] {
        vb::MemoryStatus s;
        s.availPhys = 25;
        s.availVirtual = 5000;
        return s;
    });
    a->cgMCBib_DblClick();
    QCOMPARE(cardwindows::all().size(), 3);
    QVERIFY(!vb::Forms::isLoaded<Alert>());
}

// The keyword grid opens a set as every road does: a large one asks
// first, and Cancel leaves the set in use and the result grid's count.
void TestBibMulti::aLargeSetAsksBeforeAnythingChanges()
{
    {
        dao::TransactionScope tx;
        for (int i = 0; i <= kCardsWithoutQuestion; ++i) {
            const QString key = QStringLiteral("R%1_001").arg(i, 4, 10, QLatin1Char('0'));
            reference(key, QStringLiteral("T"));
            link(key, QStringLiteral("Memory"));
        }
        tx.Commit();
    }
    vb::setMemoryStatusSource([] {
        vb::MemoryStatus s;
        s.totalPhys = s.availPhys = s.totalVirtual = s.availVirtual = qint64(1) << 24;
        return s;
    });
    fBibMulti *a = openCard(QStringLiteral("R0007_001"));
    GridRowCount = 9;
    const int count = ReferenceCards.count;
    vb::DialogScript script;
    script.msgBox(vb::vbCancel, QStringLiteral("301 cards are filed under 'Memory' - open them all ?"));
    gridtest::doubleClickCell(a->cgMCBib, gridtest::rowOf(a->cgMCBib, QStringLiteral("Memory")));
    QVERIFY_SCRIPT(script);
    QCOMPARE(ReferenceCards.count, count);
    QCOMPARE(GridRowCount, 9);
    QCOMPARE(cardwindows::all().size(), 1);
}

void TestBibMulti::publisherList()
{
    publisher(QStringLiteral("Gallimard"), QStringLiteral("Paris"));
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    clickSwitch(f);
    QCOMPARE(f->ComboPublisher->count(), 1);
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, QStringLiteral("Enter the name in the box first"));
        f->cmdNewEditeur_Click();
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbInformation));
    }
    QTest::keyClicks(f->ComboPublisher->lineEdit(), QStringLiteral("gallimard"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, QStringLiteral("do you want to add gallimard- in Publisher's list ?"))
            .msgBox(vb::vbOK, QStringLiteral("This Publisher exists"));
        f->cmdNewEditeur_Click();
        QVERIFY_SCRIPT(script);
    }
    f->ComboPublisher->setEditText(QStringLiteral("Seuil"));
    f->Town->setText(QStringLiteral("Paris"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbCancel, QStringLiteral("do you want to add Seuil-Paris in Publisher's list ?"));
        f->cmdNewEditeur_Click();
        QVERIFY_SCRIPT(script);
        QVERIFY(!references::PublisherTown(QStringLiteral("Seuil")));
    }
    vb::DialogScript script;
    script.msgBox(vb::vbOK);
    f->cmdNewEditeur_Click();
    QVERIFY_SCRIPT(script);
    QCOMPARE(*references::PublisherTown(QStringLiteral("Seuil")), QStringLiteral("Paris"));
    // The open list learns it at its next fill, once.
    QCOMPARE(f->ComboPublisher->count(), 1);
    clickSwitch(f);
    clickSwitch(f);
    clickSwitch(f);
    QCOMPARE(f->ComboPublisher->count(), 2);
    QCOMPARE(f->ComboPublisher->currentText(), QStringLiteral("Seuil"));
}

void TestBibMulti::unstoredBoxesTakeNoTyping()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Article"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    QVERIFY(!f->ArticleOther->isEnabled());
    QVERIFY(!f->ArticleISSN->isEnabled());
    QVERIFY(!f->CommandAddReview->isEnabled());
    QVERIFY(!f->TextOther->isEnabled());
    // The boxes take no more than their columns hold.
    QCOMPARE(f->cBibTitre1->maxLength(), 120);
    QCOMPARE(f->cBibTitre2->maxLength(), 100);
    QCOMPARE(f->Town->maxLength(), 40);
    QCOMPARE(f->ISBN->maxLength(), 20);
    QCOMPARE(f->BibCongress->maxLength(), 60);
    QCOMPARE(f->ArticlePages->maxLength(), 50);
}

void TestBibMulti::statusTexts()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    const std::pair<QWidget *, const char *> cases[] = {
        {f->CmdDelete, "Deletes this Reference and all its links"},
        {f->CommandNew, "Creates a new Reference"},
        {f->CommandStore, "Stores the changes to the Card"},
        {f->cgMCBib->viewport(), "Keywords linked to this Reference"},
        {f->cgBibCit->viewport(),
         "Double-click opens the Quote - Add Quote creates a Quote Card linked to this Reference"},
        {f->SwitchCompleteRefs.widget(), "Switches between the Quotes View and the Complete References view"},
        {f->client(), ""},
    };
    for (const auto &[w, text] : cases) {
        QTest::mouseMove(w, QPoint(3, 3));
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QCOMPARE(f->StatusBar1->panelText(1), QString::fromLatin1(text));
    }
}

QTEST_MAIN(TestBibMulti)
#include "tst_fbibmulti.moc"

// The reference deleted and its key taken again by another program: the
// card's commands never reach the newer reference.
void TestBibMulti::aKeyTakenByANewReferenceIsNotThisCard()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("Old"), QStringLiteral("Book"));
    link(QStringLiteral("Durand_001"), QStringLiteral("kw"));
    fBibMulti *f = openCard(QStringLiteral("Durand_001"));
    QCOMPARE(references::DeleteReference(QStringLiteral("Durand_001")), references::Outcome::Done);
    reference(QStringLiteral("Durand_001"), QStringLiteral("New"), QStringLiteral("Book"));
    link(QStringLiteral("Durand_001"), QStringLiteral("kw"));

    f->cBibTitre1->setText(QStringLiteral("typed here"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, kGone);                  // Store
        script.msgBox(vb::vbOK).msgBox(vb::vbOK, kGone); // Delete: asked, then refused
        script.msgBox(vb::vbOK, kGone);                  // Add Quote
        script.msgBox(vb::vbOK, kGone);                  // Supp
        f->CommandStore->click();
        f->CmdDelete->click();
        f->CmdAddQuote->click();
        f->cmdSuppKW->click();
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(biblio(QStringLiteral("Durand_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("New"));
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("Durand_001")), 1);
    QCOMPARE(countRows(rsCit, "BibNDX", QStringLiteral("Durand_001")), 0);
    QVERIFY(f->isLoaded());
    QCOMPARE(f->cBibTitre1->text(), QStringLiteral("typed here"));
}

// Two cards of one reference: the later store never silently replaces the
// earlier; the user chooses.
void TestBibMulti::aStoreOverAnotherCardsStoreAsks()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    fBibMulti *one = openCard(QStringLiteral("A_001"));
    fBibMulti *two = openCard(QStringLiteral("A_001"));
    one->cBibTitre1->setText(QStringLiteral("from one"));
    {
        vb::DialogScript quiet;
        one->CommandStore->click();
        one->cBibTitre1->setText(QStringLiteral("from one again"));
        one->CommandStore->click(); // its own store is no change made elsewhere
        QVERIFY_SCRIPT(quiet);
    }
    two->cBibTitre1->setText(QStringLiteral("from two"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbNo, kChangedHere).msgBox(vb::vbYes, kChangedHere);
        two->CommandStore->click();
        QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("from one again"));
        two->CommandStore->click();
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("from two"));

    // The book frame of the first card, read before the second stored it.
    clickSwitch(one);
    clickSwitch(two);
    QTest::keyClicks(two->ISBN, QStringLiteral("978"));
    two->CommandBookStore->click();
    QTest::keyClicks(one->ISBN, QStringLiteral("111"));
    {
        vb::DialogScript script;
        script.msgBox(vb::vbNo, kChangedHere);
        one->CommandBookStore->click();
        QVERIFY_SCRIPT(script);
    }
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("ISBN")).toString(), QStringLiteral("978"));
    QCOMPARE(one->ISBN->text(), QStringLiteral("111"));
}

// The card's title bar offers minimising, as the note and quote cards' do,
// and a click on it minimises the card.
void TestBibMulti::minimisedFromItsTitleBar()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    auto *main = vb::Forms::create<vb::MdiForm>();
    main->move(0, 0, 14000, 11000);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main->window()));
    fBibMulti *f = openCard(QStringLiteral("A_001"));
    QMdiSubWindow *sub = f->subWindow();
    QVERIFY(sub);
    sub->move(0, 0);
    QVERIFY(sub->windowFlags() & Qt::WindowMinimizeButtonHint);
    const QPoint at = titleBarButton(sub, QStyle::SC_TitleBarMinButton);
    QVERIFY(!at.isNull());
    windowclicks::clickAt(main->window()->windowHandle(), at, 1000);
    QVERIFY(sub->isMinimized());
    QCOMPARE(f->windowState(), int(vb::vbMinimized));
    QVERIFY(sub->height() < 100);
    sub->showNormal();
    QVERIFY(!sub->isMinimized());
    main->unload();
}
