#include <cerrno>
#include <csignal>

#include <sys/resource.h>

#include <QtTest>

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>

#include "storage/filenamecodec.h"
#include "storage/globals.h"
#include "ui/exportwriter.h"

#include "testfiles.h"

using namespace ExportWriter;

namespace {

const QStringList kHeaders{"Date", "Time", "Temp-C", "wind-ms", "Area-Mm", "Volume-CMM", "WindChill-C"};
const QString kCsvPattern = QStringLiteral("\\TamskAnemometer_export_%1.csv");
const QString kPdfPattern = QStringLiteral("//TamskAnemometer_export_%2.pdf");
constexpr int kPageHeight = 769;   // A4 inside 20 mm top and bottom margins, at 76 dpi

QDateTime exportInstant()
{
    return QDateTime(QDate(2024, 3, 2), QTime(14, 5, 9));
}

void fillModel(QStandardItemModel &model, const QVector<QStringList> &rows)
{
    for (const QStringList &cells : rows) {
        QList<QStandardItem *> items;
        for (const QString &text : cells)
            items.append(new QStandardItem(text));
        model.appendRow(items);
    }
}

// Every cell's text is unique in the table: "<row>.<column>".
void fillNumbered(QStandardItemModel &model, int rows)
{
    QVector<QStringList> table;
    for (int row = 1; row <= rows; ++row) {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << QStringLiteral("%1.%2").arg(row).arg(column);
        table << cells;
    }
    fillModel(model, table);
}

struct PdfWord
{
    int page;   // from 1
    double x;
    double y;
    QString text;
};

// Device units of the report (1/76 inch inside the margins) to PDF points.
double pointsX(int units) { return units * 72.0 / 76.0 + 10 * 72.0 / 25.4; }
double pointsY(int units) { return units * 72.0 / 76.0 + 20 * 72.0 / 25.4; }

} // namespace

class Tst_ExportWriter : public QObject
{
    Q_OBJECT

private:
    QTextCodec *m_localeCodec = nullptr;

    static bool popplerMissing()
    {
        return QStandardPaths::findExecutable("pdfinfo").isEmpty()
            || QStandardPaths::findExecutable("pdftotext").isEmpty();
    }

    static QByteArray runTool(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return QByteArray();
        return process.readAllStandardOutput();
    }

    static int pdfPages(const QString &path)
    {
        const QString info = QString::fromUtf8(runTool("pdfinfo", {path}));
        const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(info);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    static QVector<PdfWord> pdfWords(const QString &path)
    {
        const QString html = QString::fromUtf8(runTool("pdftotext", {"-bbox", path, "-"}));
        QVector<PdfWord> words;
        const QRegularExpression token("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>");
        int page = 0;
        auto it = token.globalMatch(html);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(0) == QLatin1String("<page ")) {
                ++page;
                continue;
            }
            words.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
        }
        return words;
    }

    static const PdfWord *findWord(const QVector<PdfWord> &words, const QString &text)
    {
        for (const PdfWord &word : words) {
            if (word.text == text)
                return &word;
        }
        return nullptr;
    }

    static QStringList pageTexts(const QVector<PdfWord> &words, int page)
    {
        QStringList texts;
        for (const PdfWord &word : words) {
            if (word.page == page)
                texts << word.text;
        }
        return texts;
    }

