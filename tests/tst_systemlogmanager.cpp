#include <QtTest>
class Tst_systemlogmanager : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_systemlogmanager)
#include "tst_systemlogmanager.moc"
