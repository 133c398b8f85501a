#include "Palvex.h"

#include "Dialogs.h"
#include "Error.h"
#include "OleColor.h"
#include "PropertyBag.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace vantrel {

using namespace Palvex_Ctl;

namespace {

std::atomic<int> g_liveInstances{0};

// Caption places are 32-bit; the face is drawn within what a widget can
// address, so a caption pushed far away simply stays out of sight.
constexpr qint64 FarAway = 1 << 24;

int clampCoordinate(qint64 v)
{
    return int(std::clamp<qint64>(v, -FarAway, FarAway));
}

short buttonOf(Qt::MouseButtons buttons)
{
    short b = 0;
    if (buttons & Qt::LeftButton)
        b |= 1;
    if (buttons & Qt::RightButton)
        b |= 2;
    if (buttons & Qt::MiddleButton)
        b |= 4;
    return b;
}

short shiftOf(Qt::KeyboardModifiers modifiers)
{
    short s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= 1;
    if (modifiers & Qt::ControlModifier)
        s |= 2;
    if (modifiers & Qt::AltModifier)
        s |= 4;
    return s;
}

[[noreturn]] void typeMismatch()
{
    vb::raise(com::ErrTypeMismatch, QStringLiteral("Type mismatch"));
}

[[noreturn]] void overflow()
{
    vb::raise(vb::ErrOverflow, QStringLiteral("Overflow"));
}

// Saved values and late-bound puts arrive as variants of whatever type the
// host used; these take them as the property's type, as the runtime's
// assignment would.
qint64 toInteger(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    bool ok = false;
    if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float) {
        const double d = v.toDouble();
        if (!(d > -9.3e18 && d < 9.3e18))
            overflow();
        return qint64(std::nearbyint(d)); // banker's rounding, as the runtime's CLng
    }
    if (v.metaType().id() == QMetaType::ULongLong) {
        const quint64 u = v.toULongLong();
        if (u > quint64(std::numeric_limits<qint64>::max()))
            overflow();
        return qint64(u);
    }
    const qint64 n = v.toLongLong(&ok);
    if (!ok)
        typeMismatch();
    return n;
}

qint32 toInt32(const QVariant &v)
{
    const qint64 n = toInteger(v);
    if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        overflow();
    return qint32(n);
}

// Colours come as signed 32-bit values (0x8000000F is -2147483633) or as
// unsigned ones.
OleColor toOleColor(const QVariant &v)
{
    const qint64 n = toInteger(v);
    if (n < std::numeric_limits<qint32>::min() || n > qint64(std::numeric_limits<quint32>::max()))
        overflow();
    return OleColor(quint32(n));
}

bool toBool(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toInteger(v) != 0;
}

QFont toFont(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QFont)
        return v.value<QFont>();
    if (v.metaType().id() == QMetaType::QString) {
        QFont f;
        if (f.fromString(v.toString()))
            return f;
    }
    typeMismatch();
}

struct Member {
    const char *name;
    com::DispId id;
};

constexpr Member members[] = {
    {"ForeColor", DISPID_ForeColor},
    {"Enabled", DISPID_Enabled},
    {"Font", DISPID_Font},
    {"Position", DISPID_Position},
    {"CaptionAuto", DISPID_CaptionAuto},
    {"CaptionTop", DISPID_CaptionTop},
    {"CaptionLeft", DISPID_CaptionLeft},
    {"Style", DISPID_Style},
    {"ColorDownRightOne", DISPID_ColorDownRightOne},
    {"ColorDownRightTwo", DISPID_ColorDownRightTwo},
    {"ColorTopLeftTwo", DISPID_ColorTopLeftTwo},
    {"ColorTopLeftOne", DISPID_ColorTopLeftOne},
    {"Caption", DISPID_Caption},
    {"About", DISPID_About},
    {"BackColor", DISPID_BackColor},
    {"BackColorDown", DISPID_BackColorDown},
};

} // namespace

int liveInstances()
{
    return g_liveInstances.load();
}

