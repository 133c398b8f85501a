#pragma once
// The messages the reference windows share.

#include "CardSets.h"

#include <QString>

class QLineEdit;

namespace vb {
class Error;
}

namespace references {

inline const QString kReadOnly = QStringLiteral("Fichier en lecture seule !");
inline const QString kReferenceGone = QString::fromLatin1(kReferenceGoneText);
inline const QString kDataChanged = QStringLiteral("The data have changed - do you want save?");
inline const QString kReferenceChanged = QStringLiteral(
    "This reference was changed in the base since it was read here (in another window or by another "
    "program).\n\nReplace those changes with what this window holds?");

// A failed write: the read-only message for 3027, the engine's own
// description otherwise; both with the exclamation icon.
void ReportWriteFailure(const vb::Error &error);
// A message naming what is wrong before anything is written.
void ReportRefusal(const QString &message);

// A value read from the base into a box: put in when the box holds it
// whole; otherwise said, and the box keeps what it showed, so that no cut
// value is ever stored unseen. True when put in.
bool FillBox(QLineEdit *box, const QString &label, const QString &value);

} // namespace references
