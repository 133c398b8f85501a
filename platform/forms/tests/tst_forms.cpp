#include <QtTest>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include "App.h"
#include "Colors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "Form.h"
#include "Screen.h"
#include "ShownText.h"
#include "Twips.h"
#include "Watchdog.h"
#include "WindowClicks.h"

#include <QListWidget>

using namespace vb;

namespace {

QStringList g_log;

// A small window that writes its hooks into the log.
class LogForm : public Form {
    Q_OBJECT
public:
    explicit LogForm(QString name = QStringLiteral("fLog"))
    {
        setObjectName(name);
    }
    int cancelQuery = 0;
    int cancelUnload = 0;
    std::function<void()> onLoad, onActivate, onUnload;

protected:
    void formLoad() override
    {
        g_log << name() + QStringLiteral(".Load");
        if (onLoad)
            onLoad();
    }
    void formActivate() override
    {
        g_log << name() + QStringLiteral(".Activate");
        if (onActivate)
            onActivate();
    }
    void formDeactivate() override { g_log << name() + QStringLiteral(".Deactivate"); }
    void formQueryUnload(int &cancel, int mode) override
    {
        g_log << QStringLiteral("%1.QueryUnload(%2)").arg(name()).arg(mode);
        cancel = cancelQuery;
    }
    void formUnload(int &cancel) override
    {
        g_log << name() + QStringLiteral(".Unload");
        cancel = cancelUnload;
        if (onUnload)
            onUnload();
    }
};

class fGridTest : public LogForm {
    Q_OBJECT
public:
    fGridTest() : LogForm(QStringLiteral("fGrid")) {}
};

class fSelfRef : public Form {
    Q_OBJECT
public:
    static inline fSelfRef *seen = nullptr;

protected:
    void formLoad() override { seen = &Forms::get<fSelfRef>(); }
};

class ChildForm : public LogForm {
    Q_OBJECT
public:
    explicit ChildForm(const QString &name) : LogForm(name) { setMdiChild(true); }
};

class MainForm : public MdiForm {
    Q_OBJECT
public:
    MainForm() { setObjectName(QStringLiteral("fMain")); }

protected:
    void formQueryUnload(int &, int mode) override
    {
        g_log << QStringLiteral("fMain.QueryUnload(%1)").arg(mode);
    }
    void formUnload(int &) override { g_log << QStringLiteral("fMain.Unload"); }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT
    int m_ends = 0;

private slots:
    void initTestCase()
    {
        Forms::setProgramEndHandler([this] { ++m_ends; });
    }

    void init()
    {
        g_log.clear();
        m_ends = 0;
    }

    void cleanup()
    {
        for (Form *f : Forms::all())
            f->unload();
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(Forms::count(), 0);
    }

    void loadShowUnloadRunTheHooksInOrder()
    {
        auto *a = new LogForm(QStringLiteral("fA"));
        QVERIFY(!a->isLoaded());
        a->load();
        a->load(); // loading a loaded form does nothing
        auto *b = Forms::create<LogForm>(QStringLiteral("fB"));
        QCOMPARE(Forms::count(), 2);
        QCOMPARE(Forms::at(0), a);
        QCOMPARE(Forms::at(1), b);
        QVERIFY_THROWS_EXCEPTION(Error, Forms::at(2));
        a->show();
        b->show();
        QVERIFY(a->isVisible());
        QPointer<LogForm> gone = a;
        QVERIFY(a->unload());
        QVERIFY(!a->isLoaded());
        QCOMPARE(Forms::count(), 1);
        QCOMPARE(Forms::at(0), b);
        QCOMPARE(g_log, (QStringList{"fA.Load", "fB.Load", "fA.Activate", "fA.Deactivate",
                                     "fB.Activate", "fA.QueryUnload(1)", "fA.Unload"}));
        // An unloaded form is gone for good: it cannot be shown again.
        a->show();
        QVERIFY(!a->isVisible());
        flushDeletes();
        QVERIFY(gone.isNull());
    }

