// The first keyword listing after a base is opened, each run in a process of
// its own as the user meets it, beside its floor, also in a fresh process:
//
//   bench_first_listing BASE KEYWORD [ROUNDS]
//
// The program's run opens BASE through the welcome window's road (as a base
// the program left), waits for the main window to paint, then times the
// listing of KEYWORD into the result window until that window has painted.
// The floor's run opens a connection of its own to BASE with the same key,
// text order and page cache, reads its catalog as any open does, then times
// one joined query whose rows it makes texts. Runs alternate, program then
// floor; CPU and wall seconds of each, their medians and ratios are printed.
// Run it on a display or with QT_QPA_PLATFORM=offscreen; bench_scale makes
// the bases (bench-bases/ in the build folder).

#include "BenchFailure.h"
#include "Collation.h"
#include "Guard.h"
#include "LeftBases.h"
#include "ListingFloors.h"
#include "Listings.h"
#include "MainWindowLink.h"
#include "ProgramHooks.h"
#include "ProgramState.h"
#include "Start.h"
#include "Twips.h"
#include "fAccueil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

const char kKey[] = "Qv47Tz28";

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Times {
    double cpu = 0, wall = 0;
    qsizetype rows = 0;
};

void print(const Times &t)
{
    std::printf("%.4f %.4f %lld\n", t.cpu, t.wall, static_cast<long long>(t.rows));
}

// Turns of the event loop until nothing is left to do: posted events,
// paints and windows waiting for deletion.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The result window painted and the window it replaced gone.
[[gnu::noinline]] void paintListing() { settle(); }

int programRun(const QString &path, const QString &keyword)
{
    dao::leftbases::testing::recordAsItIs(path);
    fAccueil &welcome = vb::Forms::get<fAccueil>();
    welcome.show();
    settle();
    welcome.OpenSelectedBase(path);
    if (g_Db.isNothing()) {
        std::fprintf(stderr, "the base did not open\n");
        return 1;
    }
    // The user's click comes a moment after the main window shows: what it
    // does by then (its first paints, a font loaded) is the open's.
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 500)
        settle();
    Times t;
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QString k = keyword;
    keywords::ListNotesOfKeyword(k);
    paintListing();
    t.cpu = cpuSeconds() - cpu0;
    t.wall = double(wall.nsecsElapsed()) * 1e-9;
    t.rows = GridRowCount - 1;
    print(t);
    if (mainWindowLink().unload)
        mainWindowLink().unload();
    g_Db.Close();
    return 0;
}

int floorRun(const QString &path, const QString &keyword)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "open: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    sqlite3_key(db, kKey, int(sizeof kKey - 1));
    dao::registerTextCollation(db);
    sqlite3_exec(db, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    int rc = 0;
    try {
        floors::readCatalog(db);
        floors::checkNoSort(db, floors::kCardsOfKeyword);
        Times t;
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        t.rows = floors::cardsOfKeyword(db, keyword.toUtf8()).size();
        t.cpu = cpuSeconds() - cpu0;
        t.wall = double(wall.nsecsElapsed()) * 1e-9;
        print(t);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        rc = 1;
    }
    sqlite3_close(db);
    return rc;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) {
        const QString path = QString::fromLocal8Bit(argv[3]), keyword = QString::fromLocal8Bit(argv[4]);
        if (std::strcmp(argv[2], "floor") == 0)
            return floorRun(path, keyword);
        QApplication app(argc, argv);
        vb::setInterfaceFont();
        InstallProgramHooks();
        return programRun(path, keyword);
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_first_listing BASE KEYWORD [ROUNDS]\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString keyword = QString::fromLocal8Bit(argv[2]);
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "no such base: %s\n", argv[1]);
        return 1;
    }
    std::vector<double> cpu[2], wall[2];
    const char *const kinds[2] = {"program", "floor"};
    for (int r = 0; r < rounds; ++r)
        for (int k = 0; k < 2; ++k) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--child"), QString::fromLatin1(kinds[k]), path, keyword});
            if (!child.waitForFinished(600000) || child.exitCode() != 0) {
                std::fprintf(stderr, "the %s run failed\n", kinds[k]);
                return 1;
            }
            double c = 0, w = 0;
            long long n = 0;
            if (std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lld", &c, &w, &n) != 3) {
                std::fprintf(stderr, "the %s run timed nothing\n", kinds[k]);
                return 1;
            }
            cpu[k].push_back(c);
            wall[k].push_back(w);
            std::printf("round %d %-7s cpu %.3f s  wall %.3f s  %lld rows\n", r + 1, kinds[k], c, w, n);
            std::fflush(stdout);
        }
    const double pc = median(cpu[0]), fc = median(cpu[1]), pw = median(wall[0]), fw = median(wall[1]);
    std::printf("medians: program cpu %.3f wall %.3f, floor cpu %.3f wall %.3f; ratio cpu %.2f wall %.2f\n", pc, pw,
                fc, fw, fc > 0 ? pc / fc : 0.0, fw > 0 ? pw / fw : 0.0);
    return 0;
}
