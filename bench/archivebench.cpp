#include "archivebench.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTreeWidget>
#include <QTimer>
#include <QVariant>

#include "benchsupport.h"
#include "storage/globals.h"
#include "storage/runarchive.h"
#include "storage/systemlogmanager.h"
#include "ui/historydialog.h"
#include "ui/mainwindow.h"
#include "ui/qprocessindicator.h"

namespace bench {

namespace {

const int kDownloadRecords = 65535;
const int kDay = 172800;
const int kRuns = 1000;
const qint64 kArchivedReadings = 10000000;

qint64 archivedReadings()
{
    const qint64 wanted = qEnvironmentVariableIsSet("AQ_BENCH_ARCHIVE_READINGS")
                              ? qEnvironmentVariable("AQ_BENCH_ARCHIVE_READINGS").toLongLong()
                              : kArchivedReadings;
    return std::max<qint64>(wanted, kRuns);
}

QString freshDir(const QString &base, const QString &name)
{
    const QString path = base + QLatin1Char('/') + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

// A live table of n readings taken every 500 ms up to now.
void fillLive(bool download, int n)
{
    const QDateTime start = QDateTime::currentDateTime().addMSecs(-500LL * n);
    QList<PelnorXLogItem> items;
    for (int i = 0; i < n; ++i) {
        PelnorXLogItem r = liveRecord(i, start.addMSecs(500LL * i));
        if (download) {
            r.date = r.time = QStringLiteral(" ");
            r.devstate = 0;
        }
        items.append(r);
        if (items.size() == 10000 || i == n - 1) {
            if (download)
                pSystemLogManager->insertSystemLogInBatch(items);
            else
                pSystemLogManager->insertSystemLogBatch(items);
            items.clear();
        }
    }
}

// Archiving a full download table against the plain delete it replaces.
void caseArchiveDelete(const QString &base)
{
    {
        pSystemLogManager = new SystemLogManager(freshDir(base, QStringLiteral("archive-plain")), nullptr);
        fillLive(false, kDownloadRecords);
        // What deleteSystemLog did before: open, delete, close.
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
        const Clock::time_point t0 = Clock::now();
        db.open();
        {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("delete from AQ7316"));
            q.exec();
        }
        db.close();
        report(QStringLiteral("archive.plain.ms"), msSince(t0));
        db = QSqlDatabase();
        delete pSystemLogManager;
    }
    pSystemLogManager = new SystemLogManager(freshDir(base, QStringLiteral("archive")), nullptr);
    fillLive(false, kDownloadRecords);
    const Clock::time_point t0 = Clock::now();
    const int result = pSystemLogManager->deleteSystemLog();
    report(QStringLiteral("archive.ms"), msSince(t0));
    QList<RunArchive::Summary> runs;
    RunArchive().listRuns({}, &runs);
    report(QStringLiteral("archive.check"), QStringLiteral("result %1, %2 run(s), %3 readings archived")
                                                .arg(result)
                                                .arg(runs.size())
                                                .arg(runs.value(0).readings));
    delete pSystemLogManager;
    pSystemLogManager = nullptr;
}

// 1,000 finished runs sharing the archived readings, written straight into
// the file on a connection of its own without journal: only the archive's
// tables and their layout matter for what is measured.
bool buildBigArchive(const QString &file, qint64 total)
{
    const qint64 perRun = total / kRuns;
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-build"));
        db.setDatabaseName(file);
        ok = db.open();
        QSqlQuery q(db);
        for (const char *sql : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", "PRAGMA cache_size=-200000",
                                "BEGIN"})
            ok = ok && q.exec(QLatin1String(sql));
        q.finish();

