#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where the program keeps its files. A copy in a folder the user can write
// to (unpacked somewhere, or the build tree) is portable and keeps
// everything beside its executable. An installed copy
// (under /usr or /usr/local) cannot write there, so it keeps settings,
// history and runtime log in the user's own folders instead and finds its
// translations in the installed share folder.
struct AppFiles
{
    bool portable = true;
    QString settingsFile;  // Options.ini
    QString databaseDir;   // the folder of systemlog.db
    QString logPrefix;     // runtime log prefix when Options.ini names none
    QString languagesDir;  // pelnor_*.qm and qt_en.qm
    QStringList foldersToCreate;
};

// The places resolveAppFiles looks at, injectable for tests.
struct AppFileSystem
{
    std::function<bool(const QString &dir)> isWritableDir;
    std::function<bool(const QString &dir)> isDir;
    QString configDir;        // the user's config folder for this program
    QString dataDir;          // the user's data folder for this program
    QStringList sharedDataDirs; // installed share/aq7316-logger folders
};

// The name of the program's own folders under the user's and the system's
// standard locations.
inline constexpr char kAppFolderName[] = "aq7316-logger";

// The real file system and the standard locations (QStandardPaths).
AppFileSystem systemAppFileSystem();

// Decides where the files of a program in exeDir live. Portable when exeDir
// is writable and is not the bin folder of an installation (a bin folder
// with ../share/aq7316-logger beside it): so even a root user running the
// installed program does not scatter files into /usr/local/bin.
AppFiles resolveAppFiles(const QString &exeDir, const AppFileSystem &fs);

// Creates the folders the files go into. False when one cannot be made.
bool createAppFolders(const AppFiles &files);

// The layout start-up chose; before that (tests, tools) the portable layout
// beside the executable.
const AppFiles &appFiles();
void setAppFiles(const AppFiles &files);

// One translatable paragraph for the About box: where settings, history
// and runtime log are kept. The first form names the given files; the second
// those of this run (the layout start-up chose and the runtime log's file).
QString appFilesDescription(const AppFiles &files, const QString &logFile);
QString appFilesDescription();
