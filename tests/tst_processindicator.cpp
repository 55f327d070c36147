#include <QtTest>

#include <QImage>
#include <QTimer>

#include "ui/qprocessindicator.h"

class Tst_ProcessIndicator : public QObject
{
    Q_OBJECT

    static QImage paintOf(QProcessIndicator &w)
    {
        QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
        return img;
    }

    static int opaquePixels(const QImage &img)
    {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += qAlpha(img.pixel(x, y)) > 0;
        return n;
    }

private slots:
    void spokeGeometry_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("corner");
        QTest::newRow("64x32 as the program shows it") << 32 << 14 << 5 << 9 << 3 << 1;
        QTest::newRow("large: narrower spokes") << 64 << 30 << 12 << 18 << 5 << 2;
    }

    void spokeGeometry()
    {
        QFETCH(int, side);
        const indicator::SpokeGeometry g = indicator::spokeGeometry(side);
        QTEST(g.radius, "radius");
        QTEST(g.inner, "inner");
        QTEST(g.length, "length");
        QTEST(g.width, "width");
        QTEST(g.corner, "corner");
    }

    void barLevels_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QList<int>>("levels");
        QTest::newRow("phase 0") << 0 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("phase 0.1") << 1 << QList<int>{2, 3, 4, 5, 4};
        QTest::newRow("phase 0.4 folds back") << 4 << QList<int>{5, 4, 3, 2, 1};
        QTest::newRow("fifth step is phase 0 again") << 5 << QList<int>{1, 2, 3, 4, 5};
    }

    void barLevels()
    {
        QFETCH(int, steps);
        QFETCH(QList<int>, levels);
        double phase = 0.0;
        for (int i = 0; i < steps; ++i)
            phase = indicator::nextProgress(phase);
        QList<int> got;
        for (int i = 0; i < 5; ++i)
            got << indicator::barLevel(phase, i);
        QCOMPARE(got, levels);
    }

    void levelTenFoldsToFive()
    {
        QCOMPARE(indicator::barLevel(0.5, 4), 5);
    }

    void spokesTurnFullCircleInEightTicks()
    {
        QProcessIndicator w;
        QCOMPARE(w.angle(), 0);
        QList<int> angles;
        for (int i = 0; i < 8; ++i) {
            QMetaObject::invokeMethod(&w, "onTimeout");
            angles << w.angle();
        }
        QCOMPARE(angles, (QList<int>{45, 90, 135, 180, 225, 270, 315, 0}));
    }

    void unknownStyleDoesNotAnimate()
    {
        QProcessIndicator w;
        w.setType(7);
        QMetaObject::invokeMethod(&w, "onTimeout");
        QCOMPARE(w.angle(), 0);
        QCOMPARE(w.progress(), 0.0);
    }

    void closeBeforeShowIsHarmless()
    {
        QProcessIndicator w;
        w.closeLoading();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.isAnimating());
    }

    void showLoadingIsModalUntilClosed()
    {
        QProcessIndicator w;
        bool sawAnimating = false;
        QRect seenGeometry;
        int seenOpaque = 0;
        QTimer::singleShot(200, &w, [&] {
            sawAnimating = w.isAnimating();
            seenGeometry = w.geometry();
            seenOpaque = opaquePixels(paintOf(w));
            w.closeLoading();
        });
        w.showLoading(100, 50);
        QVERIFY(sawAnimating);
        QCOMPARE(seenGeometry, QRect(100, 50, 64, 32));
        QVERIFY(seenOpaque > 50);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.isAnimating());
        // Stopped, it paints nothing: the dialog is fully transparent.
        QCOMPARE(opaquePixels(paintOf(w)), 0);
    }

    void leadingSpokeIsOpaqueAndOnTop()
    {
        QProcessIndicator w;
        QTimer::singleShot(0, &w, [&] {
            const QImage img = paintOf(w);
            // 64x32: centre (31, 15); spoke 0 stands 5 to 14 pixels above it.
            const QRgb top = img.pixel(31, 15 - 9);
            QCOMPARE(qAlpha(top), 255);
            QVERIFY(qRed(top) > 200 && qGreen(top) < 100);
            // The spoke pointing down (i = 4) is half transparent.
            const QRgb bottom = img.pixel(31, 15 + 9);
            QVERIFY(qAlpha(bottom) > 0 && qAlpha(bottom) < 200);
            w.closeLoading();
        });
        w.showLoading(0, 0);
    }
};

QTEST_MAIN(Tst_ProcessIndicator)
#include "tst_processindicator.moc"
