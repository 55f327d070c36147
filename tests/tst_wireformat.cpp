#include <QtTest>
class Tst_wireformat : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_wireformat)
#include "tst_wireformat.moc"
