#include "ui/exportwriter.h"

#include <cerrno>
#include <cstdio>

#include <QAbstractItemModel>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QTextCodec>
#include <QTextOption>

#include "storage/globals.h"
#include "ui/recordtablemodel.h"

namespace ExportWriter {

namespace {

// A cell's text as the table shows it. The readings table is asked
// directly: it makes a row's texts once and hands them out by column,
// without a QVariant per cell of a week's export.
class CellTexts
{
public:
    explicit CellTexts(const QAbstractItemModel &model)
        : m_model(model)
        , m_records(qobject_cast<const RecordTableModel *>(&model))
    {
    }

    QString operator()(int row, int column) const
    {
        return m_records ? m_records->text(row, column)
                         : m_model.data(m_model.index(row, column), Qt::DisplayRole).toString();
    }

private:
    const QAbstractItemModel &m_model;
    const RecordTableModel *m_records;
};

QString ioFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

bool fail(QString *errorText, const QString &text)
{
    if (errorText)
        *errorText = text;
    return false;
}

// QPrinter does not say why it could not open its file; opening it ourselves
// gives the system's reason.
QString pdfOpenFailure(const QString &path)
{
    QFile probe(path);
    const bool existed = probe.exists();
    if (!probe.open(QIODevice::WriteOnly))
        return ioFailure(path, probe.errorString());
    probe.close();
    if (!existed)
        probe.remove();
    return ioFailure(path, QStringLiteral("the PDF writer could not start"));
}

// A PDF that was cut short (full disk, vanished directory) lacks its trailer.
bool pdfComplete(const QString &path, QString *reason)
{
    QFile file(path);
    if (!file.exists()) {
        *reason = QStringLiteral("the file was not created");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size <= 0) {
        *reason = QStringLiteral("the file is empty");
        return false;
    }
    file.seek(qMax<qint64>(0, size - 64));
    if (!file.read(64).contains("%%EOF")) {
        *reason = QStringLiteral("the file is incomplete");
        return false;
    }
    return true;
}

QFont reportFont(int weight, int pixelSize)
{
    QFont font;
    font.setFamily(QString::fromUtf8("宋体"));
    font.setWeight(weight);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

const std::array<int, PdfLayout::Columns> &headingX(int language)
{
    return language == 0 ? PdfLayout::HeadingXEnglish : PdfLayout::HeadingXOther;
}

QRect cellRect(int column, int top)
{
    return QRect(PdfLayout::CellLeft.at(column), top, PdfLayout::CellWidth.at(column),
                 PdfLayout::RowHeight);
}

PdfRowCursor::PdfRowCursor(int pageHeight)
    : m_pageHeight(pageHeight)
{
}

bool PdfRowCursor::next()
{
    m_top += PdfLayout::RowStep;
    if (m_top <= m_pageHeight)
        return false;
    m_top = PdfLayout::NextFirstTop;
    ++m_page;
    return true;
}

QVector<int> pdfRowsPerPage(int rowCount, int pageHeight)
{
    QVector<int> pages{0};
    PdfRowCursor cursor(pageHeight);
    for (int row = 0; row < rowCount; ++row) {
        if (cursor.next())
            pages.append(0);
        ++pages.last();
    }
    return pages;
}

QString exportStamp(const QDateTime &now)
{
    return now.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
}

QString exportFilePath(const QString &dir, const QString &pattern, const QString &stamp)
{
    QString name = pattern.arg(stamp);
#ifndef Q_OS_WIN
    if (name.startsWith(QLatin1Char('\\')))
        name[0] = QLatin1Char('/');
#endif
    return QDir::cleanPath(dir + name);
}

QString pdfCreationText(const QDateTime &now, int language)
{
    const QLocale locale(language == 0 ? QLocale::English : QLocale::Chinese, QLocale::AnyCountry);
    return locale.toString(now, QLocale::NarrowFormat);
}

bool writeCsv(const QString &path, const QStringList &headers, const QAbstractItemModel &model,
              QString *errorText)
{
    const QByteArray nativeName = pFileNameCodec ? pFileNameCodec->fromUnicode(path)
                                                 : path.toLocal8Bit();
    std::FILE *file = std::fopen(nativeName.constData(), "w+");
    if (!file) {
        const int openError = errno;
        return fail(errorText, ioFailure(path, qt_error_string(openError)));
    }

    int error = 0;
    auto put = [&](const QByteArray &bytes) {
        if (error)
            return;
        const size_t size = size_t(bytes.size());
        if (std::fwrite(bytes.constData(), 1, size, file) != size)
            error = errno ? errno : EIO;
    };
    auto putField = [&](const QString &text) {
        QByteArray field = text.toLocal8Bit();
        field.append(',');
        put(field);
    };

    for (const QString &label : headers)
        putField(label);
    put(QByteArrayLiteral("\n"));

    // A line is gathered, encoded and written at once: a week of readings
    // is 1.2 million lines.
    const int rows = model.rowCount();
    const int columns = model.columnCount();
    const CellTexts cell(model);
    QString line;
    line.reserve(128);
    for (int row = 0; row < rows && !error; ++row) {
        line.resize(0); // keeps the capacity
        for (int column = 0; column < columns; ++column) {
            line += cell(row, column);
            line += QLatin1Char(',');
        }
        line += QLatin1Char('\n');
        put(line.toLocal8Bit());
    }

    // Most write errors (a full disk) only show when the buffer is flushed.
    if (!error && std::fflush(file) != 0)
        error = errno ? errno : EIO;
    if (std::fclose(file) != 0 && !error)
        error = errno ? errno : EIO;
    if (error)
        return fail(errorText, ioFailure(path, qt_error_string(error)));
    return true;
}

int ReportSummary::height() const
{
    using namespace PdfLayout;
    const int lines = (columnHeadings.isEmpty() ? 0 : 1) + rows.size() + (facts.size() + 1) / 2;
    // The last baseline plus room for the descenders.
    return BandHeight + lines * SummaryRowStep + BodyPixelSize / 2;
}

FirstPageLayout firstPageLayout(const QSize &chart, int pageWidth, int pageHeight,
                                const ReportSummary *summary)
{
    using namespace PdfLayout;
    FirstPageLayout layout{QRect(), -1};
    if (chart.width() > 0) {
        const double shape = double(chart.height()) / chart.width();
        layout.chart = QRect(0, ChartTop, pageWidth, int(pageWidth * shape));
        if (summary) {
            const int room = pageHeight - ChartTop - SummaryGap - summary->height();
            if (layout.chart.height() > room && shape > 0) {
                const int height = qMax(room, 0);
                layout.chart = QRect(0, ChartTop, int(height / shape), height);
            }
        }
    }
    if (summary)
        layout.summaryTop = layout.chart.isNull() ? ChartTop : layout.chart.bottom() + 1 + SummaryGap;
    return layout;
}

namespace {

bool writeReport(const QString &path, const QImage &chart, const QStringList &headers,
                 const QAbstractItemModel &model, int language, const QDateTime &now,
                 const ReportSummary *summary, QString *errorText)
{
    using namespace PdfLayout;

    const QString created = pdfCreationText(now, language);
    qDebug().noquote() << created;

    QPrinter printer(QPrinter::PrinterResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(MarginLeftMm, MarginTopMm, MarginRightMm, MarginBottomMm),
                           QPageLayout::Millimeter);
    printer.setResolution(Resolution);
    const int width = printer.width();
    const int height = printer.height();
    qDebug("%d-%d", width, height);

    QPainter painter;
    if (!painter.begin(&printer))
        return fail(errorText, pdfOpenFailure(path));

    const QFont titleFont = reportFont(75, TitlePixelSize);
    const QFont bodyFont = reportFont(50, BodyPixelSize);
    const QFont stampFont = reportFont(50, BodyPixelSize);
    const QPen titlePen(QColor(Qt::green));
    const QPen bodyPen(QColor(Qt::black));
    const QPen stampPen(QColor(Qt::black));
    const QPen bandPen(QColor(Qt::white));
    const QBrush bandBrush(QColor(230, 230, 230, 255), Qt::SolidPattern);
    const auto &xs = headingX(language);
    const int headingCount = qMin(Columns, headers.size());

    auto pageHeader = [&] {
        painter.setFont(titleFont);
        painter.setPen(titlePen);
        painter.drawText(TitleX, TitleBaseline, QStringLiteral("Tamsk AQ7316 Anemometer"));
        painter.setFont(stampFont);
        painter.setPen(stampPen);
        painter.drawText(CreatedX, CreatedBaseline, QStringLiteral("Created: ") + created);
        painter.drawLine(0, HeaderRuleY, width, HeaderRuleY);
    };
    auto sectionBand = [&](const QString &heading) {
        painter.setPen(bandPen);
        painter.setBrush(bandBrush);
        painter.drawRect(0, BandTop, width, BandHeight);
        painter.setFont(bodyFont);
        painter.setPen(bodyPen);
        painter.drawText(0, SectionHeadingBaseline, heading);
    };
    auto columnHeadings = [&](int baseline, int ruleY) {
        painter.setFont(bodyFont);
        painter.setPen(bodyPen);
        for (int i = 0; i < headingCount; ++i)
            painter.drawText(xs[size_t(i)], baseline, headers.at(i));
        painter.drawLine(0, ruleY, width, ruleY);
    };
    // The PDF engine refuses a new page once writing to its file has failed.
    auto abandon = [&](const QString &reason) {
        painter.end();
        return fail(errorText, ioFailure(path, reason));
    };

    pageHeader();
    sectionBand(QStringLiteral("Trend Chart"));
    const FirstPageLayout first = firstPageLayout(chart.size(), width, height, summary);
    if (chart.width() > 0)
        painter.drawImage(first.chart, chart);
    if (summary) {
        const int top = first.summaryTop;
        painter.setPen(bandPen);
        painter.setBrush(bandBrush);
        painter.drawRect(0, top, width, BandHeight);
        painter.setFont(bodyFont);
        painter.setPen(bodyPen);
        painter.drawText(0, top + SummaryHeadingOffset, summary->heading);
        int baseline = top + BandHeight;
        auto line = [&](const QStringList &cells) {
            baseline += SummaryRowStep;
            for (int i = 0; i < qMin(SummaryColumns, cells.size()); ++i)
                painter.drawText(SummaryColumnX[size_t(i)], baseline, cells.at(i));
        };
        if (!summary->columnHeadings.isEmpty())
            line(summary->columnHeadings);
        for (const QStringList &row : summary->rows)
            line(row);
        for (int i = 0; i < summary->facts.size(); ++i) {
            const size_t side = size_t(i % 2);
            if (side == 0)
                baseline += SummaryRowStep;
            painter.drawText(SummaryFactLabelX[side], baseline, summary->facts.at(i).first);
            painter.drawText(SummaryFactValueX[side], baseline, summary->facts.at(i).second);
        }
    }

    if (!printer.newPage())
        return abandon(QStringLiteral("writing the file failed"));
    pageHeader();
    sectionBand(QStringLiteral("Data Sheet"));
    columnHeadings(FirstHeadingBaseline, FirstRuleY);

    const int rows = model.rowCount();
    const int cells = qMin(Columns, model.columnCount());
    const CellTexts cell(model);
    const QTextOption cellOption;
    PdfRowCursor cursor(height);
    for (int row = 0; row < rows; ++row) {
        if (cursor.next()) {
            if (!printer.newPage())
                return abandon(QStringLiteral("writing the file failed"));
            pageHeader();
            columnHeadings(NextHeadingBaseline, NextRuleY);
        }
        for (int column = 0; column < cells; ++column)
            painter.drawText(QRectF(cellRect(column, cursor.top())), cell(row, column), cellOption);
    }
    painter.setPen(bodyPen);
    painter.drawLine(0, cursor.top() + ClosingRuleGap, width, cursor.top() + ClosingRuleGap);

    painter.end();
    QString reason;
    if (!pdfComplete(path, &reason))
        return fail(errorText, ioFailure(path, reason));
    return true;
}

} // namespace

bool writePdfReport(const QString &path, const QImage &chart, const QStringList &headers,
                    const QAbstractItemModel &model, int language, const QDateTime &now,
                    QString *errorText)
{
    return writeReport(path, chart, headers, model, language, now, nullptr, errorText);
}

bool writePdfReport(const QString &path, const QImage &chart, const QStringList &headers,
                    const QAbstractItemModel &model, int language, const QDateTime &now,
                    const ReportSummary &summary, QString *errorText)
{
    return writeReport(path, chart, headers, model, language, now, &summary, errorText);
}

} // namespace ExportWriter
