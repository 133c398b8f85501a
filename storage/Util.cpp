#include "Util.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "OuvreBase.h"

QString OpenMode;
bool ReadOnlyMode = false;

namespace {

bool openSample(bool readOnly)
{
    try {
        if (readOnly)
            OpenAndBindBaseReadOnly(kSampleBaseName, BuiltInConnect());
        else
            OpenAndBindBase(kSampleBaseName, BuiltInConnect());
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrInvalidPassword)
            vb::MsgBox(QStringLiteral("Invalid Password !"), vb::vbExclamation);
        else
            vb::MsgBox(e.description(), vb::vbExclamation);
        return false;
    }
    ReadOnlyMode = readOnly;
    return true;
}

} // namespace

bool OpenSampleBaseEdit() { return openSample(false); }

bool OpenSampleBaseLocked() { return openSample(true); }
