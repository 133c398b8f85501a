#include "StartUp.h"

#include "Dao.h"
#include "Dialogs.h"
#include "Error.h"
#include "Files.h"
#include "Runtime.h"
#include "fDebut.h"

#include <QDir>
#include <QFileInfo>

#include <new>

QString StartBaseName(int number)
{
    return QStringLiteral("NewBase") + vb::Format(number, QStringLiteral("000")) + QStringLiteral(".cvb");
}

int FirstFreeStartBaseNumber(const QString &dir)
{
    const QDir d(dir);
    for (int n = 1;; ++n) {
        const QString name = StartBaseName(n);
        const QString path = d.filePath(name);
        // Anything of that name, not only a base, would make the creation fail.
        const QFileInfo fi(path);
        if (vb::Dir(path) != name && !fi.exists() && !fi.isSymLink())
            return n;
    }
}

void Main()
{
    auto outOfMemory = [] { vb::MsgBox(QStringLiteral("Mémoire insuffisante"), vb::vbExclamation); };
    try {
        dao::DBEngine::setDefaultType(dao::dbUseJet);
        vb::Forms::get<fDebut>().show();
    } catch (const vb::Error &e) {
        if (e.number() == vb::ErrOutOfMemory)
            outOfMemory();
        else
            vb::MsgBox(e.description(), vb::vbExclamation);
    } catch (const std::bad_alloc &) {
        outOfMemory();
    }
}
