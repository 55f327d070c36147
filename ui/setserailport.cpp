#include "ui/setserailport.h"

#include <initializer_list>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <QVBoxLayout>

#include "storage/globals.h"
#include "storage/systemsetting.h"
#include "ui/portchoice.h"

namespace Ui {

// The dialog's widget tree with the object names the handlers rely on.
class setSerailPort
{
public:
    QVBoxLayout *verticalLayout = nullptr;
    QGroupBox *groupBox = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QLabel *label_4 = nullptr;
    QLabel *lb_StatusBar_SerialStatus = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QLabel *label = nullptr;
    QComboBox *cb_SerialPort = nullptr;
    QHBoxLayout *horizontalLayout_11 = nullptr;
    QGroupBox *groupUnitTemp = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QRadioButton *rbUnitC = nullptr;
    QRadioButton *rbUnitF = nullptr;
    QGroupBox *groupUnitArea = nullptr;
    QHBoxLayout *horizontalLayout_10 = nullptr;
    QRadioButton *rbUnitMm = nullptr;
    QRadioButton *rbUnitFt = nullptr;
    QGroupBox *groupBox_3 = nullptr;
    QGridLayout *gridLayout = nullptr;
    QRadioButton *rbUnitMs = nullptr;
    QRadioButton *rbUnitKnt = nullptr;
    QRadioButton *rbUnitKmh = nullptr;
    QRadioButton *rbUnitFtm = nullptr;
    QRadioButton *rbUnitMph = nullptr;
    QGroupBox *groupBox_4 = nullptr;
    QHBoxLayout *horizontalLayout_7 = nullptr;
    QRadioButton *rbUnitCmm = nullptr;
    QRadioButton *rbUnitCfm = nullptr;
    QGroupBox *groupBox_2 = nullptr;
    QHBoxLayout *horizontalLayout_6 = nullptr;
    QRadioButton *rbEnglish = nullptr;
    QRadioButton *rbChinese = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QPushButton *pb_set_SerialPort = nullptr;
    QPushButton *pb_Cancel_SerialPort = nullptr;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

namespace {

template <typename T, typename Parent>
T *named(Parent *parent, const char *name)
{
    T *object = new T(parent);
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

template <typename T>
T *namedLayout(const char *name)
{
    T *layout = new T();
    layout->setObjectName(QString::fromLatin1(name));
    return layout;
}

} // namespace

void setSerailPort::setupUi(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("setSerailPort"));
    dialog->resize(504, 477);

    verticalLayout = new QVBoxLayout(dialog);
    verticalLayout->setSpacing(1);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    groupBox = named<QGroupBox>(dialog, "groupBox");
    verticalLayout_2 = new QVBoxLayout(groupBox);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    horizontalLayout_4 = namedLayout<QHBoxLayout>("horizontalLayout_4");
    label_4 = named<QLabel>(groupBox, "label_4");
    horizontalLayout_4->addWidget(label_4);
    lb_StatusBar_SerialStatus = named<QLabel>(groupBox, "lb_StatusBar_SerialStatus");
    horizontalLayout_4->addWidget(lb_StatusBar_SerialStatus);
    verticalLayout_2->addLayout(horizontalLayout_4);
    horizontalLayout_3 = namedLayout<QHBoxLayout>("horizontalLayout_3");
    label = named<QLabel>(groupBox, "label");
    horizontalLayout_3->addWidget(label);
    cb_SerialPort = named<QComboBox>(groupBox, "cb_SerialPort");
    horizontalLayout_3->addWidget(cb_SerialPort);
    verticalLayout_2->addLayout(horizontalLayout_3);
    verticalLayout->addWidget(groupBox);

