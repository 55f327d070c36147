#include "ui/mainwindow.h"

#include <memory>

#include <QAction>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QLocale>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

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
#include "ui/instrumentcontroller.h"
#include "ui/devicetexts.h"
#include "ui/downloadprogress.h"
#include "ui/downloadwait.h"
#include "ui/historydialog.h"
#include "ui/livepanel.h"
#include "ui/mainwindowform.h"
#include "ui/portreturnwatch.h"
#include "ui/qprocessindicator.h"
#include "ui/readingstats.h"
#include "ui/recordchart.h"
#include "ui/recordtable.h"
#include "ui/recordtablemodel.h"
#include "ui/setserailport.h"
#include "ui/statspanel.h"
#include "ui/storageprompt.h"
#include "ui/storagewarning.h"
#include "ui/unitlabels.h"
#include "ui/windowmessages.h"

namespace {

// Up to this many rows a unit change re-expresses the table at once; above
// it the work runs inside the busy indicator's modal loop.
const int kDirectRebuildLimit = 1000;
// Readings re-expressed between two turns of the event loop.
const int kRowsPerEventPass = 20000;

// After a resume, the status keeps saying so for this long before the
// usual per-reading text returns.
const qint64 kResumedNoticeMs = 5000;

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
    createActions();
    m_export = std::make_unique<ExportFlow>(this, ui->wv_Plot, m_model, m_actExport);
    m_export->setSummary([this] { return m_stats->reportSummary(); });

    m_panel = std::make_unique<LivePanel>(ui.get());
    ui->frmMain->setStyleSheet(QLatin1String(kFrameStyle));

