#include "literalview.h"
#include "ui/unitlabels.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QStandardItemModel>
#include <QTableView>
#include <QValueAxis>

#include "benchsupport.h"
#include "device/realtimeframe.h"
#include "device/storedpackage.h"
#include "storage/globals.h"
#include "storage/systemlogmanager.h"

using namespace QtCharts;

namespace bench {

LiteralView::LiteralView()
{
    resize(1765, 795);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    chart = new QChart();
    chart->setTitle(QStringLiteral("AQ7316 Data"));
    chart->setTitleBrush(QBrush(QColor(255, 255, 255), Qt::SolidPattern));
    chart->setBackgroundBrush(QBrush(QColor(32, 32, 64), Qt::SolidPattern));
    chart->setTheme(QChart::ChartThemeBlueIcy);
    axisTime = new QDateTimeAxis();
    axisTime->setTitleText(QStringLiteral("Time"));
    axisTime->setFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    chart->addAxis(axisTime, Qt::AlignBottom);
    axisTemp = new QValueAxis();
    axisTemp->setTitleText(QStringLiteral("Temp-C"));
    axisTemp->setRange(-20, 70);
    chart->addAxis(axisTemp, Qt::AlignLeft);
    axisWind = new QValueAxis();
    axisWind->setTitleText(QStringLiteral("wind-ms"));
    axisWind->setRange(0, 50);
    chart->addAxis(axisWind, Qt::AlignRight);
    seriesTemp = new QLineSeries();
    seriesTemp->setColor(QColor(232, 64, 64));
    chart->addSeries(seriesTemp);
    seriesTemp->attachAxis(axisTime);
    seriesTemp->attachAxis(axisTemp);
    seriesWind = new QLineSeries();
    seriesWind->setColor(QColor(64, 232, 64));
    chart->addSeries(seriesWind);
    seriesWind->attachAxis(axisTime);
    seriesWind->attachAxis(axisWind);
    chartView = new QChartView(chart, this);
    layout->addWidget(chartView, 1);

    model = new QStandardItemModel(this);
    table = new QTableView(this);
    table->setFixedWidth(680);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setAlternatingRowColors(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setModel(model);
    setHeaders();
    layout->addWidget(table);
}

QList<QStandardItem *> LiteralView::rowItems(const TableRowTexts &texts)
{
    QList<QStandardItem *> items;
    for (const QString &text : texts) {
        auto *item = new QStandardItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        items.append(item);
    }
    return items;
}

void LiteralView::setHeaders()
{
    model->setHorizontalHeaderLabels(headerLabels(UnitChoice()));
    const int widths[TableColumnCount] = {90, 70, 100, 80, 80, 120, 95};
    for (int c = 0; c < TableColumnCount; ++c)
        table->setColumnWidth(c, widths[c]);
}

void LiteralView::prefillLive(int n, const UnitChoice &units)
{
    table->setModel(nullptr);
    const QDateTime now = QDateTime::currentDateTime();
    QVector<QPointF> temps, winds;
    for (int i = 0; i < n; ++i) {
        const QDateTime when = now.addMSecs(-500LL * (n - i));
        const PelnorXLogItem r = liveRecord(i, when);
        model->appendRow(rowItems(tableRowTexts(r, units, RowOrigin::Live)));
        const double x = double(when.toMSecsSinceEpoch());
        if (hasTemperatureReading(r, RowOrigin::Live))
            temps.append(QPointF(x, chartTemperature(r, units.temp)));
        winds.append(QPointF(x, chartWindSpeed(r, units.wind)));
    }
    table->setModel(model);
    setHeaders();
    seriesTemp->replace(temps);
    seriesWind->replace(winds);
    if (n > 0)
        axisTime->setRange(now.addMSecs(-500LL * n), now);
}

void LiteralView::liveFrame(int i, const UnitChoice &units)
{
    const QDateTime now = QDateTime::currentDateTime();
    const PelnorXLogItem r = recordFromFrame(decodeRealtimeFrame(frameBytes(i)), now);
    const double x = double(now.toMSecsSinceEpoch());
    if (hasTemperatureReading(r, RowOrigin::Live))
        seriesTemp->append(x, chartTemperature(r, units.temp));
    seriesWind->append(x, chartWindSpeed(r, units.wind));
    model->appendRow(rowItems(tableRowTexts(r, units, RowOrigin::Live)));
    table->setCurrentIndex(model->index(model->rowCount() - 1, 0));
    if (model->rowCount() == 1)
        axisTime->setMin(now);
    axisTime->setMax(now);
    pSystemLogManager->insertSystemLog(r);
}

void LiteralView::download(const QByteArray &package, const UnitChoice &units)
{
    model->clear();
    const QDateTime now = QDateTime::currentDateTime();
    const QVector<DownloadedRecord> records = recordsFromPackage(package, now);
    const int n = records.size();
    for (const DownloadedRecord &r : records) {
        model->appendRow(rowItems(tableRowTexts(r.item, units, RowOrigin::Live)));
        const double x = double(r.chartTimeMs);
        seriesTemp->append(x, chartTemperature(r.item, units.temp));
        seriesWind->append(x, chartWindSpeed(r.item, units.wind));
        axisTime->setRange(now.addMSecs(-500LL * n), now);
        pSystemLogManager->insertSystemLogIn(r.item);
    }
    setHeaders();
    if (n > 0)
        table->setCurrentIndex(model->index(n - 1, 0));
}

void LiteralView::rebuild(const QList<PelnorXLogItem> &list, const UnitChoice &units)
{
    model->clear();
    setHeaders();
    for (int i = 0; i < list.size(); ++i) {
        const PelnorXLogItem &r = list.at(i);
        const TableRowTexts texts = tableRowTexts(r, units, RowOrigin::Rebuilt);
        if (i < seriesTemp->count() && hasTemperatureReading(r, RowOrigin::Rebuilt))
            seriesTemp->replace(i, QPointF(seriesTemp->at(i).x(), chartTemperature(r, units.temp)));
        if (i < seriesWind->count())
            seriesWind->replace(i, QPointF(seriesWind->at(i).x(), chartWindSpeed(r, units.wind)));
        model->appendRow(rowItems(texts));
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
}

} // namespace bench
