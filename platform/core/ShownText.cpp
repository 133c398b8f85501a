#include "ShownText.h"

namespace vb {

QString shownText(const QString &text)
{
    if (text.size() <= kShownChars)
        return text;
    qsizetype cut = kShownChars;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

} // namespace vb
