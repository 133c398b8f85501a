#pragma once
// Type library Palvex_Ctl: what a host needs to know of the toggle button
// Palvex that the library Vantrel serves (identifiers, enums, dispatch
// identifiers, its dual interface and its event interface).
//
// _Palvex is declared here as IPalvex and __Palvex as IPalvexEvents (names
// with leading or double underscores are reserved in C++).

#include "Com.h"

#include <QFont>
#include <QString>
#include <QUuid>
#include <QtGlobal>

namespace Palvex_Ctl {

inline constexpr QUuid LIBID{0x8660392D, 0x63FB, 0x11D4, 0xA4, 0x34, 0, 0, 0, 0, 0, 0};
inline constexpr QUuid CLSID_Palvex{0x8660392F, 0x63FB, 0x11D4, 0xA4, 0x34, 0, 0, 0, 0, 0, 0};
inline constexpr QUuid IID_Palvex{0x8660392E, 0x63FB, 0x11D4, 0xA4, 0x34, 0, 0, 0, 0, 0, 0};
inline constexpr QUuid DIID_PalvexEvents{0x86603932, 0x63FB, 0x11D4, 0xA4, 0x34, 0, 0, 0, 0, 0, 0};
inline constexpr QUuid IID_EnumPosition{0x86603930, 0x63FB, 0x11D4, 0xA4, 0x34, 0, 0, 0, 0, 0, 0};
inline constexpr QUuid IID_EnumStyle{0x86603931, 0x63FB, 0x11D4, 0xA4, 0x34, 0, 0, 0, 0, 0, 0};

inline constexpr char ProgId[] = "Palvex_Ctl.Palvex";
// Base name of the library file (libVantrel.so) shipped with the program,
// for com::createInstance.
inline constexpr char LibraryName[] = "Vantrel";

enum EnumPosition : qint32 { Down = 0, up = 1 };
enum EnumStyle : qint32 { Normal = 0, Switch = 1 };

// OLE colour: 0x800000nn is system colour nn, anything else 0x00BBGGRR.
using OleColor = quint32;

// Dispatch identifiers of IPalvex (_Palvex).
enum : com::DispId {
    DISPID_BackColorDown = 0x68030000,
    DISPID_BackColor = 0x68030001,
    DISPID_Caption = 0x68030002,
    DISPID_ColorTopLeftOne = 0x68030003,
    DISPID_ColorTopLeftTwo = 0x68030004,
    DISPID_ColorDownRightTwo = 0x68030005,
    DISPID_ColorDownRightOne = 0x68030006,
    DISPID_Style = 0x68030007,
    DISPID_CaptionLeft = 0x68030008,
    DISPID_CaptionTop = 0x68030009,
    DISPID_CaptionAuto = 0x6803000A,
    DISPID_Position = 0x6803000B,
    DISPID_Enabled = 0x6803000C,
    DISPID_ForeColor = 0x6803000D,
    DISPID_Font = -512,
    DISPID_About = 0x60030019,
};

// Event identifiers of IPalvexEvents (__Palvex).
enum : com::DispId { DISPID_MouseDown = 1, DISPID_MouseMove = 2, DISPID_MouseUp = 3, DISPID_Click = 4 };

// _Palvex, the dual interface: every property as get and put (Font as get
// and put-by-reference), in slot order. Reached by com::query<IPalvex>; its
// late-bound side is com::IDispatch on the same object.
class IPalvex {
public:
    static constexpr QUuid iid = IID_Palvex;

    virtual OleColor ForeColor() const = 0;
    virtual void setForeColor(OleColor value) = 0;
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool value) = 0;
    virtual QFont Font() const = 0;
    virtual void setFont(const QFont &value) = 0;
    virtual EnumPosition Position() const = 0;
    virtual void setPosition(EnumPosition value) = 0;
    virtual bool CaptionAuto() const = 0;
    virtual void setCaptionAuto(bool value) = 0;
    virtual qint32 CaptionTop() const = 0;
    virtual void setCaptionTop(qint32 value) = 0;
    virtual qint32 CaptionLeft() const = 0;
    virtual void setCaptionLeft(qint32 value) = 0;
    virtual EnumStyle Style() const = 0;
    virtual void setStyle(EnumStyle value) = 0;
    virtual OleColor ColorDownRightOne() const = 0;
    virtual void setColorDownRightOne(OleColor value) = 0;
    virtual OleColor ColorDownRightTwo() const = 0;
    virtual void setColorDownRightTwo(OleColor value) = 0;
    virtual OleColor ColorTopLeftTwo() const = 0;
    virtual void setColorTopLeftTwo(OleColor value) = 0;
    virtual OleColor ColorTopLeftOne() const = 0;
    virtual void setColorTopLeftOne(OleColor value) = 0;
    virtual QString Caption() const = 0;
    virtual void setCaption(const QString &value) = 0;
    virtual void About() = 0;
    virtual OleColor BackColor() const = 0;
    virtual void setBackColor(OleColor value) = 0;
    virtual OleColor BackColorDown() const = 0;
    virtual void setBackColorDown(OleColor value) = 0;

protected:
    ~IPalvex() = default;
};

// __Palvex, the events. Every argument is by reference: a handler that
// changes Button in MouseDown changes what the control does next (it draws
// itself pushed only for Button 1). Button: 1 left, 2 right, 4 middle (the
// buttons held, for MouseMove); Shift: 1 Shift, 2 Ctrl, 4 Alt; X and Y in
// pixels of the control. Override what you handle.
class IPalvexEvents {
public:
    static constexpr QUuid iid = DIID_PalvexEvents;

    virtual void MouseDown(short &Button, short &Shift, float &X, float &Y);
    virtual void MouseMove(short &Button, short &Shift, float &X, float &Y);
    virtual void MouseUp(short &Button, short &Shift, float &X, float &Y);
    virtual void Click();

protected:
    ~IPalvexEvents() = default;
};

inline void IPalvexEvents::MouseDown(short &, short &, float &, float &) {}
inline void IPalvexEvents::MouseMove(short &, short &, float &, float &) {}
inline void IPalvexEvents::MouseUp(short &, short &, float &, float &) {}
inline void IPalvexEvents::Click() {}

} // namespace Palvex_Ctl
