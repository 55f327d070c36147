#include <QtTest>

#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>

#include "model/measurements.h"
#include "testreadings.h"
#include "ui/recordtable.h"
#include "ui/recordtablewindow.h"
#include "ui/recordtableview.h"

namespace {

PelnorXLogItem reading(int i)
{
    PelnorXLogItem r = deriveMeasurements(0.5 + 0.37 * (i % 40), 18.0 + 0.1 * (i % 70), 0.25, false);
    r.date = QStringLiteral("2024-3-7");
    r.time = QStringLiteral("09:%1:%2").arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
    r.devstate = i % 9 == 4 ? 2 : 0;
    return r;
}

const QStringList kHeaders{QStringLiteral("Date"), QStringLiteral("Temp-C"), QStringLiteral("wind-ms"),
                           QStringLiteral("Area-m2"), QStringLiteral("Vol-cmm"), QStringLiteral("WindChill-C"),
                           QStringLiteral("Time")};

} // namespace

// The readings table draws its own grid; a user must see the very pixels
// the stock table view draws, whatever rows are shown and wherever it is
// scrolled.
class Tst_RecordTableView : public QObject
{
    Q_OBJECT

private slots:
    void samePixelsAsTheStockView_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("scrollTo"); // -1: where the last row left it
        QTest::addColumn<bool>("focused");
        QTest::addColumn<bool>("rightToLeft");
        QTest::newRow("empty") << 0 << QSize(680, 400) << -1 << false << false;
        QTest::newRow("three rows, grid stops under them") << 3 << QSize(680, 400) << -1 << false << false;
        QTest::newRow("scrolled to the last row") << 60 << QSize(680, 400) << -1 << false << false;
        QTest::newRow("scrolled to the middle") << 60 << QSize(680, 400) << 25 << false << false;
        QTest::newRow("narrower than its columns") << 60 << QSize(400, 300) << -1 << false << false;
        QTest::newRow("focused, current row drawn") << 60 << QSize(680, 400) << -1 << true << false;
        QTest::newRow("right to left") << 3 << QSize(680, 400) << -1 << false << true;
        QTest::newRow("right to left, narrower") << 60 << QSize(400, 300) << -1 << false << true;
        QTest::newRow("narrower, vertical bar appears") << 6 << QSize(400, 300) << -1 << false << false;
        QTest::newRow("right to left, vertical bar appears") << 6 << QSize(400, 300) << -1 << false << true;
    }

    void samePixelsAsTheStockView()
    {
        QFETCH(int, rows);
        QFETCH(QSize, size);
        QFETCH(int, scrollTo);
        QFETCH(bool, focused);
        QFETCH(bool, rightToLeft);

        QTableView stock;
        RecordTableView ours;
        RecordTable stockTable(&stock, kHeaders);
        RecordTable ourTable(&ours, kHeaders);
        QImage shots[2];
        QImage onScreen[2];
        int k = 0;
        for (auto pair : {std::make_pair(static_cast<QTableView *>(&stock), &stockTable),
                          std::make_pair(static_cast<QTableView *>(&ours), &ourTable)}) {
            QTableView *view = pair.first;
            // As the window sets it up.
            view->horizontalHeader()->setHighlightSections(false);
            view->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
            view->resize(size);
            view->show();
            QVERIFY(QTest::qWaitForWindowExposed(view));
            for (int i = 0; i < rows; ++i)
                pair.second->appendLive(reading(i), UnitChoice());
            QCoreApplication::processEvents();
            if (scrollTo >= 0)
                view->scrollTo(view->model()->index(scrollTo, 0), QAbstractItemView::PositionAtTop);
            if (focused)
                view->setFocus();
            QCoreApplication::processEvents();
            shots[k] = view->grab().toImage();
            // Live rows repaint only what changed: what is on the screen
            // afterwards must match too.
            for (int i = 0; i < 4; ++i) {
                pair.second->appendLive(reading(rows + i), UnitChoice());
                QCoreApplication::processEvents();
            }
            QVERIFY(view->horizontalScrollBar()->isVisible() == (size.width() < 600));
            onScreen[k++] = view->screen()->grabWindow(view->winId()).toImage();
            view->hide();
        }
        QCOMPARE(shots[0].size(), shots[1].size());
        QVERIFY2(shots[0] == shots[1], "the grid differs from the stock table's");
        QVERIFY(!onScreen[0].isNull());
        QVERIFY2(onScreen[0] == onScreen[1], "the grid differs after live rows");
    }

    // A live row repaints the rows that changed, not the whole table.
    void liveRowRepaintsItsRows()
    {
        RecordTableView view;
        RecordTable table(&view, kHeaders);
        view.horizontalHeader()->setHighlightSections(false);
        view.resize(680, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int i = 0; i < 60; ++i)
            table.appendLive(reading(i), UnitChoice());
        QCoreApplication::processEvents();

        struct PaintedArea : QObject
        {
            PaintedArea() = default;
            QRegion painted;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent *>(event)->region();
                return false;
            }
        };
        PaintedArea area;
        view.viewport()->installEventFilter(&area);
        for (int i = 0; i < 3; ++i) {
            area.painted = QRegion();
            table.appendLive(reading(60 + i), UnitChoice());
            QCoreApplication::processEvents();
            int pixels = 0;
            for (const QRect &r : area.painted)
                pixels += r.width() * r.height();
            const int rowPixels = view.viewport()->width() * view.rowHeight(0);
            QVERIFY2(pixels > 0 && pixels <= 4 * rowPixels, qPrintable(QString::number(pixels / double(rowPixels))));
        }

        // Narrower than its columns, with both scroll bars: live rows leave
        // the horizontal one as it is.
        view.resize(400, 400);
        QTRY_VERIFY(view.horizontalScrollBar()->isVisible());
        table.appendLive(reading(70), UnitChoice());
        QCoreApplication::processEvents();
        PaintedArea bar;
        view.horizontalScrollBar()->installEventFilter(&bar);
        for (int i = 0; i < 3; ++i) {
            table.appendLive(reading(71 + i), UnitChoice());
            QCoreApplication::processEvents();
        }
        QVERIFY(bar.painted.isEmpty());
    }

    // A long recording keeps only its newest rows in the view: what the
    // user sees of the table is the whole table's, row numbers included,
    // through a unit change too; when the recording ends every row is back.
    void liveWindowShowsWhatTheWholeTableShows()
    {
        RecordTableView windowed;
        RecordTableView whole;
        RecordTable windowedTable(&windowed, kHeaders);
        RecordTable wholeTable(&whole, kHeaders);
        windowedTable.window()->setLiveRows(60, 20);
        for (QTableView *view : {static_cast<QTableView *>(&windowed), static_cast<QTableView *>(&whole)}) {
            view->horizontalHeader()->setHighlightSections(false);
            view->resize(680, 400);
            view->show();
            QVERIFY(QTest::qWaitForWindowExposed(view));
        }
        auto sameOnScreen = [&](bool scrollBars) {
            QCoreApplication::processEvents();
            if (scrollBars) {
                return windowed.grab().toImage() == whole.grab().toImage();
            }
            return windowed.viewport()->grab().toImage() == whole.viewport()->grab().toImage()
                   && windowed.verticalHeader()->grab().toImage() == whole.verticalHeader()->grab().toImage()
                   && windowed.horizontalHeader()->grab().toImage() == whole.horizontalHeader()->grab().toImage();
        };
        for (int i = 0; i < 300; ++i) {
            windowedTable.appendLive(reading(i), UnitChoice());
            wholeTable.appendLive(reading(i), UnitChoice());
        }
        QCOMPARE(whole.model()->rowCount(), 300);
        QVERIFY(windowed.model()->rowCount() <= 80);
        QVERIFY(windowed.model()->rowCount() >= 60);
        QCOMPARE(windowed.model()->headerData(windowed.currentIndex().row(), Qt::Vertical).toString(),
                 QStringLiteral("300"));
        QVERIFY(sameOnScreen(false));

        // Cells in other units, in place.
        const UnitChoice other = units(1, 2, 0, 0);
        windowedTable.reexpress(other, kHeaders);
        wholeTable.reexpress(other, kHeaders);
        QVERIFY(sameOnScreen(false));

        windowedTable.showAllRows();
        QCOMPARE(windowed.model()->rowCount(), 300);
        QCOMPARE(windowed.currentIndex().row(), 299);
        QVERIFY2(sameOnScreen(true), "at the end, every row back");
        windowed.scrollToTop();
        whole.scrollToTop();
        QVERIFY2(sameOnScreen(true), "scrolled to the top");
        QCOMPARE(windowed.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    }
};

QTEST_MAIN(Tst_RecordTableView)
#include "tst_recordtableview.moc"
