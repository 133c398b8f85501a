// The control's behaviour: mouse events and their order, the two styles,
// by-reference arguments, the About box, caption layout, which puts redraw,
// and the drawn face checked pixel by pixel.

#include "Dialogs.h"
#include "Palvex.h"
#include "PalvexTestUtil.h"

#include <QImage>
#include <QtTest>

using namespace Palvex_Ctl;
using vantrel::Palvex;

namespace {

constexpr Qt::KeyboardModifiers ShiftCtrlAlt = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

// Plain colours, 0x00BBGGRR.
constexpr OleColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Yellow = 0x00FFFF;
constexpr OleColor Grey = 0x808080, DarkGrey = 0x404040;

QColor bgr(OleColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The face as the eight lines cover it (each from its start pixel up to,
// not including, its end pixel).
QColor expectedPixel(int x, int y, int w, int h, const QColor &tl1, const QColor &tl2,
                     const QColor &dr1, const QColor &dr2, const QColor &back)
{
    QList<QColor> hits;
    if (y == 0 && x >= 0 && x <= w - 2) hits << tl1;          // LineTop1
    if (x == 0 && y >= 0 && y <= h - 2) hits << tl1;          // LineLeft1
    if (y == h - 1 && x >= 0 && x <= w - 1) hits << dr1;      // LineDown1
    if (x == w - 1 && y >= 0 && y <= h - 1) hits << dr1;      // LineRight1
    if (y == 1 && x >= 1 && x <= w - 3) hits << tl2;          // LineTop2
    if (x == 1 && y >= 1 && y <= h - 3) hits << tl2;          // LineLeft2
    if (y == h - 2 && x >= 1 && x <= w - 3) hits << dr2;      // LineDown2
    if (x == w - 2 && y >= 1 && y <= h - 2) hits << dr2;      // LineRight2
    if (hits.isEmpty())
        return back;
    for (const QColor &c : hits)
        Q_ASSERT(c == hits.first()); // overlapping lines always agree
    return hits.first();
}

} // namespace

class TestPalvex : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void normalClickInside();
    void normalReleaseOutside();
    void switchClickFlips();
    void switchReleaseOutsideKeepsState();
    void borderReleaseIsOutside_data();
    void borderReleaseIsOutside();
    void rightButtonAbout();
    void byRefButtonDecidesPushedLook();
    void mouseMoveAndArguments();
    void disabledRaisesNothing();
    void handlerDeletingControl();
    void signalsCarryReferences();

    void captionAutoRecentres();
    void captionFixedPlace();
    void captionAtLargestPlace();
    void putsThatRedraw();
    void putsThatDoNotRedraw();
    void propertyChangedOnPutsOnly();

    void releasedFacePixels();
    void pushedFacePixels();
    void designLookAndSystemColours();
    void tinyControlDrawsWithoutTrouble();

private:
    Palvex *make(int w = 60, int h = 24);
    QWidget *m_host = nullptr;
    EventLog m_log;
};

void TestPalvex::init()
{
    m_host = new QWidget;
    m_host->resize(300, 200);
    m_log = EventLog();
}

void TestPalvex::cleanup()
{
    delete m_host;
    m_host = nullptr;
}

Palvex *TestPalvex::make(int w, int h)
{
    auto *p = new Palvex(m_host);
    p->initNew();
    p->setGeometry(10, 10, w, h);
    p->advise(IPalvexEvents::iid, &m_log);
    m_host->show();
    return p;
}

void TestPalvex::normalClickInside()
{
    Palvex *p = make();
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(m_log.buttons(), QStringList{"MouseDown"});
    // Pushed look while held, but Position is not changed yet.
    QCOMPARE(p->lineColor(Palvex::LineTop1), p->ColorDownRightOne());
    QCOMPARE(p->Position(), up);
    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(m_log.buttons(), (QStringList{"MouseDown", "Click", "MouseUp"}));
    QCOMPARE(p->Position(), up);
    QCOMPARE(p->lineColor(Palvex::LineTop1), p->ColorTopLeftOne());

    // A host that puts Position 0 sees it go back to 1 at the next release.
    p->setPosition(Down);
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(p->Position(), up);
}

void TestPalvex::normalReleaseOutside()
{
    Palvex *p = make();
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(200, 10));
    QCOMPARE(m_log.buttons(), (QStringList{"MouseDown", "MouseUp"}));
    QCOMPARE(p->Position(), up);
    QCOMPARE(p->shownBackColor(), p->BackColor());
}

