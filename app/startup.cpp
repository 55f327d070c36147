#include "app/startup.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFont>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTextCodec>
#include <QTranslator>

#include "app/singleapplication.h"
#include "storage/appfiles.h"
#include "storage/filenamecodec.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemsetting.h"
#include "ui/mainwindow.h"

namespace {

const char kInstanceKey[] = "some unique key string";
const char kInstanceMessage[] = "message from other instance.";

// The stored language picks the codec for the locale (and with it every
// toLocal8Bit conversion, the CSV export's among them) and the translators.
void applyLanguage(int language, QTranslator &program, QTranslator &qt)
{
    QString programFile;
    QString qtFile;
    const QString dir = appFiles().languagesDir;
    if (language == 0) {
        qDebug() << "English system";
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        programFile = dir + "/pelnor_en.qm";
        qtFile = dir + "/qt_en.qm";
    } else if (language == 1) {
        qDebug() << "中文系统";
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("GBK"));
        programFile = dir + "/pelnor_zh.qm";
        qtFile = dir + "/qt_en.qm";
    } else {
        return;
    }

    if (QFile::exists(programFile)) {
        program.load(programFile);
        qt.load(qtFile);
        QCoreApplication::installTranslator(&program);
        QCoreApplication::installTranslator(&qt);
        qDebug() << programFile;
    } else {
        qDebug() << programFile + "language file does not exists ...";
    }
}

} // namespace

int runLogger(int argc, char *argv[])
{
    // OpenGL ES is asked for, but nothing here draws with OpenGL, so a
    // machine without it (a virtual display, a remote session) starts all
    // the same.
    QCoreApplication::setAttribute(Qt::AA_UseOpenGLES, true);
    // Crisp on a 200 % screen: widgets scale with the screen, and pictures
    // come from their larger renderings.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei"), 9));

    // Installed for the whole run: they outlive the application object.
    QTranslator programTranslator;
    QTranslator qtTranslator;

    SingleApplication app(argc, argv, QLatin1String(kInstanceKey));
    if (app.isRunning()) {
        app.sendMessage(QLatin1String(kInstanceMessage));
        return 0;
    }

    // Beside the executable for a portable copy; in the user's folders when
    // installed where the program cannot write.
    QCoreApplication::setApplicationName(QLatin1String(kAppFolderName));
    setAppFiles(resolveAppFiles(QCoreApplication::applicationDirPath(), systemAppFileSystem()));
    if (!createAppFolders(appFiles()))
        qDebug() << "cannot create" << appFiles().foldersToCreate;

    pSettings = new QSettings(appFiles().settingsFile, QSettings::IniFormat);
    pSystemSetting = new SystemSetting();
    pLogHelper = new LogHelper(nullptr);

    const QLocale locale = QLocale::system();
    qDebug() << "lang=" << locale.language();
    qDebug() << "country=" << locale.country();
    qDebug() << "name=" << locale.name();
    pFileNameCodec = fileNameCodecFor(locale.name());

    applyLanguage(pSystemSetting->language, programTranslator, qtTranslator);

    int code = 0;
    {
        MainWindow window;
        window.showMaximized();
        code = app.exec();
        if (code == kRestartCode) {
            // Hand the guard over first, so the new copy is a first instance.
            app.releaseGuard();
            QProcess::startDetached(QCoreApplication::applicationFilePath(), QStringList());
        }
    }
    return code;
}
