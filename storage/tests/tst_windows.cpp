// The small windows of storage and their rules: the memory guard and
// Alert, the progress window, the form resizer, the folder chooser, the
// credits window and the settings wrapper.

#include "Alert.h"
#include "CommonControls.h"
#include "Dialogs.h"
#include "FileLists.h"
#include "Graphics.h"
#include "Memory.h"
#include "Placement.h"
#include "Runtime.h"
#include "Screen.h"
#include "SettingsRegistry.h"
#include "Twips.h"
#include "StorageTestUtil.h"
#include "Working.h"
#include "clsFormResize.h"
#include "fCopyright.h"
#include "frmSelecChemin.h"

#include <QDir>
#include <QMouseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using namespace vb;

namespace {

MemoryStatus status(qint64 totalPhys, qint64 availPhys, qint64 totalVirtual, qint64 availVirtual)
{
    MemoryStatus s;
    s.totalPhys = totalPhys;
    s.availPhys = availPhys;
    s.totalVirtual = totalVirtual;
    s.availVirtual = availVirtual;
    return s;
}

class Plain : public Form {
public:
    Plain() { window()->resize(pixelsX(6000), pixelsY(3000)); }
};

// The texts a label had each time it was painted.
class PaintLog : public QObject {
public:
    explicit PaintLog(QLabel *label) : m_label(label) { label->installEventFilter(this); }
    QStringList painted;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == m_label && e->type() == QEvent::Paint)
            painted << m_label->text();
        return false;
    }

private:
    QLabel *m_label;
};

// A click as the window system hands it over while the program is busy:
// press and release queued for the control's top-level window at the
// control's place; Qt finds the control standing there when they run.
void queueClick(QWidget *control)
{
    QWindow *window = control->window()->windowHandle();
    QVERIFY(window);
    const QPointF at = control->mapTo(control->window(), control->rect().center());
    const QPointF global = window->mapToGlobal(at.toPoint());
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(window, new QMouseEvent(t, at, at, global, Qt::LeftButton,
                                                           t == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                         : Qt::NoButton,
                                                           Qt::NoModifier));
}

class PlainMdi : public MdiForm {
public:
    PlainMdi() { window()->resize(pixelsX(9000), pixelsY(6000)); }
};

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    int m_ends = 0;

