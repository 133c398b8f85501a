#include <QtTest>

#include "Error.h"
#include "MemoryStatus.h"
#include "Settings.h"
#include "Shell.h"
#include "SystemRegistry.h"

using namespace vb;

namespace {
const char *kMeminfo =
    "MemTotal:       16318412 kB\n"
    "MemFree:         1034560 kB\n"
    "MemAvailable:    8159206 kB\n"
    "Buffers:          350000 kB\n"
    "Cached:          6000000 kB\n"
    "SwapTotal:       2097148 kB\n"
    "CommitLimit:    10256352 kB\n"
    "Committed_AS:   12000000 kB\n";

const char *kSelfStatus =
    "Name:\tCorvane\n"
    "VmPeak:\t  300000 kB\n"
    "VmSize:\t  262144 kB\n"
    "VmRSS:\t   80000 kB\n";

} // namespace

class TestSystem : public QObject {
    Q_OBJECT
private slots:
    void memoryFiguresFromProcText()
    {
        const MemoryStatus s = parseMemoryStatus(QString::fromLatin1(kMeminfo),
                                                 QString::fromLatin1(kSelfStatus), std::nullopt);
        // Above 2 GB and 4 GB without overflow.
        QCOMPARE(s.totalPhys, qint64(16318412));
        QCOMPARE(s.availPhys, qint64(8159206));
        QCOMPARE(s.memoryLoad, qint64(50));
        QCOMPARE(s.totalPageFile, qint64(10256352));
        QCOMPARE(s.availPageFile, qint64(0)); // over-committed: none left, not negative
        QCOMPARE(s.totalVirtual, qint64(kUserAddressSpace / 1024)); // 2^37 KB
        QCOMPARE(s.availVirtual, qint64(kUserAddressSpace / 1024) - 262144);
    }

    void memoryFiguresWithALimitAndMissingLines()
    {
        // A 256 MB address-space limit already used up: nothing available.
        MemoryStatus s = parseMemoryStatus(QString::fromLatin1(kMeminfo), QString::fromLatin1(kSelfStatus),
                                           quint64(256) * 1024 * 1024);
        QCOMPARE(s.totalVirtual, qint64(262144));
        QCOMPARE(s.availVirtual, qint64(0));
        // Old kernels have no MemAvailable; empty texts give zeros, not garbage.
        s = parseMemoryStatus(QStringLiteral("MemTotal: 1000 kB\nMemFree: 100 kB\nCached: 200 kB\n"),
                              QString(), std::nullopt);
        QCOMPARE(s.availPhys, qint64(300));
        QCOMPARE(s.memoryLoad, qint64(70));
        s = parseMemoryStatus(QString(), QString(), std::nullopt);
        QCOMPARE(s.totalPhys, qint64(0));
        QCOMPARE(s.memoryLoad, qint64(0));
        QCOMPARE(usedPercent(0, 0), 0.0);
        QCOMPARE(usedPercent(200, 5), 97.5);
    }

    void memoryOfThisProcessAndTheTestSource()
    {
        const MemoryStatus real = readMemoryStatus();
        QVERIFY(real.totalPhys > 0);
        QVERIFY(real.availPhys <= real.totalPhys);
        QVERIFY(real.availVirtual < real.totalVirtual);
        MemoryStatus low;
        low.availPhys = 49;
        low.availVirtual = 1999;
        setMemoryStatusSource([&] { return low; });
        QCOMPARE(GetMemoryStatus().availPhys, qint64(49));
        setMemoryStatusSource({});
        QVERIFY(GetMemoryStatus().totalPhys > 0);
    }