    horizontalLayout_11 = namedLayout<QHBoxLayout>("horizontalLayout_11");
    groupUnitTemp = named<QGroupBox>(dialog, "groupUnitTemp");
    horizontalLayout_5 = new QHBoxLayout(groupUnitTemp);
    horizontalLayout_5->setObjectName(QStringLiteral("horizontalLayout_5"));
    rbUnitC = named<QRadioButton>(groupUnitTemp, "rbUnitC");
    horizontalLayout_5->addWidget(rbUnitC);
    rbUnitF = named<QRadioButton>(groupUnitTemp, "rbUnitF");
    horizontalLayout_5->addWidget(rbUnitF);
    horizontalLayout_11->addWidget(groupUnitTemp);
    groupUnitArea = named<QGroupBox>(dialog, "groupUnitArea");
    horizontalLayout_10 = new QHBoxLayout(groupUnitArea);
    horizontalLayout_10->setObjectName(QStringLiteral("horizontalLayout_10"));
    rbUnitMm = named<QRadioButton>(groupUnitArea, "rbUnitMm");
    horizontalLayout_10->addWidget(rbUnitMm);
    rbUnitFt = named<QRadioButton>(groupUnitArea, "rbUnitFt");
    horizontalLayout_10->addWidget(rbUnitFt);
    horizontalLayout_11->addWidget(groupUnitArea);
    horizontalLayout_11->setStretch(0, 1);
    horizontalLayout_11->setStretch(1, 1);
    verticalLayout->addLayout(horizontalLayout_11);

    groupBox_3 = named<QGroupBox>(dialog, "groupBox_3");
    gridLayout = new QGridLayout(groupBox_3);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    rbUnitMs = named<QRadioButton>(groupBox_3, "rbUnitMs");
    gridLayout->addWidget(rbUnitMs, 0, 0);
    rbUnitKnt = named<QRadioButton>(groupBox_3, "rbUnitKnt");
    gridLayout->addWidget(rbUnitKnt, 0, 1);
    rbUnitKmh = named<QRadioButton>(groupBox_3, "rbUnitKmh");
    gridLayout->addWidget(rbUnitKmh, 3, 0);
    rbUnitFtm = named<QRadioButton>(groupBox_3, "rbUnitFtm");
    gridLayout->addWidget(rbUnitFtm, 3, 1);
    rbUnitMph = named<QRadioButton>(groupBox_3, "rbUnitMph");
    gridLayout->addWidget(rbUnitMph, 4, 0);
    verticalLayout->addWidget(groupBox_3);

    groupBox_4 = named<QGroupBox>(dialog, "groupBox_4");
    horizontalLayout_7 = new QHBoxLayout(groupBox_4);
    horizontalLayout_7->setObjectName(QStringLiteral("horizontalLayout_7"));
    rbUnitCmm = named<QRadioButton>(groupBox_4, "rbUnitCmm");
    horizontalLayout_7->addWidget(rbUnitCmm);
    rbUnitCfm = named<QRadioButton>(groupBox_4, "rbUnitCfm");
    horizontalLayout_7->addWidget(rbUnitCfm);
    verticalLayout->addWidget(groupBox_4);

    groupBox_2 = named<QGroupBox>(dialog, "groupBox_2");
    horizontalLayout_6 = new QHBoxLayout(groupBox_2);
    horizontalLayout_6->setObjectName(QStringLiteral("horizontalLayout_6"));
    rbEnglish = named<QRadioButton>(groupBox_2, "rbEnglish");
    horizontalLayout_6->addWidget(rbEnglish);
    rbChinese = named<QRadioButton>(groupBox_2, "rbChinese");
    horizontalLayout_6->addWidget(rbChinese);
    verticalLayout->addWidget(groupBox_2);

    horizontalLayout = namedLayout<QHBoxLayout>("horizontalLayout");
    pb_set_SerialPort = named<QPushButton>(dialog, "pb_set_SerialPort");
    horizontalLayout->addWidget(pb_set_SerialPort);
    pb_Cancel_SerialPort = named<QPushButton>(dialog, "pb_Cancel_SerialPort");
    horizontalLayout->addWidget(pb_Cancel_SerialPort);
    verticalLayout->addLayout(horizontalLayout);

    verticalLayout->setStretch(0, 3);
    verticalLayout->setStretch(1, 1);
    verticalLayout->setStretch(2, 4);
    verticalLayout->setStretch(3, 1);
    verticalLayout->setStretch(4, 1);
    verticalLayout->setStretch(5, 1);

