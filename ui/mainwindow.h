#pragma once

#include <functional>
#include <memory>

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QModelIndex>
#include <QPointF>
#include <QVector>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"

class QAction;
class QThread;
class QTimer;
class DataSerialPort;
class LoadThread;
class QProcessIndicator;
class RecordTableModel;

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
// panel; it owns the history database, the serial link in its worker
// thread and the history loader, and wires them together.
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
    const QVector<QPointF> &temperaturePoints() const { return m_tempPoints; }
    const QVector<QPointF> &windPoints() const { return m_windPoints; }
    DataSerialPort *serialLink() const { return m_dataSerialPort; }
    QProcessIndicator *busyIndicator() const { return m_indicator; }
    bool isRecording() const { return m_recording; }
    bool isShowingDownload() const { return m_downloading; }

    // Asks for the export directory; the file dialog unless replaced.
    using DirectoryPicker = std::function<QString(QWidget *parent, const QString &title, const QString &start)>;
    void setDirectoryPicker(DirectoryPicker picker);

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
    void on_sideButton_Side_clicked(bool);
    void onRecordTableviewClicked(QModelIndex);
    void slotDownloadItem(QByteArray);
    void onCommuStutusError(int error);
    void onRecvDataFrame(QByteArray ba);
    void onLoadFinished(QList<PelnorXLogItem> *list);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    Q_DISABLE_COPY(MainWindow)

    void construct(const QString &dataDirectory);
    void setUpTable();
    void setUpChart();
    void createActions();
    void setUpLink();

    UnitChoice unitChoice() const;
    void showPanel(const PanelTexts &texts);
    void showBattery(quint8 level);
    void clearChart();
    void refreshSeries();
    void selectLastRow();
    void showLoadingAtCentre();
    void closeLoading();
    void startRecording();
    void stopRecording();
    void offlineSequence();
    void askForRestart();
    void rebuildAfterUnitChange();
    void exportPdf(const QString &dir);
    void exportCsv(const QString &dir);
    void finishExport(bool ok, const QString &path, const QString &error);

    RecordTableModel *m_model = nullptr;
    Ui::MainWindow *ui = nullptr;
    QAction *m_actDownload = nullptr;
    QAction *m_actExport = nullptr;
    QAction *m_actRecord = nullptr;
    QAction *m_actSet = nullptr;
    QAction *m_actAbout = nullptr;
    QAction *m_actSide = nullptr;
    QtCharts::QChart *m_chart = nullptr;
    QtCharts::QDateTimeAxis *m_axisTime = nullptr;
    QtCharts::QValueAxis *m_axisTemp = nullptr;
    QtCharts::QValueAxis *m_axisWind = nullptr;
    QtCharts::QLineSeries *m_seriesTemp = nullptr;
    QtCharts::QLineSeries *m_seriesWind = nullptr;
    QProcessIndicator *m_indicator = nullptr;
    DataSerialPort *m_dataSerialPort = nullptr;
    QThread *m_serialThread = nullptr;
    bool m_recording = false;
    bool m_downloading = false;
    quint8 m_lastBatteryLevel = 4;
    QImage m_batteryImage;
    LoadThread *m_loadThread = nullptr;

    // Every point of the current record set, x in ms since the epoch.
    QVector<QPointF> m_tempPoints;
    QVector<QPointF> m_windPoints;
    DirectoryPicker m_directoryPicker;
};
