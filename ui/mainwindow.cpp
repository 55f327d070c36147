#include "ui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDebug>
#include <QFileDialog>
#include <QGraphicsDropShadowEffect>
#include <QHash>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QToolBar>
#include <QValueAxis>

#include "app/setserailport.h"
#include "device/dataserialport.h"
#include "device/realtimeframe.h"
#include "device/storedpackage.h"
#include "resources/pictures.h"
#include "storage/globals.h"
#include "storage/loadthread.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/chartdecimation.h"
#include "ui/exportwriter.h"
#include "ui/mainwindowform.h"
#include "ui/qprocessindicator.h"
#include "ui/recordtablemodel.h"

using namespace QtCharts;

// What QGraphicsDropShadowEffect blurs with; exported by QtWidgets.
void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality, bool alphaOnly,
                  int transposed = 0);

namespace {

// The chart theme puts a drop shadow under the chart's background. Qt's
// effect blurs the whole background afresh on every repaint of the chart,
// a third of the cost of a live frame, although the shadow depends on the
// background's pixels alone. This one draws the same pixels the same way,
// blurring only when the background itself has changed.
class CachedDropShadowEffect : public QGraphicsDropShadowEffect
{
public:
    explicit CachedDropShadowEffect(const QGraphicsDropShadowEffect &like)
    {
        setBlurRadius(like.blurRadius());
        setOffset(like.offset());
        setColor(like.color());
    }

protected:
    void draw(QPainter *painter) override
    {
        if (blurRadius() <= 0 && offset().isNull()) {
            drawSource(painter);
            return;
        }
        QPoint at;
        const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &at, PadToEffectiveBoundingRect);
        if (source.isNull())
            return;
        if (m_shadow.isNull() || source.cacheKey() != m_sourceKey) {
            m_shadow = shadowOf(source);
            m_sourceKey = source.cacheKey();
        }
        const QTransform restore = painter->worldTransform();
        painter->setWorldTransform(QTransform());
        painter->drawImage(at, m_shadow);
        painter->drawPixmap(at, source);
        painter->setWorldTransform(restore);
    }

private:
    QImage shadowOf(const QPixmap &source) const
    {
        QImage moved(source.size(), QImage::Format_ARGB32_Premultiplied);
        moved.setDevicePixelRatio(source.devicePixelRatio());
        moved.fill(0);
        QPainter painter(&moved);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(offset(), source);
        painter.end();

        QImage shadow(moved.size(), QImage::Format_ARGB32_Premultiplied);
        shadow.setDevicePixelRatio(source.devicePixelRatio());
        shadow.fill(0);
        painter.begin(&shadow);
        qt_blurImage(&painter, moved, blurRadius(), false, true);
        painter.end();

        painter.begin(&shadow);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(shadow.rect(), color());
        painter.end();
        return shadow;
    }

    QImage m_shadow;
    qint64 m_sourceKey = 0;
};

// The table's row-number header. Every appended row makes a header
// re-measure the text of its first and last hundred row numbers, each a
// font layout, on every live frame; a row number's text always measures
// the same, so each is measured once.
class RowNumberHeader : public QHeaderView
{
public:
    explicit RowNumberHeader(QWidget *parent)
        : QHeaderView(Qt::Vertical, parent)
    {
        // As the table view's own vertical header.
        setSectionsClickable(true);
        setHighlightSections(true);
    }

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
        const auto known = m_sizes.constFind(text);
        if (known != m_sizes.constEnd())
            return *known;
        const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
        if (m_sizes.size() > 4096)
            m_sizes.clear();
        m_sizes.insert(text, size);
        return size;
    }

    void changeEvent(QEvent *event) override
    {
        // A new font or style measures differently.
        m_sizes.clear();
        QHeaderView::changeEvent(event);
    }

private:
    mutable QHash<QString, QSize> m_sizes;
};

