#pragma once

#include <QWidget>

#include "model/runningstats.h"
#include "ui/exportwriter.h"

class QGridLayout;
class QLabel;

// The statistics grid under the live panel's displays: minimum, maximum,
// mean and standard deviation of speed, temperature and air flow in the
// user's units, with the number of readings and the time they span.
class StatsPanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(StatsPanel)

public:
    enum Row { RowSpeed, RowTemperature, RowAirFlow, RowCount };
    enum Column { ColumnMin, ColumnMax, ColumnMean, ColumnStdDev, ColumnCount };

    explicit StatsPanel(QWidget *parent = nullptr);
    ~StatsPanel() override;

    void showStats(const StatsSnapshot &stats, const UnitChoice &units);
    // No readings: "-.-" in every cell.
    void clearStats(const UnitChoice &units);
    // Whether the figures are those of the readings in the chart's view
    // rather than of all readings; only the caption says so.
    void setShowsView(bool inView);

    QString figureText(Row row, Column column) const;
    QString unitText(Row row) const;
    QString readingsText() const;
    QString durationText() const;
    QString captionText() const;

    // The first page's summary of the report, in the same texts.
    static ExportWriter::ReportSummary reportSummary(const StatsSnapshot &stats,
                                                     const UnitChoice &units);

private:
    QLabel *addLabel(const QString &objectName, int row, int column, Qt::Alignment alignment);

    QGridLayout *m_grid = nullptr;
    QLabel *m_caption = nullptr;
    QLabel *m_units[RowCount] = {};
    QLabel *m_figures[RowCount][ColumnCount] = {};
    QLabel *m_readings = nullptr;
    QLabel *m_duration = nullptr;
};
