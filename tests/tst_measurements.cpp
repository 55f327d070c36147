#include <QtTest>
class Tst_measurements : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_measurements)
#include "tst_measurements.moc"
