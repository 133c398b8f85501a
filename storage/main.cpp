#include "Form.h"
#include "ImportBase.h"
#include "InstallKeywords.h"
#include "InstallMainWindowLink.h"
#include "InstallWordIndex.h"
#include "InstallWords.h"
#include "KeywordBrowser.h"
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

    // ---- main window hooks: install them here, before Main() ----
    InstallMainWindowLink();
    browser::InstallKeywordBrowser();
    InstallKeywordWindows();
    InstallImport();
    InstallWordWindows();
    InstallWordIndex();
    // ---- end of the main window hooks ----

    Main();
    return vb::Forms::exec();
}
