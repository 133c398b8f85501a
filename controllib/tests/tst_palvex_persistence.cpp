// Saved properties (defaults, round trip, the pushed-background mend, value
// types a saved design may hold) and late binding by dispatch identifier.

#include "Dialogs.h"
#include "Error.h"
#include "Palvex.h"
#include "PalvexTestUtil.h"
#include "PropertyBag.h"
#include "ComponentHost.h"

#include <QtTest>

using namespace Palvex_Ctl;
using com::InvokeKind;
using com::PropertyBag;
using vantrel::Palvex;

class TestPalvexPersistence : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultsAreNotStored();
    void roundTripEveryProperty();
    void writeOrderAndBackColorOnce();
    void savedWhilePushedKeepsBackColor();
    void readDrawsTheSavedState();
    void readValueTypes();
    void readBadValues();
    void ambientFontIsTheDefault();
    void initNewResetsWithoutRedraw();

    void dispatchPosition();
    void dispatchEveryMemberByName();
    void dispatchErrors();
    void dispatchAbout();

private:
    Palvex *make();
    QWidget *m_host = nullptr;
    RecordingSite m_site;
};

void TestPalvexPersistence::init()
{
    m_host = new QWidget;
    m_site = RecordingSite();
}

void TestPalvexPersistence::cleanup()
{
    delete m_host;
    m_host = nullptr;
}

Palvex *TestPalvexPersistence::make()
{
    auto *p = new Palvex(m_host);
    p->setSite(&m_site);
    p->resize(120, 25);
    return p;
}

void TestPalvexPersistence::defaultsAreNotStored()
{
    Palvex *p = make();
    p->load(PropertyBag());
    PropertyBag bag;
    p->save(bag);
    // Only the caption place, which the centring set.
    QCOMPARE(bag.names(), (QStringList{"CaptionTop", "CaptionLeft"}));
    QCOMPARE(bag.readProperty("CaptionLeft").toInt(), p->CaptionLeft());

    p->setCaptionAuto(false);
    p->setCaptionTop(0);
    p->setCaptionLeft(0);
    bag.clear();
    p->save(bag);
    QCOMPARE(bag.names(), QStringList{"CaptionAuto"});
}

void TestPalvexPersistence::roundTripEveryProperty()
{
    Palvex *p = make();
    p->load(PropertyBag());
    QFont font(QStringLiteral("Serif"), 15);
    font.setBold(true);
    p->setForeColor(0x112233);
    p->setEnabled(false);
    p->setFont(font);
    p->setPosition(Down);
    p->setCaptionAuto(false);
    p->setCaptionTop(-7);
    p->setCaptionLeft(100000);
    p->setStyle(Switch);
    p->setColorDownRightOne(0x010101);
    p->setColorDownRightTwo(0x020202);
    p->setColorTopLeftTwo(0x030303);
    p->setColorTopLeftOne(0x040404);
    p->setCaption(QStringLiteral("Complete Refs"));
    p->setBackColor(0x050505);
    p->setBackColorDown(0x060606);
    PropertyBag bag;
    p->save(bag);
    QCOMPARE(bag.count(), 15);

    Palvex *q = make();
    q->load(bag);
    QCOMPARE(q->ForeColor(), 0x112233u);
    QCOMPARE(q->Enabled(), false);
    QCOMPARE(q->Font(), font);
    QCOMPARE(q->Position(), Down);
    QCOMPARE(q->CaptionAuto(), false);
    QCOMPARE(q->CaptionTop(), -7);
    QCOMPARE(q->CaptionLeft(), 100000);
    QCOMPARE(q->Style(), Switch);
    QCOMPARE(q->ColorDownRightOne(), 0x010101u);
    QCOMPARE(q->ColorDownRightTwo(), 0x020202u);
    QCOMPARE(q->ColorTopLeftTwo(), 0x030303u);
    QCOMPARE(q->ColorTopLeftOne(), 0x040404u);
    QCOMPARE(q->Caption(), QStringLiteral("Complete Refs"));
    QCOMPARE(q->BackColor(), 0x050505u);
    QCOMPARE(q->BackColorDown(), 0x060606u);
    // Reading is not a change of the design.
    m_site.changed.clear();
    q->load(bag);
    QVERIFY(m_site.changed.isEmpty());
}