        QSqlQuery run(db);
        run.prepare(QStringLiteral(
            "INSERT INTO runs (kind, started, ended, readings, speed_min_ms, speed_avg_ms, speed_max_ms, "
            "temp_min_c, temp_avg_c, temp_max_c, archived_at) VALUES (?, ?, ?, ?, 0.3, 1.5, 3.1, 17.2, 18.0, 24.9, ?)"));
        const QDateTime first(QDate(2023, 1, 1), QTime(8, 0));
        for (int k = 0; k < kRuns && ok; ++k) {
            const QDateTime started = first.addSecs(qint64(k) * 36 * 3600);
            run.addBindValue(QLatin1String(k % 4 == 3 ? "download" : "recording"));
            run.addBindValue(started.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
            run.addBindValue(started.addMSecs(500 * perRun).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
            run.addBindValue(perRun);
            run.addBindValue(started.addSecs(36 * 3600).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
            ok = run.exec();
        }
        run.finish();

        QSqlQuery insert(db);
        ok = ok && insert.prepare(QStringLiteral(
                       "INSERT INTO run_readings (run_id, seq, date, time, temperature_c, temperature_f, "
                       "windspeed_ms, windspeed_kmh, windspeed_mph, windspeed_knt, windspeed_ftm, windarea_mm, "
                       "windarea_ft, volume_cmm, volume_cfm, windchill_c, windchill_f, devstate) "
                       "VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (qint64 i = 0; i < perRun && ok; ++i) {
            const PelnorXLogItem r = liveRecord(int(i), first.addMSecs(500 * i));
            insert.bindValue(0, i + 1);
            insert.bindValue(1, r.date);
            insert.bindValue(2, r.time);
            const double values[13] = {r.temperature_c, r.temperature_f, r.windspeed_ms, r.windspeed_kmh,
                                       r.windspeed_mph, r.windspeed_knt, r.windspeed_ftm, r.windarea_mm,
                                       r.windarea_ft, r.volume_cmm, r.volume_cfm, r.windchill_c, r.windchill_f};
            for (int v = 0; v < 13; ++v)
                insert.bindValue(3 + v, values[v]);
            insert.bindValue(16, r.devstate);
            ok = insert.exec();
        }
        insert.finish();

        // The other runs copy the first inside the database.
        QSqlQuery copy(db);
        ok = ok && copy.prepare(QStringLiteral(
                       "INSERT INTO run_readings SELECT ?, seq, date, time, temperature_c, temperature_f, "
                       "windspeed_ms, windspeed_kmh, windspeed_mph, windspeed_knt, windspeed_ftm, windarea_mm, "
                       "windarea_ft, volume_cmm, volume_cfm, windchill_c, windchill_f, devstate "
                       "FROM run_readings WHERE run_id = 1"));
        for (int k = 2; k <= kRuns && ok; ++k) {
            copy.bindValue(0, k);
            ok = copy.exec();
        }
        copy.finish();
        ok = ok && q.exec(QStringLiteral("COMMIT"));
        if (!ok)
            std::fprintf(stderr, "  building the archive failed: %s\n", qPrintable(q.lastError().text()));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-build"));
    return ok;
}

void caseArchiveBig(const QString &base)
{
    const qint64 total = archivedReadings();
    const QString dir = freshDir(base, QStringLiteral("archive-big"));
    pSystemLogManager = new SystemLogManager(dir, nullptr);
    const Clock::time_point built = Clock::now();
    if (!buildBigArchive(dir + QStringLiteral("/systemlog.db"), total))
        return;
    report(QStringLiteral("archive.build.s"), msSince(built) / 1000);

    // A day's recording archived by Record into the big file, then the
    // current recording and download as they are after a full download.
    fillLive(false, kDay);
    Clock::time_point t0 = Clock::now();
    pSystemLogManager->deleteSystemLog();
    report(QStringLiteral("archive.day.ms"), msSince(t0));
    fillLive(false, kDownloadRecords);
    fillLive(true, kDownloadRecords);
    report(QStringLiteral("archive.file.mib"), QFileInfo(dir + QStringLiteral("/systemlog.db")).size() / 1048576.0);

    RunArchive archive;
    QList<RunArchive::Summary> runs;
    std::vector<double> listMs;
    for (int k = 0; k < 5; ++k) {
        t0 = Clock::now();
        archive.listRuns({}, &runs);
        listMs.push_back(msSince(t0));
    }
    report(QStringLiteral("archive.list.ms"), median(listMs));
    report(QStringLiteral("archive.list.first.ms"), listMs.front());
    qint64 dayRun = 0;
    qint64 listed = 0;
    for (const RunArchive::Summary &s : runs) {
        listed += s.readings;
        if (s.readings == kDay && !s.isCurrent)
            dayRun = s.id;
    }
    report(QStringLiteral("archive.list.check"),
           QStringLiteral("%1 runs listed (%2 current) holding %3 readings")
               .arg(runs.size())
               .arg(std::count_if(runs.cbegin(), runs.cend(), [](const RunArchive::Summary &s) { return s.isCurrent; }))
               .arg(listed));

    std::vector<double> loadMs;
    QList<PelnorXLogItem> rows;
    qint64 loaded = 0;
    for (int k = 0; k < 3; ++k) {
        t0 = Clock::now();
        loaded = archive.loadRun(dayRun, &rows);
        loadMs.push_back(msSince(t0));
    }
    report(QStringLiteral("archive.load.ms"), median(loadMs));
    report(QStringLiteral("archive.load.check"), QStringLiteral("%1 readings loaded, last id %2")
                                                     .arg(loaded)
                                                     .arg(rows.isEmpty() ? 0 : rows.last().id));

    // Deleting one run of the thousand (too little to compact the file).
    t0 = Clock::now();
    const qint64 freed = archive.deleteRuns({runs.last().id});
    report(QStringLiteral("archive.remove.ms"), msSince(t0));
    report(QStringLiteral("archive.remove.check"),
           QStringLiteral("%1 readings freed, compacted: %2").arg(freed).arg(archive.lastDeleteVacuumed() ? "yes" : "no"));

    delete pSystemLogManager;
    pSystemLogManager = nullptr;
    QDir(dir).removeRecursively();
}

// The same file seen through the window: the History list opening, and a
// day's recording opened into the chart and table behind the busy indicator.
void caseArchiveWindow(const QString &base)
{
    const qint64 total = archivedReadings();
    const QString dir = freshDir(base, QStringLiteral("archive-window"));
    auto *window = new MainWindow(dir, nullptr);
    window->resize(1400, 800);
    window->show();
    QCoreApplication::processEvents();
    if (!buildBigArchive(dir + QStringLiteral("/systemlog.db"), total))
        return;
    fillLive(false, kDay);
    pSystemLogManager->deleteSystemLog();
    fillLive(false, kDownloadRecords);
    fillLive(true, kDownloadRecords);

    // Construction reads the list; the first paint shows it.
    std::vector<double> listMs;
    int listed = 0;
    for (int k = 0; k < 5; ++k) {
        const Clock::time_point t0 = Clock::now();
        HistoryDialog dialog(UnitChoice(), true, window);
        PaintCounter paints(&dialog);
        dialog.show();
        pumpUntilPainted(paints);
        listMs.push_back(msSince(t0));
        listed = dialog.findChild<QTreeWidget *>(QStringLiteral("twRuns"))->topLevelItemCount();
    }
    report(QStringLiteral("archive.window.list.ms"), median(listMs));
    report(QStringLiteral("archive.window.list.check"), QStringLiteral("%1 runs listed").arg(listed));

    QList<RunArchive::Summary> runs;
    RunArchive().listRuns({}, &runs);
    RunArchive::Summary day;
    for (const RunArchive::Summary &s : runs) {
        if (s.readings == kDay && !s.isCurrent)
            day = s;
    }

    // Watches the event loop while the run opens: the longest time without
    // a turn, and how often the busy indicator moved.
    QProcessIndicator *indicator = window->busyIndicator();
    Clock::time_point lastTick = Clock::now();
    double longestGap = 0;
    int steps = 0;
    int lastAngle = indicator->angle();
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, msSince(lastTick));
        lastTick = Clock::now();
        if (indicator->angle() != lastAngle) {
            lastAngle = indicator->angle();
            ++steps;
        }
    });
    auto *table = window->findChild<QTableView *>(QStringLiteral("tv_Record"));
    watch.start();
    lastTick = Clock::now();
    const Clock::time_point t0 = Clock::now();
    const std::clock_t cpu0 = std::clock();
    const bool opened = window->openRun(day);
    QCoreApplication::processEvents();
    const double openMs = msSince(t0);
    // The machine may be shared: the processor time tells the work apart
    // from the waiting.
    report(QStringLiteral("archive.window.open.cpu.ms"), double(std::clock() - cpu0) * 1000.0 / CLOCKS_PER_SEC);
    watch.stop();
    report(QStringLiteral("archive.window.open.ms"), openMs);
    report(QStringLiteral("archive.window.open.steps"), steps);
    report(QStringLiteral("archive.window.open.check"),
           QStringLiteral("%1: %2 rows, %3 chart points, indicator moved %4 times, longest event gap %5 ms")
               .arg(opened ? QStringLiteral("opened") : QStringLiteral("NOT opened"))
               .arg(table->model()->rowCount())
               .arg(window->windPoints().size())
               .arg(steps)
               .arg(longestGap, 0, 'f', 0));
    delete window;
    delete pSystemLogManager;
    pSystemLogManager = nullptr;
    QDir(dir).removeRecursively();
}

QString row(const QString &what, const QString &target, const QString &ours, bool met, const QString &note)
{
    return QStringLiteral("| %1 | %2 | %3 | - | - | %4 | %5 |")
        .arg(what, target, ours, met ? QStringLiteral("yes") : QStringLiteral("**NO**"), note);
}

QString ms(const QString &value)
{
    return value.toDouble() < 10 ? QString::number(value.toDouble(), 'f', 2) + QStringLiteral(" ms")
                                 : QString::number(value.toDouble(), 'f', 1) + QStringLiteral(" ms");
}

} // namespace

bool runArchiveCase(const QStringList &args, const QString &base)
{
    const QString name = args.value(0);
    if (name == QLatin1String("archive-delete"))
        caseArchiveDelete(base);
    else if (name == QLatin1String("archive-big"))
        caseArchiveBig(base);
    else if (name == QLatin1String("archive-window"))
        caseArchiveWindow(base);
    else
        return false;
    return true;
}

QStringList archiveRows(const std::function<bool(const QStringList &)> &runChild,
                        const std::function<QString(const QString &)> &result)
{
    runChild({QStringLiteral("archive-delete")});
    runChild({QStringLiteral("archive-big")});
    runChild({QStringLiteral("archive-window")});
    auto number = [&](const char *key) {
        bool ok = false;
        const double v = result(QLatin1String(key)).toDouble(&ok);
        return ok ? v : -1.0;
    };

    QStringList rows;
    const double plain = number("archive.plain.ms");
    const double archived = number("archive.ms");
    const double added = archived - plain;
    rows << row(QStringLiteral("Record with 65,535 readings in AQ7316: archive and delete in one transaction"),
                QStringLiteral("adds < 1 s"), ms(QString::number(archived)), archived >= 0 && plain >= 0 && added < 1000,
                QStringLiteral("plain delete %1, so archiving adds %2; %3")
                    .arg(ms(QString::number(plain)), ms(QString::number(added)), result(QStringLiteral("archive.check"))));

    const QString size = QStringLiteral("%1 runs, %2 archived readings, %3 MiB file (built in %4 s)")
                             .arg(kRuns)
                             .arg(archivedReadings())
                             .arg(number("archive.file.mib"), 0, 'f', 0)
                             .arg(number("archive.build.s"), 0, 'f', 0);
    const double load = number("archive.load.ms");
    rows << row(QStringLiteral("Load an archived run of 172,800 readings (loadRun)"), QStringLiteral("< 2 s"),
                ms(QString::number(load)), load >= 0 && load < 2000,
                QStringLiteral("median of 3; %1; %2").arg(result(QStringLiteral("archive.load.check")), size));
    const double list = number("archive.list.ms");
    rows << row(QStringLiteral("List runs (listRuns, with both current pseudo-runs of 65,535 readings)"),
                QStringLiteral("< 0.5 s"), ms(QString::number(list)), list >= 0 && list < 500,
                QStringLiteral("median of 5, first %1; %2; %3")
                    .arg(ms(result(QStringLiteral("archive.list.first.ms"))),
                         result(QStringLiteral("archive.list.check")), size));
    const double open = number("archive.window.open.ms");
    rows << row(QStringLiteral("Open an archived run of 172,800 readings in the window (chart and table, busy indicator)"),
                QStringLiteral("< 2 s, indicator moving"), ms(QString::number(open)),
                open >= 0 && open < 2000 && number("archive.window.open.steps") > 0
                    && result(QStringLiteral("archive.window.open.check")).startsWith(QLatin1String("opened:")),
                QStringLiteral("processor time %1; %2; %3")
                    .arg(ms(result(QStringLiteral("archive.window.open.cpu.ms"))),
                         result(QStringLiteral("archive.window.open.check")), size));
    const double window = number("archive.window.list.ms");
    rows << row(QStringLiteral("Open the History window (list read, filled and painted)"), QStringLiteral("< 0.5 s"),
                ms(QString::number(window)), window >= 0 && window < 500,
                QStringLiteral("median of 5; %1; %2").arg(result(QStringLiteral("archive.window.list.check")), size));
    const double day = number("archive.day.ms");
    rows << row(QStringLiteral("Record with 172,800 readings in AQ7316, into that file"), QStringLiteral("-"),
                ms(QString::number(day)), day >= 0,
                QStringLiteral("deleting one archived run: %1 (%2)")
                    .arg(ms(result(QStringLiteral("archive.remove.ms"))), result(QStringLiteral("archive.remove.check"))));
    return rows;
}

} // namespace bench