    void settingsStoreUnderTheTestFolder()
    {
        const QString dir = qEnvironmentVariable("CORVANE_SETTINGS_DIR");
        QVERIFY(!dir.isEmpty());
        QVERIFY(settingsFile(QStringLiteral("Corvane")).startsWith(dir));
        QVERIFY(settingsFile(QStringLiteral("../x")).startsWith(dir + QStringLiteral("/")));
        QVERIFY(!settingsFile(QStringLiteral("../x")).contains(QStringLiteral("/../")));

        QCOMPARE(GetSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"), QStringLiteral("Last"),
                            QStringLiteral("none")),
                 QStringLiteral("none"));
        SaveSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"), QStringLiteral("Last"),
                    QStringLiteral("/tmp/base é.cvb"));
        SaveSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"), QStringLiteral("Other"),
                    QStringLiteral("2"));
        QCOMPARE(GetSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"), QStringLiteral("Last")),
                 QStringLiteral("/tmp/base é.cvb"));
        DeleteSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"), QStringLiteral("Last"));
        QCOMPARE(GetSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"), QStringLiteral("Last")),
                 QString());
        // Deleting what is not there is an error, entry or section.
        QCOMPARE(errorOf([] { DeleteSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"),
                                            QStringLiteral("Last")); }),
                 int(ErrInvalidCall));
        DeleteSetting(QStringLiteral("Corvane"), QStringLiteral("Paths"));
        QCOMPARE(errorOf([] { DeleteSetting(QStringLiteral("Corvane"), QStringLiteral("Paths")); }),
                 int(ErrInvalidCall));
        QCOMPARE(errorOf([] { SaveSetting(QStringLiteral("Corvane"), QString(), QStringLiteral("k"),
                                          QStringLiteral("v")); }),
                 int(ErrInvalidCall));
    }

    void registryTextAndReplacement()
    {
        QCOMPARE(registryValueText({REG_SZ, QByteArray("C:\\Tools\\msinfo\0", 16)}),
                 QStringLiteral("C:\\Tools\\msinfo"));
        QCOMPARE(registryValueText({REG_DWORD, QByteArray("\x03\x02\x01\x00", 4)}), QStringLiteral("&h0123"));
        QCOMPARE(registryValueText({REG_DWORD, QByteArray("\xff\x10\x00\x00", 4)}), QStringLiteral("&h0010ff"));
        const QString key = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
        QVERIFY(!registryText(HKEY_LOCAL_MACHINE, key, QStringLiteral("PATH"))); // nothing built in
        MemoryRegistry fake;
        fake.setString(HKEY_LOCAL_MACHINE, key, QStringLiteral("PATH"), QStringLiteral("/usr/bin/sysinfo"));
        fake.setDword(HKEY_LOCAL_MACHINE, key, QStringLiteral("Level"), 0x0A000B01);
        setRegistry(&fake);
        QCOMPARE(registryText(HKEY_LOCAL_MACHINE, key.toUpper(), QStringLiteral("path")),
                 std::optional<QString>(QStringLiteral("/usr/bin/sysinfo")));
        QCOMPARE(registryText(HKEY_LOCAL_MACHINE, key, QStringLiteral("Level")),
                 std::optional<QString>(QStringLiteral("&ha0b1")));
        QVERIFY(!registryText(HKEY_CURRENT_USER, key, QStringLiteral("PATH")));
        setRegistry(nullptr);
        QVERIFY(!registryText(HKEY_LOCAL_MACHINE, key, QStringLiteral("PATH")));
    }

    void shellOpensThroughTheReplacement()
    {
        RecordingShell rec;
        setShell(&rec);
        QVERIFY(ShellExecute(QStringLiteral("https://corvane.example/")));
        QVERIFY(!ShellExecute(QStringLiteral("  ")));
        Shell(QStringLiteral("\"/opt/sys info/tool\" -a"));
        QCOMPARE(rec.opened, QStringList{QStringLiteral("https://corvane.example/")});
        QCOMPARE(rec.started, QStringList{QStringLiteral("/opt/sys info/tool -a")});
        rec.succeed = false;
        QCOMPARE(errorOf([] { Shell(QStringLiteral("/no/such/program")); }), int(ErrFileNotFound));
        QCOMPARE(errorOf([] { Shell(QString()); }), int(ErrFileNotFound));
        setShell(nullptr);
    }
};

QTEST_MAIN(TestSystem)
#include "tst_system.moc"
