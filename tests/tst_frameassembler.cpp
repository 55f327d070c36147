#include <QtTest>
class Tst_frameassembler : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_frameassembler)
#include "tst_frameassembler.moc"
