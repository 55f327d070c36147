#include <QtTest>
class Tst_loadthread : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_loadthread)
#include "tst_loadthread.moc"
