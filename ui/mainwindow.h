#pragma once

#include <memory>

#include <QList>
#include <QMainWindow>
#include <QModelIndex>
#include <QPointF>
#include <QVector>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"
#include "storage/runarchive.h"
#include "ui/exportflow.h"
#include "ui/recordchart.h"

class QAction;
class DataSerialPort;
class DownloadSession;
class LinkAnswers;
class Reconnection;
class RunOpener;
class UnitRebuild;
class WindowToolBar;
class InstrumentController;
class ChartInteraction;
class LivePanel;
class QProcessIndicator;
class ReadingStats;
class RecordTable;
class RecordTableModel;
class StorageWarning;

namespace QtCharts {
class QChart;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
}

namespace Ui {
class MainWindow;
}

// The program's only window: tool bar, chart, record table and the live
// panel. It wires the serial link and the history loader, which its
// InstrumentController owns, to itself, and hands the chart (RecordChart),
// the panel (LivePanel) and the export (ExportFlow) what they show. What it
// does on the link's codes, a download, a pulled adapter, a history run, a
// unit change and with its tool bar lives in parts of its own (ui/).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // The history database in dataDirectory instead of beside the program.
    MainWindow(const QString &dataDirectory, QWidget *parent);
    ~MainWindow() override;

    QStringList headerLabels() const;
    void resetTableColumns();
    void updateAxes();

    // The full chart data; the series show a copy reduced to the plot's width.
    const QVector<QPointF> &temperaturePoints() const { return m_plot->temperaturePoints(); }
    const QVector<QPointF> &windPoints() const { return m_plot->windPoints(); }
    DataSerialPort *serialLink() const { return m_dataSerialPort; }
    QProcessIndicator *busyIndicator() const { return m_indicator.get(); }
    bool isRecording() const { return m_recording; }
    bool isShowingDownload() const { return m_downloading; }
    ChartInteraction *chartInteraction() const { return m_pointer; }

    // Shows a run of the history (or a current pseudo-run) in the chart and
    // the table, behind the busy indicator; a later unit change re-expresses
    // it. False, after telling the user why, when it could not be read.
    bool openRun(const RunArchive::Summary &run);
    // The archived run the table shows, 0 for a live table.
    qint64 shownArchivedRun() const;

    // Asks for the export directory; the file dialog unless replaced.
    using DirectoryPicker = ExportFlow::DirectoryPicker;
    void setDirectoryPicker(DirectoryPicker picker);

    // For tests: how often and how long a lost port is watched for.
    void setPortReturnIntervals(int pollMs, int limitMs);
    bool isWaitingForPort() const;

signals:
    void startQuery();
    void stopQuery();
    void download();
    void stopdownload();
    void loadbg(bool);

private slots:
    void slotDownloadBar(bool);
    void slotStartStopRecording();
    void slotExportBar(bool trigger);
    void slotOptionBar(bool);
    void slotAboutBar(bool trigger);
    void slotHistoryBar(bool);
    void on_sideButton_Side_clicked(bool);
    void onRecordTableviewClicked(QModelIndex);
    void slotDownloadItem(QByteArray);
    void onCommuStutusError(int error);
    void onRecvDataFrame(QByteArray ba);
    void onLoadFinished(QList<PelnorXLogItem> *list);
    void onDownloadProgress(int received, int total);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Q_DISABLE_COPY(MainWindow)

    void setUpLink();

    UnitChoice unitChoice() const;
    void showLoadingAtCentre();
    void closeLoading();
    void startRecording();
    void stopRecording();
    void openOptions(int mode);
    void checkStorageAtStart();
    void tellArchiveFailure(const QString &failure);


    std::unique_ptr<Ui::MainWindow> ui;
    InstrumentController *m_controller = nullptr;
    std::unique_ptr<RecordChart> m_plot;
    std::unique_ptr<LivePanel> m_panel;
    std::unique_ptr<ExportFlow> m_export;
    std::unique_ptr<RecordTable> m_table;
    std::unique_ptr<ReadingStats> m_stats;
    ChartInteraction *m_pointer = nullptr;
    // Owned by the table view.
    RecordTableModel *m_model = nullptr;
    QAction *m_actDownload = nullptr;
    QAction *m_actExport = nullptr;
    QAction *m_actRecord = nullptr;
    QAction *m_actSet = nullptr;
    QAction *m_actAbout = nullptr;
    QAction *m_actHistory = nullptr;
    QAction *m_actSide = nullptr;
    // Owned by the chart view, made by RecordChart.
    QtCharts::QChart *m_chart = nullptr;
    QtCharts::QDateTimeAxis *m_axisTime = nullptr;
    QtCharts::QValueAxis *m_axisTemp = nullptr;
    QtCharts::QValueAxis *m_axisWind = nullptr;
    QtCharts::QLineSeries *m_seriesTemp = nullptr;
    QtCharts::QLineSeries *m_seriesWind = nullptr;
    std::unique_ptr<QProcessIndicator> m_indicator;
    // Owned by the status bar.
    StorageWarning *m_storageWarning = nullptr;
    // Owned by the controller, which runs it in its worker thread.
    DataSerialPort *m_dataSerialPort = nullptr;
    // The controller's state: a recording runs; the shown table is the download.
    const bool &m_recording;
    const bool &m_downloading;

    // The window's parts that follow the link and open runs; they reach
    // its members and emit its signals.
    friend class DownloadSession;
    friend class LinkAnswers;
    friend class Reconnection;
    friend class RunOpener;
    friend class UnitRebuild;
    friend class WindowToolBar;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<Reconnection> m_reconnection;
    std::unique_ptr<LinkAnswers> m_answers;
    std::unique_ptr<RunOpener> m_runs;
    std::unique_ptr<UnitRebuild> m_rebuild;
    std::unique_ptr<WindowToolBar> m_toolBar;
};
