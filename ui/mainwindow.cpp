#include "ui/mainwindow.h"

#include <QAction>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include "device/dataserialport.h"
#include "device/realtimeframe.h"
#include "device/storedpackage.h"
#include "resources/pictures.h"
#include "storage/globals.h"
#include "storage/loadthread.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/chartinteraction.h"
#include "ui/downloadsession.h"
#include "ui/instrumentcontroller.h"
#include "ui/linkanswers.h"
#include "ui/livepanel.h"
#include "ui/mainwindowform.h"
#include "ui/qprocessindicator.h"
#include "ui/readingstats.h"
#include "ui/reconnection.h"
#include "ui/recordchart.h"
#include "ui/recordtable.h"
#include "ui/recordtablemodel.h"
#include "ui/runopener.h"
#include "ui/setserailport.h"
#include "ui/storageprompt.h"
#include "ui/storagewarning.h"
#include "ui/unitlabels.h"
#include "ui/unitrebuild.h"
#include "ui/windowmessages.h"
#include "ui/windowtoolbar.h"

namespace {

const char kFrameStyle[] = "QFrame{color: white; background: rgb(24, 144, 235);}";

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(QString(), parent)
{
}

MainWindow::MainWindow(const QString &dataDirectory, QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_controller(new InstrumentController(dataDirectory, this))
    , m_recording(m_controller->recording())
    , m_downloading(m_controller->showingDownload())
{
    initPictures();
    ui->setupUi(this);

    setWindowTitle(tr("AQ7316 Anemometer"));
    setWindowIcon(QIcon(QStringLiteral(":/picture/icon/ovra.ico")));

    m_table = std::make_unique<RecordTable>(ui->tv_Record, headerLabels());
    m_model = m_table->model();
    connect(ui->tv_Record, &QTableView::clicked, this, &MainWindow::onRecordTableviewClicked);
    m_plot = std::make_unique<RecordChart>(ui->wv_Plot, pSystemSetting->tempUnit, pSystemSetting->windUnit);
    m_chart = m_plot->chart();
    m_axisTime = m_plot->axisTime();
    m_axisTemp = m_plot->axisTemp();
    m_axisWind = m_plot->axisWind();
    m_seriesTemp = m_plot->seriesTemp();
    m_seriesWind = m_plot->seriesWind();
    m_plot->setAutoAxes(pSystemSetting->autoAxes);
    m_stats = std::make_unique<ReadingStats>(ui->wStats, m_plot.get());
    m_table->setListener(m_stats.get());
    m_pointer = new ChartInteraction(ui->wv_Plot, m_plot.get(), this);
    connect(m_pointer, &ChartInteraction::viewChanged, this, [this] { m_stats->show(); });
    connect(m_pointer, &ChartInteraction::autoAxesToggled, this, [](bool on) {
        pSystemSetting->autoAxes = on;
        pSystemSetting->save(SystemSetting::AutoAxes);
    });
    m_toolBar = std::make_unique<WindowToolBar>(*this);
    m_toolBar->create();
    m_export = std::make_unique<ExportFlow>(this, ui->wv_Plot, m_model, m_actExport);
    m_export->setSummary([this] { return m_stats->reportSummary(); });

    m_panel = std::make_unique<LivePanel>(ui.get());
    ui->frmMain->setStyleSheet(QLatin1String(kFrameStyle));

    setUpLink();
    m_indicator = std::make_unique<QProcessIndicator>();
    m_session = std::make_unique<DownloadSession>(*this);
    m_reconnection = std::make_unique<Reconnection>(*this);
    m_answers = std::make_unique<LinkAnswers>(*this);
    m_runs = std::make_unique<RunOpener>(*this);
    m_rebuild = std::make_unique<UnitRebuild>(*this);

    m_storageWarning = new StorageWarning(statusBar());
    // Asked once the window is on screen, so the question has a parent to
    // sit on.
    QTimer::singleShot(0, this, &MainWindow::checkStorageAtStart);
}

void MainWindow::checkStorageAtStart()
{
    const bool storing = StoragePrompt::resolveBrokenDatabase(this, *pSystemLogManager);
    m_storageWarning->reportAtStart(storing, SystemSetting::storageProblem(),
                                    pLogHelper ? pLogHelper->problem() : QString());
}

MainWindow::~MainWindow()
{
    // The link's worker thread ends before the window's parts go.
    delete m_controller;
    // The pointer's filter goes before the chart view it watches.
    delete m_pointer;
}

void MainWindow::setUpLink()
{
    m_dataSerialPort = m_controller->link();
    connect(m_dataSerialPort, &DataSerialPort::commuError, this, &MainWindow::onCommuStutusError,
            Qt::QueuedConnection);
    connect(m_dataSerialPort, &DataSerialPort::recvDataFrame, this, &MainWindow::onRecvDataFrame,
            Qt::QueuedConnection);
    connect(m_dataSerialPort, &DataSerialPort::recvDataStored, this, &MainWindow::slotDownloadItem,
            Qt::QueuedConnection);
    connect(m_dataSerialPort, &DataSerialPort::downloadProgress, this, &MainWindow::onDownloadProgress,
            Qt::QueuedConnection);
    // The link's mode slots are private: they are reached by signature.
    connect(this, SIGNAL(startQuery()), m_dataSerialPort, SLOT(startRealtime()), Qt::QueuedConnection);
    connect(this, SIGNAL(stopQuery()), m_dataSerialPort, SLOT(stopRealtime()), Qt::QueuedConnection);
    connect(this, SIGNAL(download()), m_dataSerialPort, SLOT(startDownload()), Qt::QueuedConnection);
    connect(this, SIGNAL(stopdownload()), m_dataSerialPort, SLOT(stopDownload()), Qt::QueuedConnection);

    LoadThread *loader = m_controller->loader();
    connect(this, SIGNAL(loadbg(bool)), loader, SLOT(run(bool)), Qt::QueuedConnection);
    connect(loader, SIGNAL(loadFinish(QList<PelnorXLogItem>*)), this,
            SLOT(onLoadFinished(QList<PelnorXLogItem>*)), Qt::QueuedConnection);
}

UnitChoice MainWindow::unitChoice() const
{
    return userUnits();
}

QStringList MainWindow::headerLabels() const
{
    return ::headerLabels(unitChoice());
}

void MainWindow::resetTableColumns()
{
    m_table->reset(headerLabels());
}

void MainWindow::updateAxes()
{
    m_plot->updateAxes(pSystemSetting->tempUnit, pSystemSetting->windUnit);
}

void MainWindow::showLoadingAtCentre()
{
    const QRect g = geometry();
    m_indicator->showLoading(g.left() + g.width() / 2, g.top() + g.height() / 2);
}

void MainWindow::closeLoading()
{
    m_indicator->closeLoading();
}

void MainWindow::onDownloadProgress(int received, int total)
{
    m_session->showProgress(received, total);
}

void MainWindow::setPortReturnIntervals(int pollMs, int limitMs)
{
    m_reconnection->setIntervals(pollMs, limitMs);
}

bool MainWindow::isWaitingForPort() const
{
    return m_reconnection->isWaiting();
}

void MainWindow::onRecvDataFrame(QByteArray ba)
{
    if (m_session->linkQuiet())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const RealtimeFrame frame = decodeRealtimeFrame(ba);
    const PelnorXLogItem record = recordFromFrame(frame, now);
    m_panel->showReading(frame, record);

    const UnitChoice units = unitChoice();
    m_table->appendLive(record, units);
    m_plot->appendLive(record, units, now, m_model->rowCount() == 1);
    m_stats->addLive(record, now.toMSecsSinceEpoch());

    // A reading the database refused (a locked or full disk) is still shown,
    // but the user is told that it is not being kept.
    const bool stored = m_controller->storeReading(record);
    if (stored)
        statusBar()->showMessage(m_reconnection->justResumed() ? tr("Instrument reconnected: recording resumed")
                                               : tr("Realtime data received"));
    else
        statusBar()->showMessage(tr("Realtime data received, but NOT stored: the history database cannot be written"));
    m_storageWarning->storingWorked(stored);
}

void MainWindow::slotDownloadItem(QByteArray package)
{
    // A package of a cancelled or failed download comes too late.
    if (m_session->linkQuiet())
        return;
    qDebug() << "slotDownloadItem:" << package;
    if (!isValidPackage(package)) {
        statusBar()->showMessage(tr("Stored data received Error"));
        m_session->end();
        return;
    }

    statusBar()->showMessage(tr("Stored data received"));
    m_model->clear();
    const QDateTime now = QDateTime::currentDateTime();
    const QVector<DownloadedRecord> records = recordsFromPackage(package, now);
    const int n = records.size();
    const UnitChoice units = unitChoice();

    m_table->appendDownloaded(records, units);
    m_plot->showDownloaded(records, units, now);
    m_stats->addDownloaded(records);
    const int storedCount = m_controller->storeDownloaded(records);
    m_storageWarning->storingWorked(storedCount >= n);

    m_panel->showDownloaded(n > 0 ? &records.last().item : nullptr, units);
    m_table->setHeaders(headerLabels());
    m_table->selectLastRow();
    if (storedCount < n) {
        statusBar()->showMessage(tr("Stored data received, but %1 of %2 records NOT stored: the history database cannot be written")
                                     .arg(n - qMax(storedCount, 0))
                                     .arg(n));
    }
    m_session->end();
}

void MainWindow::onLoadFinished(QList<PelnorXLogItem> *list)
{
    if (list && !list->isEmpty()) {
        const UnitChoice units = unitChoice();
        m_plot->convert(*list, units);
        m_table->appendRebuilt(*list, units);
    }
    closeLoading();
    delete list;
}

void MainWindow::slotStartStopRecording()
{
    if (!m_recording) {
        startRecording();
        return;
    }
    const bool waiting = m_reconnection->isWaiting();
    stopRecording();
    // No longer waiting; the port is still missing.
    if (waiting)
        statusBar()->showMessage(tr("no serialport"));
}

void MainWindow::startRecording()
{
    m_session->start();
    m_reconnection->forgetResume();
    tellArchiveFailure(m_controller->beginRecording());
    emit startQuery();
    m_toolBar->showRecordingState(true);
    resetTableColumns();
    m_plot->clear();
}

void MainWindow::stopRecording()
{
    m_reconnection->reset();
    emit stopQuery();
    m_controller->endRecording();
    m_toolBar->showRecordingState(false);
    m_table->showAllRows();
}

void MainWindow::slotDownloadBar(bool)
{
    // During a download the button is the way out of it.
    if (m_session->isActive()) {
        m_session->cancel();
        return;
    }
    m_session->start();
    // Told before the link is asked: the package must not arrive before the
    // busy indicator waits for it.
    tellArchiveFailure(m_controller->beginDownload());
    m_plot->clear();
    resetTableColumns();
    m_session->run();
}

void MainWindow::onCommuStutusError(int error)
{
    m_answers->answer(error);
}

void MainWindow::openOptions(int mode)
{
    auto *dialog = new setSerailPort(mode, this);
    if (dialog->exec() == QDialog::Accepted) {
        WindowMessages::restartNeeded(this);
        QCoreApplication::exit(255);
    }
    dialog->deleteLater();
}

void MainWindow::slotOptionBar(bool)
{
    const UnitChoice before = unitChoice();
    openOptions(0);

    const UnitChoice after = unitChoice();
    if (before.temp == after.temp && before.wind == after.wind && before.area == after.area
        && before.volume == after.volume)
        return;
    m_rebuild->run();
}

void MainWindow::slotAboutBar(bool)
{
    WindowMessages::about(this);
}

void MainWindow::tellArchiveFailure(const QString &failure)
{
    // The previous run stays in its table and the new readings join it: the
    // warning stays until a later run is archived again.
    m_storageWarning->archiveResult(failure);
    if (!failure.isEmpty())
        QMessageBox::warning(this, tr("History"), failure, QMessageBox::Ok);
}

void MainWindow::slotHistoryBar(bool)
{
    m_runs->chooseFromHistory();
}

bool MainWindow::openRun(const RunArchive::Summary &run)
{
    return m_runs->open(run);
}

qint64 MainWindow::shownArchivedRun() const
{
    return m_controller->shownArchivedRun();
}

void MainWindow::slotExportBar(bool)
{
    m_export->run(headerLabels());
}

void MainWindow::setDirectoryPicker(DirectoryPicker picker)
{
    m_export->setDirectoryPicker(std::move(picker));
}

void MainWindow::on_sideButton_Side_clicked(bool)
{
    if (ui->sidewidget->isHidden()) {
        ui->sidewidget->show();
        m_actSide->setIcon(QIcon(QStringLiteral(":/picture/images/right.png")));
    } else {
        ui->sidewidget->hide();
        m_actSide->setIcon(QIcon(QStringLiteral(":/picture/images/left.png")));
    }
}

void MainWindow::onRecordTableviewClicked(QModelIndex)
{
}

void MainWindow::resizeEvent(QResizeEvent *)
{
    // A wider or narrower plot wants the series reduced to its new width.
    m_plot->refresh();
    m_panel->fitBattery();
}
