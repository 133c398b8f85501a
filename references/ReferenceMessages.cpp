#include "ReferenceMessages.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "ReferenceRules.h"

#include <QLineEdit>

namespace references {

void ReportWriteFailure(const vb::Error &error)
{
    if (error.number() == dao::ErrReadOnly)
        vb::MsgBox(kReadOnly, vb::vbExclamation);
    else
        vb::MsgBox(error.description(), vb::vbExclamation);
}

void ReportRefusal(const QString &message) { vb::MsgBox(message, vb::vbExclamation); }

bool FillBox(QLineEdit *box, const QString &label, const QString &value)
{
    if (const auto message = DoesNotFitMessage(label, value, box->maxLength())) {
        ReportRefusal(*message);
        return false;
    }
    box->setText(value);
    // The value shows from its start.
    box->setCursorPosition(0);
    return true;
}

} // namespace references
