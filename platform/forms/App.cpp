#include "App.h"

#include "Dialogs.h"

namespace vb {

QString App::title() { return appTitle(); }
void App::setTitle(const QString &title) { setAppTitle(title); }
int App::major() { return CORVANE_VERSION_MAJOR; }
int App::minor() { return CORVANE_VERSION_MINOR; }
int App::revision() { return CORVANE_VERSION_PATCH; }

} // namespace vb
