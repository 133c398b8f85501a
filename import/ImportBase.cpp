#include "ImportBase.h"

#include "Dialogs.h"
#include "WindowLinks.h"

namespace {

void importStandIn()
{
    // Nothing is copied yet: say so, and leave the open base as it is.
    vb::MsgBox(QStringLiteral("Importing a base is not available yet"), vb::vbInformation);
}

} // namespace

void InstallImport() { windowLinks().importBase = importStandIn; }
