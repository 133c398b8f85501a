#include "ReferenceMessages.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"

namespace references {

void ReportWriteFailure(const vb::Error &error)
{
    if (error.number() == dao::ErrReadOnly)
        vb::MsgBox(kReadOnly, vb::vbExclamation);
    else
        vb::MsgBox(error.description(), vb::vbExclamation);
}

void ReportRefusal(const QString &message) { vb::MsgBox(message, vb::vbExclamation); }

} // namespace references