    retranslateUi(dialog);

    QMetaObject::connectSlotsByName(dialog);
}

void setSerailPort::retranslateUi(QDialog *dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("setSerailPort", "Dialog"));
    groupBox->setTitle(QCoreApplication::translate("setSerailPort", "SerialPort"));
    label_4->setText(QCoreApplication::translate("setSerailPort", "State"));
    lb_StatusBar_SerialStatus->setText(QString());
    label->setText(QCoreApplication::translate("setSerailPort", "PortName"));
    groupUnitTemp->setTitle(QCoreApplication::translate("setSerailPort", "Temperature"));
    rbUnitC->setText(QCoreApplication::translate("setSerailPort", "\342\204\203"));
    rbUnitF->setText(QCoreApplication::translate("setSerailPort", "\342\204\211"));
    groupUnitArea->setTitle(QCoreApplication::translate("setSerailPort", "Area"));
    rbUnitMm->setText(QCoreApplication::translate("setSerailPort", "m\302\262"));
    rbUnitFt->setText(QCoreApplication::translate("setSerailPort", "ft\302\262"));
    groupBox_3->setTitle(QCoreApplication::translate("setSerailPort", "Vel"));
    rbUnitMs->setText(QCoreApplication::translate("setSerailPort", "m/s"));
    rbUnitKnt->setText(QCoreApplication::translate("setSerailPort", "knots"));
    rbUnitKmh->setText(QCoreApplication::translate("setSerailPort", "km/h"));
    rbUnitFtm->setText(QCoreApplication::translate("setSerailPort", "ft/min"));
    rbUnitMph->setText(QCoreApplication::translate("setSerailPort", "mph"));
    groupBox_4->setTitle(QCoreApplication::translate("setSerailPort", "Flow"));
    rbUnitCmm->setText(QCoreApplication::translate("setSerailPort", "CMM"));
    rbUnitCfm->setText(QCoreApplication::translate("setSerailPort", "CFM"));
    groupBox_2->setTitle(QCoreApplication::translate("setSerailPort", "Language"));
    rbEnglish->setText(QCoreApplication::translate("setSerailPort", "English"));
    rbChinese->setText(QCoreApplication::translate("setSerailPort", "Chinese"));
    pb_set_SerialPort->setText(QCoreApplication::translate("setSerailPort", "OK"));
    pb_Cancel_SerialPort->setText(QCoreApplication::translate("setSerailPort", "Cancel"));
}

} // namespace Ui

namespace {

// Position of the sender's object name in names (the group's codes in
// order), or -1 when it is none of them.
int codeOfSender(const QObject *sender, std::initializer_list<const char *> names)
{
    if (!sender)
        return -1;
    const QString name = sender->objectName();
    int code = 0;
    for (const char *candidate : names) {
        if (name == QLatin1String(candidate))
            return code;
        ++code;
    }
    return -1;
}

void checkIf(QRadioButton *button, bool condition)
{
    if (condition)
        button->setChecked(true);
}

// Pseudo-terminals and some adapters are missing from the system's port
// enumeration, yet open fine by name.
bool portDeviceExists(const QString &name)
{
#ifdef Q_OS_UNIX
    const QFileInfo device(QDir::isAbsolutePath(name) ? name : QStringLiteral("/dev/") + name);
    return device.exists() && !device.isDir();
#else
    Q_UNUSED(name)
    return false;
#endif
}

} // namespace

