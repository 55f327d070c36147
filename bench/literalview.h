#pragma once

#include <QList>
#include <QWidget>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"

class QStandardItem;
class QStandardItemModel;
class QTableView;

namespace QtCharts {
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
}

namespace bench {

// The chart and table of the window on the straightforward per-record
// path: a QStandardItemModel
// row appended per record, every point appended to (or replaced in) the
// line series one by one, every record stored through its own
// insertSystemLog/insertSystemLogIn. Same size, theme and axes as the
// window, so the two paths draw the same amount.
class LiteralView : public QWidget
{
public:
    LiteralView();

    QStandardItemModel *model = nullptr;
    QTableView *table = nullptr;
    QtCharts::QChartView *chartView = nullptr;
    QtCharts::QChart *chart = nullptr;
    QtCharts::QDateTimeAxis *axisTime = nullptr;
    QtCharts::QValueAxis *axisTemp = nullptr;
    QtCharts::QValueAxis *axisWind = nullptr;
    QtCharts::QLineSeries *seriesTemp = nullptr;
    QtCharts::QLineSeries *seriesWind = nullptr;

    static QList<QStandardItem *> rowItems(const TableRowTexts &texts);
    void setHeaders();

    // Readings 0..n-1, 500 ms apart and ending at now, put in at once
    // (model filled before the view sees it): the state a long recording
    // leaves, without its cost.
    void prefillLive(int n, const UnitChoice &units);

    // One live reading, step by step: row, points, insert, log line.
    void liveFrame(int i, const UnitChoice &units);
    // A package of records, one by one, each stored in its own transaction.
    void download(const QByteArray &package, const UnitChoice &units);
    // The unit-change rebuild: rows one by one, replace(index, point) per
    // point, an event pass every 100 rows.
    void rebuild(const QList<PelnorXLogItem> &list, const UnitChoice &units);

private:
    Q_DISABLE_COPY(LiteralView)
};

} // namespace bench
