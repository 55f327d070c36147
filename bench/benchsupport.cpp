#include "benchsupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include "device/realtimeframe.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemsetting.h"

namespace bench {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

namespace {
double statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble();
    }
    return 0.0;
}
} // namespace

double rssMiB()
{
    return statusKb("VmRSS:") / 1024.0;
}

double peakRssMiB()
{
    return statusKb("VmHWM:") / 1024.0;
}

void resetPeakRss()
{
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

void report(const QString &key, const QString &value)
{
    std::printf("RESULT\t%s\t%s\n", qPrintable(key), qPrintable(value));
    std::fflush(stdout);
}

void report(const QString &key, double value)
{
    report(key, QString::number(value, 'f', 3));
}

QString setUpGlobals()
{
    static QTemporaryDir dir;
    pSettings = new QSettings(dir.filePath(QStringLiteral("Options.ini")), QSettings::IniFormat);
    pSettings->setValue(QStringLiteral("SystemLog/RuntimeLogDir"), dir.path() + QLatin1Char('/'));
    pSettings->sync();
    pSystemSetting = new SystemSetting();
    pLogHelper = new LogHelper();
    return dir.path();
}

qint64 runtimeLogLines()
{
    // Every line is a 20-character stamp, "插入系统日志" and CR LF in UTF-16.
    const qint64 lineBytes = 2 * (20 + 6 + 2);
    return QFileInfo(pLogHelper->logFilePath).size() / lineBytes;
}

wire::FrameFields frameFields(int i)
{
    wire::FrameFields f;
    f.deviceState = (i % 97 == 13) ? 1 : 0;
    f.speedMmPerS = quint16(1500 + int(1200 * std::sin(i / 300.0)) + (i * 37) % 400);
    f.temperatureDeciC = qint16(180 + int(60 * std::sin(i / 2000.0)) + (i * 13) % 9);
    f.areaMantissa = 1234;
    f.areaDecimals = 3;
    f.batteryLevel = 4;
    return f;
}

QByteArray frameBytes(int i)
{
    return wire::encodeRealtimeFrame(frameFields(i));
}

PelnorXLogItem liveRecord(int i, const QDateTime &when)
{
    return recordFromFrame(decodeRealtimeFrame(frameBytes(i)), when);
}

QByteArray downloadPackage(int n)
{
    QVector<wire::RecordFields> records(n);
    for (int i = 0; i < n; ++i) {
        const wire::FrameFields f = frameFields(i);
        records[i].speedMmPerS = f.speedMmPerS;
        records[i].temperatureDeciC = f.temperatureDeciC;
        records[i].areaMantissa = f.areaMantissa;
        records[i].areaDecimals = f.areaDecimals;
    }
    return wire::encodeStoredPackage(records);
}

PaintCounter::PaintCounter(QWidget *widget)
    : QObject(widget)
{
    widget->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        ++m_count;
    return false;
}

bool pumpUntilPainted(const PaintCounter &counter, int maxPasses)
{
    const int before = counter.count();
    for (int i = 0; i < maxPasses && counter.count() == before; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    return counter.count() != before;
}

ModalClicker::ModalClicker(const QString &buttonText)
    : m_text(buttonText)
{
    m_timer.setInterval(2);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        for (QAbstractButton *b : box->findChildren<QAbstractButton *>()) {
            if (b->text() == m_text) {
                m_timer.stop();
                m_clicked = true;
                m_clickedAt = Clock::now();
                b->click();
                return;
            }
        }
    });
    m_timer.start();
}

RssSampler::RssSampler()
{
    const Clock::time_point start = Clock::now();
    m_thread = std::thread([this, start] {
        while (m_running.load()) {
            m_samples.emplace_back(msSince(start), rssMiB());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

RssSampler::~RssSampler()
{
    stop();
}

void RssSampler::stop()
{
    m_running = false;
    if (m_thread.joinable())
        m_thread.join();
}

Extrapolation extrapolate(int n1, double t1, int n2, double t2, int target)
{
    Extrapolation e;
    e.exponent = (t1 > 0 && t2 > 0) ? std::log(t2 / t1) / std::log(double(n2) / n1) : 1.0;
    if (e.exponent < 1.4) {
        e.atTarget = t2 * double(target) / n2;
        return e;
    }
    // t = a n + b n^2 through both measurements.
    double b = (t2 / n2 - t1 / n1) / double(n2 - n1);
    double a = t1 / n1 - b * n1;
    if (a < 0) {
        a = 0;
        b = t2 / (double(n2) * n2);
    }
    e.atTarget = a * target + b * double(target) * target;
    return e;
}

QString Extrapolation::describe(int n1, double t1, int n2, double t2, int target) const
{
    return QStringLiteral("per-record path run at %1 (%2 s) and %3 (%4 s): grows ~n^%5, %6 to %7")
        .arg(n1)
        .arg(t1 / 1000, 0, 'f', 2)
        .arg(n2)
        .arg(t2 / 1000, 0, 'f', 2)
        .arg(exponent, 0, 'f', 2)
        .arg(exponent < 1.4 ? QStringLiteral("scaled linearly") : QStringLiteral("fitted an+bn^2"))
        .arg(target);
}

} // namespace bench
