#include <QtTest>
#include "Start.h"
class Tst : public QObject { Q_OBJECT private slots: void placeholder() {} };
QTEST_GUILESS_MAIN(Tst)
#include "tst_schema.moc"
