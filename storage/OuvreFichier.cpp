#include "OuvreFichier.h"

#include "Dialogs.h"
#include "OuvreBase.h"
#include "Start.h"

#include <QFileInfo>

QString AskBaseFile()
{
    vb::FileDialogOptions o;
    o.title = QStringLiteral("Please select a base");
    o.filter = kBaseFileFilter;
    const QString chosen = vb::ShowOpen(o);
    return chosen.isEmpty() ? QString() : QFileInfo(chosen).absoluteFilePath();
}

OuvreFichier::OuvreFichier()
{
    setObjectName(QStringLiteral("OuvreFichier"));
    setCaption(QStringLiteral("Open File"));
}

void OuvreFichier::formLoad() { PickBaseFileOnly(); }

void OuvreFichier::PickBaseFileOnly()
{
    m_chosen = AskBaseFile();
    if (!m_chosen.isEmpty())
        g_BasePath = m_chosen;
}
