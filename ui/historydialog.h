#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QVector>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"
#include "storage/runarchive.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

// Chart times (ms since the epoch) of a run's readings, ascending: a
// recording's from the date and time each reading carries; a download's,
// which carry none, 500 ms apart and ending at the run's start (when the
// download was made), as a fresh download is shown.
QVector<qint64> runChartTimes(const QList<PelnorXLogItem> &rows, const RunArchive::Summary &run);

// "recording of 2026-12-08 14:05 (7,200 readings)", translated.
QString runDescription(const RunArchive::Summary &run);

// The status bar's line for a run the window shows.
QString shownRunMessage(const RunArchive::Summary &run);

// The History window: the archived recordings and downloads, newest first,
// with the current ones, filtered by kind and date. Delete and Compact act
// at once; Open and Export close the dialog and leave the chosen run to the
// main window, which shows it (and exports it) as it shows any record set.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Choice { None, Open, Export };

    // canOpen false while a recording runs: its rows own the table.
    HistoryDialog(const UnitChoice &units, bool canOpen, QWidget *parent = nullptr);
    ~HistoryDialog() override;

    Choice choice() const { return m_choice; }
    RunArchive::Summary chosenRun() const { return m_chosen; }
    // Ids of the runs deleted while the dialog was open.
    QList<qint64> deletedRuns() const { return m_deleted; }

    // Reads the list again with the filter's settings.
    void reload();

private:
    Q_DISABLE_COPY(HistoryDialog)

    QList<RunArchive::Summary> selectedRuns() const;
    void updateButtons();
    void choose(Choice choice);
    void deleteSelected();
    void compact();

    UnitChoice m_units;
    bool m_canOpen = true;
    QList<RunArchive::Summary> m_runs;
    QList<qint64> m_deleted;
    Choice m_choice = Choice::None;
    RunArchive::Summary m_chosen;

    QComboBox *m_kind = nullptr;
    QCheckBox *m_fromOn = nullptr;
    QCheckBox *m_toOn = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QTreeWidget *m_list = nullptr;
    QLabel *m_info = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_compact = nullptr;
};
