#pragma once
// Memory figures for the low-memory guard, in kilobytes and 64 bits (the
// old 32-bit figures overflowed above 2 GB).

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace vb {

struct MemoryStatus {
    qint64 memoryLoad = 0;      // percent of physical memory in use
    qint64 totalPhys = 0;       // KB
    qint64 availPhys = 0;
    qint64 totalPageFile = 0;   // commit limit
    qint64 availPageFile = 0;   // commit limit less what is committed
    qint64 totalVirtual = 0;    // the process's own address space
    qint64 availVirtual = 0;
};

// User address space of x86-64, the limit when RLIMIT_AS is unlimited.
constexpr quint64 kUserAddressSpace = quint64(1) << 47;

// Builds the figures from the texts of /proc/meminfo and /proc/self/status
// and the address-space limit in bytes (nullopt: unlimited). Missing lines
// give 0; no figure is negative.
MemoryStatus parseMemoryStatus(const QString &meminfo, const QString &selfStatus,
                               std::optional<quint64> addressSpaceLimit);

// Reads this machine and process.
MemoryStatus readMemoryStatus();

// What the guards call. Tests replace the source; an empty function puts
// the real one back.
MemoryStatus GetMemoryStatus();
void setMemoryStatusSource(std::function<MemoryStatus()> source);

// (total - avail) / total * 100, or 0 for a total of 0.
double usedPercent(qint64 total, qint64 avail);

} // namespace vb
