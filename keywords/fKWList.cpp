#include "fKWList.h"

fKWList::fKWList()
{
    setObjectName(QStringLiteral("fKWList"));
    setMdiChild(true);
    setCaption(QStringLiteral("Keywords"));
    setWidth(5000);
    setHeight(5000);
}