// Swaps the theme's drop shadow for the cached one. The chart gives up its
// own effect first, so that it holds no pointer to a deleted one.
void cacheChartShadow(QChart *chart)
{
    QList<QGraphicsItem *> items = chart->childItems();
    for (int i = 0; i < items.size(); ++i) {
        QGraphicsItem *item = items.at(i);
        auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(item->graphicsEffect());
        if (effect) {
            auto *cached = new CachedDropShadowEffect(*effect);
            chart->setDropShadowEnabled(false);
            if (item->graphicsEffect())
                delete cached; // not the chart's background: leave it be
            else
                item->setGraphicsEffect(cached);
            return;
        }
        items.append(item->childItems());
    }
}

// The displays also carry their text as accessible name, so that screen
// readers (and tests) can read what a seven-segment display shows.
void showText(QLCDNumber *display, const QString &text)
{
    display->display(text);
    display->setAccessibleName(text);
}

const int kColumnWidths[TableColumnCount] = {90, 70, 100, 80, 80, 120, 95};

// A rebuild hands the event loop a turn after this many rows, so the busy
// indicator keeps turning and queued signals are handled.
const int kRowsPerEventPass = 100;

// Up to this many rows a unit change rebuilds the table at once; above it
// the loader does, inside the busy indicator's modal loop.
const int kDirectRebuildLimit = 1000;

// Spacing of downloaded records on the time axis.
const qint64 kDownloadSpacingMs = 500;

const char kPanelStyle[] = "QWidget{color: white; background: rgb(24, 144, 235);}";
const char kLabelStyle[] = "QLabel{color: black;}";
const char kLcdStyle[] = "QLCDNumber{color: black;background: rgb(255, 255, 255);}";
const char kTableStyle[] =
    "QTableView QTableCornerButton::section {background-color: rgb(24, 144, 235);}"
    "QHeaderView::section {   color: white;   background-color: rgb(24, 144, 235);} "
    "QHeaderView {   background-color: rgb(24, 144, 235);}"
    "QScrollBar:vertical {   background-color: rgb(24, 144, 235);}"
    "QScrollBar:horizontal {   background-color: rgb(24, 144, 235);}";
const char kFrameStyle[] = "QFrame{color: white; background: rgb(24, 144, 235);}";

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(QString(), parent)
{
}

