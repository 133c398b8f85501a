#include "MemoryStatus.h"

#include <QFile>
#include <QRegularExpression>

#include <sys/resource.h>
#include <cmath>

namespace vb {

namespace {

// "Name:   1234 kB" -> 1234 (KB); -1 when the line is missing.
qint64 field(const QString &text, const QString &name)
{
    const QRegularExpression re(QStringLiteral("^%1:\\s*(\\d+)\\s*(kB)?\\s*$")
                                    .arg(QRegularExpression::escape(name)),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return -1;
    bool ok = false;
    const qint64 v = m.captured(1).toLongLong(&ok);
    if (!ok)
        return -1;
    // A value without unit is in bytes.
    return m.captured(2).isEmpty() ? v / 1024 : v;
}

qint64 orZero(qint64 v) { return v < 0 ? 0 : v; }

QString readText(const char *path)
{
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromLatin1(f.readAll());
}

std::function<MemoryStatus()> g_source;

} // namespace

MemoryStatus parseMemoryStatus(const QString &meminfo, const QString &selfStatus,
                               std::optional<quint64> addressSpaceLimit)
{
    MemoryStatus s;
    s.totalPhys = orZero(field(meminfo, QStringLiteral("MemTotal")));
    qint64 avail = field(meminfo, QStringLiteral("MemAvailable"));
    if (avail < 0) // kernels before 3.14
        avail = orZero(field(meminfo, QStringLiteral("MemFree")))
                + orZero(field(meminfo, QStringLiteral("Cached")));
    s.availPhys = qBound<qint64>(0, avail, s.totalPhys);
    if (s.totalPhys > 0)
        s.memoryLoad = qint64(std::lround(100.0 * (1.0 - double(s.availPhys) / double(s.totalPhys))));

    s.totalPageFile = orZero(field(meminfo, QStringLiteral("CommitLimit")));
    const qint64 committed = orZero(field(meminfo, QStringLiteral("Committed_AS")));
    s.availPageFile = qMax<qint64>(0, s.totalPageFile - committed);

    const quint64 limitBytes = addressSpaceLimit.value_or(kUserAddressSpace);
    s.totalVirtual = qint64(qMin<quint64>(limitBytes, kUserAddressSpace) / 1024);
    const qint64 used = orZero(field(selfStatus, QStringLiteral("VmSize")));
    s.availVirtual = qMax<qint64>(0, s.totalVirtual - used);
    return s;
}

MemoryStatus readMemoryStatus()
{
    std::optional<quint64> limit;
    struct rlimit rl;
    if (::getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
        limit = quint64(rl.rlim_cur);
    return parseMemoryStatus(readText("/proc/meminfo"), readText("/proc/self/status"), limit);
}

MemoryStatus GetMemoryStatus() { return g_source ? g_source() : readMemoryStatus(); }

void setMemoryStatusSource(std::function<MemoryStatus()> source) { g_source = std::move(source); }

double usedPercent(qint64 total, qint64 avail)
{
    if (total <= 0)
        return 0;
    return double(total - avail) / double(total) * 100.0;
}

} // namespace vb
