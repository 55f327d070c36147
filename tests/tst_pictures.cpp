#include <QtTest>

#include <QImage>

#include "resources/pictures.h"

class Tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictures(); }

    void everyPathLoads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("minSide");
        for (const char *p : {"download.png", "go.png", "tap.png", "exxport.png", "set.png",
                              "images/question_check.png", "history.png", "images/right.png", "images/left.png"})
            QTest::newRow(p) << QString(":/picture/") + p << 32;
        for (const char *p : {"battle/battle0.png", "battle/battle1.png", "battle/battle2.png",
                              "battle/battle3.png", "battle/battle4.png", "battle/empty.png"})
            QTest::newRow(p) << QString(":/picture/") + p << 64;
        QTest::newRow("window icon") << QString(":/picture/icon/ovra.ico") << 32;
    }

    void everyPathLoads()
    {
        QFETCH(QString, path);
        QFETCH(int, minSide);
        QImage img;
        QVERIFY2(img.load(path), qPrintable(path));
        QVERIFY(img.width() >= minSide);
        QCOMPARE(img.width(), img.height());   // square, scaled to its label
        QVERIFY(img.hasAlphaChannel());
    }
};

QTEST_MAIN(Tst_Pictures)
#include "tst_pictures.moc"