MainWindow::MainWindow(const QString &dataDirectory, QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_directoryPicker([](QWidget *parent, const QString &title, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
    })
{
    construct(dataDirectory);
}

void MainWindow::construct(const QString &dataDirectory)
{
    initPictures();
    ui->setupUi(this);

    setWindowTitle(tr("AQ7316 Anemometer"));
    setWindowIcon(QIcon(QStringLiteral(":/picture/icon/ovra.ico")));
    m_batteryImage.load(QStringLiteral(":/picture/battle/battle4.png"), "png");

    pSystemLogManager = dataDirectory.isEmpty() ? new SystemLogManager(nullptr)
                                                : new SystemLogManager(dataDirectory, nullptr);

    setUpTable();
    setUpChart();
    createActions();

    ui->numTemp->setDigitCount(8);
    showText(ui->numTemp, QString::number(0.0, 'f', 1));
    ui->numWind->setDigitCount(8);
    showText(ui->numWind, QString::number(0.0, 'f', 3));
    ui->numArea->setDigitCount(13);
    showText(ui->numArea, QString::number(0.0, 'f', 3));
    ui->numVolume->setDigitCount(13);
    showText(ui->numVolume, QString::number(0.0, 'f', 1));

    ui->wRealPanel->setStyleSheet(QLatin1String(kPanelStyle));
    for (QLabel *l : {ui->label, ui->lbBattle, ui->lbState, ui->unitArea, ui->unitTemp,
                      ui->unitVolume, ui->unitWind})
        l->setStyleSheet(QLatin1String(kLabelStyle));
    for (QLCDNumber *n : {ui->numArea, ui->numTemp, ui->numVolume, ui->numWind})
        n->setStyleSheet(QLatin1String(kLcdStyle));
    ui->tv_Record->setStyleSheet(QLatin1String(kTableStyle));
    ui->frmMain->setStyleSheet(QLatin1String(kFrameStyle));

    setUpLink();

    m_indicator = new QProcessIndicator();

    m_loadThread = new LoadThread(this);
    connect(this, SIGNAL(loadbg(bool)), m_loadThread, SLOT(run(bool)), Qt::QueuedConnection);
    connect(m_loadThread, SIGNAL(loadFinish(QList<PelnorXLogItem>*)), this,
            SLOT(onLoadFinished(QList<PelnorXLogItem>*)), Qt::QueuedConnection);
}

MainWindow::~MainWindow()
{
    // The link and its port belong to the worker thread: they are deleted
    // there as the thread finishes, before the thread object goes.
    m_serialThread->quit();
    m_serialThread->wait();
    delete m_serialThread;
    delete m_indicator;
    delete ui;
}

void MainWindow::setUpTable()
{
    m_model = new RecordTableModel(ui->tv_Record);
    QTableView *view = ui->tv_Record;
    view->setVerticalHeader(new RowNumberHeader(view));
    view->setModel(m_model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Row heights fixed: sizing rows to their contents costs seconds per
    // appended row once a recording holds tens of thousands.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_model->setHorizontalHeaderLabels(headerLabels());
    for (int c = 0; c < TableColumnCount; ++c)
        view->setColumnWidth(c, kColumnWidths[c]);
    connect(view, &QTableView::clicked, this, &MainWindow::onRecordTableviewClicked);
}

void MainWindow::setUpChart()
{
    m_chart = new QChart();
    m_chart->setTitle(tr("AQ7316 Data"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(14);
    m_chart->setTitleFont(titleFont);
    m_chart->setTitleBrush(QBrush(QColor(255, 255, 255), Qt::SolidPattern));
    m_chart->setBackgroundBrush(QBrush(QColor(32, 32, 64), Qt::SolidPattern));
    m_chart->setTheme(QChart::ChartThemeBlueIcy);
    cacheChartShadow(m_chart);

    QFont axisFont(QStringLiteral("Arial"));
    axisFont.setPointSize(12);

    m_axisTime = new QDateTimeAxis();
    m_axisTime->setTitleText(tr("Time"));
    m_axisTime->setTitleFont(axisFont);
    m_axisTime->setGridLineVisible(true);
    m_axisTime->setFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_chart->addAxis(m_axisTime, Qt::AlignBottom);

    m_axisTemp = new QValueAxis();
    m_axisTemp->setGridLineVisible(true);
    m_axisTemp->setTitleFont(axisFont);
    m_chart->addAxis(m_axisTemp, Qt::AlignLeft);

    m_axisWind = new QValueAxis();
    QFont windFont(QString::fromUtf8("宋体"));
    windFont.setPointSize(12);
    m_axisWind->setTitleFont(windFont);
    m_chart->addAxis(m_axisWind, Qt::AlignRight);

    updateAxes();

    m_seriesTemp = new QLineSeries();
    m_seriesTemp->setColor(QColor(232, 64, 64));
    m_seriesTemp->setName(tr("Temperature"));
    m_chart->addSeries(m_seriesTemp);
    m_seriesTemp->attachAxis(m_axisTime);
    m_seriesTemp->attachAxis(m_axisTemp);

    m_seriesWind = new QLineSeries();
    m_seriesWind->setColor(QColor(64, 232, 64));
    m_seriesWind->setName(tr("Vel"));
    m_chart->addSeries(m_seriesWind);
    m_seriesWind->attachAxis(m_axisTime);
    m_seriesWind->attachAxis(m_axisWind);

    m_axisTime->setGridLineColor(QColor(0, 0, 229));
    m_axisWind->setGridLineColor(QColor(0, 0, 229));

    // The view comes with a chart of its own, which it gives up, not frees.
    QChart *placeholder = ui->wv_Plot->chart();
    ui->wv_Plot->setChart(m_chart);
    delete placeholder;
}

void MainWindow::createActions()
{
    ui->mainToolBar->setIconSize(QSize(32, 32));
    ui->mainToolBar->addSeparator();

    auto makeAction = [this](const char *icon, const QString &text, const QString &tip) {
        auto *action = new QAction(QIcon(QLatin1String(icon)), text, this);
        action->setStatusTip(tip);
        return action;
    };

    m_actDownload = makeAction(":/picture/download.png", tr("Download"), tr("Download Stored Data"));
    connect(m_actDownload, &QAction::triggered, this, &MainWindow::slotDownloadBar);
    ui->mainToolBar->addAction(m_actDownload);

    m_actRecord = makeAction(":/picture/go.png", tr("Record"), tr("Start to Record"));
    connect(m_actRecord, &QAction::triggered, this, &MainWindow::slotStartStopRecording);
    ui->mainToolBar->addAction(m_actRecord);

    ui->mainToolBar->addSeparator();

    m_actExport = makeAction(":/picture/exxport.png", tr("Export"), tr("Export Data"));
    connect(m_actExport, &QAction::triggered, this, &MainWindow::slotExportBar);
    ui->mainToolBar->addAction(m_actExport);

    m_actSet = makeAction(":/picture/set.png", tr("Set"), tr("Set Options"));
    connect(m_actSet, &QAction::triggered, this, &MainWindow::slotOptionBar);
    ui->mainToolBar->addAction(m_actSet);

    ui->mainToolBar->addSeparator();

    m_actAbout = makeAction(":/picture/images/question_check.png", tr("About"), tr("About"));
    connect(m_actAbout, &QAction::triggered, this, &MainWindow::slotAboutBar);
    ui->mainToolBar->addAction(m_actAbout);

    ui->toprighttoolbar->setIconSize(QSize(32, 32));
    m_actSide = makeAction(":/picture/images/right.png", tr("Side In/Out"), tr("Side In/Out"));
    connect(m_actSide, &QAction::triggered, this, &MainWindow::on_sideButton_Side_clicked);
    ui->toprighttoolbar->addAction(m_actSide);
}

void MainWindow::setUpLink()
{
    m_dataSerialPort = new DataSerialPort();
    connect(m_dataSerialPort, &DataSerialPort::commuError, this, &MainWindow::onCommuStutusError,
            Qt::QueuedConnection);
    connect(m_dataSerialPort, &DataSerialPort::recvDataFrame, this, &MainWindow::onRecvDataFrame,
            Qt::QueuedConnection);
    connect(m_dataSerialPort, &DataSerialPort::recvDataStored, this, &MainWindow::slotDownloadItem,
            Qt::QueuedConnection);
    // The link's mode slots are private: they are reached by signature.
    connect(this, SIGNAL(startQuery()), m_dataSerialPort, SLOT(startRealtime()), Qt::QueuedConnection);
    connect(this, SIGNAL(stopQuery()), m_dataSerialPort, SLOT(stopRealtime()), Qt::QueuedConnection);
    connect(this, SIGNAL(download()), m_dataSerialPort, SLOT(startDownload()), Qt::QueuedConnection);
    connect(this, SIGNAL(stopdownload()), m_dataSerialPort, SLOT(stopDownload()), Qt::QueuedConnection);

    m_serialThread = new QThread();
    m_dataSerialPort->moveToThread(m_serialThread);
    connect(m_serialThread, &QThread::finished, m_dataSerialPort, &QObject::deleteLater);
    m_serialThread->start(QThread::InheritPriority);
}

UnitChoice MainWindow::unitChoice() const
{
    UnitChoice u;
    u.temp = pSystemSetting->tempUnit;
    u.wind = pSystemSetting->windUnit;
    u.area = pSystemSetting->areaUnit;
    u.volume = pSystemSetting->volumeUnit;
    return u;
}

QStringList MainWindow::headerLabels() const
{
    return ::headerLabels(unitChoice());
}

void MainWindow::resetTableColumns()
{
    m_model->clear();
    m_model->setHorizontalHeaderLabels(headerLabels());
    for (int c = 0; c < TableColumnCount; ++c)
        ui->tv_Record->setColumnWidth(c, kColumnWidths[c]);
}

void MainWindow::updateAxes()
{
    const AxisSpec temp = temperatureAxis(pSystemSetting->tempUnit);
    m_axisTemp->setTitleText(trMainWindow(temp.titleSource));
    m_axisTemp->setRange(temp.min, temp.max);
    const AxisSpec wind = windAxis(pSystemSetting->windUnit);
    m_axisWind->setTitleText(trMainWindow(wind.titleSource));
    m_axisWind->setRange(wind.min, wind.max);
}

void MainWindow::showPanel(const PanelTexts &texts)
{
    showText(ui->numArea, texts.area);
    ui->unitArea->setText(trMainWindow(texts.areaLabelSource));
    ui->unitVolume->setText(trMainWindow(texts.volumeLabelSource));
    showText(ui->numVolume, texts.volume);
    showText(ui->numTemp, texts.temperature);
    ui->unitTemp->setText(trMainWindow(texts.temperatureLabelSource));
    showText(ui->numWind, texts.wind);
    ui->unitWind->setText(texts.windLabel);
}

void MainWindow::showBattery(quint8 level)
{
    if (level == m_lastBatteryLevel)
        return;
    m_batteryImage.load(batteryPicturePath(level), "png");
    ui->lbBattle->setPixmap(QPixmap::fromImage(
        m_batteryImage.scaled(ui->lbBattle->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
    m_lastBatteryLevel = level;
}

void MainWindow::clearChart()
{
    m_tempPoints.clear();
    m_windPoints.clear();
    m_seriesTemp->clear();
    m_seriesWind->clear();
    const QDateTime now = QDateTime::currentDateTime();
    m_axisTime->setRange(now, now);
}

void MainWindow::refreshSeries()
{
    const double minX = double(m_axisTime->min().toMSecsSinceEpoch());
    const double maxX = double(m_axisTime->max().toMSecsSinceEpoch());
    // Up to four points per column are kept; one column per two pixels
    // keeps the line as sharp as the screen shows it.
    int columns = int(m_chart->plotArea().width()) / 2;
    if (columns < 200)
        columns = 800;
    m_seriesTemp->replace(decimateForDisplay(m_tempPoints, minX, maxX, columns));
    m_seriesWind->replace(decimateForDisplay(m_windPoints, minX, maxX, columns));
}

void MainWindow::selectLastRow()
{
    const int rows = m_model->rowCount();
    if (rows > 0)
        ui->tv_Record->setCurrentIndex(m_model->index(rows - 1, 0));
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

// ---- live and downloaded data ------------------------------------------

void MainWindow::onRecvDataFrame(QByteArray ba)
{
    const QDateTime now = QDateTime::currentDateTime();
    const RealtimeFrame frame = decodeRealtimeFrame(ba);
    const PelnorXLogItem record = recordFromFrame(frame, now);

    ui->lbState->setText(deviceStateText(frame.deviceState));
    // The panel follows the units the instrument itself shows.
    showPanel(panelTexts(record, panelUnitsOfFrame(frame)));
    showBattery(frame.batteryLevel);

    const UnitChoice units = unitChoice();
    const double x = double(now.toMSecsSinceEpoch());
    if (hasTemperatureReading(record, RowOrigin::Live))
        m_tempPoints.append(QPointF(x, chartTemperature(record, units.temp)));
    m_windPoints.append(QPointF(x, chartWindSpeed(record, units.wind)));

    m_model->appendRecordRow(tableRowTexts(record, units, RowOrigin::Live));
    ui->tv_Record->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0));

    // The series are emptied before the axis moves: a range change lays
    // out every point of both series, and the new points are laid out again
    // right after; this way they are laid out once per frame.
    m_seriesTemp->clear();
    m_seriesWind->clear();
    if (m_model->rowCount() == 1)
        m_axisTime->setMin(now);
    m_axisTime->setMax(now);
    refreshSeries();

    // A reading the database refused (a locked or full disk) is still shown,
    // but the user is told that it is not being kept.
    if (pSystemLogManager->insertSystemLog(record) == 0)
        statusBar()->showMessage(tr("Realtime data received"));
    else
        statusBar()->showMessage(tr("Realtime data received, but NOT stored: the history database cannot be written"));
}

void MainWindow::slotDownloadItem(QByteArray package)
{
    qDebug() << "slotDownloadItem:" << package;
    if (!isValidPackage(package)) {
        statusBar()->showMessage(tr("Stored data received Error"));
        closeLoading();
        return;
    }

    statusBar()->showMessage(tr("Stored data received"));
    m_model->clear();
    const QDateTime now = QDateTime::currentDateTime();
    const QVector<DownloadedRecord> records = recordsFromPackage(package, now);
    const int n = records.size();
    const UnitChoice units = unitChoice();

    QVector<TableRowTexts> rows;
    rows.reserve(n);
    QList<PelnorXLogItem> items;
    items.reserve(n);
    m_tempPoints.reserve(m_tempPoints.size() + n);
    m_windPoints.reserve(m_windPoints.size() + n);
    for (const DownloadedRecord &r : records) {
        rows.append(tableRowTexts(r.item, units, RowOrigin::Live));
        const double x = double(r.chartTimeMs);
        m_tempPoints.append(QPointF(x, chartTemperature(r.item, units.temp)));
        m_windPoints.append(QPointF(x, chartWindSpeed(r.item, units.wind)));
        items.append(r.item);
    }
    m_model->appendRecordRows(rows);
    if (n > 0)
        m_axisTime->setRange(now.addMSecs(-kDownloadSpacingMs * n), now);
    refreshSeries();
    // One transaction for the whole package; rows, ids and log lines are
    // those of storing the records one by one.
    const int storedCount = pSystemLogManager->insertSystemLogInBatch(items);

    ui->lbState->setText(deviceStateText(0));
    if (n > 0) {
        showPanel(panelTexts(records.last().item, panelUnitsOfChoice(units)));
    } else {
        for (QLCDNumber *num : {ui->numArea, ui->numTemp, ui->numVolume, ui->numWind})
            showText(num, noReadingText());
    }

    m_model->setHorizontalHeaderLabels(headerLabels());
    for (int c = 0; c < TableColumnCount; ++c)
        ui->tv_Record->setColumnWidth(c, kColumnWidths[c]);
    selectLastRow();
    if (storedCount < n) {
        statusBar()->showMessage(tr("Stored data received, but %1 of %2 records NOT stored: the history database cannot be written")
                                     .arg(n - qMax(storedCount, 0))
                                     .arg(n));
    }
    closeLoading();
}

void MainWindow::onLoadFinished(QList<PelnorXLogItem> *list)
{
    if (list && !list->isEmpty()) {
        const UnitChoice units = unitChoice();
        const int n = list->size();

        // Wind points pair one to one with the records; a record without a
        // temperature reading has no temperature point, so the temperature
        // series is built afresh at the wind points' times.
        const int paired = qMin(n, m_windPoints.size());
        QVector<QPointF> temps;
        temps.reserve(paired);
        for (int i = 0; i < paired; ++i) {
            const PelnorXLogItem &r = list->at(i);
            const double x = m_windPoints.at(i).x();
            m_windPoints[i].setY(chartWindSpeed(r, units.wind));
            if (hasTemperatureReading(r, RowOrigin::Rebuilt))
                temps.append(QPointF(x, chartTemperature(r, units.temp)));
        }
        m_tempPoints = temps;
        refreshSeries();

        QVector<TableRowTexts> rows;
        rows.reserve(kRowsPerEventPass);
        for (int i = 0; i < n; ++i) {
            rows.append(tableRowTexts(list->at(i), units, RowOrigin::Rebuilt));
            if (rows.size() == kRowsPerEventPass || i == n - 1) {
                m_model->appendRecordRows(rows);
                rows.clear();
                QCoreApplication::processEvents();
            }
        }
    }
    closeLoading();
    delete list;
}

// ---- recording, download, options --------------------------------------

void MainWindow::slotStartStopRecording()
{
    if (m_recording)
        stopRecording();
    else
        startRecording();
}

void MainWindow::startRecording()
{
    m_dataSerialPort->setPortSettings(pSystemSetting->serialPortName, pSystemSetting->serialPortBaud);
    emit startQuery();
    m_actExport->setEnabled(false);
    m_recording = true;
    m_downloading = false;
    m_actSet->setEnabled(false);
    m_actRecord->setIcon(QIcon(QStringLiteral(":/picture/tap.png")));
    m_actRecord->setText(tr("Stop Recording"));
    m_actRecord->setStatusTip(tr("Stop Recording"));
    m_actDownload->setEnabled(false);
    pSystemLogManager->deleteSystemLog();
    resetTableColumns();
    clearChart();
}

void MainWindow::stopRecording()
{
    emit stopQuery();
    m_recording = false;
    m_actRecord->setIcon(QIcon(QStringLiteral(":/picture/go.png")));
    m_actRecord->setText(tr("Record"));
    m_actRecord->setStatusTip(tr("Start to Record"));
    m_actDownload->setEnabled(true);
    m_actExport->setEnabled(true);
    m_actSet->setEnabled(true);
}

void MainWindow::slotDownloadBar(bool)
{
    m_downloading = true;
    clearChart();
    pSystemLogManager->deleteSystemLogIn();
    resetTableColumns();
    m_dataSerialPort->setPortSettings(pSystemSetting->serialPortName, pSystemSetting->serialPortBaud);
    emit download();
    statusBar()->showMessage(tr("Stored data receiving..."));
    showLoadingAtCentre();
}

void MainWindow::onCommuStutusError(int error)
{
    switch (error) {
    case DataSerialPort::CommuUnknownError:
        statusBar()->showMessage(tr("unknown error"));
        break;
    case DataSerialPort::CommuFrameError:
        statusBar()->showMessage(tr("communication error"));
        if (!m_recording)
            closeLoading();
        break;
    case DataSerialPort::CommuNoPort: {
        statusBar()->showMessage(tr("no serialport"));
        if (m_recording)
            stopRecording();
        else
            closeLoading();
        QMessageBox box(QMessageBox::Information, tr("Error"), tr("no serialport"), QMessageBox::NoButton,
                        this);
        box.addButton(tr("OK"), QMessageBox::AcceptRole);
        box.exec();
        break;
    }
    case DataSerialPort::CommuTimeout:
        statusBar()->showMessage(tr("communication timeout"));
        if (!m_recording)
            closeLoading();
        break;
    case DataSerialPort::CommuCrcError:
        statusBar()->showMessage(tr("crc error"));
        break;
    case DataSerialPort::CommuLengthError:
        statusBar()->showMessage(tr("data length error"));
        break;
    case DataSerialPort::CommuOffline:
        offlineSequence();
        break;
    case DataSerialPort::CommuDownloadError:
        statusBar()->showMessage(tr("Download Error"));
        if (!m_recording)
            closeLoading();
        QMessageBox::critical(this, tr("Download Error"), tr("Please download again"), QMessageBox::Ok);
        break;
    case DataSerialPort::CommuPortOpened:
        statusBar()->showMessage(tr("device set"));
        break;
    default:
        break;
    }
}

void MainWindow::offlineSequence()
{
    ui->lbState->setText(tr("Offline"));
    if (m_recording) {
        stopRecording();
    } else {
        closeLoading();
        emit stopdownload();
    }
    if (m_model->rowCount() >= 1)
        return;

    QMessageBox box(QMessageBox::Question, tr("No Data Received"),
                    tr("Device is Offline. You can select Cancel and Power on Device, Or you can "
                       "select OK and alter Serial Port."),
                    QMessageBox::NoButton, this);
    QPushButton *cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton *ok = box.addButton(tr("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(cancel);
    box.exec();
    if (box.clickedButton() != ok)
        return;

    auto *dialog = new setSerailPort(1, this);
    if (dialog->exec() == QDialog::Accepted)
        askForRestart();
    dialog->deleteLater();
}

void MainWindow::askForRestart()
{
    QMessageBox::warning(this, tr("Restart"), tr("APP need reset"), QMessageBox::Ok);
    QCoreApplication::exit(255);
}

void MainWindow::slotOptionBar(bool)
{
    const UnitChoice before = unitChoice();
    auto *dialog = new setSerailPort(0, this);
    if (dialog->exec() == QDialog::Accepted)
        askForRestart();
    dialog->deleteLater();

    const UnitChoice after = unitChoice();
    if (before.temp == after.temp && before.wind == after.wind && before.area == after.area
        && before.volume == after.volume)
        return;
    rebuildAfterUnitChange();
}

void MainWindow::rebuildAfterUnitChange()
{
    updateAxes();
    const int rows = m_model->rowCount();
    if (rows > kDirectRebuildLimit) {
        resetTableColumns();
        emit loadbg(m_downloading);
        showLoadingAtCentre();
    } else if (rows > 0) {
        auto *list = new QList<PelnorXLogItem>();
        if (m_downloading)
            pSystemLogManager->querySystemLogIn(list);
        else
            pSystemLogManager->querySystemLog(list);
        resetTableColumns();
        onLoadFinished(list);
        m_model->setHorizontalHeaderLabels(headerLabels());
        selectLastRow();
    }
}

void MainWindow::slotAboutBar(bool)
{
    const QString text = tr("AQ7316 Anemometer") + QStringLiteral("\n\r")
                         + QStringLiteral("V1.1 \n\r")
                         + QStringLiteral("Based on Qt 5.7.1 (MSVC2015, 32 bit)\n\r")
                         + QStringLiteral("Built at ") + QLatin1String(__DATE__) + QStringLiteral("\n\r")
                         + tr("The program is Data Logger For AQ7316") + QStringLiteral("\n\r");
    QMessageBox box(QMessageBox::Information, tr("About"), text, QMessageBox::NoButton, this);
    box.addButton(tr("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void MainWindow::slotExportBar(bool)
{
    if (m_model->rowCount() == 0) {
        QMessageBox::warning(this, tr("Error"), tr("No Data to Export"), QMessageBox::Ok);
        return;
    }

    QMessageBox question(QMessageBox::Question, tr("Export"), tr("Please select the export file format"),
                         QMessageBox::NoButton, this);
    QPushButton *pdf = question.addButton(tr("PDF"), QMessageBox::AcceptRole);
    QPushButton *csv = question.addButton(tr("CSV"), QMessageBox::AcceptRole);
    question.addButton(tr("Cancel"), QMessageBox::RejectRole);
    question.setDefaultButton(pdf);
    question.exec();
    const bool asPdf = question.clickedButton() == pdf;
    if (!asPdf && question.clickedButton() != csv)
        return;

    const QString startDir = pSystemSetting->exportPath;
    const QString dir = m_directoryPicker(this, tr("Please select the export path"), startDir);
    if (dir.isEmpty())
        return;
    if (dir != startDir) {
        pSystemSetting->exportPath = dir;
        pSystemSetting->save(SystemSetting::ExportPath);
    }

    if (asPdf)
        exportPdf(dir);
    else
        exportCsv(dir);
}

void MainWindow::exportPdf(const QString &dir)
{
    // Let the closed dialogs leave the screen first.
    QCoreApplication::processEvents();
    // The chart view paints itself: a grab of the screen would show
    // whatever covers it, or nothing where the screen cannot be read.
    const QImage chart = ui->wv_Plot->grab().toImage();

    const QDateTime now = QDateTime::currentDateTime();
    const QString path =
        ExportWriter::exportFilePath(dir, tr("//TamskAnemometer_export_%2.pdf"), ExportWriter::exportStamp(now));

    statusBar()->showMessage(tr("Exporting..."));
    m_actExport->setEnabled(false);
    QString error;
    const bool ok = ExportWriter::writePdfReport(path, chart, headerLabels(), *m_model,
                                                 pSystemSetting->language, now, &error);
    finishExport(ok, path, error);
}

void MainWindow::exportCsv(const QString &dir)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString path =
        ExportWriter::exportFilePath(dir, tr("\\TamskAnemometer_export_%1.csv"), ExportWriter::exportStamp(now));

    statusBar()->showMessage(tr("Exporting..."));
    m_actExport->setEnabled(false);
    QString error;
    const bool ok = ExportWriter::writeCsv(path, headerLabels(), *m_model, &error);
    finishExport(ok, path, error);
}

void MainWindow::finishExport(bool ok, const QString &path, const QString &error)
{
    m_actExport->setEnabled(true);
    if (ok) {
        statusBar()->showMessage(tr("Exporting...Done"));
        return;
    }
    // A file that could not be written is never reported as done.
    statusBar()->showMessage(tr("Export failed"));
    QMessageBox::warning(this, tr("Export"), tr("The export could not be written:\n%1\n%2").arg(path, error),
                         QMessageBox::Ok);
}

void MainWindow::setDirectoryPicker(DirectoryPicker picker)
{
    m_directoryPicker = std::move(picker);
}

// ---- window ----------------------------------------------------------------

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
    refreshSeries();
    ui->lbBattle->setPixmap(QPixmap::fromImage(
        m_batteryImage.scaled(ui->lbBattle->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
}
