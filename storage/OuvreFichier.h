#pragma once
// OuvreFichier: the base-file choice as a window that is loaded and
// unloaded at once, never shown. Loading it runs the open dialog; a chosen
// file's absolute path goes into g_BasePath (the import saves g_BasePath
// before and puts it back after), a cancel leaves g_BasePath alone.

#include "Form.h"

#include <QString>

// The open dialog "Please select a base" with the base filter; the absolute
// path of the chosen file, "" on cancel. Touches no shared state.
QString AskBaseFile();

class OuvreFichier : public vb::Form {
    Q_OBJECT
public:
    OuvreFichier();
    // The file chosen at load, "" when the dialog was cancelled.
    QString chosenPath() const { return m_chosen; }
    void PickBaseFileOnly();

protected:
    void formLoad() override;

private:
    QString m_chosen;
};