void TestPalvexPersistence::writeOrderAndBackColorOnce()
{
    Palvex *p = make();
    p->load(PropertyBag{{"ForeColor", 1}, {"Enabled", false}, {"Font", QFont("Serif", 20)},
                        {"Position", 0}, {"CaptionAuto", false}, {"CaptionTop", 2},
                        {"CaptionLeft", 3}, {"Style", 1}, {"ColorDownRightOne", 4},
                        {"ColorDownRightTwo", 5}, {"ColorTopLeftTwo", 6}, {"ColorTopLeftOne", 7},
                        {"Caption", "x"}, {"BackColor", 8}, {"BackColorDown", 9}});
    PropertyBag bag;
    p->save(bag);
    QCOMPARE(bag.names(), (QStringList{"ForeColor", "Enabled", "Font", "Position", "CaptionAuto",
                                       "CaptionTop", "CaptionLeft", "Style", "ColorDownRightOne",
                                       "ColorDownRightTwo", "ColorTopLeftTwo", "ColorTopLeftOne",
                                       "Caption", "BackColor", "BackColorDown"}));
    QCOMPARE(bag.readProperty("BackColor").toUInt(), 8u); // the property, not the pushed 9
}

void TestPalvexPersistence::savedWhilePushedKeepsBackColor()
{
    // A button saved while pushed comes back with its own BackColor, and
    // shows it once released.
    for (const OleColor back : {vantrel::DefaultBackColor, OleColor(0x00C0C0)}) {
        Palvex *p = make();
        p->load(PropertyBag());
        p->setBackColor(back);
        p->setBackColorDown(0x00FF00);
        p->setPosition(Down);
        QCOMPARE(p->shownBackColor(), 0x00FF00u);
        PropertyBag bag;
        p->save(bag);
        QCOMPARE(bag.contains("BackColor"), back != vantrel::DefaultBackColor);

        Palvex *q = make();
        q->load(bag);
        QCOMPARE(q->BackColor(), back);
        QCOMPARE(q->shownBackColor(), 0x00FF00u);
        q->setPosition(up);
        QCOMPARE(q->shownBackColor(), back);
    }
}

void TestPalvexPersistence::readDrawsTheSavedState()
{
    // The main window's SwitchSearch: saved pushed, style Switch.
    Palvex *p = make();
    p->load(PropertyBag{{"Caption", "Search"}, {"Style", 1}, {"Position", 0},
                        {"CaptionAuto", false}, {"CaptionTop", 4}, {"CaptionLeft", 10}});
    QCOMPARE(p->lineColor(Palvex::LineTop1), p->ColorDownRightOne());
    QCOMPARE(p->lineColor(Palvex::LineDown2), p->ColorTopLeftTwo());
    QCOMPARE(p->shownBackColor(), p->BackColorDown());
    QCOMPARE(p->captionGeometry().topLeft(), QPoint(11, 5));

    Palvex *q = make();
    q->load(PropertyBag{{"Caption", "KeyWords"}, {"Style", 1}});
    QCOMPARE(q->Position(), up);
    QCOMPARE(q->lineColor(Palvex::LineTop1), q->ColorTopLeftOne());
    QCOMPARE(q->CaptionLeft(), (120 - q->captionGeometry().width()) / 2);
}

