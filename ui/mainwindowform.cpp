#include "ui/mainwindowform.h"

#include <QChartView>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QMainWindow>
#include <QMetaObject>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "ui/recordtableview.h"
#include "ui/statspanel.h"

namespace Ui {

namespace {

QFont pointFont(const QWidget *w, int points, bool bold)
{
    QFont f = w->font();
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// A margin "left at the style's default" is the style's layout margin.
int styleMargin(const QWidget *w, QStyle::PixelMetric metric)
{
    return w->style()->pixelMetric(metric, nullptr, w);
}

QHBoxLayout *makeRow(const char *name)
{
    auto *row = new QHBoxLayout();
    row->setSpacing(0);
    row->setObjectName(QString::fromLatin1(name));
    return row;
}

} // namespace

void MainWindow::setupUi(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("MainWindow"));
    window->resize(1765, 795);

    centralWidget = new QWidget(window);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    horizontalLayout = new QHBoxLayout(centralWidget);
    horizontalLayout->setSpacing(0);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setContentsMargins(0, 0, 0, 0);

    frmMain = new QFrame(centralWidget);
    frmMain->setObjectName(QStringLiteral("frmMain"));
    QSizePolicy framePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    framePolicy.setHorizontalStretch(0);
    framePolicy.setVerticalStretch(0);
    framePolicy.setHeightForWidth(frmMain->sizePolicy().hasHeightForWidth());
    frmMain->setSizePolicy(framePolicy);
    frmMain->setFont(pointFont(frmMain, 32, false));
    frmMain->setFrameShape(QFrame::Box);
    frmMain->setFrameShadow(QFrame::Raised);
    frmMain->setLineWidth(3);
    verticalLayout = new QVBoxLayout(frmMain);
    verticalLayout->setSpacing(0);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    wv_Plot = new QtCharts::QChartView(frmMain);
    wv_Plot->setObjectName(QStringLiteral("wv_Plot"));
    QFont plotFont;
    plotFont.setFamily(QString::fromUtf8("宋体"));
    plotFont.setPointSize(9);
    wv_Plot->setFont(plotFont);
    verticalLayout->addWidget(wv_Plot);

    horizontalLayout->addWidget(frmMain);

    sidewidget = new QWidget(centralWidget);
    sidewidget->setObjectName(QStringLiteral("sidewidget"));
    QSizePolicy sidePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    sidewidget->setSizePolicy(sidePolicy);
    sidewidget->setMinimumSize(QSize(680, 0));
    sidewidget->setMaximumSize(QSize(680, 16777215));
    sidewidget->setStyleSheet(QString());
    verticalLayout_2 = new QVBoxLayout(sidewidget);
    verticalLayout_2->setSpacing(0);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);

    tv_Record = new RecordTableView(sidewidget);
    tv_Record->setObjectName(QStringLiteral("tv_Record"));
    tv_Record->setStyleSheet(QString());
    tv_Record->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv_Record->horizontalHeader()->setCascadingSectionResizes(true);
    tv_Record->horizontalHeader()->setDefaultSectionSize(100);
    tv_Record->horizontalHeader()->setHighlightSections(false);
    verticalLayout_2->addWidget(tv_Record);

    verticalLayout_3 = new QVBoxLayout();
    verticalLayout_3->setSpacing(0);
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    verticalLayout_3->setContentsMargins(0, styleMargin(sidewidget, QStyle::PM_LayoutTopMargin), 0,
                                         styleMargin(sidewidget, QStyle::PM_LayoutBottomMargin));

    wRealPanel = new QWidget(sidewidget);
    wRealPanel->setObjectName(QStringLiteral("wRealPanel"));
    wRealPanel->setMinimumSize(QSize(0, 0));
    verticalLayout_4 = new QVBoxLayout(wRealPanel);
    verticalLayout_4->setSpacing(0);
    verticalLayout_4->setObjectName(QStringLiteral("verticalLayout_4"));
    verticalLayout_4->setContentsMargins(0, 0, 0, 0);

    const int defTop = styleMargin(wRealPanel, QStyle::PM_LayoutTopMargin);
    const int defBottom = styleMargin(wRealPanel, QStyle::PM_LayoutBottomMargin);

    // Row 1: device state and battery.
    horizontalLayout_2 = makeRow("horizontalLayout_2");
    horizontalLayout_2->setContentsMargins(10, 10, 10, defBottom);
    label = new QLabel(wRealPanel);
    label->setObjectName(QStringLiteral("label"));
    label->setFont(pointFont(label, 18, true));
    label->setAlignment(Qt::AlignCenter);
    horizontalLayout_2->addWidget(label);
    lbState = new QLabel(wRealPanel);
    lbState->setObjectName(QStringLiteral("lbState"));
    lbState->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    lbState->setFont(pointFont(lbState, 18, true));
    horizontalLayout_2->addWidget(lbState);
    lbBattle = new QLabel(wRealPanel);
    lbBattle->setObjectName(QStringLiteral("lbBattle"));
    lbBattle->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    lbBattle->setFont(pointFont(lbBattle, 12, false));
    lbBattle->setScaledContents(false);
    lbBattle->setAlignment(Qt::AlignCenter);
    horizontalLayout_2->addWidget(lbBattle);
    horizontalLayout_2->setStretch(0, 1);
    horizontalLayout_2->setStretch(1, 1);
    horizontalLayout_2->setStretch(2, 2);
    verticalLayout_4->addLayout(horizontalLayout_2);

