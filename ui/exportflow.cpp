#include "ui/exportflow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "storage/globals.h"
#include "storage/systemsetting.h"
#include "ui/exportwriter.h"
#include "ui/recordtablemodel.h"

ExportFlow::ExportFlow(
    QMainWindow *window, QWidget *chartView, const RecordTableModel *model, QAction *exportAction)
    : m_window(window)
    , m_chartView(chartView)
    , m_model(model)
    , m_action(exportAction)
    , m_directoryPicker([](QWidget *parent, const QString &title, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
    })
{
}

void ExportFlow::setDirectoryPicker(DirectoryPicker picker)
{
    m_directoryPicker = std::move(picker);
}

void ExportFlow::run(const QStringList &headers)
{
    if (m_model->rowCount() == 0) {
        QMessageBox::warning(m_window, QCoreApplication::translate("MainWindow", "Error"),
            QCoreApplication::translate("MainWindow", "No Data to Export"), QMessageBox::Ok);
        return;
    }

    QMessageBox question(QMessageBox::Question, QCoreApplication::translate("MainWindow", "Export"),
        QCoreApplication::translate("MainWindow", "Please select the export file format"),
        QMessageBox::NoButton, m_window);
    QPushButton *pdf
        = question.addButton(QCoreApplication::translate("MainWindow", "PDF"), QMessageBox::AcceptRole);
    QPushButton *csv
        = question.addButton(QCoreApplication::translate("MainWindow", "CSV"), QMessageBox::AcceptRole);
    question.addButton(QCoreApplication::translate("MainWindow", "Cancel"), QMessageBox::RejectRole);
    question.setDefaultButton(pdf);
    question.exec();
    const bool asPdf = question.clickedButton() == pdf;
    if (!asPdf && question.clickedButton() != csv)
        return;

    const QString startDir = pSystemSetting->exportPath;
    const QString dir = m_directoryPicker(
        m_window, QCoreApplication::translate("MainWindow", "Please select the export path"), startDir);
    if (dir.isEmpty())
        return;
    if (dir != startDir) {
        pSystemSetting->exportPath = dir;
        pSystemSetting->save(SystemSetting::ExportPath);
    }

    if (asPdf)
        exportPdf(dir, headers);
    else
        exportCsv(dir, headers);
}

void ExportFlow::exportPdf(const QString &dir, const QStringList &headers)
{
    // Let the closed dialogs leave the screen first.
    QCoreApplication::processEvents();
    // The chart view paints itself: a grab of the screen would show
    // whatever covers it, or nothing where the screen cannot be read.
    const QImage chart = m_chartView->grab().toImage();

    const QDateTime now = QDateTime::currentDateTime();
    const QString path = ExportWriter::exportFilePath(dir,
        QCoreApplication::translate("MainWindow", "//TamskAnemometer_export_%2.pdf"),
        ExportWriter::exportStamp(now));

    m_window->statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Exporting..."));
    m_action->setEnabled(false);
    QString error;
    const bool ok = m_summary
        ? ExportWriter::writePdfReport(path, chart, headers, *m_model, pSystemSetting->language, now, m_summary(), &error)
        : ExportWriter::writePdfReport(path, chart, headers, *m_model, pSystemSetting->language, now, &error);
    finish(ok, path, error);
}

void ExportFlow::exportCsv(const QString &dir, const QStringList &headers)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString path = ExportWriter::exportFilePath(dir,
        QCoreApplication::translate("MainWindow", "\\TamskAnemometer_export_%1.csv"),
        ExportWriter::exportStamp(now));

    m_window->statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Exporting..."));
    m_action->setEnabled(false);
    QString error;
    const bool ok = ExportWriter::writeCsv(path, headers, *m_model, &error);
    finish(ok, path, error);
}

void ExportFlow::finish(bool ok, const QString &path, const QString &error)
{
    m_action->setEnabled(true);
    if (ok) {
        m_window->statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Exporting...Done"));
        return;
    }
    // A file that could not be written is never reported as done.
    m_window->statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Export failed"));
    QMessageBox::warning(m_window, QCoreApplication::translate("MainWindow", "Export"),
        QCoreApplication::translate("MainWindow", "The export could not be written:\n%1\n%2")
            .arg(path, error),
        QMessageBox::Ok);
}
