// The second click of a double-click, driven as the window system delivers
// it: QTest's clicks on a widget go to its top-level window at the widget's
// place, and Qt finds the control standing there when each press arrives.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include "Form.h"

#include <QPushButton>

using namespace vb;

namespace {

// A window of its own (not inside a main window) with one button that
// counts its presses and clicks, and may unload the window.
class ToolWindow : public Form {
    Q_OBJECT
public:
    ToolWindow(bool unloadOnClick, int &presses, int &clicks)
    {
        setObjectName(QStringLiteral("fTool"));
        button = new QPushButton(QStringLiteral("Delete"), client());
        button->setGeometry(20, 20, 90, 28);
        connect(button, &QPushButton::pressed, this, [&presses] { ++presses; });
        connect(button, &QPushButton::clicked, this, [this, unloadOnClick, &clicks] {
            ++clicks;
            if (unloadOnClick)
                unload();
        });
    }
    QPushButton *button = nullptr;
};

} // namespace

class TestSecondClick : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        for (Form *f : Forms::all())
            f->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // The first click unloads its window, which is hidden but still there
    // (it goes only once the event loop turns): the second press, already
    // on its way to that window, finds the same button under the mouse.
    // It belongs to a window no longer loaded and is dropped whole.
    void aWindowUnloadedByTheFirstClickTakesNoSecond()
    {
        int presses = 0, clicks = 0;
        auto *tool = new ToolWindow(true, presses, clicks);
        tool->show();
        QVERIFY(QTest::qWaitForWindowExposed(tool->window()));

        QTest::mouseDClick(tool->button, Qt::LeftButton);
        QCOMPARE(presses, 1);
        QCOMPARE(clicks, 1);
        QCOMPARE(Forms::count(), 0);
    }

    // A window that stays loaded keeps both clicks of its double-click, and
    // a click after the double-click time is a click of its own.
    void aWindowThatStaysTakesBothClicks()
    {
        int presses = 0, clicks = 0;
        auto *tool = new ToolWindow(false, presses, clicks);
        tool->show();
        QVERIFY(QTest::qWaitForWindowExposed(tool->window()));

        QTest::mouseDClick(tool->button, Qt::LeftButton);
        QCOMPARE(presses, 2);
        QCOMPARE(clicks, 2);
        QTest::mouseClick(tool->button, Qt::LeftButton);
        QCOMPARE(clicks, 3);
        QVERIFY(tool->isLoaded());
    }
};

QTEST_MAIN(TestSecondClick)
#include "tst_second_click.moc"
