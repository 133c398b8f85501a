// A base made elsewhere with one value of 10,000,000 characters in a column
// the windows list, beside the same base with short values only: the open
// road (the welcome window's open to the main window painted, its keyword
// list among it), the notes of a keyword into the result window and every
// note by date into the list window, each until its window has painted.
// Every run is a process of its own; a run that takes over two minutes
// fails the benchmark.
//
//   bench_huge_values [CHARACTERS] [ROUNDS]     (default 10,000,000 and 3)
//
// The bases are made in bench-bases/ of the build folder. Run it on a
// display or with QT_QPA_PLATFORM=offscreen.

#include "BenchFailure.h"
#include "DaoImpl.h"
#include "Guard.h"
#include "LeftBases.h"
#include "ListByDate.h"
#include "Listings.h"
#include "MainWindowLink.h"
#include "ProgramHooks.h"
#include "ProgramState.h"
#include "Start.h"
#include "Tabdef.h"
#include "Twips.h"
#include "fAccueil.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");
constexpr int kNotes = 200;

// Where the long value goes: a column of a table the windows list.
struct Variant {
    const char *name;
    const char *what;
};
const Variant kVariants[] = {
    {"short", "short values only"},
    {"keyword", "a keyword (the keyword list, the result window's first column)"},
    {"key", "a note's key (the result window and the list by date)"},
    {"author", "a note's author"},
    {"title", "a note's title"},
    {"date", "a note's date, stored as text"},
};

QString folder()
{
    const QString d = QStringLiteral(BENCH_BASE_DIR);
    QDir().mkpath(d);
    return d;
}

QString basePath(const char *variant, qsizetype chars)
{
    return folder() + QStringLiteral("/huge-%1-%2.cvb").arg(QLatin1String(variant)).arg(chars);
}

QString longText(qsizetype chars)
{
    QString text;
    text.reserve(chars + 16);
    for (qsizetype i = 0; text.size() < chars; ++i)
        text += QStringLiteral("Word%1 ").arg(i % 997);
    text.truncate(chars);
    return text;
}

void exec(sqlite3 *db, const char *sql)
{
    benchfail::check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql, sqlite3_errmsg(db));
}

