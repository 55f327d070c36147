#include <QtTest>
class Tst_loghelper : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_loghelper)
#include "tst_loghelper.moc"