setSerailPort::setSerailPort(int mode, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::setSerailPort)
{
    ui->setupUi(this);
    languageChanged = false;
    setWindowTitle(tr("Options Set"));

    if (mode == 1) {
        for (QRadioButton *button : {ui->rbEnglish, ui->rbChinese, ui->rbUnitCmm, ui->rbUnitCfm, ui->rbUnitC,
                                     ui->rbUnitF, ui->rbUnitMm, ui->rbUnitFt, ui->rbUnitMs, ui->rbUnitKmh,
                                     ui->rbUnitFtm, ui->rbUnitKnt, ui->rbUnitMph})
            button->setDisabled(true);
    }

    fillPortList();

    // Each group is checked before its handler is connected, so building the
    // dialog writes no pending field.
    const SystemSetting *settings = pSystemSetting;

    checkIf(ui->rbUnitC, settings->tempUnit == 0);
    checkIf(ui->rbUnitF, settings->tempUnit == 1);
    connect(ui->rbUnitC, SIGNAL(toggled(bool)), this, SLOT(on_unittemp_toggled(bool)));
    connect(ui->rbUnitF, SIGNAL(toggled(bool)), this, SLOT(on_unittemp_toggled(bool)));

    // Codes 5 and 6 check the flow buttons; the flow step below puts the flow
    // box right again for every valid volume code.
    checkIf(ui->rbUnitMs, settings->windUnit == 0);
    checkIf(ui->rbUnitKmh, settings->windUnit == 1);
    checkIf(ui->rbUnitMph, settings->windUnit == 2);
    checkIf(ui->rbUnitKnt, settings->windUnit == 3);
    checkIf(ui->rbUnitFtm, settings->windUnit == 4);
    checkIf(ui->rbUnitCmm, settings->windUnit == 5);
    checkIf(ui->rbUnitCfm, settings->windUnit == 6);
    connect(ui->rbUnitMs, SIGNAL(toggled(bool)), this, SLOT(on_unitwind_toggled(bool)));
    connect(ui->rbUnitKmh, SIGNAL(toggled(bool)), this, SLOT(on_unitwind_toggled(bool)));
    connect(ui->rbUnitMph, SIGNAL(toggled(bool)), this, SLOT(on_unitwind_toggled(bool)));
    connect(ui->rbUnitKnt, SIGNAL(toggled(bool)), this, SLOT(on_unitwind_toggled(bool)));
    connect(ui->rbUnitFtm, SIGNAL(toggled(bool)), this, SLOT(on_unitwind_toggled(bool)));

    checkIf(ui->rbUnitCmm, settings->volumeUnit == 0);
    checkIf(ui->rbUnitCfm, settings->volumeUnit == 1);
    connect(ui->rbUnitCmm, SIGNAL(toggled(bool)), this, SLOT(on_unitvolume_toggled(bool)));
    connect(ui->rbUnitCfm, SIGNAL(toggled(bool)), this, SLOT(on_unitvolume_toggled(bool)));

    checkIf(ui->rbUnitMm, settings->areaUnit == 0);
    checkIf(ui->rbUnitFt, settings->areaUnit == 1);
    connect(ui->rbUnitMm, SIGNAL(toggled(bool)), this, SLOT(on_unitarea_toggled(bool)));
    connect(ui->rbUnitFt, SIGNAL(toggled(bool)), this, SLOT(on_unitarea_toggled(bool)));

    checkIf(ui->rbEnglish, settings->language == 0);
    checkIf(ui->rbChinese, settings->language == 1);
    connect(ui->rbEnglish, SIGNAL(toggled(bool)), this, SLOT(on_language_toggled(bool)));
    connect(ui->rbChinese, SIGNAL(toggled(bool)), this, SLOT(on_language_toggled(bool)));
}

setSerailPort::~setSerailPort() = default;

void setSerailPort::fillPortList()
{
    const QString configured = pSystemSetting->serialPortName;
    QVector<PortChoice> choices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        choices << portChoice(portFacts(port), serialByIdPath(port.systemLocation()));
    m_configuredPortIndex = indexOfConfigured(choices, configured);
    // A configured port missing from the list but present as a device stays
    // on offer, so OK does not quietly move the program to another port.
    const bool configuredExists = !configured.isEmpty() && portDeviceExists(configured);
    if (m_configuredPortIndex < 0 && configuredExists) {
        m_configuredPortIndex = choices.size();
        PortChoice own;
        own.label = own.value = configured;
        own.names << configured;
        choices << own;
    }

    if (choices.isEmpty()) {
        QMessageBox::warning(this, tr("No Serial Port found"), tr("OK"), QMessageBox::Ok);
        return;
    }
    for (const PortChoice &choice : qAsConst(choices))
        ui->cb_SerialPort->addItem(QIcon(), choice.label, choice.value);
    // A configured port that is gone (the first run's "COM3" on Linux)
    // gives way to the one USB adapter plugged in, if there is just one.
    ui->cb_SerialPort->setCurrentIndex(preselectedPort(choices, configured, configuredExists));
}

