#include "GridShared.h"

QList<QStringList> GridRows{QStringList{QString()}};
QStringList GridKeys;
int GridRowCount = 0;
QString GridCaption;
QString CardKind;

void ClearGridRows()
{
    GridRows = QList<QStringList>{QStringList{QString()}};
    GridKeys.clear();
    GridRowCount = 0;
}
