#include "Form.h"
#include "ProgramHooks.h"
#include "StartUp.h"

#include "Twips.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    vb::setInterfaceFont();

    // Every window's hooks, before Main() (app/ProgramHooks.cpp).
    InstallProgramHooks();

    Main();
    return vb::Forms::exec();
}