void TestPalvex::switchClickFlips()
{
    Palvex *p = make();
    p->setStyle(Switch);
    p->setCaptionAuto(false);
    p->setCaptionLeft(5);
    p->setCaptionTop(3);
    p->setBackColorDown(Green);

    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(m_log.buttons(), (QStringList{"MouseDown", "Click", "MouseUp"}));
    QCOMPARE(p->Position(), Down);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(6, 4));
    QCOMPARE(p->shownBackColor(), Green);
    QCOMPARE(p->lineColor(Palvex::LineDown2), p->ColorTopLeftTwo());

    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(p->Position(), up);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(5, 3));
    QCOMPARE(p->shownBackColor(), p->BackColor());
}

void TestPalvex::switchReleaseOutsideKeepsState()
{
    Palvex *p = make();
    p->setStyle(Switch);
    for (EnumPosition start : {up, Down}) {
        p->setPosition(start);
        const OleColor back = p->shownBackColor();
        const QRect caption = p->captionGeometry();
        m_log.events.clear();
        QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(-5, 10));
        QCOMPARE(m_log.buttons(), (QStringList{"MouseDown", "MouseUp"}));
        QCOMPARE(p->Position(), start);
        QCOMPARE(p->shownBackColor(), back);
        QCOMPARE(p->captionGeometry(), caption);
    }
}

void TestPalvex::borderReleaseIsOutside_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("inside");
    QTest::newRow("x = 0") << QPoint(0, 10) << false;
    QTest::newRow("y = 0") << QPoint(20, 0) << false;
    QTest::newRow("x = W") << QPoint(60, 10) << false;
    QTest::newRow("y = H") << QPoint(20, 24) << false;
    QTest::newRow("x = 1, y = 1") << QPoint(1, 1) << true;
    QTest::newRow("x = W - 1, y = H - 1") << QPoint(59, 23) << true;
}

void TestPalvex::borderReleaseIsOutside()
{
    QFETCH(QPoint, at);
    QFETCH(bool, inside);
    Palvex *p = make(60, 24);
    p->setStyle(Switch);
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(p, Qt::LeftButton, {}, at);
    QCOMPARE(m_log.buttons().contains("Click"), inside);
    QCOMPARE(p->Position(), inside ? Down : up);
}

void TestPalvex::rightButtonAbout()
{
    Palvex *p = make();
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK);
        int dialogsAtMouseUp = -1;
        m_log.onUp = [&](short &, short &, float &, float &) { dialogsAtMouseUp = int(script.shown().size()); };
        QTest::mousePress(p, Qt::RightButton, ShiftCtrlAlt, QPoint(20, 10));
        QTest::mouseRelease(p, Qt::RightButton, ShiftCtrlAlt, QPoint(20, 10));
        QVERIFY2(script.ok(), script.report());
        QCOMPARE(dialogsAtMouseUp, 0); // MouseUp first, then the box
        QCOMPARE(script.shown().first().buttons, int(vb::vbInformation));
        QCOMPARE(m_log.lastButton, short(2));
        QCOMPARE(m_log.lastShift, short(7));
        // The right button neither pushes nor clicks.
        QCOMPARE(m_log.buttons(), (QStringList{"MouseDown", "MouseUp"}));
        QCOMPARE(p->lineColor(Palvex::LineTop1), 0x80000016u);
        m_log.onUp = nullptr;
    }
    {
        // Without all three keys, or with the left button: no box (the script
        // would report any dialog it did not expect).
        vb::DialogScript none;
        m_log.events.clear();
        QTest::mouseClick(p, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(20, 10));
        QTest::mouseClick(p, Qt::LeftButton, ShiftCtrlAlt, QPoint(20, 10));
        QVERIFY2(none.ok(), none.report());
        QCOMPARE(m_log.buttons(), (QStringList{"MouseDown", "MouseUp", "MouseDown", "Click", "MouseUp"}));
    }
}

void TestPalvex::byRefButtonDecidesPushedLook()
{
    Palvex *p = make();
    p->setBackColorDown(Green);
    // The host turns a left press into "no button": no pushed look.
    m_log.onDown = [](short &b, short &, float &, float &) { b = 0; };
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(p->shownBackColor(), p->BackColor());
    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(20, 10));

    // And a right press into a left one: the pushed look.
    m_log.onDown = [](short &b, short &, float &, float &) { b = 1; };
    QTest::mousePress(p, Qt::RightButton, {}, QPoint(20, 10));
    QCOMPARE(p->shownBackColor(), Green);
    QTest::mouseRelease(p, Qt::RightButton, {}, QPoint(20, 10));

    // Two sinks see the same arguments: the second gets what the first left.
    EventLog second;
    p->advise(IPalvexEvents::iid, &second);
    m_log.onDown = [](short &b, short &s, float &x, float &) { b = 4; s = 3; x = 99.5f; };
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(second.lastButton, short(4));
    QCOMPARE(second.lastShift, short(3));
    QCOMPARE(second.lastX, 99.5f);
    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(20, 10));
    p->unadvise(IPalvexEvents::iid, &second);
    m_log.onDown = nullptr;
}