private slots:
    void initTestCase() { Forms::setProgramEndHandler([this] { ++m_ends; }); }
    void cleanup()
    {
        setMemoryStatusSource({});
        resetShared();
        QCoreApplication::processEvents();
    }

    void checkMemoryThresholds()
    {
        // Half of everything free: enough, nothing shown.
        setMemoryStatusSource([] { return status(8000000, 4000000, 2000000, 1000000); });
        CheckMemory();
        QVERIFY(MemoryOk);
        QVERIFY(!Forms::isLoaded<Alert>());

        // Exactly a tenth free is still enough.
        setMemoryStatusSource([] { return status(600, 60, 400, 40); });
        CheckMemory();
        QVERIFY(MemoryOk);
        QVERIFY(!Forms::isLoaded<Alert>());

        // Just below a tenth: Alert with both used shares.
        setMemoryStatusSource([] { return status(1000, 40, 1000, 59); });
        CheckMemory();
        QVERIFY(!MemoryOk);
        Alert *a = Forms::find<Alert>();
        QVERIFY(a && a->isVisible());
        QCOMPARE(a->Text1->text(), QStringLiteral(" 96 %"));
        QCOMPARE(a->Text2->text(), QStringLiteral(" 94.1 %"));
        QCOMPARE(a->caption(), QStringLiteral("Alert !!"));
    }

    void cardSetGuardNeedsBothFiguresShort()
    {
        // Physical short alone, or virtual short alone, lets the cards open.
        setMemoryStatusSource([] { return status(1000, 40, 100000, 3000); });
        QVERIFY(!LowMemoryGuard());
        setMemoryStatusSource([] { return status(1000, 50, 100000, 1500); });
        QVERIFY(!LowMemoryGuard());
        setMemoryStatusSource([] { return status(1000, 49, 100000, 2000); });
        QVERIFY(!LowMemoryGuard());
        QVERIFY(!Forms::isLoaded<Alert>());

        // Both below their thresholds: Alert with the used shares, fractions kept.
        setMemoryStatusSource([] { return status(2000, 49, 80000, 1999); });
        QVERIFY(LowMemoryGuard());
        Alert *a = Forms::find<Alert>();
        QVERIFY(a && a->isVisible());
        QCOMPARE(a->Text1->text(), QStringLiteral(" 97.55 %"));
        QCOMPARE(a->Text2->text(), QStringLiteral(" 97.50125 %"));
        Forms::unload<Alert>();

        // No totals at all: no division by zero.
        setMemoryStatusSource([] { return status(0, 0, 0, 0); });
        QVERIFY(LowMemoryGuard());
        QCOMPARE(Forms::find<Alert>()->Text1->text(), QStringLiteral(" 0 %"));
    }

    void memoryFiguresOfA64BitProcess()
    {
        // 2^47 bytes of address space is 2^37 KB, far past 32 bits.
        const qint64 space = qint64(1) << 37;
        QVERIFY(!MemoryIsShort(status(16000000, 8000000, space, space - 1000000)));
        QVERIFY(MemoryIsShort(status(16000000, 10, space, space / 20)));
        QCOMPARE(UsedPercentText(space, space / 4), QStringLiteral(" 75 %"));
        QVERIFY(!MemoryIsShort(status(0, 0, 0, 0)));
    }

    void alertAndWorkingStandOverTheMainWindow()
    {
        FakeMainWindow main;
        main.loaded = true;
        main.width = 12000;
        main.height = 9000;
        main.leftPanel = 2400;
        Alert &a = Forms::get<Alert>();
        QCOMPARE(qRound(a.left()), (12000 - qRound(a.width())) / 2 - 2400);
        QCOMPARE(qRound(a.top()), (9000 - qRound(a.height())) / 2);

        Working &w = Forms::get<Working>();
        QCOMPARE(w.caption(), QStringLiteral("Working..."));
        QCOMPARE(w.width(), 4320.0);
        QCOMPARE(w.height(), 2220.0);
        QCOMPARE(qRound(w.left()), (12000 - 4320) / 2 - 2400);
        QCOMPARE(qRound(w.top()), (9000 - 2220) / 2);
        w.show();
        QVERIFY(qAbs(w.width() - 4320) <= 15 && qAbs(w.height() - 2220) <= 15);
        w.Label1->setText(QStringLiteral(" First Sort.."));
        w.ProgressBar1->setValue(150.0);
        QCOMPARE(w.ProgressBar1->value(), 100);
        w.refresh();

        // No main window: the screen stands in for it.
        main.loaded = false;
        const MainWindowSize s = mainWindowSize();
        QCOMPARE(s.leftPanel, 0.0);
        QCOMPARE(leftOverMainWindow(s, 4320), intDiv(s.width - 4320, 2));
    }

    void workingIsPaintedWhileTheWorkRuns()
    {
        // The work never returns to the event loop: what refresh() paints is
        // all the user sees.
        Working &w = Forms::get<Working>();
        w.show();
        PaintLog log(w.Label1);
        QPushButton elsewhere(QStringLiteral("another command"));
        elsewhere.show();
        int clicked = 0;
        connect(&elsewhere, &QPushButton::clicked, [&] { ++clicked; });
        for (int step = 1; step <= 40; ++step) {
            w.Label1->setText(QStringLiteral("Step %1").arg(step));
            if (step == 3)
                queueClick(&elsewhere); // on another window while the work runs
            w.refresh();
            QTest::qSleep(5);
        }
        QVERIFY2(log.painted.size() >= 3, qPrintable(log.painted.join(u',')));
        QCOMPARE(log.painted.first(), QStringLiteral("Step 1"));
        QCOMPARE(log.painted.filter(QStringLiteral("Step")).size(), log.painted.size());
        QCOMPARE(w.cmdStop->isVisible(), false);
        // Nothing the user did meanwhile runs, then or after the work.
        Forms::unload<Working>();
        QCoreApplication::processEvents();
        QCOMPARE(clicked, 0);
    }

    // Clicks that come after the work's last pump, in its last moments, are
    // handled as during the work once it ends: on another window they run
    // nothing, then or later; on the progress window's Stop they are the
    // Stop's. The same holds for any window a work paints.
    void clicksAtTheEndOfTheWorkAreTheWorks()
    {
        QPushButton elsewhere(QStringLiteral("another command"));
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&elsewhere, 60000));
        int clicked = 0;
        connect(&elsewhere, &QPushButton::clicked, [&] { ++clicked; });

        Working &w = Forms::get<Working>();
        w.offerStop();
        w.show();
        w.refresh();
        QVERIFY(QTest::qWaitForWindowExposed(w.window(), 60000));
        w.refresh();
        queueClick(&elsewhere);
        queueClick(w.cmdStop);
        const QPointer<Working> working(&w);
        QVERIFY(Forms::unload<Working>());
        const bool stopped = working && working->stopRequested();
        QCoreApplication::processEvents();
        QCOMPARE(clicked, 0);
        QVERIFY(stopped);

        // A window that stays after its work.
        Plain *shown = Forms::create<Plain>();
        shown->show();
        PaintProgress(*shown);
        queueClick(&elsewhere);
        EndProgress(*shown);
        QCoreApplication::processEvents();
        QCOMPARE(clicked, 0);
        // Once the work is over, clicks reach their window.
        queueClick(&elsewhere);
        QCoreApplication::processEvents();
        QCOMPARE(clicked, 1);
        shown->unload();
    }

    void resizeTagRules()
    {
        QCOMPARE(ResizeRule::fromTag(QString()), ResizeRule{});
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("abc")), ResizeRule{});
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("@T,H,L,W")), ResizeRule{});
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("@LW")), (ResizeRule{false, false, true, true}));
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("@lw")), (ResizeRule{false, false, true, true}));
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("@T")), (ResizeRule{true, false, false, false}));
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("@")), (ResizeRule{false, false, false, false}));
        // "T" elsewhere than after "@" still counts: the letters are looked for anywhere.
        QCOMPARE(ResizeRule::fromTag(QStringLiteral("@width")), (ResizeRule{true, true, false, true}));
    }

    void resizerScalesByTheRecordedLayout()
    {
        Plain *f = Forms::create<Plain>();
        f->show();
        auto *all = new QLabel(f->client());
        auto *lw = new QLabel(f->client());
        auto *line = new LineControl(f->client());
        setGeometryTwips(all, 1200, 600, 2400, 900);
        setGeometryTwips(lw, 1200, 600, 2400, 900);
        lw->setProperty("tag", QStringLiteral("@LW"));
        line->setPoints(300, 300, 3000, 1500);
        line->setProperty("tag", QStringLiteral("@T"));
        f->addControl(QStringLiteral("all"), all);
        f->addControl(QStringLiteral("lw"), lw);
        f->addControl(QStringLiteral("line"), line);
        f->addControl(QStringLiteral("timer"), new Timer(f));

        clsFormResize r;
        r.setSourceForm(f);
        r.ScaleControls();
        QCOMPARE(r.recordCount(), 3); // the timer has no place
        const double w0 = f->scaleWidth(), h0 = f->scaleHeight();

        f->window()->resize(f->window()->width() / 2, f->window()->height() * 2);
        QCoreApplication::processEvents();
        const double wr = f->scaleWidth() / w0, hr = f->scaleHeight() / h0;
        r.ScaleControls();
        QVERIFY(qAbs(leftOf(all) - 1200 * wr) <= 15 && qAbs(widthOf(all) - 2400 * wr) <= 15);
        QVERIFY(qAbs(topOf(all) - 600 * hr) <= 15 && qAbs(heightOf(all) - 900 * hr) <= 15);
        // "@LW" follows the width only.
        QVERIFY(qAbs(leftOf(lw) - 1200 * wr) <= 15);
        QCOMPARE(topOf(lw), 600.0);
        QCOMPARE(heightOf(lw), 900.0);
        // A line with "@T" moves its Y1 alone.
        QCOMPARE(line->x1(), 300.0);
        QCOMPARE(line->y1(), 300 * hr);
        QCOMPARE(line->x2(), 3000.0);
        QCOMPARE(line->y2(), 1500.0);

        // Back to the recorded size: back to the recorded places, not a
        // product of every step.
        f->window()->resize(pixelsX(w0), pixelsY(h0));
        QCoreApplication::processEvents();
        r.ScaleControls();
        QCOMPARE(leftOf(all), 1200.0);
        QCOMPARE(widthOf(all), 2400.0);
        QCOMPARE(line->y1(), 300.0);

        // ReInitialize makes the current layout the reference.
        setLeft(all, 600);
        r.ReInitialize();
        r.ScaleControls();
        QCOMPARE(leftOf(all), 600.0);

        // A minimised form is left alone.
        f->setWindowState(vbMinimized);
        if (f->windowState() == vbMinimized) {
            setLeft(all, 900);
            r.ScaleControls();
            QCOMPARE(leftOf(all), 900.0);
        }
        f->unload();
    }

    void resizerLeavesAnUnresizedMdiFormAlone()
    {
        PlainMdi *f = Forms::create<PlainMdi>();
        // With a menu bar the outer size and the client size differ.
        f->window()->menuBar()->addMenu(QStringLiteral("&Database"));
        f->show();
        QVERIFY(f->scaleHeight() < f->height());
        auto *pane = new QLabel(f->window());
        setGeometryTwips(pane, 1500, 900, 3000, 1500);
        f->addControl(QStringLiteral("pane"), pane);
        clsFormResize r;
        r.setSourceForm(f);
        r.ScaleControls();
        QCOMPARE(r.recordedWidth(), qRound(f->scaleWidth()));
        r.ScaleControls();
        QCOMPARE(leftOf(pane), 1500.0);
        QCOMPARE(widthOf(pane), 3000.0);
        QCOMPARE(topOf(pane), 900.0);
        QCOMPARE(heightOf(pane), 1500.0);

        r.SizeFormToScreen(33);
        QCOMPARE(f->width(), std::trunc(Screen::width() * 33 / 100.0));
        f->unload();
    }

    void folderChooserLireRule()
    {
        QVERIFY(!LireTakesOpenFolder(0, QStringLiteral("/a"), QStringLiteral("/a")));
        QVERIFY(!LireTakesOpenFolder(2, QStringLiteral("/a/b"), QStringLiteral("/a")));
        QVERIFY(LireTakesOpenFolder(1, QStringLiteral("/a"), QStringLiteral("/a")));

        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("icons")));
        frmSelecChemin &f = Forms::get<frmSelecChemin>();
        QCOMPARE(f.caption(), QStringLiteral("Sélection du chemin"));
        f.show();
        f.Dir1->setPath(dir.path());
        QCOMPARE(f.lfiFichiers->path(), f.Dir1->path());

        // No icon here: "&Lire" on the open folder only opens it again.
        f.Dir1->setListIndex(-1);
        f.btcLire->click();
        QVERIFY(f.isVisible());
        QVERIFY(f.tag().isEmpty());
        QCOMPARE(f.Dir1->path(), QDir::cleanPath(dir.path()));

        // A selected subfolder is opened, and the chooser stays.
        f.Dir1->setListIndex(0);
        f.btcLire->click();
        QVERIFY(f.isVisible());
        const QString icons = QDir::cleanPath(dir.filePath(QStringLiteral("icons")));
        QCOMPARE(f.Dir1->path(), icons);

        // With an icon, in any letter case, the open folder is the answer.
        QFile ico(dir.filePath(QStringLiteral("icons/App.ICO")));
        QVERIFY(ico.open(QIODevice::WriteOnly));
        ico.close();
        f.Dir1->setPath(dir.path());
        f.Dir1->setPath(icons);
        QCOMPARE(f.lfiFichiers->listCount(), 1);
        f.Dir1->setListIndex(-1);
        f.btcLire->click();
        QCOMPARE(f.tag(), icons);
        QVERIFY(!f.isVisible());

        f.show();
        f.btcAnnuler->click();
        QCOMPARE(f.tag(), QString());
        QVERIFY(!f.isVisible());
    }

    void creditsCloseOnAnyClickOrDeactivation()
    {
        FakeMainWindow main;
        main.loaded = true;
        fCopyright &c = Forms::get<fCopyright>();
        QCOMPARE(qRound(c.left()), intDiv(12000 - c.width(), 2) - 2400);
        QCOMPARE(qRound(c.top()), intDiv(9000 - c.height(), 4));
        c.show();
        QTest::mouseClick(c.Label2, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<fCopyright>());

        fCopyright &again = Forms::get<fCopyright>();
        again.show();
        QTest::mouseClick(again.Picture1, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<fCopyright>());

        fCopyright &surface = Forms::get<fCopyright>();
        surface.show();
        QTest::mouseClick(surface.client(), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!Forms::isLoaded<fCopyright>());

        // Another window of the program becomes active.
        fCopyright &third = Forms::get<fCopyright>();
        third.show();
        Plain *other = Forms::create<Plain>();
        other->show();
        QVERIFY(!Forms::isLoaded<fCopyright>());
        other->unload();
    }

    void settingsWrapper()
    {
        Registry r;
        QVERIFY(r.Appname().isEmpty() && r.Setting().isEmpty());
        r.setAppname(QStringLiteral("Corvane"));
        r.setSection(QStringLiteral("Paths"));
        r.setKey(QStringLiteral("Last"));
        r.setSetting(QStringLiteral("stale"));
        r.RegGet();
        QCOMPARE(r.Setting(), QString());
        r.setSetting(QStringLiteral("/home/u/bases"));
        r.RegSave();
        r.setSetting(QString());
        r.RegGet();
        QCOMPARE(r.Setting(), QStringLiteral("/home/u/bases"));
        r.RegDel();
        r.RegGet();
        QCOMPARE(r.Setting(), QString());
        QCOMPARE(errorOf([&] { r.RegDel(); }), int(ErrInvalidCall));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
