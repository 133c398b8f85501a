// The child windows of the main window as the user meets them: the
// cascades, which window comes to the front when another closes or asks,
// where the keyword browsers, the index windows and the About box stand.
// Real windows, real menu items and mouse clicks.

#include "AfficheKW.h"
#include "CardWindows.h"
#include "Dialogs.h"
#include "FlexGrid.h"
#include "Form.h"
#include "GridClicks.h"
#include "InstallCards.h"
#include "InstallKeywords.h"
#include "InstallMainWindowLink.h"
#include "InstallWordIndex.h"
#include "InstallWords.h"
#include "KeywordBrowser.h"
#include "NewCards.h"
#include "OuvreBase.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Start.h"
#include "Twips.h"
#include "fCorvane.h"
#include "fDownUpLinks.h"
#include "fGrid.h"
#include "fLinksKey.h"
#include "fMultSel.h"
#include "fNoteMulti.h"
#include "frmAbout.h"
#include "frmMots.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace gridtest;

namespace {

const QString kChanged = QStringLiteral("The data have changed - do you want save?");

void addRow(dao::Recordset &rs, std::initializer_list<std::pair<dao::Field *, QVariant>> values)
{
    rs.AddNew();
    for (const auto &[f, v] : values)
        f->setValue(v);
    rs.Update();
}

QList<fNoteMulti *> openNotes()
{
    QList<fNoteMulti *> out;
    for (CardWindowLink *c : cardwindows::all())
        if (auto *n = qobject_cast<fNoteMulti *>(c->cardForm()))
            out << n;
    return out;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// What a click on a child's frame does.
void activate(vb::Form *child) { child->subWindow()->mdiArea()->setActiveSubWindow(child->subWindow()); }

// The size a child is given in twips, as whole pixels of its frame.
QSize pixelSize(double width, double height) { return {vb::pixelsX(width), vb::pixelsY(height)}; }

// Answers every question OK and notes which child stood in front then.
class FrontAtEachQuestion : public vb::DialogHandler {
public:
    explicit FrontAtEachQuestion(QMdiArea *area)
        : m_area(area), m_previous(vb::setDialogHandler(this))
    {
    }
    ~FrontAtEachQuestion() override { vb::setDialogHandler(m_previous); }
    vb::DialogAnswer answer(const vb::DialogRequest &request) override
    {
        // A message box runs the event loop while it waits for its answer.
        QCoreApplication::processEvents();
        prompts << request.prompt;
        const QList<QMdiSubWindow *> stack = m_area->subWindowList(QMdiArea::StackingOrder);
        active << m_area->activeSubWindow();
        topmost << (stack.isEmpty() ? nullptr : stack.last());
        return vb::DialogAnswer::result(vb::vbOK);
    }
    QStringList prompts;
    QList<QMdiSubWindow *> active, topmost;

private:
    QMdiArea *m_area;
    vb::DialogHandler *m_previous;
};

} // namespace

class TestWindowsMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cascadesKeepEachWindowsSize();
    void closingTheChooserBringsBackItsCard();
    void closeAllAsksOverTheCardThatAsks();
    void quitAsksOverTheCardThatAsks();
    void keywordBrowsersStandWholeInTheArea();
    void indexWindowsAndAboutStandOverTheMainWindow();

private:
    fCorvane &loadMain();
    // Notes chosen, "Memory" clicked in the all-keywords list: its result grid.
    void listNotesOfMemory(fCorvane &f);
    fNoteMulti *openFromGrid(const QString &key);

    QTemporaryDir m_dir;
    int m_baseNumber = 0;
};

void TestWindowsMenu::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    vb::Forms::setProgramEndHandler([] {});
    InstallMainWindowLink();
    browser::InstallKeywordBrowser();
    InstallKeywordWindows();
    InstallCardWindows();
    InstallNewCards();
    InstallWordWindows();
    InstallWordIndex();
}