void TestPalvexPersistence::readValueTypes()
{
    // A saved design may hold places as 16- or 64-bit integers, colours as
    // signed 32-bit values, booleans as numbers, the font as its text.
    QFont serif(QStringLiteral("Serif"), 13);
    Palvex *p = make();
    p->load(PropertyBag{{"CaptionAuto", 0}, {"CaptionTop", short(-12)},
                        {"CaptionLeft", qint64(70000)}, {"BackColor", qint32(0x8000000F)},
                        {"ForeColor", qint32(-2147483643)}, {"Enabled", QStringLiteral("False")},
                        {"Font", serif.toString()}, {"Position", 0.0}});
    QCOMPARE(p->CaptionAuto(), false);
    QCOMPARE(p->CaptionTop(), -12);
    QCOMPARE(p->CaptionLeft(), 70000);
    QCOMPARE(p->BackColor(), 0x8000000Fu);
    QCOMPARE(p->ForeColor(), 0x80000005u);
    QCOMPARE(p->Enabled(), false);
    QCOMPARE(p->Font(), serif);
    QCOMPARE(p->Position(), Down);
}

void TestPalvexPersistence::readBadValues()
{
    Palvex *p = make();
    const auto errorOf = [&](const PropertyBag &bag) {
        try {
            p->load(bag);
        } catch (const vb::Error &e) {
            return e.number();
        }
        return 0;
    };
    QCOMPARE(errorOf({{"CaptionTop", qint64(1) << 40}}), 6);
    QCOMPARE(errorOf({{"BackColor", qint64(0x100000000)}}), 6);
    QCOMPARE(errorOf({{"Position", QStringLiteral("pushed")}}), 13);
    QCOMPARE(errorOf({{"Font", 12}}), 13);
}

void TestPalvexPersistence::ambientFontIsTheDefault()
{
    m_site.font = QFont(QStringLiteral("Serif"), 17);
    Palvex *p = make();
    p->load(PropertyBag());
    QCOMPARE(p->Font(), m_site.font);
    PropertyBag bag;
    p->save(bag);
    QVERIFY(!bag.contains("Font"));
    // Without a site, the parent's font.
    auto *q = new Palvex(m_host);
    m_host->setFont(QFont(QStringLiteral("Sans Serif"), 8));
    q->load(PropertyBag());
    QCOMPARE(q->Font(), m_host->font());
}

void TestPalvexPersistence::initNewResetsWithoutRedraw()
{
    Palvex *p = make();
    p->load(PropertyBag{{"Position", 0}, {"Style", 1}, {"CaptionAuto", false},
                        {"CaptionTop", 5}, {"ColorTopLeftOne", 0x0000FF}});
    const OleColor drawn = p->lineColor(Palvex::LineDown1);
    QCOMPARE(drawn, 0x0000FFu);
    p->initNew();
    QCOMPARE(p->Position(), up);
    QCOMPARE(p->Style(), Normal);
    QCOMPARE(p->CaptionAuto(), true);
    QCOMPARE(p->ColorTopLeftOne(), vantrel::DefaultColorTopLeftOne);
    QCOMPARE(p->lineColor(Palvex::LineDown1), drawn); // still the old face
}

void TestPalvexPersistence::dispatchPosition()
{
    Palvex *p = make();
    com::IUnknown *object = p;
    p->load(PropertyBag{{"Style", 1}});
    QCOMPARE(com::getProperty(object, DISPID_Position).toInt(), 1);
    m_site.changed.clear();
    com::putProperty(object, DISPID_Position, 0);
    QCOMPARE(p->Position(), Down);
    QCOMPARE(p->shownBackColor(), p->BackColorDown()); // redrawn at once
    QCOMPARE(m_site.changed, QStringList{"Position"});
    QCOMPARE(com::getProperty(object, DISPID_Position).toInt(), 0);
    // By name, as the reference card does.
    com::putProperty(object, QStringLiteral("caption"), QStringLiteral("Quotes"));
    QCOMPARE(com::getProperty(object, QStringLiteral("Caption")).toString(), QStringLiteral("Quotes"));
}

