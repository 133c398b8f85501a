#include "Form.h"
#include "ProgramHooks.h"
#include "StartUp.h"

#include <QApplication>
#include <QFont>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The windows are laid out in twips for an 8-point interface font; a
    // larger desktop default would clip captions.
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);

    // Every window's hooks, before Main() (storage/ProgramHooks.cpp).
    InstallProgramHooks();

    Main();
    return vb::Forms::exec();
}
