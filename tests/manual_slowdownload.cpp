// By hand, not in the suite: a large package at the real line's pace
// through the whole window, offscreen. Prints how long it took, what the
// status bar said on the way (sampled), and how many records were stored.
//
//   QT_QPA_PLATFORM=offscreen build/bin/manual_slowdownload [records] [bytes/s]

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include "storage/globals.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/mainwindow.h"

#include "simprocess.h"
#include "testglobals.h"
#include "testsupport.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString records = args.value(1, QStringLiteral("20000"));
    const QString rate = args.value(2, QStringLiteral("960"));
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });

    QTemporaryDir dir;
    setUpGlobals(dir.path());
    const QString link = dir.filePath(QStringLiteral("aqlink"));
    SimulatorProcess sim(20000);
    if (!sim.start({"--records", records, "--line-rate", rate, "--link", link, "--seed", "20000"})) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    pSystemSetting->serialPortName = link;

    auto *window = new MainWindow(dir.path(), nullptr);
    window->resize(1400, 800);
    window->show();

    QElapsedTimer clock;
    qint64 lastPass = 0, longestGap = 0, gapWhileArriving = -1;
    QString last;
    qint64 lastPrinted = -100000;
    QObject::connect(window->statusBar(), &QStatusBar::messageChanged, [&](const QString &text) {
        // Every change of kind, and the progress every 10 s.
        const bool progress = text.startsWith(QLatin1String("Downloading"));
        if (!progress || !last.startsWith(QLatin1String("Downloading")) || clock.elapsed() - lastPrinted >= 10000) {
            std::printf("%7.1f s  %s\n", clock.elapsed() / 1000.0, qPrintable(text));
            std::fflush(stdout);
            lastPrinted = clock.elapsed();
        }
        last = text;
        if (text.startsWith(QLatin1String("Stored data received")) && gapWhileArriving < 0)
            gapWhileArriving = longestGap;
    });

    // The longest the window went without handling events: while the
    // package arrived, and in all (storing and showing it at the end).
    QTimer pass;
    QObject::connect(&pass, &QTimer::timeout, [&] {
        longestGap = qMax(longestGap, clock.elapsed() - lastPass);
        lastPass = clock.elapsed();
    });
    clock.start();
    pass.start(0);
    toolbarAction(window, QStringLiteral("Download"))->trigger();   // returns when the wait ends
    const qint64 took = clock.elapsed();
    pass.stop();
    QList<PelnorXLogItem> stored;
    pSystemLogManager->querySystemLogIn(&stored);
    std::printf("download of %s records at %s bytes/s: %.1f s; status \"%s\"; %d rows in AQ7316IN; "
                "longest event-loop gap %lld ms while it arrived, %lld ms in all\n",
                qPrintable(records), qPrintable(rate), took / 1000.0,
                qPrintable(window->statusBar()->currentMessage()), int(stored.size()), gapWhileArriving, longestGap);
    delete window;
    dropHistoryManager();
    return stored.size() == records.toInt() ? 0 : 2;
}