Palvex::Palvex(QWidget *parent)
    : QWidget(parent)
{
    ++g_liveInstances;
    // The design look, shown until the first redraw.
    m_lineColor[LineTop1] = m_lineColor[LineLeft1] = 0x80000016;
    m_lineColor[LineTop2] = m_lineColor[LineLeft2] = 0x80000014;
    m_lineColor[LineDown1] = m_lineColor[LineRight1] = 0x80000015;
    m_lineColor[LineDown2] = m_lineColor[LineRight2] = 0x80000010;
    m_font = ambientFont();
    // Mouse moves are events of their own, with or without a button held.
    setMouseTracking(true);
    layoutFace();
}

Palvex::~Palvex()
{
    --g_liveInstances;
}

void *Palvex::queryInterface(const QUuid &iid)
{
    if (iid == com::IControl::iid)
        return static_cast<com::IControl *>(this);
    if (iid == com::IDispatch::iid)
        return static_cast<com::IDispatch *>(this);
    if (iid == com::IPersistPropertyBag::iid)
        return static_cast<com::IPersistPropertyBag *>(this);
    if (iid == com::IConnectionPointContainer::iid)
        return static_cast<com::IConnectionPointContainer *>(this);
    if (iid == IPalvex::iid)
        return static_cast<IPalvex *>(this);
    return nullptr;
}

// ---------------------------------------------------------------------------
// Late binding

com::DispId Palvex::idOfName(const QString &name) const
{
    for (const Member &m : members) {
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return m.id;
    }
    return com::DISPID_UNKNOWN;
}

QVariant Palvex::invoke(com::DispId id, com::InvokeKind kind, const QVariantList &args)
{
    using com::InvokeKind;
    if (id == DISPID_About) {
        if (kind != InvokeKind::Method && kind != InvokeKind::PropertyGet)
            vb::raise(com::ErrNoSuchMember, QStringLiteral("Object doesn't support this property or method"));
        About();
        return {};
    }
    if (kind == InvokeKind::PropertyGet) {
        switch (id) {
        case DISPID_ForeColor: return QVariant::fromValue(ForeColor());
        case DISPID_Enabled: return Enabled();
        case DISPID_Font: return Font();
        case DISPID_Position: return qint32(Position());
        case DISPID_CaptionAuto: return CaptionAuto();
        case DISPID_CaptionTop: return CaptionTop();
        case DISPID_CaptionLeft: return CaptionLeft();
        case DISPID_Style: return qint32(Style());
        case DISPID_ColorDownRightOne: return QVariant::fromValue(ColorDownRightOne());
        case DISPID_ColorDownRightTwo: return QVariant::fromValue(ColorDownRightTwo());
        case DISPID_ColorTopLeftTwo: return QVariant::fromValue(ColorTopLeftTwo());
        case DISPID_ColorTopLeftOne: return QVariant::fromValue(ColorTopLeftOne());
        case DISPID_Caption: return Caption();
        case DISPID_BackColor: return QVariant::fromValue(BackColor());
        case DISPID_BackColorDown: return QVariant::fromValue(BackColorDown());
        default: break;
        }
    } else if (kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef) {
        if (args.size() != 1)
            vb::raise(450, QStringLiteral("Wrong number of arguments or invalid property assignment"));
        const QVariant &v = args.first();
        // Only the font is an object, set by reference (or by value).
        if (kind == InvokeKind::PropertyPutRef && id != DISPID_Font)
            vb::raise(com::ErrNoSuchMember, QStringLiteral("Object doesn't support this property or method"));
        switch (id) {
        case DISPID_ForeColor: setForeColor(toOleColor(v)); return {};
        case DISPID_Enabled: setEnabled(toBool(v)); return {};
        case DISPID_Font: setFont(toFont(v)); return {};
        case DISPID_Position: setPosition(EnumPosition(toInt32(v))); return {};
        case DISPID_CaptionAuto: setCaptionAuto(toBool(v)); return {};
        case DISPID_CaptionTop: setCaptionTop(toInt32(v)); return {};
        case DISPID_CaptionLeft: setCaptionLeft(toInt32(v)); return {};
        case DISPID_Style: setStyle(EnumStyle(toInt32(v))); return {};
        case DISPID_ColorDownRightOne: setColorDownRightOne(toOleColor(v)); return {};
        case DISPID_ColorDownRightTwo: setColorDownRightTwo(toOleColor(v)); return {};
        case DISPID_ColorTopLeftTwo: setColorTopLeftTwo(toOleColor(v)); return {};
        case DISPID_ColorTopLeftOne: setColorTopLeftOne(toOleColor(v)); return {};
        case DISPID_Caption: setCaption(v.toString()); return {};
        case DISPID_BackColor: setBackColor(toOleColor(v)); return {};
        case DISPID_BackColorDown: setBackColorDown(toOleColor(v)); return {};
        default: break;
        }
    }
    vb::raise(com::ErrNoSuchMember, QStringLiteral("Object doesn't support this property or method"));
}