void TestWindowsMenu::init()
{
    ResetProgramState();
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("Windows%1.cvb").arg(++m_baseNumber));
    CreateKnowledgeBase(path, BuiltInConnect());
    OpenAndBindBase(path, BuiltInConnect());
    for (const char *k : {"Memory", "Sleep"})
        addRow(rsCGroup1, {{&fldCGroup1Groupe, QString::fromLatin1(k)}});
    for (const char *k : {"ALPH0001.TXT", "BETA0001.TXT", "GAMM0001.TXT"}) {
        addRow(rsNote, {{&fldNoteCit, QString::fromLatin1(k)},
                        {&fldNoteTitre1, QString::fromLatin1(k).left(4)},
                        {&fldNoteTexte, QStringLiteral("a memory of sleep")}});
        addRow(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Memory")}, {&fldGrNoteNdx, QString::fromLatin1(k)}});
    }
    addRow(rsAutNote, {{&fldAutNoteNom, QStringLiteral("Martin")}});
    // Sleep is linked under Memory: a graph for the keyword browsers.
    addRow(rsGroup2, {{&fldGroup2Groupe2, QStringLiteral("Memory")}, {&fldGroup2Groupe, QStringLiteral("Sleep")}});
}

void TestWindowsMenu::cleanup()
{
    for (CardWindowLink *c : cardwindows::all())
        c->closeWithoutAsking();
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    settle();
    if (g_Db)
        g_Db.Close();
}

fCorvane &TestWindowsMenu::loadMain()
{
    fCorvane &f = vb::Forms::get<fCorvane>();
    f.show();
    return f;
}

void TestWindowsMenu::listNotesOfMemory(fCorvane &f)
{
    click(f.OptionNote);
    f.TabStrip1->setSelectedIndex(3);
    f.TabStrip1_Click();
    clickCell(f.KWList, rowOf(f.KWList, QStringLiteral("Memory")));
}

// The note of that key opened by a double-click on its row of the result
// grid of "Memory".
fNoteMulti *TestWindowsMenu::openFromGrid(const QString &key)
{
    fGrid *grid = vb::Forms::find<fGrid>();
    if (!grid)
        return nullptr;
    const int row = rowOf(grid->Grid1, key, 2);
    if (row < 1)
        return nullptr;
    doubleClickCell(grid->Grid1, row, 2);
    const QList<fNoteMulti *> notes = openNotes();
    return !notes.isEmpty() && notes.last()->tag() == key ? notes.last() : nullptr;
}

void TestWindowsMenu::cascadesKeepEachWindowsSize()
{
    fCorvane &f = loadMain();
    f.TextSearch->setText(QStringLiteral("memory"));
    f.menuItem(QStringLiteral("mNFindText"))->trigger(); // "in Notes" > "display Cards"
    const QList<fNoteMulti *> notes = openNotes();
    QCOMPARE(notes.size(), 3);
    const QSize card = pixelSize(8695, 6250);
    for (fNoteMulti *n : notes)
        QCOMPARE(n->subWindow()->size(), card);
    QVERIFY(notes.at(1)->subWindow()->pos() != notes.at(0)->subWindow()->pos());

    // Windows > Cascade, with the result grid open too.
    listNotesOfMemory(f);
    fGrid *grid = vb::Forms::find<fGrid>();
    QVERIFY(grid && grid->isVisible());
    const QSize gridSize = grid->subWindow()->size();
    QVERIFY(gridSize.height() > 100);
    f.menuItem(QStringLiteral("mWCascade"))->trigger();
    for (fNoteMulti *n : notes)
        QCOMPARE(n->subWindow()->size(), card);
    QCOMPARE(grid->subWindow()->size(), gridSize);

    // Maximised and restored with the button of the menu bar's corner.
    fNoteMulti *n = notes.first();
    activate(n);
    n->subWindow()->showMaximized();
    QCOMPARE(n->windowState(), int(vb::vbMaximized));
    n->subWindow()->showNormal();
    QCOMPARE(n->subWindow()->size(), card);
}

