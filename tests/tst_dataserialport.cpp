#include <QtTest>
class Tst_dataserialport : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_dataserialport)
#include "tst_dataserialport.moc"
