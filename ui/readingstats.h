#pragma once

#include <QList>
#include <QVector>

#include "model/runningstats.h"
#include "ui/exportwriter.h"
#include "ui/recordtable.h"

struct DownloadedRecord;
class RecordChart;
class StatsPanel;

// The statistics of the readings the table shows, kept beside the rows as
// they enter (live, downloaded or read back from the history) and shown in
// the side panel in the user's units: of every reading, or of those in the
// chart's view while it is zoomed.
class ReadingStats : public RecordTableListener
{
public:
    ReadingStats(StatsPanel *panel, const RecordChart *chart);

    const RunningStats &stats() const { return m_stats; }

    // A live reading at its chart time.
    void addLive(const PelnorXLogItem &record, qint64 timeMs);
    // A downloaded package, after the rows were emptied.
    void addDownloaded(const QVector<DownloadedRecord> &records);

    void rowsCleared() override;
    void rowsRebuilt(const QList<PelnorXLogItem> &records, int firstRow) override;

    // The panel afresh: current units, the chart's view when zoomed.
    void show();

    // The report's summary of every reading, in the user's units.
    ExportWriter::ReportSummary reportSummary() const;

private:
    StatsPanel *m_panel = nullptr;
    const RecordChart *m_chart = nullptr;
    RunningStats m_stats;
};