    // Row 2: wind speed and air flow.
    horizontalLayout_3 = makeRow("horizontalLayout_3");
    horizontalLayout_3->setContentsMargins(10, defTop, 10, defBottom);
    numWind = new QLCDNumber(wRealPanel);
    numWind->setObjectName(QStringLiteral("numWind"));
    numWind->setFont(pointFont(numWind, 9, false));
    horizontalLayout_3->addWidget(numWind);
    unitWind = new QLabel(wRealPanel);
    unitWind->setObjectName(QStringLiteral("unitWind"));
    unitWind->setFont(pointFont(unitWind, 18, true));
    horizontalLayout_3->addWidget(unitWind);
    numVolume = new QLCDNumber(wRealPanel);
    numVolume->setObjectName(QStringLiteral("numVolume"));
    horizontalLayout_3->addWidget(numVolume);
    unitVolume = new QLabel(wRealPanel);
    unitVolume->setObjectName(QStringLiteral("unitVolume"));
    unitVolume->setFont(pointFont(unitVolume, 15, true));
    horizontalLayout_3->addWidget(unitVolume);
    horizontalLayout_3->setStretch(0, 3);
    horizontalLayout_3->setStretch(1, 1);
    horizontalLayout_3->setStretch(2, 5);
    horizontalLayout_3->setStretch(3, 1);
    verticalLayout_4->addLayout(horizontalLayout_3);

    // Row 3: temperature and area.
    horizontalLayout_5 = makeRow("horizontalLayout_5");
    horizontalLayout_5->setContentsMargins(10, defTop, 10, 10);
    numTemp = new QLCDNumber(wRealPanel);
    numTemp->setObjectName(QStringLiteral("numTemp"));
    horizontalLayout_5->addWidget(numTemp);
    unitTemp = new QLabel(wRealPanel);
    unitTemp->setObjectName(QStringLiteral("unitTemp"));
    unitTemp->setFont(pointFont(unitTemp, 18, true));
    horizontalLayout_5->addWidget(unitTemp);
    numArea = new QLCDNumber(wRealPanel);
    numArea->setObjectName(QStringLiteral("numArea"));
    horizontalLayout_5->addWidget(numArea);
    unitArea = new QLabel(wRealPanel);
    unitArea->setObjectName(QStringLiteral("unitArea"));
    unitArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    unitArea->setFont(pointFont(unitArea, 18, true));
    horizontalLayout_5->addWidget(unitArea);
    horizontalLayout_5->setStretch(0, 3);
    horizontalLayout_5->setStretch(1, 1);
    horizontalLayout_5->setStretch(2, 5);
    horizontalLayout_5->setStretch(3, 1);
    verticalLayout_4->addLayout(horizontalLayout_5);

    verticalLayout_4->setStretch(0, 1);
    verticalLayout_4->setStretch(1, 1);
    verticalLayout_4->setStretch(2, 1);

    verticalLayout_3->addWidget(wRealPanel);
    // The statistics of what the table shows, under the displays.
    wStats = new StatsPanel(sidewidget);
    verticalLayout_3->addWidget(wStats);
    verticalLayout_2->addLayout(verticalLayout_3);
    verticalLayout_2->setStretch(0, 3);
    verticalLayout_2->setStretch(1, 1);

    horizontalLayout->addWidget(sidewidget);
    horizontalLayout->setStretch(0, 1);
    horizontalLayout->setStretch(1, 1);

    window->setCentralWidget(centralWidget);

    mainToolBar = new QToolBar(window);
    mainToolBar->setObjectName(QStringLiteral("mainToolBar"));
    mainToolBar->setMovable(false);
    mainToolBar->setIconSize(QSize(32, 32));
    window->addToolBar(Qt::TopToolBarArea, mainToolBar);

    statusBar = new QStatusBar(window);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    window->setStatusBar(statusBar);

    toprighttoolbar = new QToolBar(window);
    toprighttoolbar->setObjectName(QStringLiteral("toprighttoolbar"));
    toprighttoolbar->setLayoutDirection(Qt::RightToLeft);
    toprighttoolbar->setMovable(false);
    toprighttoolbar->setAllowedAreas(Qt::RightToolBarArea | Qt::TopToolBarArea);
    toprighttoolbar->setIconSize(QSize(32, 32));
    window->addToolBar(Qt::TopToolBarArea, toprighttoolbar);

    retranslateUi(window);

    QMetaObject::connectSlotsByName(window);
}

void MainWindow::retranslateUi(QMainWindow *window)
{
    window->setWindowTitle(QCoreApplication::translate("MainWindow", "MainWindow"));
    label->setText(QCoreApplication::translate("MainWindow", "DeviceState:"));
    lbState->setText(QCoreApplication::translate("MainWindow", "Unknown"));
    lbBattle->setText(QString());
    unitWind->setText(QCoreApplication::translate("MainWindow", "m/s"));
    unitVolume->setText(QCoreApplication::translate("MainWindow", "CMM"));
    unitTemp->setText(QCoreApplication::translate("MainWindow", "\342\204\203"));
    unitArea->setText(QCoreApplication::translate("MainWindow", "m\302\262"));
    toprighttoolbar->setWindowTitle(QCoreApplication::translate("MainWindow", "toolBar"));
}

} // namespace Ui
