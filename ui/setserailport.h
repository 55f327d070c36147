#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class setSerailPort;
}

// The options dialog: serial port, display units and language. While open
// it writes only the pending fields of pSystemSetting; OK applies and saves
// the changed ones. exec() returns Accepted exactly when the language changed.
class setSerailPort : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(setSerailPort)

public:
    // mode 1: port only, the unit and language buttons are disabled.
    explicit setSerailPort(int mode, QWidget *parent);
    ~setSerailPort() override;

public slots:
    // Every way of closing without OK (Cancel, Escape, the close button)
    // ends here and discards the pending choices.
    void reject() override;

private slots:
    void on_pb_set_SerialPort_clicked();
    void on_pb_Cancel_SerialPort_clicked();
    void on_unittemp_toggled(bool checked);
    void on_unitwind_toggled(bool checked);
    void on_unitarea_toggled(bool checked);
    void on_unitvolume_toggled(bool checked);
    void on_language_toggled(bool checked);

private:
    void fillPortList();
    void resetPendingFields();

    std::unique_ptr<Ui::setSerailPort> ui;
    bool languageChanged = false;
    // The list entry that stands for the configured port (-1: none). OK
    // leaves the stored name as it is while this entry stays selected.
    int m_configuredPortIndex = -1;
};