// ---------------------------------------------------------------------------
// Properties

void Palvex::propertyChanged(const char *name)
{
    if (m_site)
        m_site->propertyChanged(QString::fromLatin1(name));
}

QFont Palvex::ambientFont() const
{
    if (m_site)
        return m_site->ambientFont();
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void Palvex::setForeColor(OleColor value)
{
    m_foreColor = value;
    update();
    propertyChanged("ForeColor");
}

void Palvex::setEnabled(bool value)
{
    QWidget::setEnabled(value);
    propertyChanged("Enabled");
}

void Palvex::setFont(const QFont &value)
{
    m_font = value;
    layoutFace();
    propertyChanged("Font");
}

void Palvex::setPosition(EnumPosition value)
{
    m_position = value;
    drawPosition();
    propertyChanged("Position");
}

void Palvex::setCaptionAuto(bool value)
{
    m_captionAuto = value;
    layoutFace();
    propertyChanged("CaptionAuto");
}

void Palvex::setCaptionTop(qint32 value)
{
    m_captionTop = value;
    layoutFace();
    propertyChanged("CaptionTop");
}

void Palvex::setCaptionLeft(qint32 value)
{
    m_captionLeft = value;
    layoutFace();
    propertyChanged("CaptionLeft");
}

void Palvex::setStyle(EnumStyle value)
{
    // Takes effect at the next click; nothing to redraw.
    m_style = value;
    propertyChanged("Style");
}

void Palvex::setColorDownRightOne(OleColor value)
{
    m_colorDownRightOne = value;
    drawPosition();
    propertyChanged("ColorDownRightOne");
}

void Palvex::setColorDownRightTwo(OleColor value)
{
    m_colorDownRightTwo = value;
    drawPosition();
    propertyChanged("ColorDownRightTwo");
}

void Palvex::setColorTopLeftTwo(OleColor value)
{
    m_colorTopLeftTwo = value;
    drawPosition();
    propertyChanged("ColorTopLeftTwo");
}

void Palvex::setColorTopLeftOne(OleColor value)
{
    m_colorTopLeftOne = value;
    drawPosition();
    propertyChanged("ColorTopLeftOne");
}

void Palvex::setCaption(const QString &value)
{
    m_caption = value;
    layoutFace();
    propertyChanged("Caption");
}

void Palvex::setBackColor(OleColor value)
{
    m_backColor = value;
    propertyChanged("BackColor");
    drawPosition();
}

void Palvex::setBackColorDown(OleColor value)
{
    // Shown from the next redraw in the pushed state.
    m_backColorDown = value;
    propertyChanged("BackColorDown");
}

void Palvex::About()
{
    vb::MsgBox(QStringLiteral("Palvex - three-dimensional toggle button\n"
                              "Control library Vantrel, for Corvane Studio"),
               vb::vbInformation, QStringLiteral("About Palvex"));
}

// ---------------------------------------------------------------------------
// Layout and drawing

QLine Palvex::lineEnds(Line line) const
{
    const int w = width();
    const int h = height();
    switch (line) {
    case LineTop1: return QLine(0, 0, w - 1, 0);
    case LineLeft1: return QLine(0, 0, 0, h - 1);
    case LineDown1: return QLine(0, h - 1, w, h - 1);
    case LineRight1: return QLine(w - 1, 0, w - 1, h);
    case LineTop2: return QLine(1, 1, w - 2, 1);
    case LineLeft2: return QLine(1, 1, 1, h - 2);
    case LineDown2: return QLine(1, h - 2, w - 2, h - 2);
    case LineRight2: return QLine(w - 2, 1, w - 2, h - 1);
    }
    return {};
}

void Palvex::layoutFace()
{
    const QSize captionSize = QFontMetrics(m_font).size(0, m_caption);
    if (m_captionAuto) {
        m_captionTop = (height() - captionSize.height()) / 2;
        m_captionLeft = (width() - captionSize.width()) / 2;
    }
    m_label.setSize(captionSize);
    placeCaption(m_captionLeft, m_captionTop);
    // The line ends follow width() and height() (lineEnds), and the whole
    // widget takes the mouse, so nothing else needs placing.
    update();
}

void Palvex::placeCaption(qint32 left, qint32 top)
{
    m_label.moveTo(clampCoordinate(left), clampCoordinate(top));
    update();
}

void Palvex::drawPushed()
{
    m_lineColor[LineTop1] = m_lineColor[LineLeft1] = m_colorDownRightOne;
    m_lineColor[LineTop2] = m_lineColor[LineLeft2] = m_colorDownRightTwo;
    m_lineColor[LineDown1] = m_lineColor[LineRight1] = m_colorTopLeftOne;
    m_lineColor[LineDown2] = m_lineColor[LineRight2] = m_colorTopLeftTwo;
    m_shownBack = m_backColorDown;
    // For the largest 32-bit place the caption stays where it is instead of
    // overflowing.
    const auto oneOn = [](qint32 v) { return v == std::numeric_limits<qint32>::max() ? v : v + 1; };
    placeCaption(oneOn(m_captionLeft), oneOn(m_captionTop));
}

void Palvex::drawReleased()
{
    m_lineColor[LineTop1] = m_lineColor[LineLeft1] = m_colorTopLeftOne;
    m_lineColor[LineTop2] = m_lineColor[LineLeft2] = m_colorTopLeftTwo;
    m_lineColor[LineDown1] = m_lineColor[LineRight1] = m_colorDownRightOne;
    m_lineColor[LineDown2] = m_lineColor[LineRight2] = m_colorDownRightTwo;
    m_shownBack = m_backColor;
    placeCaption(m_captionLeft, m_captionTop);
}

void Palvex::drawPosition()
{
    if (m_position != Down)
        drawReleased();
    else
        drawPushed();
}

QColor Palvex::color(OleColor value) const
{
    return oleColor(value, palette());
}

void Palvex::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), color(m_shownBack));

    p.setFont(m_font);
    p.setPen(color(m_foreColor));
    p.drawText(m_label, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_caption);

    // A line covers its start pixel up to, not including, its end pixel, as
    // line controls draw; only horizontal and vertical lines occur here.
    for (int i = 0; i < 8; ++i) {
        const QLine l = lineEnds(Line(i));
        const QColor c = color(m_lineColor[i]);
        if (l.y1() == l.y2()) {
            const int a = std::min(l.x1(), l.x2() + (l.x2() < l.x1() ? 1 : 0));
            const int b = std::max(l.x1(), l.x2() - (l.x2() > l.x1() ? 1 : 0));
            if (l.x1() != l.x2())
                p.fillRect(QRect(QPoint(a, l.y1()), QPoint(b, l.y1())), c);
        } else {
            const int a = std::min(l.y1(), l.y2() + (l.y2() < l.y1() ? 1 : 0));
            const int b = std::max(l.y1(), l.y2() - (l.y2() > l.y1() ? 1 : 0));
            p.fillRect(QRect(QPoint(l.x1(), a), QPoint(l.x1(), b)), c);
        }
    }
}

