#include "ImportBase.h"

#include "BaseImporter.h"
#include "CommonControls.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Form.h"
#include "Guard.h"
#include "OuvreBase.h"
#include "OuvreFichier.h"
#include "Screen.h"
#include "Start.h"
#include "WindowLinks.h"
#include "Working.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <sys/stat.h>

namespace {

// The progress window as the import writes to it.
class WorkingProgress : public importer::ImportProgress {
public:
    explicit WorkingProgress(Working &w) : m_w(w) {}
    void step(const QString &label) override
    {
        m_w.Label1->setText(label);
        m_w.refresh();
    }
    void percent(int value) override
    {
        m_w.ProgressBar1->setValue(value);
        // Only the bar: the import does not yield to the event loop.
        m_w.ProgressBar1->repaint();
    }

private:
    Working &m_w;
};

// The hourglass while the copy runs.
struct BusyCursor {
    BusyCursor() { vb::Screen::setMousePointer(vb::vbHourglass); }
    ~BusyCursor() { vb::Screen::setMousePointer(vb::vbDefault); }
};

} // namespace

bool isSameFile(const QString &a, const QString &b)
{
    struct stat sa {}, sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

QString sourceRefusalMessage(int errorNumber, const QString &description)
{
    QString why;
    switch (errorNumber) {
    case dao::ErrInvalidPassword:
        why = QStringLiteral("it cannot be opened with the built-in password (it has a password of its own, "
                             "or it is not a base)");
        break;
    case dao::ErrNotABase:
        why = QStringLiteral("it is not a base of this program");
        break;
    case dao::ErrCorrupt:
        why = QStringLiteral("it is damaged or cut short");
        break;
    case dao::ErrNeedsRollback:
        why = QStringLiteral("it was left half-written and needs its journal rolled back : open it once as the "
                             "base, then import it");
        break;
    case dao::ErrUnsafeBase:
        why = dao::unsafeReason(description);
        break;
    case dao::ErrBaseInUse:
        why = QStringLiteral("it is in use by another program : try again when it has finished");
        break;
    case dao::ErrNotAFile:
        why = QStringLiteral("it is not a file but a folder, a pipe, a device or a socket");
        break;
    default:
        why = description;
        break;
    }
    return QStringLiteral("This base cannot be imported : ") + why;
}

bool RunBaseImport()
{
    vb::MsgBox(QStringLiteral("Select a base to import"), vb::vbOKOnly);

    // The choice writes g_BasePath; the open base's path comes back at once.
    const QString openBase = g_BasePath;
    QString chosen;
    {
        OuvreFichier &picker = vb::Forms::get<OuvreFichier>();
        chosen = picker.chosenPath();
        picker.unload();
    }
    g_BasePath = openBase;

    if (chosen.isEmpty())
        return false;
    if (isSameFile(chosen, openBase)) {
        vb::MsgBox(QStringLiteral("This base is the one open : it cannot be imported into itself"),
                   vb::vbExclamation);
        return false;
    }

    dao::Database source;
    try {
        source = dao::DBEngine::Workspaces(0).OpenForeignDatabase(chosen, BuiltInConnect());
    } catch (const vb::Error &e) {
        vb::MsgBox(sourceRefusalMessage(e.number(), e.description()), vb::vbExclamation);
        return false;
    }

    importer::ImportReport report;
    {
        Working &w = vb::Forms::get<Working>();
        w.show();
        w.Label1->setText(QStringLiteral("Import from table..."));
        w.refresh();
        WorkingProgress progress(w);
        BusyCursor busy;
        report = importer::BaseImporter(source, &progress).run();
        source.Close();
        w.unload();
    }
    g_BasePath = openBase;

    const bool warn = report.failed || report.somethingUnread();
    vb::MsgBox(importer::summaryText(report, QFileInfo(chosen).fileName()),
               warn ? vb::vbExclamation : vb::vbInformation);
    return !report.failed && report.added() > 0;
}

void InstallImport() { windowLinks().importBase = RunBaseImport; }