void TestWindowsMenu::closingTheChooserBringsBackItsCard()
{
    fCorvane &f = loadMain();
    listNotesOfMemory(f);
    fNoteMulti *first = openFromGrid(QStringLiteral("ALPH0001.TXT"));
    fNoteMulti *second = openFromGrid(QStringLiteral("BETA0001.TXT"));
    QVERIFY(first && second);
    activate(second);

    // The second card's chooser: a keyword chosen and linked.
    click(second->KWAdd);
    fMultSel *chooser = vb::Forms::find<fMultSel>();
    QVERIFY(chooser && chooser->isVisible());
    QCOMPARE(f.activeChild(), chooser);
    clickCell(chooser->cgList, rowOf(chooser->cgList, QStringLiteral("Sleep")));
    click(chooser->actionButton(ChooserMode::KWNoteSelect));
    QVERIFY(!vb::Forms::isLoaded<fMultSel>());
    settle();
    QCOMPARE(f.activeChild(), second);
    QCOMPARE(second->keywords(), (QStringList{"Memory", "Sleep"}));

    // Closing that card brings back the one in front before it.
    activate(first);
    activate(second);
    QVERIFY(second->unload());
    settle();
    QCOMPARE(f.activeChild(), first);

    // "New" on that card: the new note of the author chosen opens in front,
    // on its own record, while the card behind keeps its own.
    click(first->Command1);
    chooser = vb::Forms::find<fMultSel>();
    QVERIFY(chooser && chooser->isVisible());
    clickCell(chooser->cgList, rowOf(chooser->cgList, QStringLiteral("Martin")));
    click(chooser->actionButton(ChooserMode::cNoteAutSel));
    settle();
    const QList<fNoteMulti *> notes = openNotes();
    QCOMPARE(notes.size(), 2);
    QCOMPARE(notes.last()->tag(), QStringLiteral("MART0001.TXT"));
    QCOMPARE(notes.last()->cNoteNDX->text(), QStringLiteral("MART0001.TXT"));
    QCOMPARE(notes.last()->cNoteAuthor->text(), QStringLiteral("Martin"));
    QCOMPARE(f.activeChild(), notes.last());
    QCOMPARE(first->cNoteNDX->text(), QStringLiteral("ALPH0001.TXT"));
}

void TestWindowsMenu::closeAllAsksOverTheCardThatAsks()
{
    fCorvane &f = loadMain();
    listNotesOfMemory(f);
    fNoteMulti *first = openFromGrid(QStringLiteral("ALPH0001.TXT"));
    fNoteMulti *second = openFromGrid(QStringLiteral("BETA0001.TXT"));
    QVERIFY(first && second);
    for (fNoteMulti *n : {first, second})
        n->cNoteTitle->setText(QStringLiteral("changed"));
    // The first in front: the second asks first, behind it.
    activate(first);

    QPointer<QMdiSubWindow> firstSub = first->subWindow(), secondSub = second->subWindow();
    FrontAtEachQuestion questions(f.mdiArea());
    f.menuItem(QStringLiteral("mCloseAll"))->trigger();
    QCOMPARE(questions.prompts, (QStringList{kChanged, kChanged}));
    QCOMPARE(questions.active, (QList<QMdiSubWindow *>{secondSub, firstSub}));
    QCOMPARE(questions.topmost, (QList<QMdiSubWindow *>{secondSub, firstSub}));
    QVERIFY(openNotes().isEmpty());
}

void TestWindowsMenu::quitAsksOverTheCardThatAsks()
{
    fCorvane &f = loadMain();
    listNotesOfMemory(f);
    QList<fNoteMulti *> cards;
    for (const char *key : {"ALPH0001.TXT", "BETA0001.TXT", "GAMM0001.TXT"})
        cards << openFromGrid(QString::fromLatin1(key));
    QVERIFY(!cards.contains(nullptr));
    QList<QMdiSubWindow *> subs;
    for (fNoteMulti *n : cards) {
        n->cNoteTitle->setText(QStringLiteral("changed"));
        subs << n->subWindow();
    }
    // Brought forward one after another, the last in front: each card then
    // asks from behind the others.
    for (fNoteMulti *n : cards)
        activate(n);
    activate(cards.first());
    activate(cards.last());
    settle();

    FrontAtEachQuestion questions(f.mdiArea());
    f.menuItem(QStringLiteral("mQuit"))->trigger();
    QCOMPARE(questions.prompts, (QStringList{kChanged, kChanged, kChanged}));
    // Whatever order they ask in, the one asking stands in front.
    QCOMPARE(questions.topmost, questions.active);
    QCOMPARE(QSet<QMdiSubWindow *>(questions.active.begin(), questions.active.end()),
             QSet<QMdiSubWindow *>(subs.begin(), subs.end()));
}

