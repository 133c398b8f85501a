#pragma once
// Helpers shared by the control's tests: an event recorder and a host site.

#include "Com.h"
#include "Palvex_Ctl.h"

#include <QFont>
#include <QStringList>
#include <functional>

struct EventLog : Palvex_Ctl::IPalvexEvents {
    QStringList events;
    // Run inside MouseDown / MouseUp, to play a host that changes arguments.
    std::function<void(short &, short &, float &, float &)> onDown;
    std::function<void(short &, short &, float &, float &)> onUp;
    short lastButton = -1, lastShift = -1;
    float lastX = -1, lastY = -1;

    void record(const char *name, short b, short s, float x, float y)
    {
        events << QString::fromLatin1(name);
        lastButton = b;
        lastShift = s;
        lastX = x;
        lastY = y;
    }
    void MouseDown(short &b, short &s, float &x, float &y) override
    {
        record("MouseDown", b, s, x, y);
        if (onDown)
            onDown(b, s, x, y);
    }
    void MouseMove(short &b, short &s, float &x, float &y) override { record("MouseMove", b, s, x, y); }
    void MouseUp(short &b, short &s, float &x, float &y) override
    {
        record("MouseUp", b, s, x, y);
        if (onUp)
            onUp(b, s, x, y);
    }
    void Click() override { events << QStringLiteral("Click"); }

    // The log without mouse moves, which the pointer's travel may add.
    QStringList buttons() const
    {
        QStringList out;
        for (const QString &e : events) {
            if (e != QLatin1String("MouseMove"))
                out << e;
        }
        return out;
    }
};

struct RecordingSite : com::IControlSite {
    QFont font{QStringLiteral("Sans Serif"), 11};
    QStringList changed;
    QFont ambientFont() const override { return font; }
    void propertyChanged(const QString &name) override { changed << name; }
};
