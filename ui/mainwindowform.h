#pragma once

class QFrame;
class QHBoxLayout;
class QLabel;
class QLCDNumber;
class QMainWindow;
class QStatusBar;
class QTableView;
class QToolBar;
class QVBoxLayout;
class QWidget;
class StatsPanel;

namespace QtCharts {
class QChartView;
}

namespace Ui {

// The main window's widget tree, built by hand with the object names,
// sizes, fonts, stretches and margins the window relies on.
class MainWindow
{
public:
    QWidget *centralWidget = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QFrame *frmMain = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QtCharts::QChartView *wv_Plot = nullptr;
    QWidget *sidewidget = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QTableView *tv_Record = nullptr;
    QVBoxLayout *verticalLayout_3 = nullptr;
    QWidget *wRealPanel = nullptr;
    QVBoxLayout *verticalLayout_4 = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QLabel *label = nullptr;
    QLabel *lbState = nullptr;
    QLabel *lbBattle = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QLCDNumber *numWind = nullptr;
    QLabel *unitWind = nullptr;
    QLCDNumber *numVolume = nullptr;
    QLabel *unitVolume = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QLCDNumber *numTemp = nullptr;
    QLabel *unitTemp = nullptr;
    QLCDNumber *numArea = nullptr;
    QLabel *unitArea = nullptr;
    StatsPanel *wStats = nullptr;
    QToolBar *mainToolBar = nullptr;
    QStatusBar *statusBar = nullptr;
    QToolBar *toprighttoolbar = nullptr;

    void setupUi(QMainWindow *window);
    void retranslateUi(QMainWindow *window);
};

} // namespace Ui