void TestPalvex::mouseMoveAndArguments()
{
    Palvex *p = make();
    QTest::mouseMove(p, QPoint(7, 9));
    QTRY_VERIFY_WITH_TIMEOUT(m_log.events.contains("MouseMove"), 60000);
    QTest::mousePress(p, Qt::MiddleButton, Qt::ControlModifier, QPoint(12, 5));
    QCOMPARE(m_log.lastButton, short(4));
    QCOMPARE(m_log.lastShift, short(2));
    QCOMPARE(m_log.lastX, 12.0f);
    QCOMPARE(m_log.lastY, 5.0f);
    QTest::mouseRelease(p, Qt::MiddleButton, Qt::ControlModifier, QPoint(12, 5));
}

void TestPalvex::disabledRaisesNothing()
{
    Palvex *p = make();
    p->setStyle(Switch);
    p->setEnabled(false);
    QVERIFY(!p->Enabled());
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(m_log.events.isEmpty());
    QCOMPARE(p->Position(), up);
    // The control's own Enabled, whatever its parent's.
    p->setEnabled(true);
    m_host->setEnabled(false);
    QVERIFY(p->Enabled());
    m_host->setEnabled(true);
}

void TestPalvex::handlerDeletingControl()
{
    // A host closing its form from a handler deletes the control in the
    // middle of its own event; nothing may touch it afterwards.
    QPointer<Palvex> p = make();
    m_log.onDown = [&](short &, short &, float &, float &) { delete p.data(); };
    QTest::mousePress(p.data(), Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(p.isNull());

    QPointer<Palvex> q = make();
    m_log.onDown = nullptr;
    m_log.onUp = [&](short &, short &, float &, float &) { delete q.data(); };
    QTest::mousePress(q.data(), Qt::RightButton, ShiftCtrlAlt, QPoint(20, 10));
    QTest::mouseRelease(q.data(), Qt::RightButton, ShiftCtrlAlt, QPoint(20, 10));
    QVERIFY(q.isNull()); // and no About box for a control that is gone
    m_log.onUp = nullptr;
}

void TestPalvex::signalsCarryReferences()
{
    Palvex *p = make();
    p->unadvise(IPalvexEvents::iid, &m_log);
    QStringList seen;
    connect(p, &Palvex::MouseDown, this, [&](short &b, short &, float &, float &) {
        seen << "MouseDown";
        b = 0;
    });
    connect(p, &Palvex::Click, this, [&] { seen << "Click"; });
    connect(p, &Palvex::MouseUp, this, [&](short &, short &, float &, float &) { seen << "MouseUp"; });
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(p->shownBackColor(), p->BackColor()); // the slot's Button 0 counted
    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(seen, (QStringList{"MouseDown", "Click", "MouseUp"}));
}

void TestPalvex::captionAutoRecentres()
{
    Palvex *p = make(101, 41);
    p->setCaption(QStringLiteral("Search"));
    const QSize size = p->captionGeometry().size();
    QCOMPARE(size, QFontMetrics(p->Font()).size(0, QStringLiteral("Search")));
    const int top = (41 - size.height()) / 2;
    const int left = (101 - size.width()) / 2;
    QCOMPARE(p->CaptionTop(), top);
    QCOMPARE(p->CaptionLeft(), left);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(left, top));

    // A put of CaptionTop has no lasting effect while CaptionAuto holds.
    p->setCaptionTop(30);
    QCOMPARE(p->CaptionTop(), top);
    p->setCaptionLeft(-3);
    QCOMPARE(p->CaptionLeft(), left);

    // Narrower than the caption: the negative difference halves toward zero.
    p->resize(size.width() - 7, size.height() - 3);
    QCOMPARE(p->CaptionLeft(), -3);
    QCOMPARE(p->CaptionTop(), -1);

    // A new font re-lays out.
    QFont big = p->Font();
    big.setPointSize(big.pointSize() * 3);
    p->resize(300, 100);
    p->setFont(big);
    QCOMPARE(p->captionGeometry().size(), QFontMetrics(big).size(0, QStringLiteral("Search")));
    QCOMPARE(p->CaptionTop(), (100 - p->captionGeometry().height()) / 2);
}

