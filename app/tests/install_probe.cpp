// Opens a base made by another process the way the program's welcome window
// does. Installed beside the program (linked as it is, with the same run
// path), it shows that the installed checker is found from where the
// program lies. Prints "opened" or the error; the exit code says which.

#include "Error.h"
#include "OuvreBase.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-install-probe BASE\n");
        return 2;
    }
    try {
        OpenAndBindBase(QString::fromLocal8Bit(argv[1]), BuiltInConnect());
    } catch (const vb::Error &e) {
        std::printf("error %d %s\n", e.number(), qPrintable(e.description()));
        std::fflush(stdout);
        return 1;
    }
    // The answer is out before anything that runs at exit can end the
    // process otherwise.
    std::printf("opened\n");
    std::fflush(stdout);
    return 0;
}
