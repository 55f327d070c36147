#include <QtTest>
class Tst_valuetext : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(Tst_valuetext)
#include "tst_valuetext.moc"