void TestPalvex::captionFixedPlace()
{
    Palvex *p = make();
    p->setCaptionAuto(false);
    p->setCaptionTop(30);
    p->setCaptionLeft(-4);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(-4, 30));
    p->resize(80, 30);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(-4, 30));
    p->setPosition(Down);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(-3, 31));
    // The re-layout places the caption where the properties say, whatever the
    // state.
    p->resize(90, 30);
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(-4, 30));
}

void TestPalvex::captionAtLargestPlace()
{
    Palvex *p = make();
    p->setCaptionAuto(false);
    p->setCaptionLeft(std::numeric_limits<qint32>::max());
    p->setCaptionTop(std::numeric_limits<qint32>::min());
    p->setPosition(Down);
    QCOMPARE(p->CaptionLeft(), std::numeric_limits<qint32>::max());
    QCOMPARE(p->CaptionTop(), std::numeric_limits<qint32>::min());
    (void)p->grab(); // drawn without trouble, caption out of sight
    p->setPosition(up);
}

void TestPalvex::putsThatRedraw()
{
    Palvex *p = make();
    // A press gives the pushed look while Position stays up; a put that
    // redraws shows the released face again.
    const auto pressAndPut = [&](const std::function<void()> &put) {
        QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
        const bool pushed = p->lineColor(Palvex::LineTop1) == p->ColorDownRightOne();
        put();
        const bool released = p->lineColor(Palvex::LineTop1) == p->ColorTopLeftOne();
        QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(20, 10));
        return pushed && released;
    };
    QVERIFY(pressAndPut([&] { p->setPosition(up); }));
    QVERIFY(pressAndPut([&] { p->setBackColor(Grey); }));
    QCOMPARE(p->shownBackColor(), Grey);
    QVERIFY(pressAndPut([&] { p->setColorTopLeftOne(Red); }));
    QCOMPARE(p->lineColor(Palvex::LineLeft1), Red);
    QVERIFY(pressAndPut([&] { p->setColorTopLeftTwo(Green); }));
    QVERIFY(pressAndPut([&] { p->setColorDownRightOne(Blue); }));
    QVERIFY(pressAndPut([&] { p->setColorDownRightTwo(Yellow); }));
    QCOMPARE(p->lineColor(Palvex::LineRight2), Yellow);

    // A Position put from the host shows the new state at once.
    p->setPosition(Down);
    QCOMPARE(p->lineColor(Palvex::LineTop1), Blue);
    QCOMPARE(p->lineColor(Palvex::LineDown1), Red);
}

void TestPalvex::putsThatDoNotRedraw()
{
    Palvex *p = make();
    // Style: the pushed look of a press stays.
    QTest::mousePress(p, Qt::LeftButton, {}, QPoint(20, 10));
    p->setStyle(Switch);
    QCOMPARE(p->lineColor(Palvex::LineTop1), p->ColorDownRightOne());
    QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(p->Position(), Down); // the new style applied on this click

    // BackColorDown while pushed: shown from the next redraw only.
    p->setBackColorDown(Green);
    QCOMPARE(p->shownBackColor(), vantrel::DefaultBackColorDown);
    p->setPosition(Down);
    QCOMPARE(p->shownBackColor(), Green);
}

void TestPalvex::propertyChangedOnPutsOnly()
{
    Palvex *p = make();
    RecordingSite site;
    p->setSite(&site);
    p->setPosition(Down);
    p->setCaption(QStringLiteral("Quotes"));
    p->setStyle(Switch);
    p->setBackColor(Grey);
    QCOMPARE(site.changed, (QStringList{"Position", "Caption", "Style", "BackColor"}));
    // A change of Position by the mouse is not reported.
    site.changed.clear();
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(p->Position(), up);
    QVERIFY(site.changed.isEmpty());
    p->setSite(nullptr);
}

void TestPalvex::releasedFacePixels()
{
    const int w = 23, h = 11;
    Palvex *p = make(w, h);
    p->setCaption(QString());
    p->setColorTopLeftOne(Red);
    p->setColorTopLeftTwo(Green);
    p->setColorDownRightOne(Blue);
    p->setColorDownRightTwo(Yellow);
    p->setBackColor(Grey);
    p->setBackColorDown(DarkGrey);
    p->setPosition(up);
    const QImage img = p->grab().toImage();
    QCOMPARE(img.size(), QSize(w, h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QColor want = expectedPixel(x, y, w, h, bgr(Red), bgr(Green), bgr(Blue), bgr(Yellow), bgr(Grey));
            QVERIFY2(img.pixelColor(x, y) == want,
                     qPrintable(QStringLiteral("(%1, %2): %3, want %4")
                                    .arg(x).arg(y).arg(img.pixelColor(x, y).name(), want.name())));
        }
    }
}

