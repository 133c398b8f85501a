#pragma once
// Palvex: a flat three-dimensional button drawn with eight bevel lines round
// a caption. Style Normal springs back after every release; style Switch
// flips between pushed and released on each click released inside it.
//
// Hosts reach it through the component layer (com::IControl, IDispatch,
// IPersistPropertyBag, IConnectionPointContainer and Palvex_Ctl::IPalvex);
// this header is for the library and its tests.

#include "Com.h"
#include "Palvex_Ctl.h"

#include <QFont>
#include <QLine>
#include <QList>
#include <QRect>
#include <QWidget>

namespace vantrel {

using Palvex_Ctl::EnumPosition;
using Palvex_Ctl::EnumStyle;
using Palvex_Ctl::OleColor;

// Defaults of the properties, also the defaults of their saved values.
inline constexpr OleColor DefaultForeColor = 0x80000012;         // button text
inline constexpr OleColor DefaultColorDownRightOne = 0x80000015; // 3-D dark shadow
inline constexpr OleColor DefaultColorDownRightTwo = 0x80000010; // button shadow
inline constexpr OleColor DefaultColorTopLeftTwo = 0x80000016;   // 3-D light
inline constexpr OleColor DefaultColorTopLeftOne = 0x80000014;   // button highlight
inline constexpr OleColor DefaultBackColor = 0x8000000F;         // button face
inline constexpr OleColor DefaultBackColorDown = 0x80000005;     // window background

// Number of live instances, for DllCanUnloadNow.
int liveInstances();

class Palvex : public QWidget,
               public com::IUnknown,
               public com::IControl,
               public com::IDispatch,
               public com::IPersistPropertyBag,
               public com::IConnectionPointContainer,
               public Palvex_Ctl::IPalvex {
    Q_OBJECT
public:
    // The eight bevel lines, in the order of their names.
    enum Line { LineTop1, LineLeft1, LineDown1, LineRight1, LineTop2, LineLeft2, LineDown2, LineRight2 };

    explicit Palvex(QWidget *parent = nullptr);
    ~Palvex() override;

    // com::IUnknown
    void *queryInterface(const QUuid &iid) override;
    // com::IControl
    QWidget *widget() override { return this; }
    void setSite(com::IControlSite *site) override { m_site = site; }
    // com::IDispatch
    com::DispId idOfName(const QString &name) const override;
    QVariant invoke(com::DispId id, com::InvokeKind kind, const QVariantList &args = {}) override;
    // com::IPersistPropertyBag: InitProperties, ReadProperties, WriteProperties
    void initNew() override;
    void load(const com::PropertyBag &bag) override;
    void save(com::PropertyBag &bag) const override;
    // com::IConnectionPointContainer
    bool advise(const QUuid &eventIid, void *sink) override;
    void unadvise(const QUuid &eventIid, void *sink) override;

    // Palvex_Ctl::IPalvex
    OleColor ForeColor() const override { return m_foreColor; }
    void setForeColor(OleColor value) override;
    // The control's own state, whatever its parent's.
    bool Enabled() const override { return !testAttribute(Qt::WA_ForceDisabled); }
    void setEnabled(bool value) override;
    QFont Font() const override { return m_font; }
    void setFont(const QFont &value) override;
    EnumPosition Position() const override { return m_position; }
    void setPosition(EnumPosition value) override;
    bool CaptionAuto() const override { return m_captionAuto; }
    void setCaptionAuto(bool value) override;
    qint32 CaptionTop() const override { return m_captionTop; }
    void setCaptionTop(qint32 value) override;
    qint32 CaptionLeft() const override { return m_captionLeft; }
    void setCaptionLeft(qint32 value) override;
    EnumStyle Style() const override { return m_style; }
    void setStyle(EnumStyle value) override;
    OleColor ColorDownRightOne() const override { return m_colorDownRightOne; }
    void setColorDownRightOne(OleColor value) override;
    OleColor ColorDownRightTwo() const override { return m_colorDownRightTwo; }
    void setColorDownRightTwo(OleColor value) override;
    OleColor ColorTopLeftTwo() const override { return m_colorTopLeftTwo; }
    void setColorTopLeftTwo(OleColor value) override;
    OleColor ColorTopLeftOne() const override { return m_colorTopLeftOne; }
    void setColorTopLeftOne(OleColor value) override;
    QString Caption() const override { return m_caption; }
    void setCaption(const QString &value) override;
    void About() override;
    OleColor BackColor() const override { return m_backColor; }
    void setBackColor(OleColor value) override;
    OleColor BackColorDown() const override { return m_backColorDown; }
    void setBackColorDown(OleColor value) override;

    // What is drawn now (the face follows the last draw, not the properties).
    OleColor lineColor(Line line) const { return m_lineColor[line]; }
    OleColor shownBackColor() const { return m_shownBack; }
    // Place and size of the caption label.
    QRect captionGeometry() const { return m_label; }

    // Both sets of ends of a line, after the last re-layout.
    QLine lineEnds(Line line) const;

signals:
    // Raised after the sinks connected by advise; direct connections only,
    // so that a slot can change the arguments.
    void MouseDown(short &Button, short &Shift, float &X, float &Y);
    void MouseMove(short &Button, short &Shift, float &X, float &Y);
    void MouseUp(short &Button, short &Shift, float &X, float &Y);
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layoutFace();   // UserControl_Resize
    void drawPushed();
    void drawReleased();
    void drawPosition();
    void placeCaption(qint32 left, qint32 top);
    void propertyChanged(const char *name);
    QFont ambientFont() const;
    QColor color(OleColor value) const;

    enum EventId { EvMouseDown, EvMouseMove, EvMouseUp };
    // False when a handler deleted the control.
    bool raiseMouse(EventId id, short &button, short &shift, float &x, float &y);
    bool raiseClick();

    OleColor m_foreColor = DefaultForeColor;
    QFont m_font;
    EnumPosition m_position = Palvex_Ctl::up;
    bool m_captionAuto = true;
    qint32 m_captionTop = 0;
    qint32 m_captionLeft = 0;
    EnumStyle m_style = Palvex_Ctl::Normal;
    OleColor m_colorDownRightOne = DefaultColorDownRightOne;
    OleColor m_colorDownRightTwo = DefaultColorDownRightTwo;
    OleColor m_colorTopLeftTwo = DefaultColorTopLeftTwo;
    OleColor m_colorTopLeftOne = DefaultColorTopLeftOne;
    QString m_caption = QStringLiteral("Caption");
    OleColor m_backColor = DefaultBackColor;
    OleColor m_backColorDown = DefaultBackColorDown;

    // The face: line colours, background and caption label as last drawn.
    OleColor m_lineColor[8];
    OleColor m_shownBack = DefaultBackColor;
    QRect m_label;

    com::IControlSite *m_site = nullptr;
    QList<Palvex_Ctl::IPalvexEvents *> m_sinks;
};

} // namespace vantrel
