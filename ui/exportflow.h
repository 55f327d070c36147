#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "ui/exportwriter.h"

class QAction;
class QMainWindow;
class QWidget;
class RecordTableModel;

// The export the window's Export button starts: the choice of format and
// folder, the file written by ExportWriter and the answer in the status
// bar. Its texts belong to the window.
class ExportFlow
{
public:
    // Asks for the export directory; the file dialog unless replaced.
    using DirectoryPicker = std::function<QString(QWidget *parent, const QString &title, const QString &start)>;

    ExportFlow(QMainWindow *window, QWidget *chartView, const RecordTableModel *model, QAction *exportAction);

    void setDirectoryPicker(DirectoryPicker picker);
    // What the PDF's first page sums up under the chart; no summary unless set.
    void setSummary(std::function<ExportWriter::ReportSummary()> summary) { m_summary = std::move(summary); }
    // The table's rows under these column headers.
    void run(const QStringList &headers);

private:
    void exportPdf(const QString &dir, const QStringList &headers);
    void exportCsv(const QString &dir, const QStringList &headers);
    void finish(bool ok, const QString &path, const QString &error);

    QMainWindow *m_window = nullptr;
    QWidget *m_chartView = nullptr;
    const RecordTableModel *m_model = nullptr;
    QAction *m_action = nullptr;
    DirectoryPicker m_directoryPicker;
    std::function<ExportWriter::ReportSummary()> m_summary;
};
