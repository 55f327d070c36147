#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLabel;
class QStatusBar;
class QWidget;
class SystemLogManager;

// A warning that stays in the status bar while something keeps readings or
// settings from being kept: readings the history database refuses, a run
// that could not be archived, a settings file or runtime log that cannot be
// written. The status bar's own messages come and go (a tool button's status
// tip replaces them); this label sits beside them until the cause is gone.
class StorageWarning : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(StorageWarning)

public:
    // Adds its (hidden) label to the bar as a permanent widget.
    explicit StorageWarning(QStatusBar *bar);

    // The text beside the warning icon; visible while there is a warning.
    QLabel *label() const { return m_text; }

    // The result of storing a reading or a package: a failure shows the
    // warning, the next success clears it.
    void storingWorked(bool worked);
    // The user chose to go on without the history database in this run.
    void notStoringByChoice();
    // Why the last emptying of a history table kept it (a run could not be
    // archived); empty clears that warning.
    void archiveResult(const QString &failure);
    // Problems found at start (settings file, runtime log): shown for the
    // whole run and written to the debug log once.
    void addStartupProblem(const QString &problem);

    // Everything at start in one go: the database's own answer (whether it
    // stores), the settings file's and the runtime log's problems.
    void reportAtStart(bool storing, const QString &settingsProblem, const QString &logProblem);

private:
    void refresh();

    QWidget *m_box = nullptr;
    QLabel *m_text = nullptr;
    bool m_storingFails = false;
    bool m_notStoringByChoice = false;
    QString m_archiveFailure;
    QStringList m_startupProblems;
};
