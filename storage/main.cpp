#include "Form.h"
#include "InstallMainWindowLink.h"
#include "KeywordBrowser.h"
#include "StartUp.h"

#include "Twips.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    vb::setInterfaceFont();

    // ---- main window hooks: install them here, before Main() ----
    InstallMainWindowLink();
    browser::InstallKeywordBrowser();
    // ---- end of the main window hooks ----

    Main();
    return vb::Forms::exec();
}
