#pragma once
// The messages the reference windows share.

#include <QString>

namespace vb {
class Error;
}

namespace references {

inline const QString kReadOnly = QStringLiteral("Fichier en lecture seule !");
inline const QString kReferenceGone = QStringLiteral("This reference is no longer in the base.");

// A failed write: the read-only message for 3027, the engine's own
// description otherwise; both with the exclamation icon.
void ReportWriteFailure(const vb::Error &error);
// A message naming what is wrong before anything is written.
void ReportRefusal(const QString &message);

} // namespace references