private slots:
    void init()
    {
        m_localeCodec = QTextCodec::codecForLocale();
        pFileNameCodec = QTextCodec::codecForName("UTF-8");
    }

    void cleanup()
    {
        QTextCodec::setCodecForLocale(m_localeCodec);
        pFileNameCodec = nullptr;
    }

    void csvBytes_data()
    {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("english, UTF-8")
            << QByteArray("UTF-8") << kHeaders
            << QStringList{"2024-03-02", "14:05:09", "中文", "3.500", "1.000", "210.000", "Hi"}
            << QByteArray("Date,Time,Temp-C,wind-ms,Area-Mm,Volume-CMM,WindChill-C,\n"
                          "2024-03-02,14:05:09,\xe4\xb8\xad\xe6\x96\x87,3.500,1.000,210.000,Hi,\n");
        QTest::newRow("chinese, GBK")
            << QByteArray("GBK")
            << QStringList{"日期", "Time", "Temp-F", "wind-mph", "Area-Ft", "Volume-CFM", "WindChill-F"}
            << QStringList{"2024-03-02", "14:05:09", "中文", "-.-", "10.764", "7416.000", "-.-"}
            << QByteArray("\xc8\xd5\xc6\xda,Time,Temp-F,wind-mph,Area-Ft,Volume-CFM,WindChill-F,\n"
                          "2024-03-02,14:05:09,\xd6\xd0\xce\xc4,-.-,10.764,7416.000,-.-,\n");
        QTest::newRow("comma in a cell is not quoted")
            << QByteArray("UTF-8") << kHeaders
            << QStringList{"2024-03-02", "14:05:09", "21,5", "3.500", "1.000", "210.000", "Hi"}
            << QByteArray("Date,Time,Temp-C,wind-ms,Area-Mm,Volume-CMM,WindChill-C,\n"
                          "2024-03-02,14:05:09,21,5,3.500,1.000,210.000,Hi,\n");
        QTest::newRow("empty cells keep their commas")
            << QByteArray("UTF-8") << kHeaders
            << QStringList{"", "", "", "", "", "", ""}
            << QByteArray("Date,Time,Temp-C,wind-ms,Area-Mm,Volume-CMM,WindChill-C,\n,,,,,,,\n");
    }

    void csvBytes()
    {
        QFETCH(QByteArray, codec);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, cells);
        QFETCH(QByteArray, expected);

        QTextCodec *localeCodec = QTextCodec::codecForName(codec);
        QVERIFY(localeCodec);
        QTextCodec::setCodecForLocale(localeCodec);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStandardItemModel model;
        fillModel(model, {cells});
        const QString path = dir.filePath("out.csv");
        QString error;
        QVERIFY2(writeCsv(path, headers, model, &error), qPrintable(error));
        QCOMPARE(readFileBytes(path), expected);
    }

    void csvOverwritesAnEarlierExport()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("out.csv");
        QStandardItemModel big;
        fillNumbered(big, 50);
        QVERIFY(writeCsv(path, kHeaders, big));
        QStandardItemModel small;
        fillNumbered(small, 1);
        QVERIFY(writeCsv(path, kHeaders, small));
        QCOMPARE(readFileBytes(path).count('\n'), 2);
    }

    // The path goes through the file-name codec, not the locale's (GBK here).
    void csvPathUsesTheFileNameCodec()
    {
        QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
        QTextCodec::setCodecForLocale(utf8);
        QTemporaryDir parent;
        QVERIFY(parent.isValid());
        const QString chosen = parent.filePath(QString::fromUtf8("导出"));
        QVERIFY(QDir().mkdir(chosen));
        const QString path = exportFilePath(chosen, kCsvPattern, exportStamp(exportInstant()));
        QStandardItemModel model;
        fillNumbered(model, 1);

        QTextCodec::setCodecForLocale(QTextCodec::codecForName("GBK"));
        QString error;
        const bool written = writeCsv(path, kHeaders, model, &error);
        QTextCodec::setCodecForLocale(utf8);
        QVERIFY2(written, qPrintable(error));
        QVERIFY(QFileInfo(path).isFile());
    }

    // A Chinese locale on a system that names files in UTF-8: the codec that
    // start-up picks for "zh_CN" must find the folder the user chose.
    void csvLandsInChineseFolderWithStartupCodec()
    {
        pFileNameCodec = fileNameCodecFor(QStringLiteral("zh_CN"));
        QTemporaryDir parent;
        QVERIFY(parent.isValid());
        const QString chosen = parent.filePath(QString::fromUtf8("风速导出"));
        QVERIFY(QDir().mkdir(chosen));
        const QString path = exportFilePath(chosen, kCsvPattern, exportStamp(exportInstant()));
        QStandardItemModel model;
        fillNumbered(model, 2);
        QString error;
        QVERIFY2(writeCsv(path, kHeaders, model, &error), qPrintable(error));
        QCOMPARE(QDir(chosen).entryList(QDir::Files),
                 QStringList{"TamskAnemometer_export_2024_03_02_14_05_09.csv"});
        QCOMPARE(readFileBytes(path).count('\n'), 3);
    }

    void fileLandsInTheDirectory_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("trailingSlash");
        QTest::addColumn<QString>("name");

        QTest::newRow("csv") << kCsvPattern << false
                             << "TamskAnemometer_export_2024_03_02_14_05_09.csv";
        QTest::newRow("csv, directory with trailing slash") << kCsvPattern << true
                             << "TamskAnemometer_export_2024_03_02_14_05_09.csv";
        QTest::newRow("pdf") << kPdfPattern << false
                             << "TamskAnemometer_export_2024_03_02_14_05_09.pdf";
        QTest::newRow("pdf, directory with trailing slash") << kPdfPattern << true
                             << "TamskAnemometer_export_2024_03_02_14_05_09.pdf";
    }

    void fileLandsInTheDirectory()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, trailingSlash);
        QFETCH(QString, name);

        QTemporaryDir parent;
        QVERIFY(parent.isValid());
        QVERIFY(QDir(parent.path()).mkdir("chosen"));
        const QString chosen = parent.filePath("chosen");

        const QString stamp = exportStamp(exportInstant());
        QCOMPARE(stamp, QString("2024_03_02_14_05_09"));
        const QString path = exportFilePath(chosen + (trailingSlash ? "/" : ""), pattern, stamp);
        QCOMPARE(QFileInfo(path).fileName(), name);

        QStandardItemModel model;
        fillNumbered(model, 2);
        QString error;
        if (name.endsWith(".csv"))
            QVERIFY2(writeCsv(path, kHeaders, model, &error), qPrintable(error));
        else
            QVERIFY2(writePdfReport(path, QImage(), kHeaders, model, 0, exportInstant(), &error),
                     qPrintable(error));

        QCOMPARE(QDir(chosen).entryList(QDir::Files), QStringList{name});
        QCOMPARE(QDir(parent.path()).entryList(QDir::Files), QStringList());
    }

    void csvFailureIsReported_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("reason");

        QTest::newRow("directory does not exist")
            << "/nonexistent-aq-export-dir/out.csv" << 1 << qt_error_string(ENOENT);
        if (QFileInfo("/dev/full").isWritable()) {
            QTest::newRow("full disk, caught on flush") << "/dev/full" << 1 << qt_error_string(ENOSPC);
            QTest::newRow("full disk, caught while writing") << "/dev/full" << 3000 << qt_error_string(ENOSPC);
        }
    }

    void csvFailureIsReported()
    {
        QFETCH(QString, target);
        QFETCH(int, rows);
        QFETCH(QString, reason);

        QStandardItemModel model;
        fillNumbered(model, rows);
        QString error;
        QVERIFY(!writeCsv(target, kHeaders, model, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY2(error.contains(target), qPrintable(error));
    }

    void pdfFailureIsReported_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");

        QTest::newRow("directory does not exist")
            << "/nonexistent-aq-export-dir/out.pdf" << "No such file or directory";
        if (QFileInfo("/dev/full").isWritable())
            QTest::newRow("full disk") << "/dev/full" << "";
    }

    void pdfFailureIsReported()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);

        QStandardItemModel model;
        fillNumbered(model, 40);
        QImage chart(200, 100, QImage::Format_RGB32);
        chart.fill(Qt::blue);
        if (!reason.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QString error;
        QVERIFY(!writePdfReport(target, chart, kHeaders, model, 0, exportInstant(), &error));
        QVERIFY2(error.contains(target), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(!QFileInfo::exists("/nonexistent-aq-export-dir"));
    }

    // A file-size limit stands in for a disk that fills up half-way through.
    void cutShortWriteIsReported_data()
    {
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<int>("rows");
        QTest::newRow("csv") << false << 500;
        QTest::newRow("pdf, cut in the trailer") << true << 1;
        QTest::newRow("pdf, cut between pages") << true << 500;
    }

    void cutShortWriteIsReported()
    {
        QFETCH(bool, pdf);
        QFETCH(int, rows);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStandardItemModel model;
        fillNumbered(model, rows);
        const QString path = dir.filePath(pdf ? "cut.pdf" : "cut.csv");

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        QString error;
        const bool written = pdf
            ? writePdfReport(path, QImage(), kHeaders, model, 0, exportInstant(), &error)
            : writeCsv(path, kHeaders, model, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(QFileInfo(path).size() <= 4096);
    }

    void pagination_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QVector<int>>("perPage");

        QTest::newRow("no rows, data page still there") << 0 << QVector<int>{0};
        QTest::newRow("one row") << 1 << QVector<int>{1};
        QTest::newRow("second page exactly full") << 32 << QVector<int>{32};
        QTest::newRow("one row spills over") << 33 << QVector<int>{32, 1};
        QTest::newRow("continuation page exactly full") << 67 << QVector<int>{32, 35};
        QTest::newRow("second continuation page") << 68 << QVector<int>{32, 35, 1};
        QTest::newRow("largest table") << 65535 << [] {
            QVector<int> pages{32};
            const int rest = 65535 - 32;
            pages.append(QVector<int>(rest / 35, 35));
            pages.append(rest % 35);
            return pages;
        }();
    }

    void pagination()
    {
        QFETCH(int, rows);
        QFETCH(QVector<int>, perPage);
        QCOMPARE(pdfRowsPerPage(rows, kPageHeight), perPage);
    }

    void rowTops()
    {
        PdfRowCursor cursor(kPageHeight);
        QVector<int> secondPage;
        while (!cursor.next())
            secondPage << cursor.top();
        QCOMPARE(secondPage.size(), 32);
        QCOMPARE(secondPage.first(), 130);
        QCOMPARE(secondPage.last(), 750);

        QCOMPARE(cursor.page(), 2);
        QVector<int> continuation{cursor.top()};
        while (!cursor.next())
            continuation << cursor.top();
        QCOMPARE(continuation.size(), 35);
        QCOMPARE(continuation.first(), 80);
        QCOMPARE(continuation.last(), 760);
        QCOMPARE(cursor.page(), 3);
        QCOMPARE(cursor.top(), 80);
    }

    void pdfThirtyThreeRows()
    {
        if (popplerMissing())
            QSKIP("pdfinfo/pdftotext (poppler-utils) not installed");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStandardItemModel model;
        fillNumbered(model, 33);
        QImage chart(800, 400, QImage::Format_RGB32);
        chart.fill(QColor(32, 32, 64));
        const QString path = dir.filePath("report.pdf");

        QTest::ignoreMessage(QtDebugMsg, "568-769");
        QString error;
        QVERIFY2(writePdfReport(path, chart, kHeaders, model, 0, exportInstant(), &error),
                 qPrintable(error));

        QCOMPARE(pdfPages(path), 3);
        const QVector<PdfWord> words = pdfWords(path);
        const QStringList page1 = pageTexts(words, 1);
        const QStringList page2 = pageTexts(words, 2);
        const QStringList page3 = pageTexts(words, 3);

        for (const QStringList &page : {page1, page2, page3}) {
            for (const char *word : {"Tamsk", "AQ7316", "Anemometer", "Created:"})
                QVERIFY2(page.contains(word), word);
        }
        QVERIFY(page1.contains("Trend"));
        QVERIFY(!page1.contains("Data"));
        QVERIFY(page2.contains("Data"));
        QVERIFY(page2.contains("Sheet"));
        QVERIFY(!page3.contains("Sheet"));
        for (const QString &heading : kHeaders) {
            QVERIFY2(page2.contains(heading), qPrintable(heading));
            QVERIFY2(page3.contains(heading), qPrintable(heading));
        }

        for (int row = 1; row <= 33; ++row) {
            for (int column = 0; column < 7; ++column) {
                const QString cell = QStringLiteral("%1.%2").arg(row).arg(column);
                const PdfWord *word = findWord(words, cell);
                QVERIFY2(word, qPrintable(cell));
                const int page = row <= 32 ? 2 : 3;
                const int top = row <= 32 ? 130 + (row - 1) * 20 : 80;
                QCOMPARE(word->page, page);
                // The glyph box starts a little below the rectangle's top.
                QVERIFY2(word->y > pointsY(top) - 1 && word->y < pointsY(top) + 6,
                         qPrintable(QStringLiteral("%1 at y %2").arg(cell).arg(word->y)));
            }
        }
        // Continuation headings sit on baseline 50, above the first row at 80.
        const PdfWord *heading3 = nullptr;
        for (const PdfWord &word : words) {
            if (word.page == 3 && word.text == "Date")
                heading3 = &word;
        }
        QVERIFY(heading3);
        QVERIFY(heading3->y < pointsY(50));
        QVERIFY(heading3->y > pointsY(30));
    }

    static ReportSummary summary()
    {
        ReportSummary s;
        s.heading = "Summary";
        s.columnHeadings = QStringList{"", "", "Min", "Max", "Mean", "Std dev"};
        s.rows = {
            {"Speed", "m/s", "0.800", "3.900", "2.417", "1.062"},
            {"Temperature", "du-C", "-4.5", "21.3", "12.2", "6.8"},
            {"Air flow", "CMM", "48.000", "234.000", "145.020", "63.720"},
        };
        s.facts = {{"Readings", "40"}, {"Duration", "0:00:19"},
                   {"First", "2024-03-02 14:04:50"}, {"Last", "2024-03-02 14:05:09"}};
        return s;
    }

    // The summary sits under the chart within the first page; the picture
    // keeps its place and size, and the data sheet is the same as without.
    void pdfSummaryUnderTheChart()
    {
        if (popplerMissing())
            QSKIP("pdftotext (poppler-utils) not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStandardItemModel model;
        fillNumbered(model, 40);
        QImage chart(800, 400, QImage::Format_RGB32);
        chart.fill(QColor(32, 32, 64));
        const QString plain = dir.filePath("plain.pdf");
        const QString summed = dir.filePath("summed.pdf");
        QString error;
        QVERIFY2(writePdfReport(plain, chart, kHeaders, model, 0, exportInstant(), &error), qPrintable(error));
        QVERIFY2(writePdfReport(summed, chart, kHeaders, model, 0, exportInstant(), summary(), &error),
                 qPrintable(error));

        QCOMPARE(pdfPages(summed), pdfPages(plain));
        const QString page1 = QString::fromUtf8(runTool("pdftotext", {"-f", "1", "-l", "1", "-layout", summed, "-"}));
        for (const char *text : {"Summary", "Min", "Max", "Mean", "Std dev", "0.800", "3.900", "2.417", "1.062",
                                 "-4.5", "21.3", "12.2", "6.8", "48.000", "234.000", "145.020", "63.720",
                                 "m/s", "du-C", "CMM", "Readings", "40", "0:00:19",
                                 "2024-03-02 14:04:50", "2024-03-02 14:05:09"})
            QVERIFY2(page1.contains(QLatin1String(text)), text);
        QVERIFY(!QString::fromUtf8(runTool("pdftotext", {"-f", "1", "-l", "1", plain, "-"})).contains("Summary"));
        // Every page after the first reads the same with and without.
        const QByteArray rest = runTool("pdftotext", {"-f", "2", "-layout", summed, "-"});
        QVERIFY(!rest.isEmpty());
        QCOMPARE(rest, runTool("pdftotext", {"-f", "2", "-layout", plain, "-"}));

        // The chart (568 units wide, 284 high from 90) ends above the summary,
        // and the summary's last line is still on the page.
        const QVector<PdfWord> words = pdfWords(summed);
        const PdfWord *band = findWord(words, "Summary");
        QVERIFY(band);
        QCOMPARE(band->page, 1);
        QVERIFY(band->y > pointsY(90 + 284 + 20));
        const PdfWord *last = findWord(words, "14:05:09");
        QVERIFY(last);
        QCOMPARE(last->page, 1);
        QVERIFY(last->y < pointsY(769));
    }

    void firstPageLayout_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("withSummary");
        QTest::addColumn<QRect>("chart");
        QTest::addColumn<int>("summaryTop");

        const int summaryHeight = summary().height();
        QTest::newRow("wide chart, no summary") << QSize(800, 400) << false << QRect(0, 90, 568, 284) << -1;
        QTest::newRow("wide chart, summary below it")
            << QSize(800, 400) << true << QRect(0, 90, 568, 284) << 90 + 284 + 20;
        QTest::newRow("tall chart, no summary: as it always was")
            << QSize(400, 800) << false << QRect(0, 90, 568, 1136) << -1;
        const int room = 769 - 90 - 20 - summaryHeight;
        QTest::newRow("tall chart made smaller for the summary")
            << QSize(400, 800) << true << QRect(0, 90, room / 2, room) << 90 + room + 20;
        QTest::newRow("no picture: summary where the chart would be")
            << QSize(0, 0) << true << QRect() << 90;
    }

    void firstPageLayout()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, withSummary);
        QFETCH(QRect, chart);
        QFETCH(int, summaryTop);
        const ReportSummary s = summary();
        const FirstPageLayout layout = ExportWriter::firstPageLayout(picture, 568, 769, withSummary ? &s : nullptr);
        QCOMPARE(layout.chart, chart);
        QCOMPARE(layout.summaryTop, summaryTop);
        if (withSummary)
            QVERIFY(layout.summaryTop + s.height() <= 769);
    }

    void pdfHeadingPositions_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("thirdHeadingX");
        QTest::addColumn<int>("sixthHeadingX");

        QTest::newRow("english") << 0 << 130 << 390;
        QTest::newRow("chinese") << 1 << 150 << 400;
        QTest::newRow("unknown language takes the second layout") << 7 << 150 << 400;
    }

    void pdfHeadingPositions()
    {
        QFETCH(int, language);
        QFETCH(int, thirdHeadingX);
        QFETCH(int, sixthHeadingX);

        QCOMPARE(headingX(language)[2], thirdHeadingX);
        QCOMPARE(headingX(language)[5], sixthHeadingX);
        QCOMPARE(cellRect(2, 130), QRect(160, 130, 80, 20));
        QCOMPARE(cellRect(5, 130), QRect(390, 130, 120, 20));

        if (popplerMissing())
            QSKIP("pdftotext (poppler-utils) not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStandardItemModel model;
        fillNumbered(model, 1);
        const QString path = dir.filePath("report.pdf");
        QString error;
        QVERIFY2(writePdfReport(path, QImage(), kHeaders, model, language, exportInstant(), &error),
                 qPrintable(error));
        QCOMPARE(pdfPages(path), 2);

        const QVector<PdfWord> words = pdfWords(path);
        const struct { QString text; int x; } expected[] = {
            {"Temp-C", thirdHeadingX}, {"Volume-CMM", sixthHeadingX},
            {"1.2", 160}, {"1.5", 390}};
        for (const auto &e : expected) {
            const PdfWord *word = findWord(words, e.text);
            QVERIFY2(word, qPrintable(e.text));
            QVERIFY2(qAbs(word->x - pointsX(e.x)) < 1.5,
                     qPrintable(QStringLiteral("%1 at x %2, expected %3")
                                    .arg(e.text).arg(word->x).arg(pointsX(e.x))));
        }
    }
};

QTEST_MAIN(Tst_ExportWriter)
#include "tst_exportwriter.moc"