    void cancelledUnloadKeepsTheForm()
    {
        auto *f = Forms::create<LogForm>();
        f->cancelQuery = 1;
        QVERIFY(!f->unload());
        QVERIFY(f->isLoaded());
        f->cancelQuery = 0;
        f->cancelUnload = 1;
        QVERIFY(!f->unload());
        QVERIFY(f->isLoaded());
        QCOMPARE(Forms::count(), 1);
        f->cancelUnload = 0;
        // The close box asks with its own mode.
        f->show();
        g_log.clear();
        f->window()->close();
        QCOMPARE(g_log, (QStringList{"fLog.QueryUnload(0)", "fLog.Unload"}));
        QVERIFY(!f->isLoaded());
    }

    void defaultInstanceIsReusedAndRemade()
    {
        QVERIFY(!Forms::isLoaded<fGridTest>());
        QVERIFY(Forms::find<fGridTest>() == nullptr); // looking does not load it
        QVERIFY(Forms::unload<fGridTest>());            // nor does unloading it
        QCOMPARE(Forms::count(), 0);
        fGridTest &first = Forms::get<fGridTest>();
        first.setTag(QStringLiteral("Note"));
        QCOMPARE(&Forms::get<fGridTest>(), &first);
        QCOMPARE(g_log.count(QStringLiteral("fGrid.Load")), 1);
        QVERIFY(Forms::unload<fGridTest>());
        fGridTest &second = Forms::get<fGridTest>();
        QVERIFY(second.tag().isEmpty()); // design state again
        QCOMPARE(g_log.count(QStringLiteral("fGrid.Load")), 2);
    }

    void defaultInstanceUsedFromItsOwnLoad()
    {
        // A Form_Load that touches its own default instance must not load a second one.
        fSelfRef &f = Forms::get<fSelfRef>();
        QCOMPARE(fSelfRef::seen, &f);
        QCOMPARE(Forms::count(), 1);
    }

    void unloadFromInsideAnEvent()
    {
        auto *self = Forms::create<LogForm>(QStringLiteral("fSelf"));
        auto *other = Forms::create<LogForm>(QStringLiteral("fOther"));
        self->show();
        auto *button = new QPushButton(QStringLiteral("&Annuler"), self->client());
        QPointer<LogForm> selfWatch = self, otherWatch = other;
        int after = 0;
        connectEvent(button, &QPushButton::clicked, self, [&, self, other] {
            other->unload();
            self->unload();
            // The handler goes on after its own window was unloaded.
            self->setTag(QStringLiteral("still here"));
            ++after;
        });
        button->click();
        QCOMPARE(after, 1);
        QVERIFY(!selfWatch->isLoaded());
        QVERIFY(!otherWatch->isLoaded());
        flushDeletes();
        QVERIFY(selfWatch.isNull());
        QVERIFY(otherWatch.isNull());

        // Unload from inside its own Activate and its own Unload.
        auto *f = Forms::create<LogForm>(QStringLiteral("fCopyright"));
        f->onActivate = [f] { f->unload(); };
        f->onUnload = [f] { f->unload(); };
        f->show();
        QVERIFY(!f->isLoaded());
        QCOMPARE(g_log.count(QStringLiteral("fCopyright.Unload")), 1);
    }

    void escapedErrorIsShownAndSurvived()
    {
        DialogScript script;
        script.msgBox(vbOK, runtimeErrorText(3022, QStringLiteral("duplicate key")))
            .msgBox(vbOK, runtimeErrorText(7, QStringLiteral("Out of memory")));
        auto *f = new LogForm;
        f->onLoad = [] { raise(3022, QStringLiteral("duplicate key")); };
        f->load();
        QVERIFY(f->isLoaded()); // the load went on
        QPushButton button;
        int ran = 0;
        connectEvent(&button, &QPushButton::clicked, &button, [&](bool) {
            ++ran;
            throw std::bad_alloc();
        });
        button.click();
        button.click(); // a third box was not expected: recorded, not blocking
        QCOMPARE(ran, 2);
        QCOMPARE(script.failures().size(), 1);
        QCOMPARE(script.shown().at(0).buttons, int(vbCritical));
        QCOMPARE(script.shown().at(0).title, QStringLiteral("Corvane Studio"));
    }

    void programEndsWhenNoFormIsLoaded()
    {
        auto *a = Forms::create<LogForm>();
        a->unload();
        // The next window loaded in the same event keeps the program alive.
        auto *b = Forms::create<LogForm>();
        QCoreApplication::processEvents();
        QCOMPARE(m_ends, 0);
        b->unload();
        QCOMPARE(m_ends, 0);
        QCoreApplication::processEvents();
        QCOMPARE(m_ends, 1);
    }

