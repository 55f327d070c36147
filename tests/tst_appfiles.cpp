#include <QtTest>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include "storage/appfiles.h"

// Where the program keeps its files: beside a portable copy, in the user's
// folders for an installed one.
class Tst_AppFiles : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void installedCopyLeavesPortableFilesAlone();
};

namespace {

const QString kConfig = QStringLiteral("/home/u/.config/aq7316-logger");
const QString kData = QStringLiteral("/home/u/.local/share/aq7316-logger");

AppFileSystem fakeFileSystem(const QStringList &writable, const QStringList &dirs)
{
    AppFileSystem fs;
    const QSet<QString> w(writable.begin(), writable.end());
    QSet<QString> d(dirs.begin(), dirs.end());
    d += w;
    fs.isWritableDir = [w](const QString &dir) { return w.contains(dir); };
    fs.isDir = [d](const QString &dir) { return d.contains(dir); };
    fs.configDir = kConfig;
    fs.dataDir = kData;
    fs.sharedDataDirs << QStringLiteral("/usr/local/share/aq7316-logger")
                      << QStringLiteral("/usr/share/aq7316-logger");
    return fs;
}

} // namespace

void Tst_AppFiles::layout_data()
{
    QTest::addColumn<QString>("exeDir");
    QTest::addColumn<QStringList>("writable");
    QTest::addColumn<QStringList>("dirs");
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("logPrefix");
    QTest::addColumn<QString>("languages");

    const QString home = QStringLiteral("/home/u/aq");
    QTest::newRow("writable program folder: portable")
        << home << QStringList{home} << QStringList{}
        << true << home + "/Options.ini" << home << QString() << home + "/languages";
    QTest::newRow("read-only /usr/local/bin: user folders, installed translations")
        << QStringLiteral("/usr/local/bin") << QStringList{}
        << QStringList{QStringLiteral("/usr/local/share/aq7316-logger"),
                       QStringLiteral("/usr/local/share/aq7316-logger/languages")}
        << false << kConfig + "/Options.ini" << kData << kData + "/"
        << QStringLiteral("/usr/local/share/aq7316-logger/languages");
    QTest::newRow("root runs the installed copy: still user folders")
        << QStringLiteral("/usr/bin") << QStringList{QStringLiteral("/usr/bin")}
        << QStringList{QStringLiteral("/usr/share/aq7316-logger"),
                       QStringLiteral("/usr/share/aq7316-logger/languages")}
        << false << kConfig + "/Options.ini" << kData << kData + "/"
        << QStringLiteral("/usr/share/aq7316-logger/languages");
    QTest::newRow("read-only portable copy: user folders, its own translations")
        << QStringLiteral("/media/cd/aq") << QStringList{}
        << QStringList{QStringLiteral("/media/cd/aq/languages")}
        << false << kConfig + "/Options.ini" << kData << kData + "/"
        << QStringLiteral("/media/cd/aq/languages");
    QTest::newRow("read-only, translations only in the system's share folder")
        << QStringLiteral("/opt/aq/bin") << QStringList{}
        << QStringList{QStringLiteral("/usr/share/aq7316-logger/languages")}
        << false << kConfig + "/Options.ini" << kData << kData + "/"
        << QStringLiteral("/usr/share/aq7316-logger/languages");
}

void Tst_AppFiles::layout()
{
    QFETCH(QString, exeDir);
    QFETCH(QStringList, writable);
    QFETCH(QStringList, dirs);

    const AppFiles files = resolveAppFiles(exeDir, fakeFileSystem(writable, dirs));
    QTEST(files.portable, "portable");
    QTEST(files.settingsFile, "settings");
    QTEST(files.databaseDir, "database");
    QTEST(files.logPrefix, "logPrefix");
    QTEST(files.languagesDir, "languages");
    QCOMPARE(files.foldersToCreate.isEmpty(), files.portable);
}

// A read-only program folder that holds a portable copy's Options.ini and
// systemlog.db: the program run from there writes its own files in the
// user's folders and leaves those bytes as they were.
void Tst_AppFiles::installedCopyLeavesPortableFilesAlone()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString exeDir = tmp.filePath(QStringLiteral("cd"));
    QVERIFY(QDir().mkpath(exeDir));
    const QByteArray ini = "[System]\nLANGUAGE=1\n";
    const QByteArray db = "not touched";
    for (const auto &[name, bytes] : {std::pair{"Options.ini", ini}, std::pair{"systemlog.db", db}}) {
        QFile f(exeDir + '/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    AppFileSystem fs = fakeFileSystem({}, {exeDir});
    fs.configDir = tmp.filePath(QStringLiteral("config/aq7316-logger"));
    fs.dataDir = tmp.filePath(QStringLiteral("data/aq7316-logger"));
    const AppFiles files = resolveAppFiles(exeDir, fs);
    QVERIFY(createAppFolders(files));
    QVERIFY(QFileInfo(fs.configDir).isDir());
    QVERIFY(QFileInfo(fs.dataDir).isDir());
    {
        QSettings settings(files.settingsFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("System/LANGUAGE"), 0);
    }
    QVERIFY(QFile::exists(fs.configDir + "/Options.ini"));

    QFile portableIni(exeDir + "/Options.ini");
    QVERIFY(portableIni.open(QIODevice::ReadOnly));
    QCOMPARE(portableIni.readAll(), ini);
    QFile portableDb(exeDir + "/systemlog.db");
    QVERIFY(portableDb.open(QIODevice::ReadOnly));
    QCOMPARE(portableDb.readAll(), db);
    QVERIFY(appFilesDescription(files, files.logPrefix + "mivo.log").contains(fs.dataDir + "/systemlog.db"));
}

QTEST_GUILESS_MAIN(Tst_AppFiles)
#include "tst_appfiles.moc"