// Notes under the keywords K and L, every note linked to both, one value
// long in the column the variant names, written straight into the file as
// another program could have.
void makeBase(const QString &path, const char *variant, qsizetype chars)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    g_Db = dao::DBEngine::CreateDatabase(part, QString::fromLatin1(dao::dbLangGeneral) + kConnect, dao::dbEncrypt);
    CreateBaseTables();
    FillTypesTable();
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    const std::string v = variant;
    const QByteArray huge = longText(chars).toUtf8();
    auto text = [&](const char *column, const QByteArray &usual) { return v == column ? huge : usual; };
    exec(db, "BEGIN");
    sqlite3_stmt *kw = nullptr, *note = nullptr, *link = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO CGROUP1 (GROUPE) VALUES (?)", -1, &kw, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO NOTE (CIT, AUTEUR, TITRE1, JOUR) VALUES (?, ?, ?, ?)", -1, &note, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO GRNOTE (GROUPE, NDX) VALUES (?, ?)", -1, &link, nullptr);
    const QByteArray longKeyword = text("keyword", "Long");
    for (const QByteArray &k : {QByteArray("K"), QByteArray("L"), longKeyword}) {
        sqlite3_bind_text(kw, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
        benchfail::check(sqlite3_step(kw) == SQLITE_DONE, "keyword", sqlite3_errmsg(db));
        sqlite3_reset(kw);
    }
    for (int i = 0; i < kNotes; ++i) {
        const bool first = i == 0;
        const QByteArray key = first ? text("key", "NOTE0000.TXT") : QStringLiteral("NOTE%1.TXT").arg(i, 4, 10, QChar(u'0')).toUtf8();
        const QByteArray author = first ? text("author", "Author 0") : QByteArray("Author ") + QByteArray::number(i % 7);
        const QByteArray title = first ? text("title", "Title 0") : QByteArray("Title ") + QByteArray::number(i);
        const QByteArray day = first ? text("date", "2020-01-01 10:00:00")
                                     : QStringLiteral("2020-%1-%2 10:00:00")
                                           .arg(1 + i % 12, 2, 10, QChar(u'0'))
                                           .arg(1 + i % 28, 2, 10, QChar(u'0'))
                                           .toUtf8();
        for (auto [at, value] : {std::pair{1, &key}, {2, &author}, {3, &title}, {4, &day}})
            sqlite3_bind_text(note, at, value->constData(), int(value->size()), SQLITE_TRANSIENT);
        benchfail::check(sqlite3_step(note) == SQLITE_DONE, "note", sqlite3_errmsg(db));
        sqlite3_reset(note);
        for (const QByteArray &k : {QByteArray("K"), first ? longKeyword : QByteArray("L")}) {
            sqlite3_bind_text(link, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(link, 2, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            benchfail::check(sqlite3_step(link) == SQLITE_DONE, "link", sqlite3_errmsg(db));
            sqlite3_reset(link);
        }
    }
    sqlite3_finalize(kw);
    sqlite3_finalize(note);
    sqlite3_finalize(link);
    exec(db, "COMMIT");
    g_Db.Close();
    g_Db.reset();
    QFile::remove(path);
    benchfail::check(QFile::rename(part, path), "naming the base", path.toStdString());
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The road's wall seconds until its window has painted; its CPU seconds
// are added to cpu.
template <class Step> double secondsOf(Step step, double &cpu)
{
    QElapsedTimer t;
    const double cpu0 = cpuSeconds();
    t.start();
    step();
    settle();
    cpu += cpuSeconds() - cpu0;
    return double(t.nsecsElapsed()) * 1e-9;
}

// The three roads on one base, in this process: prints their seconds.
int childRun(const QString &path)
{
    dao::leftbases::testing::recordAsItIs(path);
    fAccueil &welcome = vb::Forms::get<fAccueil>();
    welcome.show();
    settle();
    double cpu[3] = {0, 0, 0};
    const double open = secondsOf([&] { welcome.OpenSelectedBase(path); }, cpu[0]);
    if (g_Db.isNothing()) {
        std::fprintf(stderr, "the base did not open\n");
        return 1;
    }
    const double listing = secondsOf(
        [] {
            QString k = QStringLiteral("K");
            keywords::ListNotesOfKeyword(k);
        },
        cpu[1]);
    if (GridRowCount - 1 != 2 * kNotes) {
        std::fprintf(stderr, "the listing gave %d rows\n", GridRowCount - 1);
        return 1;
    }
    const double byDate = secondsOf([] { keywords::ListNotesByDate(); }, cpu[2]);
    std::printf("%.4f %.4f %.4f %.4f %.4f %.4f\n", open, listing, byDate, cpu[0], cpu[1], cpu[2]);
    if (mainWindowLink().unload)
        mainWindowLink().unload();
    g_Db.Close();
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        QApplication app(argc, argv);
        vb::setInterfaceFont();
        InstallProgramHooks();
        return childRun(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    const qsizetype chars = argc > 1 ? std::max<qsizetype>(1, std::atoll(argv[1])) : 10000000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    // Wall seconds of the three roads, then their CPU seconds.
    std::map<std::string, std::vector<double>> seconds[6];
    try {
        for (const Variant &v : kVariants) {
            const QString path = basePath(v.name, chars);
            if (!QFile::exists(path)) {
                std::fprintf(stderr, "making %s...\n", qPrintable(path));
                makeBase(path, v.name, chars);
            }
        }
        for (int r = 0; r < rounds; ++r)
            for (const Variant &v : kVariants) {
                QProcess child;
                child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), basePath(v.name, chars)});
                if (!child.waitForFinished(120000)) {
                    child.kill();
                    child.waitForFinished();
                    benchfail::fail(std::string(v.name) + ": the roads took over two minutes");
                }
                double t[6];
                if (child.exitCode() != 0 || std::sscanf(child.readAllStandardOutput().constData(),
                                                         "%lf %lf %lf %lf %lf %lf", &t[0], &t[1], &t[2], &t[3], &t[4],
                                                         &t[5]) != 6)
                    benchfail::fail(std::string(v.name) + ": the run timed nothing");
                for (int i = 0; i < 6; ++i)
                    seconds[i][v.name].push_back(t[i]);
                std::printf("round %d %-8s open %.3f s (cpu %.3f)  keyword listing %.3f s (cpu %.3f)  by date %.3f s "
                            "(cpu %.3f)\n",
                            r + 1, v.name, t[0], t[3], t[1], t[4], t[2], t[5]);
                std::fflush(stdout);
            }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    for (int kind : {0, 3}) {
        std::printf("\nmedian %s seconds with one value of %lld characters, and more than with short values:\n",
                    kind ? "CPU" : "wall", static_cast<long long>(chars));
        for (const Variant &v : kVariants) {
            double m[3], more[3];
            for (int i = 0; i < 3; ++i) {
                m[i] = median(seconds[kind + i][v.name]);
                more[i] = m[i] - median(seconds[kind + i]["short"]);
            }
            std::printf("  %-8s open %6.3f (%+.3f)  listing %6.3f (%+.3f)  by date %6.3f (%+.3f)   %s\n", v.name, m[0],
                        more[0], m[1], more[1], m[2], more[2], v.what);
        }
    }
    return 0;
}
