#include "Memory.h"

#include "Alert.h"
#include "Form.h"
#include "Runtime.h"

#include <QLineEdit>

bool MemoryOk = false;

bool MemoryIsShort(const vb::MemoryStatus &s)
{
    const double total = double(s.totalVirtual) + double(s.totalPhys);
    if (total <= 0)
        return false;
    return (double(s.availVirtual) + double(s.availPhys)) / total < 0.1;
}

QString UsedPercentText(qint64 total, qint64 available)
{
    return vb::Str(vb::usedPercent(total, available)) + QStringLiteral(" %");
}

void ShowMemoryAlert(const vb::MemoryStatus &s)
{
    Alert &a = vb::Forms::get<Alert>();
    a.Text1->setText(UsedPercentText(s.totalPhys, s.availPhys));
    a.Text2->setText(UsedPercentText(s.totalVirtual, s.availVirtual));
    a.show();
}

void CheckMemory()
{
    const vb::MemoryStatus s = vb::GetMemoryStatus();
    MemoryOk = !MemoryIsShort(s);
    if (!MemoryOk)
        ShowMemoryAlert(s);
}

bool MemoryTooShortForCards(const vb::MemoryStatus &s) { return s.availPhys < 50 && s.availVirtual < 2000; }

bool LowMemoryGuard()
{
    const vb::MemoryStatus s = vb::GetMemoryStatus();
    if (MemoryTooShortForCards(s)) {
        ShowMemoryAlert(s);
        return true;
    }
    return false;
}

bool CardSetTooLarge(const vb::MemoryStatus &s, qint64 count)
{
    return count > kSmallCardSet && count * kCardMemoryKB > s.availPhys;
}

QString CardSetTooLargeMessage(const vb::MemoryStatus &s, qint64 count)
{
    return QStringLiteral("These %1 cards would take about %2 MB of memory, and %3 MB are free : they are not "
                          "opened. Please close some windows, or open a smaller set.")
        .arg(count)
        .arg((count * kCardMemoryKB + 1023) / 1024)
        .arg(s.availPhys / 1024);
}