    void endSkipsTheUnloadHooks()
    {
        int closed = 0;
        Forms::addEndHook([&] { ++closed; });
        Forms::create<LogForm>()->show();
        Forms::create<LogForm>();
        g_log.clear();
        End();
        QCOMPARE(closed, 1);
        QCOMPARE(m_ends, 1);
        QCOMPARE(Forms::count(), 0);
        QVERIFY(g_log.filter(QStringLiteral("Unload")).isEmpty());
        QVERIFY(Forms::ended());
        QCOMPARE(Forms::exec(), 0); // nothing left: no waiting for events
        Forms::addEndHook([] {});
    }

    void mdiParentUnloadsItsChildrenFirst()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        auto *c1 = Forms::create<ChildForm>(QStringLiteral("fNote1"));
        auto *c2 = Forms::create<ChildForm>(QStringLiteral("fNote2"));
        c1->setCaption(QStringLiteral("Note [*] 1"));
        c1->show();
        c2->show();
        QVERIFY(c1->subWindow());
        QCOMPARE(c1->subWindow()->mdiArea(), main->mdiArea());
        QCOMPARE(c1->window()->windowTitle(), QStringLiteral("Note [*][*] 1"));
        QCOMPARE(Screen::activeForm(), c2);
        QCOMPARE(main->children(), (QList<Form *>{c1, c2}));

        QMenu windows;
        windows.addAction(QStringLiteral("Cascade"));
        main->setWindowListMenu(&windows);
        emit windows.aboutToShow();
        QCOMPARE(windows.actions().size(), 4); // Cascade, separator, two children
        QVERIFY(windows.actions().at(3)->isChecked());
        QCOMPARE(windows.actions().at(2)->text(), QStringLiteral("&1 Note [*] 1"));
        emit windows.aboutToShow();
        QCOMPARE(windows.actions().size(), 4); // rebuilt, not appended

        main->arrange(vbCascade);
        c1->setWindowState(vbMinimized);
        main->arrange(vbArrangeIcons);
        QCOMPARE(c1->windowState(), int(vbMinimized));

        // A child that refuses keeps everything loaded.
        c2->cancelQuery = 1;
        QVERIFY(!main->unload());
        QCOMPARE(Forms::count(), 3);
        c2->cancelQuery = 0;
        g_log.clear();
        QVERIFY(main->unload());
        QCOMPARE(g_log, (QStringList{"fMain.QueryUnload(1)", "fNote1.QueryUnload(4)",
                                     "fNote2.QueryUnload(4)", "fNote1.Unload", "fNote2.Unload",
                                     "fMain.Unload"}));
        QCOMPARE(Forms::count(), 0);
    }

    // A caption made of a value of a million characters (a keyword of a
    // base made elsewhere): the title bar and the window list show a
    // prefix of it without a freeze; the form keeps it whole.
    void hugeCaptionShowsAPrefix()
    {
        QString huge;
        for (int i = 0; huge.size() < 1000000; ++i)
            huge += QStringLiteral("Keyword%1 ").arg(i);
        auto *main = Forms::create<MainForm>();
        main->show();
        auto *c = Forms::create<ChildForm>(QStringLiteral("fHuge"));
        {
            Watchdog dog("a window whose caption has a million characters", 120);
            c->setCaption(huge);
            c->show();
            QVERIFY(QTest::qWaitForWindowExposed(main->window()));
            main->window()->grab();
            QCoreApplication::processEvents();
        }
        QVERIFY(c->caption() == huge);
        QCOMPARE(c->subWindow()->windowTitle(), shownText(huge));
        QMenu windows;
        main->setWindowListMenu(&windows);
        {
            Watchdog dog("the window list with a caption of a million characters", 120);
            emit windows.aboutToShow();
        }
        QCOMPARE(windows.actions().last()->text(), QStringLiteral("&1 ") + shownText(huge));
        QVERIFY(main->unload());
    }