void TestPalvex::pushedFacePixels()
{
    const int w = 17, h = 14;
    Palvex *p = make(w, h);
    p->setCaption(QString());
    p->setColorTopLeftOne(Red);
    p->setColorTopLeftTwo(Green);
    p->setColorDownRightOne(Blue);
    p->setColorDownRightTwo(Yellow);
    p->setBackColor(Grey);
    p->setBackColorDown(DarkGrey);
    p->setPosition(Down);
    const QImage img = p->grab().toImage();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Pushed: the top-left lines take the down-right colours and the
            // other way round, on the pushed background.
            const QColor want = expectedPixel(x, y, w, h, bgr(Blue), bgr(Yellow), bgr(Red), bgr(Green), bgr(DarkGrey));
            QVERIFY2(img.pixelColor(x, y) == want,
                     qPrintable(QStringLiteral("(%1, %2): %3, want %4")
                                    .arg(x).arg(y).arg(img.pixelColor(x, y).name(), want.name())));
        }
    }
}

void TestPalvex::designLookAndSystemColours()
{
    QPalette pal;
    pal.setColor(QPalette::Light, QColor(250, 0, 0));
    pal.setColor(QPalette::Midlight, QColor(0, 250, 0));
    pal.setColor(QPalette::Dark, QColor(0, 0, 250));
    pal.setColor(QPalette::Shadow, QColor(250, 250, 0));
    pal.setColor(QPalette::Button, QColor(0, 250, 250));
    pal.setColor(QPalette::Base, QColor(250, 0, 250));
    Palvex *p = make(20, 12);
    p->setPalette(pal);
    p->setCaption(QString());

    // A new instance shows the design look until it is first drawn.
    QImage img = p->grab().toImage();
    QCOMPARE(img.pixelColor(0, 0), pal.color(QPalette::Midlight)); // &H80000016
    QCOMPARE(img.pixelColor(1, 1), pal.color(QPalette::Light));    // &H80000014
    QCOMPARE(img.pixelColor(19, 11), pal.color(QPalette::Shadow)); // &H80000015
    QCOMPARE(img.pixelColor(18, 10), pal.color(QPalette::Dark));   // &H80000010
    QCOMPARE(img.pixelColor(8, 6), pal.color(QPalette::Button));   // &H8000000F

    // Drawn released with the default colours: a raised button.
    p->setPosition(up);
    img = p->grab().toImage();
    QCOMPARE(img.pixelColor(0, 0), pal.color(QPalette::Light));
    QCOMPARE(img.pixelColor(1, 1), pal.color(QPalette::Midlight));
    QCOMPARE(img.pixelColor(19, 11), pal.color(QPalette::Shadow));
    QCOMPARE(img.pixelColor(18, 10), pal.color(QPalette::Dark));
    // Pushed: sunken, on the window background.
    p->setPosition(Down);
    img = p->grab().toImage();
    QCOMPARE(img.pixelColor(0, 0), pal.color(QPalette::Shadow));
    QCOMPARE(img.pixelColor(1, 1), pal.color(QPalette::Dark));
    QCOMPARE(img.pixelColor(19, 11), pal.color(QPalette::Light));
    QCOMPARE(img.pixelColor(8, 6), pal.color(QPalette::Base));

    // The caption in its fore colour: a black caption on white shows black.
    p->setBackColorDown(0xFFFFFF);
    p->setForeColor(0x000000);
    p->resize(120, 40);
    p->setCaption(QStringLiteral("MMMM"));
    p->setPosition(Down);
    img = p->grab().toImage();
    bool dark = false;
    const QRect r = p->captionGeometry();
    for (int y = r.top(); y <= r.bottom() && !dark; ++y)
        for (int x = r.left(); x <= r.right() && !dark; ++x)
            dark = img.pixelColor(x, y).lightness() < 80;
    QVERIFY(dark);
}

void TestPalvex::tinyControlDrawsWithoutTrouble()
{
    for (const QSize s : {QSize(1, 1), QSize(2, 2), QSize(3, 1), QSize(0, 5)}) {
        Palvex *p = make(s.width(), s.height());
        p->setPosition(Down);
        (void)p->grab();
        delete p;
    }
}

QTEST_MAIN(TestPalvex)
#include "tst_palvex.moc"
