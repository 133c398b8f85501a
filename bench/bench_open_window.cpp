// From the base chosen in the welcome window to the main window painted, in
// a real window (run it on a display, e.g. under Xvfb):
//
//   bench_open_window BASE new    the file as new to the program (checked)
//   bench_open_window BASE own    as the program left it at its last close
//
// Prints the seconds and whether the checker ran, then closes the base as
// "&Quit" does, which leaves it as the program's own for the next run.

#include "Dao.h"
#include "Guard.h"
#include "LeftBases.h"
#include "MainWindowLink.h"
#include "ProgramHooks.h"
#include "Start.h"
#include "Twips.h"
#include "fAccueil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

// Stops the clock once the main window has painted (all its children are
// painted in the same pass, before the next turn of the event loop).
class PaintWatch : public QObject {
public:
    QElapsedTimer clock;
    double seconds = -1;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && seconds < 0) {
            if (QWidget *main = mainWindowLink().widget ? mainWindowLink().widget() : nullptr;
                main && o == main) {
                seconds = 0;
                QTimer::singleShot(0, [this] {
                    seconds = double(clock.nsecsElapsed()) * 1e-9;
                    QApplication::quit();
                });
            }
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[2], "new") != 0 && std::strcmp(argv[2], "own") != 0)) {
        std::fprintf(stderr, "usage: bench_open_window BASE new|own\n");
        return 2;
    }
    QApplication app(argc, argv);
    vb::setInterfaceFont();
    InstallProgramHooks();
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "no such base: %s\n", argv[1]);
        return 1;
    }
    if (std::strcmp(argv[2], "new") == 0)
        dao::leftbases::forget(path);

    // As after "&Load": the welcome window on screen, no base open.
    fAccueil &welcome = vb::Forms::get<fAccueil>();
    welcome.show();
    QApplication::processEvents();

    PaintWatch watch;
    app.installEventFilter(&watch);
    const int checksBefore = dao::checksRun();
    watch.clock.start();
    welcome.OpenSelectedBase(path);
    if (g_Db.isNothing()) {
        std::fprintf(stderr, "the base did not open\n");
        return 1;
    }
    QTimer::singleShot(60000, &app, [] { QApplication::quit(); });
    app.exec();
    std::printf("%s %s: chosen to main window painted %.3f s (checker %s)\n", argv[2],
                qPrintable(QFileInfo(path).fileName()), watch.seconds,
                dao::checksRun() > checksBefore ? "ran" : "not run");
    if (mainWindowLink().unload)
        mainWindowLink().unload();
    g_Db.Close();
    return watch.seconds < 0 ? 1 : 0;
}