    setUpLink();
    m_indicator = std::make_unique<QProcessIndicator>();
    m_wait = std::make_unique<DownloadWait>(m_indicator.get(), this);
    connect(m_wait.get(), &DownloadWait::cancelRequested, this, &MainWindow::cancelDownload);
    m_portWatch = new PortReturnWatch(this);
    connect(m_portWatch, &PortReturnWatch::returned, this, &MainWindow::resumeRecording);
    connect(m_portWatch, &PortReturnWatch::gaveUp, this, &MainWindow::portDidNotReturn);

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

void MainWindow::createActions()
{
    auto add = [this](QToolBar *bar, const char *icon, const QString &text, const QString &tip, auto slot) {
        auto *action = new QAction(QIcon(QLatin1String(icon)), text, this);
        action->setStatusTip(tip);
        connect(action, &QAction::triggered, this, slot);
        bar->addAction(action);
        return action;
    };
    QToolBar *bar = ui->mainToolBar;
    bar->setIconSize(QSize(32, 32));
    bar->addSeparator();
    m_actDownload = add(bar, ":/picture/download.png", tr("Download"), tr("Download Stored Data"),
                        &MainWindow::slotDownloadBar);
    m_actRecord = add(bar, ":/picture/go.png", tr("Record"), tr("Start to Record"),
                      &MainWindow::slotStartStopRecording);
    bar->addSeparator();
    m_actExport = add(bar, ":/picture/exxport.png", tr("Export"), tr("Export Data"), &MainWindow::slotExportBar);
    m_actSet = add(bar, ":/picture/set.png", tr("Set"), tr("Set Options"), &MainWindow::slotOptionBar);
    bar->addSeparator();
    m_actAbout = add(bar, ":/picture/images/question_check.png", tr("About"), tr("About"),
                     &MainWindow::slotAboutBar);
    m_actHistory = add(bar, ":/picture/history.png", tr("History"),
                       tr("Recordings and downloads kept in the history"), &MainWindow::slotHistoryBar);

    ui->toprighttoolbar->setIconSize(QSize(32, 32));
    m_actSide = add(ui->toprighttoolbar, ":/picture/images/right.png", tr("Side In/Out"), tr("Side In/Out"),
                    &MainWindow::on_sideButton_Side_clicked);
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
    if (m_linkStopsPending > 0 || !m_downloadActive)
        return;
    const qint64 now = m_downloadClock.elapsed();
    if (m_downloadTotal < 0) {
        // The rate is measured from here: the wait for the first bytes is
        // the instrument's, not the line's.
        m_rateStartReceived = received;
        m_rateStartMs = now;
    }
    m_downloadReceived = received;
    m_downloadTotal = total;
    const qint64 left = downloadSecondsLeft(m_rateStartReceived, m_rateStartMs, received, now, total);
    statusBar()->showMessage(downloadProgressText(received, total, left, QLocale()));
}

void MainWindow::cancelDownload()
{
    if (!m_downloadActive)
        return;
    emit stopdownload();
    quietLinkUntilStopped();
    statusBar()->showMessage(tr("Download cancelled: nothing of it was stored"));
    endDownload();
}

void MainWindow::endDownload()
{
    m_downloadActive = false;
    closeLoading();
}

void MainWindow::downloadFailed(int code)
{
    const QString arrived = downloadArrivedText(m_downloadReceived, m_downloadTotal, QLocale());
    emit stopdownload();
    quietLinkUntilStopped();
    endDownload();
    if (!firstBoxFor(code))
        return;
    const QString reason = trMainWindow(commuStatusSource(code));
    QMessageBox::critical(this, tr("Download Error"),
        tr("The download did not complete (%1): %2 had arrived. Nothing of it was stored.\n"
           "Please download again.").arg(reason, arrived),
        QMessageBox::Ok);
}

bool MainWindow::firstBoxFor(int code)
{
    if (m_boxShown.contains(code))
        return false;
    m_boxShown.insert(code);
    return true;
}

void MainWindow::newEpisode()
{
    m_boxShown.clear();
}

void MainWindow::quietLinkUntilStopped()
{
    // The link answers in order: once this round trip is back, everything
    // it sent before the stop has been delivered and ignored.
    ++m_linkStopsPending;
    QMetaObject::invokeMethod(m_dataSerialPort, [this] {
        QMetaObject::invokeMethod(this, [this] { --m_linkStopsPending; }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void MainWindow::portLost(const QString &detail)
{
    emit stopQuery();
    quietLinkUntilStopped();
    m_portWatch->start(pSystemSetting->serialPortName);
    if (firstBoxFor(DataSerialPort::CommuNoPort))
        WindowMessages::noSerialPort(this, detail);
    if (m_portWatch->isWatching())
        statusBar()->showMessage(tr("Instrument disconnected: waiting for it to come back…"));
}

void MainWindow::resumeRecording()
{
    if (!m_recording)
        return;
    // The same table goes on: nothing is emptied or archived, ids continue,
    // and the chart leaves the missing time blank.
    m_controller->resumeRecording();
    m_plot->beginSegment();
    emit startQuery();
    m_resumedAt.start();
    statusBar()->showMessage(tr("Instrument reconnected: recording resumed"));
}

void MainWindow::portDidNotReturn()
{
    if (m_recording)
        stopRecording();
    statusBar()->showMessage(tr("The instrument did not come back: recording stopped"));
}

bool MainWindow::justResumed() const
{
    return m_resumedAt.isValid() && m_resumedAt.elapsed() < kResumedNoticeMs;
}

void MainWindow::setPortReturnIntervals(int pollMs, int limitMs)
{
    m_portWatch->setIntervals(pollMs, limitMs);
}

bool MainWindow::isWaitingForPort() const
{
    return m_portWatch->isWatching();
}

void MainWindow::onRecvDataFrame(QByteArray ba)
{
    if (m_linkStopsPending > 0)
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
        statusBar()->showMessage(justResumed() ? tr("Instrument reconnected: recording resumed")
                                               : tr("Realtime data received"));
    else
        statusBar()->showMessage(tr("Realtime data received, but NOT stored: the history database cannot be written"));
    m_storageWarning->storingWorked(stored);
}

void MainWindow::slotDownloadItem(QByteArray package)
{
    // A package of a cancelled or failed download comes too late.
    if (m_linkStopsPending > 0)
        return;
    qDebug() << "slotDownloadItem:" << package;
    if (!isValidPackage(package)) {
        statusBar()->showMessage(tr("Stored data received Error"));
        endDownload();
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
    endDownload();
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
    const bool waiting = m_portWatch->isWatching();
    stopRecording();
    // No longer waiting; the port is still missing.
    if (waiting)
        statusBar()->showMessage(tr("no serialport"));
}

void MainWindow::startRecording()
{
    newEpisode();
    m_portOpenedSinceStart = false;
    m_resumedAt.invalidate();
    tellArchiveFailure(m_controller->beginRecording());
    emit startQuery();
    showRecordingState(true);
    resetTableColumns();
    m_plot->clear();
}

void MainWindow::stopRecording()
{
    m_portWatch->reset();
    emit stopQuery();
    m_controller->endRecording();
    showRecordingState(false);
}

void MainWindow::showRecordingState(bool recording)
{
    m_actRecord->setIcon(QIcon(QLatin1String(recording ? ":/picture/tap.png" : ":/picture/go.png")));
    m_actRecord->setText(recording ? tr("Stop Recording") : tr("Record"));
    m_actRecord->setStatusTip(recording ? tr("Stop Recording") : tr("Start to Record"));
    for (QAction *action : {m_actDownload, m_actExport, m_actSet})
        action->setEnabled(!recording);
}

void MainWindow::slotDownloadBar(bool)
{
    // During a download the button is the way out of it.
    if (m_downloadActive) {
        cancelDownload();
        return;
    }
    newEpisode();
    m_portOpenedSinceStart = false;
    // Told before the link is asked: the package must not arrive before the
    // busy indicator waits for it.
    tellArchiveFailure(m_controller->beginDownload());
    m_plot->clear();
    resetTableColumns();
    m_downloadActive = true;
    m_downloadReceived = -1;
    m_downloadTotal = -1;
    m_downloadClock.start();
    emit download();
    statusBar()->showMessage(tr("Stored data receiving..."));

    m_actDownload->setText(tr("Cancel Download"));
    m_actDownload->setStatusTip(tr("Cancel the download (Esc)"));
    const QRect g = geometry();
    m_wait->run(g.left() + g.width() / 2, g.top() + g.height() / 2,
                ui->mainToolBar->widgetForAction(m_actDownload));
    m_downloadActive = false;
    m_actDownload->setText(tr("Download"));
    m_actDownload->setStatusTip(tr("Download Stored Data"));
}

void MainWindow::onCommuStutusError(int error)
{
    // Codes of a link the window has stopped are not about anything now.
    if (m_linkStopsPending > 0)
        return;
    if (const char *text = commuStatusSource(error))
        statusBar()->showMessage(trMainWindow(text));
    switch (error) {
    case DataSerialPort::CommuFrameError:
        if (!m_recording)
            endDownload();
        break;
    case DataSerialPort::CommuTimeout:
        if (m_recording)
            break;
        if (!m_downloadActive)
            closeLoading();
        else if (m_downloadTotal >= 0)
            downloadFailed(error);   // the package stopped arriving
        // Otherwise a poll tick found nothing yet: Offline ends that wait.
        break;
    case DataSerialPort::CommuNoPort: {
        // Why the port did not open; a plain missing port keeps the status
        // line as it is.
        const InstrumentController::PortFailure why = m_controller->takePortFailure();
        if (why.reason != DataSerialPort::PortMissing && !why.text.isEmpty())
            statusBar()->showMessage(tr("no serialport") + QStringLiteral(": ") + why.text);
        if (m_recording && (m_portOpenedSinceStart || m_portWatch->isWatching())) {
            portLost(why.text);
        } else if (m_recording) {
            stopRecording();
            if (firstBoxFor(error))
                WindowMessages::noSerialPort(this, why.text);
        } else if (m_downloadActive && (m_downloadTotal >= 0 || m_portOpenedSinceStart)) {
            downloadFailed(error);
        } else {
            if (m_downloadActive) {
                emit stopdownload();
                quietLinkUntilStopped();
            }
            endDownload();
            if (firstBoxFor(error))
                WindowMessages::noSerialPort(this, why.text);
        }
        break;
    }
    case DataSerialPort::CommuPortOpened:
        newEpisode();
        m_portOpenedSinceStart = true;
        if (m_recording) {
            m_portWatch->reset();
            if (justResumed())
                statusBar()->showMessage(tr("Instrument reconnected: recording resumed"));
        }
        break;
    case DataSerialPort::CommuOffline:
        offlineSequence();
        break;
    case DataSerialPort::CommuDownloadError:
        if (m_downloadActive) {
            downloadFailed(error);
            break;
        }
        if (!m_recording)
            closeLoading();
        if (firstBoxFor(error))
            QMessageBox::critical(this, tr("Download Error"), tr("Please download again"), QMessageBox::Ok);
        break;
    default:
        break;
    }
}

void MainWindow::offlineSequence()
{
    m_panel->showState(tr("Offline"));
    if (m_recording) {
        stopRecording();
    } else {
        endDownload();
        emit stopdownload();
    }
    if (m_model->rowCount() >= 1)
        return;

    if (WindowMessages::offlineAskForOptions(this))
        openOptions(1);
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
    rebuildAfterUnitChange();
}

void MainWindow::rebuildAfterUnitChange()
{
    // The table and the chart are re-expressed from the readings they show,
    // not read back from the history: what the history holds may differ
    // (readings it could not store, an older recording it could not empty).
    // The loader stays connected to onLoadFinished for whoever reads a
    // record set back.
    updateAxes();
    m_stats->show();
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    auto reexpress = [this](bool turns) {
        const UnitChoice units = unitChoice();
        m_plot->convert(
            m_model->rowCount(),
            [this, turns](int row, PelnorXLogItem *item) {
                // Behind the busy indicator the event loop gets a turn now
                // and then, so the indicator keeps turning.
                if (turns && row % kRowsPerEventPass == kRowsPerEventPass - 1)
                    QCoreApplication::processEvents();
                return m_model->reading(row, item);
            },
            units);
        m_table->reexpress(units, headerLabels());
    };
    if (rows > kDirectRebuildLimit) {
        QMetaObject::invokeMethod(
            this,
            [this, reexpress] {
                reexpress(true);
                closeLoading();
            },
            Qt::QueuedConnection);
        showLoadingAtCentre();
    } else {
        reexpress(false);
    }
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
    HistoryDialog dialog(unitChoice(), !m_recording, this);
    dialog.exec();
    const qint64 shown = m_controller->shownArchivedRun();
    if (shown > 0 && dialog.deletedRuns().contains(shown)) {
        m_controller->forgetShownRun();
        m_plot->clear();
        resetTableColumns();
        statusBar()->showMessage(tr("The run shown was deleted from the history"));
    }
    if (dialog.choice() == HistoryDialog::Choice::None || !openRun(dialog.chosenRun()))
        return;
    if (dialog.choice() == HistoryDialog::Choice::Export)
        slotExportBar(false);
}

bool MainWindow::openRun(const RunArchive::Summary &run)
{
    if (m_recording)
        return false;
    // Read and shown inside the busy indicator's loop, which turns between
    // the table's blocks of rows, as in a rebuild after a unit change. (A
    // link status code may close the indicator before the loop gets here.)
    auto error = std::make_shared<QString>();
    QTimer::singleShot(0, this, [this, run, error] {
        QList<PelnorXLogItem> *rows = m_controller->openRun(run.id, error.get());
        if (!rows) {
            closeLoading();
            return;
        }
        m_plot->clear();
        resetTableColumns();
        m_plot->showReadings(*rows, runChartTimes(*rows, run), unitChoice());
        // The table is painted once, when all its rows are in: a repaint
        // per block would cost more than the rows themselves.
        ui->tv_Record->setUpdatesEnabled(false);
        onLoadFinished(rows);
        ui->tv_Record->setUpdatesEnabled(true);
    });
    showLoadingAtCentre();
    if (!error->isEmpty()) {
        QMessageBox::warning(this, tr("History"), tr("The run could not be opened: %1").arg(*error), QMessageBox::Ok);
        return false;
    }
    m_table->selectLastRow();
    statusBar()->showMessage(shownRunMessage(run));
    return true;
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