void TestWindowsMenu::keywordBrowsersStandWholeInTheArea()
{
    fCorvane &f = loadMain();
    QCOMPARE(f.width(), 11730.0);
    const QRect area(QPoint(0, 0), f.mdiArea()->viewport()->size());
    const auto whole = [&](vb::Form *w) { return w && w->isVisible() && area.contains(w->subWindow()->geometry()); };

    f.menuItem(QStringLiteral("mKWStruct"))->trigger(); // "&Keywords" > "&Structure"
    fLinksKey *links = vb::Forms::find<fLinksKey>();
    QVERIFY(whole(links));
    QCOMPARE(links->subWindow()->size(), pixelSize(7750, 4110));
    // Pulled up from its place near the foot of the main window, not further.
    QVERIFY(links->subWindow()->y() < vb::pixelsY(f.height() - 4110 - 700));
    QCOMPARE(links->subWindow()->geometry().bottom(), area.bottom());

    const int before = int(vb::Forms::count());
    click(links->Command1); // "New List"
    QCOMPARE(vb::Forms::count(), before + 1);
    auto *another = qobject_cast<fLinksKey *>(vb::Forms::at(vb::Forms::count() - 1));
    QVERIFY(another && another != links);
    QVERIFY(whole(another));
    QCOMPARE(another->subWindow()->pos(), links->subWindow()->pos());

    click(another->Command2); // "UpLinks"
    fDownUpLinks *up = vb::Forms::find<fDownUpLinks>();
    QVERIFY(whole(up));
    QCOMPARE(up->subWindow()->size(), pixelSize(7750, 3400));
}

void TestWindowsMenu::indexWindowsAndAboutStandOverTheMainWindow()
{
    fCorvane &f = loadMain();
    // At the screen's left, room is left for windows beside each other.
    f.move(0, 0);
    QCoreApplication::processEvents();
    const QRect main = f.window()->frameGeometry();

    f.menuItem(QStringLiteral("mCopyright"))->trigger(); // "?" > "&About"
    frmAbout *about = vb::Forms::find<frmAbout>();
    QVERIFY(about && about->isVisible());
    QVERIFY(qAbs(about->window()->frameGeometry().center().x() - main.center().x()) <= 2);
    QVERIFY(qAbs(about->window()->frameGeometry().center().y() - main.center().y()) <= 2);
    about->unload();

    f.menuItem(QStringLiteral("mIndexAllNotes"))->trigger(); // "&Index All" > "&Notes"
    frmMots *progress = vb::Forms::find<frmMots>();
    AfficheKW *index = vb::Forms::find<AfficheKW>();
    QVERIFY(progress && progress->isVisible());
    QVERIFY(index && index->isVisible());
    const QRect p = progress->window()->frameGeometry(), i = index->window()->frameGeometry();
    QVERIFY(qAbs(p.center().x() - main.center().x()) <= 2);
    QVERIFY(!p.intersects(i));
    QVERIFY(i.intersects(main));
    QVERIFY(i.topLeft() != QPoint(0, 0));

    // A base switch closes what shows that base's card keys.
    QVERIFY(mainwindow::UnloadCardWindows());
    QVERIFY(!vb::Forms::isLoaded<frmMots>());
    QVERIFY(!vb::Forms::isLoaded<AfficheKW>());
}

QTEST_MAIN(TestWindowsMenu)
#include "tst_windows_menu.moc"
