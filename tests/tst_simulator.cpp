#include <QtTest>
class Tst_simulator : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_simulator)
#include "tst_simulator.moc"