    void closeBoxOfAChild()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        auto *c1 = Forms::create<ChildForm>(QStringLiteral("fA"));
        auto *c2 = Forms::create<ChildForm>(QStringLiteral("fB"));
        c1->show();
        c2->show();
        g_log.clear();
        c2->cancelQuery = 1;
        c2->subWindow()->close();
        QVERIFY(c2->isLoaded());
        QVERIFY(c2->isVisible());
        c2->cancelQuery = 0;
        main->mdiArea()->closeAllSubWindows();
        QVERIFY(!c1->isLoaded());
        QVERIFY(!c2->isLoaded());
        QVERIFY(main->isLoaded());
        QCOMPARE(g_log.filter(QStringLiteral("QueryUnload(0)")).size(), 3);
        QCOMPARE(Forms::count(), 1);
    }

    void childActivationFollowsTheArea()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        auto *c1 = Forms::create<ChildForm>(QStringLiteral("fA"));
        auto *c2 = Forms::create<ChildForm>(QStringLiteral("fB"));
        c1->show();
        c2->show();
        g_log.clear();
        main->mdiArea()->setActiveSubWindow(c1->subWindow());
        QCOMPARE(g_log, (QStringList{"fB.Deactivate", "fA.Activate"}));
        QCOMPARE(Forms::activeForm(), c1);
        c1->show(); // already active: no second Activate
        QCOMPARE(g_log.size(), 2);
    }

    void cascadeKeepsTheSizeOfEachChild()
    {
        auto *main = Forms::create<MainForm>();
        main->move(0, 0, 11730, 8700);
        main->show();
        auto *card = Forms::create<ChildForm>(QStringLiteral("fNote"));
        card->move(900, 600, 8695, 6250);
        card->show();
        auto *list = Forms::create<ChildForm>(QStringLiteral("fGrid"));
        list->move(0, 0, 6000, 3000);
        list->show();
        auto *icon = Forms::create<ChildForm>(QStringLiteral("fIcon"));
        icon->show();
        icon->setWindowState(vbMinimized);
        list->show();
        const QSize cardSize = card->subWindow()->size(), listSize = list->subWindow()->size();
        const QPoint iconAt = icon->subWindow()->pos();
        QCOMPARE(cardSize, QSize(pixelsX(8695), pixelsY(6250)));

        main->arrange(vbCascade);
        QCOMPARE(card->subWindow()->size(), cardSize);
        QCOMPARE(list->subWindow()->size(), listSize);
        // The front one last, one title bar lower and to the right.
        QCOMPARE(card->subWindow()->pos(), QPoint(0, 0));
        QVERIFY(list->left() > card->left());
        QVERIFY(list->subWindow()->y() >= card->subWindow()->widget()->y());
        QCOMPARE(Forms::activeForm(), list);
        QCOMPARE(icon->windowState(), int(vbMinimized));
        QCOMPARE(icon->subWindow()->pos(), iconAt);

        // Maximised, then restored: its size comes back.
        card->show();
        card->setWindowState(vbMaximized);
        QCOMPARE(card->windowState(), int(vbMaximized));
        card->subWindow()->showNormal();
        QCOMPARE(card->windowState(), int(vbNormal));
        QCOMPARE(card->subWindow()->size(), cardSize);
        // A maximised child is cascaded at its own size too.
        card->setWindowState(vbMaximized);
        main->arrange(vbCascade);
        QCOMPARE(card->windowState(), int(vbNormal));
        QCOMPARE(card->subWindow()->size(), cardSize);

        // Many cards in a narrow area: each stays whole inside it.
        main->setWidth(9500);
        for (int i = 0; i < 6; ++i) {
            auto *more = Forms::create<ChildForm>(QStringLiteral("fMore%1").arg(i));
            more->move(0, 0, 8695, 6250);
            more->show();
        }
        main->arrange(vbCascade);
        const QRect room(QPoint(0, 0), main->mdiArea()->viewport()->size());
        QVERIFY(room.width() < cardSize.width() + 8 * 20);
        for (Form *c : main->children())
            if (c != icon)
                QVERIFY2(room.contains(c->subWindow()->geometry()), qPrintable(c->name()));
    }

    void closingAChildActivatesTheOneActiveBeforeIt()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        auto *first = Forms::create<ChildForm>(QStringLiteral("fFirst"));
        auto *card = Forms::create<ChildForm>(QStringLiteral("fCard"));
        auto *other = Forms::create<ChildForm>(QStringLiteral("fOther"));
        first->show();
        card->show();
        other->show();
        card->show();
        // The card opens a chooser; closing the chooser brings the card back,
        // once the event that closed it is over.
        auto *chooser = Forms::create<ChildForm>(QStringLiteral("fChooser"));
        chooser->show();
        g_log.clear();
        QVERIFY(chooser->unload());
        QCOMPARE(g_log, (QStringList{"fChooser.QueryUnload(1)", "fChooser.Unload"}));
        QCOMPARE(Forms::activeForm(), nullptr);
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(main->activeChild(), card);
        QCOMPARE(Forms::activeForm(), card);
        QCOMPARE(g_log.last(), QStringLiteral("fCard.Activate"));

        // A window shown by the event that closed the chooser keeps the front.
        chooser = Forms::create<ChildForm>(QStringLiteral("fChooser2"));
        chooser->show();
        QVERIFY(chooser->unload());
        auto *made = Forms::create<ChildForm>(QStringLiteral("fMade"));
        made->show();
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(main->activeChild(), made);
        QVERIFY(made->unload());
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(main->activeChild(), card);

        // The close box too; then the next one back.
        chooser = Forms::create<ChildForm>(QStringLiteral("fChooser3"));
        chooser->show();
        chooser->subWindow()->close();
        QVERIFY(!chooser->isLoaded());
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(main->activeChild(), card);
        QVERIFY(card->unload());
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(main->activeChild(), other);

        // A child that is not the active one changes nothing.
        QVERIFY(first->unload());
        flushDeletes();
        QCoreApplication::processEvents();
        QCOMPARE(main->activeChild(), other);
    }

    // A first click that closes the window in front must not let the second
    // click of the same double-click act on the window beneath.
    void secondClickStaysInTheWindowOfTheFirst()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main->window()));
        int clicks[2] = {0, 0};
        // An unloaded form is deleted once the events run: held weakly.
        QList<QPointer<ChildForm>> stack;
        QList<QPushButton *> buttons;
        for (int i = 0; i < 2; ++i) {
            auto *card = Forms::create<ChildForm>(QStringLiteral("fCard%1").arg(i));
            auto *button = new QPushButton(QStringLiteral("Delete"), card->client());
            button->setGeometry(20, 20, 80, 25);
            QObject::connect(button, &QPushButton::clicked, card, [card, &clicks, i] {
                ++clicks[i];
                card->unload();
            });
            card->move(0, 0, 3000, 2000);
            card->show();
            stack << card;
            buttons << button;
        }
        QCOMPARE(main->activeChild(), stack[1].data());

        windowclicks::doubleClickAt(buttons[1]);
        QCOMPARE(clicks[1], 1);
        QVERIFY(!stack[1] || !stack[1]->isLoaded());
        QCOMPARE(clicks[0], 0);
        QVERIFY(stack[0] && stack[0]->isLoaded());

        // A click of its own, after the double-click time, does reach it.
        windowclicks::clickTwiceAt(buttons[0], QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QCOMPARE(clicks[0], 1);
        QVERIFY(!stack[0] || !stack[0]->isLoaded());
    }

    // The same with the clicks a moment apart; a window that stays keeps
    // both clicks and its double-click; the main window's own surface is a
    // window of its own.
    void doubleClickWithinOneWindowReachesItWhole()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main->window()));
        auto *below = Forms::create<ChildForm>(QStringLiteral("fBelow"));
        auto *list = new QListWidget(below->client());
        list->setGeometry(10, 10, 150, 100);
        list->addItem(QStringLiteral("row"));
        int doubleClicked = 0;
        QObject::connect(list, &QListWidget::itemDoubleClicked, below, [&] { ++doubleClicked; });
        below->move(0, 0, 3000, 2500);
        below->show();

        auto *above = Forms::create<ChildForm>(QStringLiteral("fAbove"));
        auto *store = new QPushButton(QStringLiteral("Store"), above->client());
        store->setGeometry(10, 10, 80, 25);
        int stores = 0;
        QObject::connect(store, &QPushButton::clicked, above, [&] { ++stores; });
        above->move(0, 0, 3000, 2500);
        above->show();

        windowclicks::clickTwiceAt(store, 120);
        QCOMPARE(stores, 2);

        // The first click hides the window in front: the second, a moment
        // later, finds the list beneath and does nothing there.
        QObject::connect(store, &QPushButton::clicked, above, [&] { above->hide(); });
        windowclicks::clickTwiceAt(store, 120);
        QCOMPARE(stores, 3);
        QVERIFY(!above->isVisible());
        QCOMPARE(list->selectedItems().size(), 0);
        QCOMPARE(doubleClicked, 0);

        // A double-click on the list itself reaches it.
        QTest::mouseDClick(main->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                           list->viewport()->mapTo(main->window(), list->visualItemRect(list->item(0)).center()));
        QCOMPARE(doubleClicked, 1);
    }

    void bringToFrontActivatesALoadedChildOnly()
    {
        auto *main = Forms::create<MainForm>();
        main->show();
        auto *a = Forms::create<ChildForm>(QStringLiteral("fA"));
        auto *b = Forms::create<ChildForm>(QStringLiteral("fB"));
        a->show();
        b->show();
        a->bringToFront();
        QCOMPARE(main->activeChild(), a);
        QCOMPARE(main->mdiArea()->subWindowList(QMdiArea::StackingOrder).last(), a->subWindow());
        b->hide();
        b->bringToFront(); // hidden: stays hidden
        QVERIFY(!b->isVisible());
        QCOMPARE(main->activeChild(), a);
    }

    void placesClearOfTheOtherWindows()
    {
        const QRect screen(0, 0, 1600, 1000), main(409, 210, 782, 580);
        // Alone: centred over the main window.
        const QRect progress = placeClearOf(main, QSize(300, 100), {}, screen);
        QCOMPARE(progress, QRect(650, 450, 300, 100));
        // Beside a window that stands there already, not over it.
        const QRect list = placeClearOf(main, QSize(300, 400), {progress}, screen);
        QCOMPARE(list, QRect(progress.right() + 1, 300, 300, 400));
        const QRect totals = placeClearOf(main, QSize(200, 400), {progress, list}, screen);
        QVERIFY(!totals.intersects(progress) && !totals.intersects(list));
        QVERIFY(screen.contains(totals));
        // No room: on the screen, over as little as it can.
        const QRect small(0, 0, 800, 600);
        const QRect cramped = placeClearOf(QRect(9, 10, 782, 580), QSize(300, 400), {QRect(250, 256, 300, 88)}, small);
        QVERIFY(small.contains(cramped));
        QVERIFY(cramped.intersected(QRect(250, 256, 300, 88)).height() * cramped.intersected(QRect(250, 256, 300, 88)).width()
                < 300 * 88);
        // A window larger than the screen starts at its top left.
        QCOMPARE(placeClearOf(main, QSize(2000, 1200), {}, screen).topLeft(), QPoint(0, 0));
    }

    void windowsOfTheirOwnStandOverTheMainWindow()
    {
        auto *main = Forms::create<MainForm>();
        main->window()->setGeometry(200, 150, 400, 300);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main->window()));
        const QRect over = main->window()->frameGeometry();
        auto *progress = Forms::create<LogForm>(QStringLiteral("fProgress"));
        progress->window()->resize(160, 60);
        progress->placeOverMdiForm();
        progress->show();
        QCOMPARE(progress->window()->frameGeometry().center(), over.center());
        auto *list = Forms::create<LogForm>(QStringLiteral("fList"));
        list->window()->resize(120, 200);
        list->placeOverMdiForm();
        list->show();
        QVERIFY(!list->window()->frameGeometry().intersects(progress->window()->frameGeometry()));
        QVERIFY(list->window()->frameGeometry().intersects(over));
    }

    void childKeptInsideTheArea()
    {
        auto *main = Forms::create<MainForm>();
        main->window()->resize(700, 500);
        main->show();
        const QSize room = main->mdiArea()->viewport()->size();
        auto *kept = Forms::create<ChildForm>(QStringLiteral("fKept"));
        kept->setKeptInsideMdiArea(true);
        kept->move(twipsX(room.width() - 100), twipsY(room.height() - 50), twipsX(300), twipsY(200));
        kept->show();
        const QRect g = kept->subWindow()->geometry();
        QCOMPARE(g.size(), QSize(300, 200));
        QCOMPARE(g.bottomRight(), QPoint(room.width() - 1, room.height() - 1));
        // Left in place when it is inside already; at the top left when larger.
        kept->move(twipsX(30), twipsY(20));
        kept->show();
        QCOMPARE(kept->subWindow()->pos(), QPoint(30, 20));
        kept->move(twipsX(50), twipsY(50), twipsX(room.width() + 100), twipsY(100));
        kept->show();
        QCOMPARE(kept->subWindow()->pos(), QPoint(0, 50));
        // Other children stay where they are put.
        auto *free = Forms::create<ChildForm>(QStringLiteral("fFree"));
        free->move(twipsX(room.width() - 100), 0, twipsX(300), twipsY(200));
        free->show();
        QCOMPARE(free->subWindow()->x(), room.width() - 100);
    }

    void geometryInTwips()
    {
        QCOMPARE(twipsPerPixel(96), 15.0);
        QCOMPARE(twipsPerPixel(120), 12.0);
        QCOMPARE(twipsPerPixel(0), 15.0);
        QCOMPARE(twipsPerPixelX(), 15.0); // offscreen screens are 96 dpi
        QCOMPARE(pixelsX(1440), 96);
        QCOMPARE(pixelsX(7), 0);
        QCOMPARE(pixelsX(8), 1);
        QCOMPARE(twipsX(2), 30.0);
        QWidget w;
        setGeometryTwips(&w, 150, 300, 1500, -15);
        QCOMPARE(w.geometry(), QRect(10, 20, 100, 0));
        QCOMPARE(widthOf(&w), 1500.0);

        auto *f = Forms::create<LogForm>();
        f->setWidth(6290);
        f->setHeight(3915);
        f->move(600, 450);
        QCOMPARE(f->width(), 6290.0); // read back before the window is shown
        f->show();
        // On screen the frame is whole pixels: 6290 twips are 419 pixels.
        QCOMPARE(f->width(), 6285.0);
        QCOMPARE(f->height(), 3915.0);
        QCOMPARE(f->left(), 600.0);
        // The client area is the outer frame less the frame itself.
        const QRect frame = f->window()->frameGeometry(), client = f->window()->geometry();
        QCOMPARE(f->scaleWidth(), f->width() - twipsX(frame.width() - client.width()));
        QCOMPARE(f->scaleHeight(), f->height() - twipsY(frame.height() - client.height()));
        QVERIFY(Screen::width() > 0);
        // The centring of the runtime: (screen - window) \ 2.
        QVERIFY(f->width() < Screen::width());

        auto *main = Forms::create<MainForm>();
        main->show();
        main->setWidth(11730);
        auto *child = Forms::create<ChildForm>(QStringLiteral("fChild"));
        child->move(0, 0, 3000, 1500);
        child->show();
        QCOMPARE(child->left(), 0.0);
        QCOMPARE(child->width(), 3000.0); // the outer frame
        QVERIFY(child->scaleWidth() < child->width());

        // A child placed past the area's right edge can be scrolled to.
        QScrollBar *across = main->mdiArea()->horizontalScrollBar();
        QTRY_VERIFY_WITH_TIMEOUT(!across->isVisible(), 60000);
        child->setLeft(main->width());
        QTRY_VERIFY_WITH_TIMEOUT(across->isVisible() && across->maximum() > 0, 60000);
    }

    void timerTicksWhileLoaded()
    {
        auto *f = new LogForm;
        auto *t = new Timer(f);
        t->setInterval(10);
        int ticks = 0;
        QObject::connect(t, &Timer::timer, [&] { ++ticks; });
        QTest::qWait(40);
        QCOMPARE(ticks, 0); // not loaded yet
        f->load();
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 60000);
        t->setInterval(0);
        const int stopped = ticks;
        QTest::qWait(40);
        QCOMPARE(ticks, stopped);
        t->setInterval(10);
        f->unload();
        const int atUnload = ticks;
        QTest::qWait(40);
        QCOMPARE(ticks, atUnload);
    }

    void screenPointerIsOneValue()
    {
        Screen::setMousePointer(vbDefault); // nothing set: nothing to undo
        QVERIFY(!QGuiApplication::overrideCursor());
        Screen::setMousePointer(vbHourglass);
        Screen::setMousePointer(vbHourglass);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        Screen::setMousePointer(vbDefault);
        QVERIFY(!QGuiApplication::overrideCursor());
        {
            HourglassCursor busy;
            QCOMPARE(Screen::mousePointer(), int(vbHourglass));
        }
        QCOMPARE(Screen::mousePointer(), int(vbDefault));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void controlArrayElements()
    {
        QWidget parent;
        auto *design = new QWidget(&parent);
        ControlArray<QWidget> grid(design, [&](int) { return new QWidget(&parent); });
        QCOMPARE(grid[0], design);
        QWidget *one = grid.load(1);
        QVERIFY(!one->isVisibleTo(&parent));
        QCOMPARE(grid.ubound(), 1);
        QCOMPARE(grid.indexOf(one), 1);
        try {
            grid.load(1);
            QFAIL("loading twice must fail");
        } catch (const Error &e) {
            QCOMPARE(e.number(), 360);
        }
        try {
            grid.unload(0);
            QFAIL("the design element stays");
        } catch (const Error &e) {
            QCOMPARE(e.number(), 362);
        }
        grid.unload(1);
        QVERIFY(!grid.exists(1));
        QCOMPARE(grid.ubound(), 0);
        try {
            (void)grid[1];
            QFAIL("missing element");
        } catch (const Error &e) {
            QCOMPARE(e.number(), 340);
        }
    }

    // A control made on first ask keeps its place among the design's
    // controls and is made once, under its design name.
    void controlMadeWhenFirstAskedFor()
    {
        LogForm f;
        auto *first = new QPushButton(f.client());
        auto *last = new QPushButton(f.client());
        int made = 0;
        f.addControl(QStringLiteral("First"), first);
        f.addControl(QStringLiteral("Buffer"), [&]() -> QObject * {
            ++made;
            return new QWidget(f.client());
        });
        f.addControl(QStringLiteral("Last"), last);
        QCOMPARE(f.control(QStringLiteral("Last")), last);
        QCOMPARE(made, 0);
        QObject *buffer = f.control(QStringLiteral("Buffer"));
        QVERIFY(buffer);
        QCOMPARE(buffer->objectName(), QStringLiteral("Buffer"));
        QCOMPARE(buffer->parent(), f.client());
        QCOMPARE(f.controls(), (QList<QObject *>{first, buffer, last}));
        QCOMPARE(f.control(QStringLiteral("Buffer")), buffer);
        QCOMPARE(made, 1);

        // Walking the controls makes it too.
        LogForm g;
        g.addControl(QStringLiteral("Buffer"), [&]() -> QObject * { return new QWidget(g.client()); });
        QCOMPARE(g.controls().size(), 1);
        QCOMPARE(g.controls().first()->objectName(), QStringLiteral("Buffer"));
    }

    void enterClicksTheDefaultButton()
    {
        auto *f = Forms::create<LogForm>();
        auto *button = new QPushButton(QStringLiteral("OK"), f->client());
        int clicks = 0;
        QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
        f->setDefaultButton(button);
        f->show();
        QTest::keyClick(f->window(), Qt::Key_Return);
        QCOMPARE(clicks, 1);
        button->setEnabled(false);
        QTest::keyClick(f->window(), Qt::Key_Return);
        QCOMPARE(clicks, 1);
    }

    void laterRunsAfterTheEventAndIsGuarded()
    {
        DialogScript script;
        script.msgBox(vbOK, runtimeErrorText(3021, QStringLiteral("No current record.")));
        QObject context;
        int ran = 0;
        runLater(&context, [&] {
            ++ran;
            raise(3021, QStringLiteral("No current record."));
        });
        QCOMPARE(ran, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ran, 1, 60000);
        QVERIFY2(script.ok(), script.report());
        // Gone before it could run: nothing runs.
        auto *gone = new QObject;
        runLater(gone, [&] { ++ran; });
        delete gone;
        QCoreApplication::processEvents();
        QCOMPARE(ran, 1);
    }

    void versionOfTheProgram()
    {
        QCOMPARE(QStringLiteral("%1.%2.%3").arg(App::major()).arg(App::minor()).arg(App::revision()),
                 QStringLiteral("1.8.66"));
        QCOMPARE(App::title(), QStringLiteral("Corvane Studio"));
    }

    void colours()
    {
        QCOMPARE(oleColor(0x0000FF), QColor(255, 0, 0)); // BGR
        QCOMPARE(oleColor(0xFF0000), QColor(0, 0, 255));
        QCOMPARE(oleColor(vbHighlight), QGuiApplication::palette().color(QPalette::Highlight));
        QCOMPARE(oleColor(vbWindowBackground), QGuiApplication::palette().color(QPalette::Base));
        QCOMPARE(toOleColor(QColor(1, 2, 3)), quint32(0x030201));
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