void TestPalvexPersistence::dispatchEveryMemberByName()
{
    Palvex *p = make();
    const QList<std::pair<QString, com::DispId>> members{
        {"ForeColor", 0x6803000D}, {"Enabled", 0x6803000C}, {"Font", -512},
        {"Position", 0x6803000B}, {"CaptionAuto", 0x6803000A}, {"CaptionTop", 0x68030009},
        {"CaptionLeft", 0x68030008}, {"Style", 0x68030007}, {"ColorDownRightOne", 0x68030006},
        {"ColorDownRightTwo", 0x68030005}, {"ColorTopLeftTwo", 0x68030004},
        {"ColorTopLeftOne", 0x68030003}, {"Caption", 0x68030002}, {"About", 0x60030019},
        {"BackColor", 0x68030001}, {"BackColorDown", 0x68030000}};
    for (const auto &[name, id] : members)
        QCOMPARE(p->idOfName(name.toUpper()), id);
    QCOMPARE(p->idOfName("Click"), com::DISPID_UNKNOWN);

    // Every property reads back what was put through its identifier.
    const QList<std::pair<com::DispId, QVariant>> puts{
        {DISPID_ForeColor, 0x123456u}, {DISPID_CaptionAuto, false}, {DISPID_CaptionTop, 9},
        {DISPID_CaptionLeft, -2}, {DISPID_Style, 1}, {DISPID_ColorDownRightOne, 1u},
        {DISPID_ColorDownRightTwo, 2u}, {DISPID_ColorTopLeftTwo, 3u}, {DISPID_ColorTopLeftOne, 4u},
        {DISPID_Caption, QStringLiteral("Other")}, {DISPID_BackColor, 5u},
        {DISPID_BackColorDown, 6u}, {DISPID_Enabled, false}};
    for (const auto &[id, value] : puts) {
        p->invoke(id, InvokeKind::PropertyPut, {value});
        QVERIFY2(com::sameValue(p->invoke(id, InvokeKind::PropertyGet), value),
                 qPrintable(QString::number(id, 16)));
    }
    const QFont f(QStringLiteral("Serif"), 21);
    p->invoke(DISPID_Font, InvokeKind::PropertyPutRef, {f});
    QCOMPARE(p->invoke(DISPID_Font, InvokeKind::PropertyGet).value<QFont>(), f);
}

void TestPalvexPersistence::dispatchErrors()
{
    Palvex *p = make();
    const auto errorOf = [&](com::DispId id, InvokeKind kind, const QVariantList &args) {
        try {
            p->invoke(id, kind, args);
        } catch (const vb::Error &e) {
            return e.number();
        }
        return 0;
    };
    QCOMPARE(errorOf(0x12345, InvokeKind::PropertyGet, {}), 438);
    QCOMPARE(errorOf(DISPID_Position, InvokeKind::Method, {}), 438);
    QCOMPARE(errorOf(DISPID_Position, InvokeKind::PropertyPutRef, {0}), 438);
    QCOMPARE(errorOf(DISPID_Position, InvokeKind::PropertyPut, {QStringLiteral("up")}), 13);
    QCOMPARE(errorOf(DISPID_Position, InvokeKind::PropertyPut, {}), 450);
    QCOMPARE(errorOf(DISPID_CaptionTop, InvokeKind::PropertyPut, {3.0e10}), 6);
    QCOMPARE(errorOf(DISPID_About, InvokeKind::PropertyPut, {1}), 438);
    QCOMPARE(p->Position(), up); // nothing changed by a failed put
}

void TestPalvexPersistence::dispatchAbout()
{
    Palvex *p = make();
    vb::DialogScript script;
    script.msgBox(vb::vbOK);
    p->invoke(DISPID_About, InvokeKind::Method);
    QVERIFY2(script.ok(), script.report());
    QCOMPARE(script.shown().first().buttons, 64);
    QVERIFY(!script.shown().first().prompt.isEmpty());
}

QTEST_MAIN(TestPalvexPersistence)
#include "tst_palvex_persistence.moc"
