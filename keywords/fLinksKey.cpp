#include "fLinksKey.h"

fLinksKey::fLinksKey()
{
    setObjectName(QStringLiteral("fLinksKey"));
    setMdiChild(true);
    setCaption(QStringLiteral("Keywords Structure"));
    setWidth(8000);
    setHeight(5000);
}