void setSerailPort::resetPendingFields()
{
    SystemSetting *settings = pSystemSetting;
    settings->pendingLanguage = settings->language;
    settings->pendingTempUnit = settings->tempUnit;
    settings->pendingWindUnit = settings->windUnit;
    settings->pendingAreaUnit = settings->areaUnit;
    settings->pendingVolumeUnit = settings->volumeUnit;
}

void setSerailPort::reject()
{
    resetPendingFields();
    QDialog::reject();
}

void setSerailPort::on_pb_set_SerialPort_clicked()
{
    SystemSetting *settings = pSystemSetting;

    // The entry's stored name (an adapter's stable name where it has one);
    // an entry without one stands for itself.
    const QVariant value = ui->cb_SerialPort->currentData();
    const QString port = value.isValid() ? value.toString() : ui->cb_SerialPort->currentText();
    const bool configuredKept =
        m_configuredPortIndex >= 0 && ui->cb_SerialPort->currentIndex() == m_configuredPortIndex;
    if (!configuredKept && !port.isEmpty() && port != settings->serialPortName) {
        settings->serialPortName = port;
        settings->save(SystemSetting::SerialPortName);
    }
    if (settings->pendingLanguage != settings->language) {
        settings->language = settings->pendingLanguage;
        settings->save(SystemSetting::Language);
        languageChanged = true;
    }
    if (settings->pendingTempUnit != settings->tempUnit) {
        settings->tempUnit = settings->pendingTempUnit;
        settings->save(SystemSetting::TempUnit);
    }
    if (settings->pendingWindUnit != settings->windUnit) {
        settings->windUnit = settings->pendingWindUnit;
        settings->save(SystemSetting::WindUnit);
    }
    if (settings->pendingAreaUnit != settings->areaUnit) {
        settings->areaUnit = settings->pendingAreaUnit;
        settings->save(SystemSetting::AreaUnit);
    }
    if (settings->pendingVolumeUnit != settings->volumeUnit) {
        settings->volumeUnit = settings->pendingVolumeUnit;
        settings->save(SystemSetting::VolumeUnit);
    }

    if (languageChanged)
        accept();
    else
        QDialog::reject();
}

void setSerailPort::on_pb_Cancel_SerialPort_clicked()
{
    reject();
}

void setSerailPort::on_unittemp_toggled(bool checked)
{
    if (!checked)
        return;
    const int code = codeOfSender(sender(), {"rbUnitC", "rbUnitF"});
    if (code >= 0)
        pSystemSetting->pendingTempUnit = code;
}

void setSerailPort::on_unitwind_toggled(bool checked)
{
    if (!checked)
        return;
    const int code = codeOfSender(sender(), {"rbUnitMs", "rbUnitKmh", "rbUnitMph", "rbUnitKnt", "rbUnitFtm"});
    if (code >= 0)
        pSystemSetting->pendingWindUnit = code;
}

void setSerailPort::on_unitarea_toggled(bool checked)
{
    if (!checked)
        return;
    const int code = codeOfSender(sender(), {"rbUnitMm", "rbUnitFt"});
    if (code >= 0)
        pSystemSetting->pendingAreaUnit = code;
}

void setSerailPort::on_unitvolume_toggled(bool checked)
{
    if (!checked)
        return;
    const int code = codeOfSender(sender(), {"rbUnitCmm", "rbUnitCfm"});
    if (code >= 0)
        pSystemSetting->pendingVolumeUnit = code;
}

void setSerailPort::on_language_toggled(bool checked)
{
    if (!checked)
        return;
    const int code = codeOfSender(sender(), {"rbEnglish", "rbChinese"});
    if (code >= 0)
        pSystemSetting->pendingLanguage = code;
}
