#include "ui/windowtoolbar.h"

#include <QCoreApplication>
#include <QAction>
#include <QToolBar>

#include "ui/mainwindow.h"
#include "ui/mainwindowform.h"

WindowToolBar::WindowToolBar(MainWindow &window)
    : m_window(window)
{
}

void WindowToolBar::create()
{
    MainWindow &w = m_window;
    auto add = [&w](QToolBar *bar, const char *icon, const QString &text, const QString &tip, auto slot) {
        auto *action = new QAction(QIcon(QLatin1String(icon)), text, &w);
        action->setStatusTip(tip);
        QObject::connect(action, &QAction::triggered, &w, slot);
        bar->addAction(action);
        return action;
    };
    QToolBar *bar = w.ui->mainToolBar;
    bar->setIconSize(QSize(32, 32));
    bar->addSeparator();
    w.m_actDownload = add(bar, ":/picture/download.png", QCoreApplication::translate("MainWindow", "Download"),
                          QCoreApplication::translate("MainWindow", "Download Stored Data"),
                          &MainWindow::slotDownloadBar);
    w.m_actRecord = add(bar, ":/picture/go.png", QCoreApplication::translate("MainWindow", "Record"),
                        QCoreApplication::translate("MainWindow", "Start to Record"),
                        &MainWindow::slotStartStopRecording);
    bar->addSeparator();
    w.m_actExport = add(bar, ":/picture/exxport.png", QCoreApplication::translate("MainWindow", "Export"),
                        QCoreApplication::translate("MainWindow", "Export Data"), &MainWindow::slotExportBar);
    w.m_actSet = add(bar, ":/picture/set.png", QCoreApplication::translate("MainWindow", "Set"),
                     QCoreApplication::translate("MainWindow", "Set Options"), &MainWindow::slotOptionBar);
    bar->addSeparator();
    w.m_actAbout = add(bar, ":/picture/images/question_check.png", QCoreApplication::translate("MainWindow", "About"),
                       QCoreApplication::translate("MainWindow", "About"), &MainWindow::slotAboutBar);
    w.m_actHistory = add(bar, ":/picture/history.png", QCoreApplication::translate("MainWindow", "History"),
                         QCoreApplication::translate("MainWindow", "Recordings and downloads kept in the history"),
                         &MainWindow::slotHistoryBar);

    w.ui->toprighttoolbar->setIconSize(QSize(32, 32));
    w.m_actSide = add(w.ui->toprighttoolbar, ":/picture/images/right.png",
                      QCoreApplication::translate("MainWindow", "Side In/Out"),
                      QCoreApplication::translate("MainWindow", "Side In/Out"),
                      &MainWindow::on_sideButton_Side_clicked);
}

void WindowToolBar::showRecordingState(bool recording)
{
    const QString record = QCoreApplication::translate("MainWindow", "Record");
    const QString stop = QCoreApplication::translate("MainWindow", "Stop Recording");
    const QString start = QCoreApplication::translate("MainWindow", "Start to Record");
    QAction *button = m_window.m_actRecord;
    button->setIcon(QIcon(QLatin1String(recording ? ":/picture/tap.png" : ":/picture/go.png")));
    button->setText(recording ? stop : record);
    button->setStatusTip(recording ? stop : start);
    for (QAction *action : {m_window.m_actDownload, m_window.m_actExport, m_window.m_actSet})
        action->setEnabled(!recording);
}