void Palvex::resizeEvent(QResizeEvent *)
{
    layoutFace();
}

void Palvex::changeEvent(QEvent *event)
{
    // System colours follow the palette.
    if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------------------
// Mouse

bool Palvex::raiseMouse(EventId id, short &button, short &shift, float &x, float &y)
{
    // A handler may close the host form and so delete this control, or
    // disconnect sinks; go over the list as it was and stop once gone.
    QPointer<Palvex> alive(this);
    const QList<IPalvexEvents *> sinks = m_sinks;
    for (IPalvexEvents *sink : sinks) {
        if (!m_sinks.contains(sink))
            continue;
        switch (id) {
        case EvMouseDown: sink->MouseDown(button, shift, x, y); break;
        case EvMouseMove: sink->MouseMove(button, shift, x, y); break;
        case EvMouseUp: sink->MouseUp(button, shift, x, y); break;
        }
        if (!alive)
            return false;
    }
    switch (id) {
    case EvMouseDown: emit MouseDown(button, shift, x, y); break;
    case EvMouseMove: emit MouseMove(button, shift, x, y); break;
    case EvMouseUp: emit MouseUp(button, shift, x, y); break;
    }
    return !alive.isNull();
}

bool Palvex::raiseClick()
{
    QPointer<Palvex> alive(this);
    const QList<IPalvexEvents *> sinks = m_sinks;
    for (IPalvexEvents *sink : sinks) {
        if (m_sinks.contains(sink))
            sink->Click();
        if (!alive)
            return false;
    }
    emit Click();
    return !alive.isNull();
}

void Palvex::mousePressEvent(QMouseEvent *event)
{
    short button = buttonOf(event->button());
    short shift = shiftOf(event->modifiers());
    float x = float(event->position().x());
    float y = float(event->position().y());
    if (!raiseMouse(EvMouseDown, button, shift, x, y))
        return;
    if (button == 1)
        drawPushed();
}

void Palvex::mouseMoveEvent(QMouseEvent *event)
{
    short button = buttonOf(event->buttons());
    short shift = shiftOf(event->modifiers());
    float x = float(event->position().x());
    float y = float(event->position().y());
    raiseMouse(EvMouseMove, button, shift, x, y);
}

void Palvex::mouseReleaseEvent(QMouseEvent *event)
{
    short button = buttonOf(event->button());
    short shift = shiftOf(event->modifiers());
    float x = float(event->position().x());
    float y = float(event->position().y());
    if (button == 1) {
        // Strict bounds: a release on the border row or column is outside.
        const bool inside = 0 < x && x < float(width()) && 0 < y && y < float(height());
        if (m_style == Normal) {
            m_position = up;
            drawReleased();
            if (inside && !raiseClick())
                return;
        } else if (inside) {
            if (m_position != Down) {
                m_position = Down;
                drawPushed();
            } else {
                m_position = up;
                drawReleased();
            }
            if (!raiseClick())
                return;
        } else {
            drawPosition();
        }
    }
    if (!raiseMouse(EvMouseUp, button, shift, x, y))
        return;
    if (button == 2 && shift == 7)
        About();
}

// ---------------------------------------------------------------------------
// Persistence

void Palvex::initNew()
{
    // No redraw: a new instance keeps the design look until it is drawn.
    m_position = up;
    m_captionAuto = true;
    m_captionTop = 0;
    m_captionLeft = 0;
    m_style = Normal;
    m_colorDownRightOne = DefaultColorDownRightOne;
    m_colorDownRightTwo = DefaultColorDownRightTwo;
    m_colorTopLeftTwo = DefaultColorTopLeftTwo;
    m_colorTopLeftOne = DefaultColorTopLeftOne;
}

void Palvex::load(const com::PropertyBag &bag)
{
    m_foreColor = toOleColor(bag.readProperty(QStringLiteral("ForeColor"), DefaultForeColor));
    QWidget::setEnabled(toBool(bag.readProperty(QStringLiteral("Enabled"), true)));
    m_font = toFont(bag.readProperty(QStringLiteral("Font"), ambientFont()));
    m_position = EnumPosition(toInt32(bag.readProperty(QStringLiteral("Position"), qint32(up))));
    m_captionAuto = toBool(bag.readProperty(QStringLiteral("CaptionAuto"), true));
    m_captionTop = toInt32(bag.readProperty(QStringLiteral("CaptionTop"), 0));
    m_captionLeft = toInt32(bag.readProperty(QStringLiteral("CaptionLeft"), 0));
    m_style = EnumStyle(toInt32(bag.readProperty(QStringLiteral("Style"), qint32(Normal))));
    m_colorDownRightOne = toOleColor(bag.readProperty(QStringLiteral("ColorDownRightOne"), DefaultColorDownRightOne));
    m_colorDownRightTwo = toOleColor(bag.readProperty(QStringLiteral("ColorDownRightTwo"), DefaultColorDownRightTwo));
    m_colorTopLeftTwo = toOleColor(bag.readProperty(QStringLiteral("ColorTopLeftTwo"), DefaultColorTopLeftTwo));
    m_colorTopLeftOne = toOleColor(bag.readProperty(QStringLiteral("ColorTopLeftOne"), DefaultColorTopLeftOne));
    m_caption = bag.readProperty(QStringLiteral("Caption"), QStringLiteral("Caption")).toString();
    m_backColor = toOleColor(bag.readProperty(QStringLiteral("BackColor"), DefaultBackColor));
    m_backColorDown = toOleColor(bag.readProperty(QStringLiteral("BackColorDown"), DefaultBackColorDown));
    m_shownBack = toOleColor(bag.readProperty(QStringLiteral("BackColor"), m_backColor));
    layoutFace();
    drawPosition();
}

void Palvex::save(com::PropertyBag &bag) const
{
    // "BackColor" is written once, from the property: writing the shown
    // background as well brought a button saved while pushed back with its
    // pushed colour as BackColor.
    bag.writeProperty(QStringLiteral("ForeColor"), m_foreColor, DefaultForeColor);
    bag.writeProperty(QStringLiteral("Enabled"), Enabled(), true);
    bag.writeProperty(QStringLiteral("Font"), m_font, ambientFont());
    bag.writeProperty(QStringLiteral("Position"), qint32(m_position), qint32(up));
    bag.writeProperty(QStringLiteral("CaptionAuto"), m_captionAuto, true);
    bag.writeProperty(QStringLiteral("CaptionTop"), m_captionTop, short(0));
    bag.writeProperty(QStringLiteral("CaptionLeft"), m_captionLeft, short(0));
    bag.writeProperty(QStringLiteral("Style"), qint32(m_style), qint32(Normal));
    bag.writeProperty(QStringLiteral("ColorDownRightOne"), m_colorDownRightOne, DefaultColorDownRightOne);
    bag.writeProperty(QStringLiteral("ColorDownRightTwo"), m_colorDownRightTwo, DefaultColorDownRightTwo);
    bag.writeProperty(QStringLiteral("ColorTopLeftTwo"), m_colorTopLeftTwo, DefaultColorTopLeftTwo);
    bag.writeProperty(QStringLiteral("ColorTopLeftOne"), m_colorTopLeftOne, DefaultColorTopLeftOne);
    bag.writeProperty(QStringLiteral("Caption"), m_caption, QStringLiteral("Caption"));
    bag.writeProperty(QStringLiteral("BackColor"), m_backColor, DefaultBackColor);
    bag.writeProperty(QStringLiteral("BackColorDown"), m_backColorDown, DefaultBackColorDown);
}

// ---------------------------------------------------------------------------
// Events

bool Palvex::advise(const QUuid &eventIid, void *sink)
{
    if (eventIid != IPalvexEvents::iid || !sink)
        return false;
    auto *events = static_cast<IPalvexEvents *>(sink);
    if (!m_sinks.contains(events))
        m_sinks.append(events);
    return true;
}

void Palvex::unadvise(const QUuid &eventIid, void *sink)
{
    if (eventIid == IPalvexEvents::iid)
        m_sinks.removeAll(static_cast<IPalvexEvents *>(sink));
}

} // namespace vantrel
