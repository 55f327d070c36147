#include <QtTest>
class Tst_decoders : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_decoders)
#include "tst_decoders.moc"
