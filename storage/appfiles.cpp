#include "storage/appfiles.h"

#include "storage/globals.h"
#include "storage/loghelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QStandardPaths>

namespace {

const char kLanguagesFolder[] = "languages";

AppFiles portableLayout(const QString &exeDir)
{
    AppFiles files;
    files.portable = true;
    files.settingsFile = exeDir + QStringLiteral("/Options.ini");
    files.databaseDir = exeDir;
    // Empty: without a setting the runtime log goes to the working folder,
    // as a portable copy always did.
    files.logPrefix = QString();
    files.languagesDir = exeDir + QLatin1Char('/') + QLatin1String(kLanguagesFolder);
    return files;
}

AppFiles &currentFiles()
{
    static AppFiles files;
    static bool initialised = false;
    if (!initialised) {
        initialised = true;
        files = portableLayout(QCoreApplication::applicationDirPath());
    }
    return files;
}

} // namespace

AppFileSystem systemAppFileSystem()
{
    AppFileSystem fs;
    fs.isWritableDir = [](const QString &dir) {
        const QFileInfo info(dir);
        return info.isDir() && info.isWritable();
    };
    fs.isDir = [](const QString &dir) { return QFileInfo(dir).isDir(); };
    // Named after the program, not after the executable's file name, so a
    // renamed copy still finds its settings and history.
    const QString app = QLatin1String(kAppFolderName);
    fs.configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                   + QLatin1Char('/') + app;
    fs.dataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                 + QLatin1Char('/') + app;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        fs.sharedDataDirs << dir + QLatin1Char('/') + app;
    return fs;
}

AppFiles resolveAppFiles(const QString &exeDir, const AppFileSystem &fs)
{
    const QString dir = QDir::cleanPath(exeDir);
    const QString installedShare = QDir::cleanPath(dir + QStringLiteral("/../share/")
                                                   + QLatin1String(kAppFolderName));
    const bool installed = fs.isDir(installedShare);
    if (!installed && fs.isWritableDir(dir))
        return portableLayout(dir);

    AppFiles files;
    files.portable = false;
    files.settingsFile = fs.configDir + QStringLiteral("/Options.ini");
    files.databaseDir = fs.dataDir;
    files.logPrefix = fs.dataDir + QLatin1Char('/');
    files.foldersToCreate << fs.configDir << fs.dataDir;

    // Translations: beside the executable (a read-only portable copy), then
    // the installation's own share folder, then the system's data folders.
    QStringList candidates;
    candidates << dir + QLatin1Char('/') + QLatin1String(kLanguagesFolder)
               << installedShare + QLatin1Char('/') + QLatin1String(kLanguagesFolder);
    for (const QString &shared : fs.sharedDataDirs)
        candidates << QDir::cleanPath(shared) + QLatin1Char('/') + QLatin1String(kLanguagesFolder);
    files.languagesDir = candidates.at(1);
    for (const QString &candidate : qAsConst(candidates)) {
        if (fs.isDir(candidate)) {
            files.languagesDir = candidate;
            break;
        }
    }
    return files;
}

bool createAppFolders(const AppFiles &files)
{
    bool ok = true;
    for (const QString &folder : files.foldersToCreate)
        ok = QDir().mkpath(folder) && ok;
    return ok;
}

const AppFiles &appFiles()
{
    return currentFiles();
}

void setAppFiles(const AppFiles &files)
{
    currentFiles() = files;
}

QString appFilesDescription(const AppFiles &files, const QString &logFile)
{
    return QObject::tr("Settings: %1\nHistory: %2\nRuntime log: %3")
        .arg(QDir::toNativeSeparators(files.settingsFile),
             QDir::toNativeSeparators(files.databaseDir + QStringLiteral("/systemlog.db")),
             QDir::toNativeSeparators(QFileInfo(logFile).absoluteFilePath()));
}

QString appFilesDescription()
{
    const QString logFile = pLogHelper ? pLogHelper->logFilePath
                                       : appFiles().logPrefix + QStringLiteral("mivo.log");
    return appFilesDescription(appFiles(), logFile);
}
