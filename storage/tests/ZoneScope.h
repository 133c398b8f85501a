#pragma once
// A local time zone for the length of a scope (TZ set and read again),
// for tests of dates around the times a clock skips.

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

class ZoneScope {
public:
    explicit ZoneScope(const char *zone)
        : m_had(qEnvironmentVariableIsSet("TZ")), m_before(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_before);
        else
            qunsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope &) = delete;
    ZoneScope &operator=(const ZoneScope &) = delete;

private:
    bool m_had;
    QByteArray m_before;
};
