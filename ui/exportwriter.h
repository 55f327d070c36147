#pragma once

#include <array>

#include <QPair>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

class QAbstractItemModel;
class QDateTime;
class QImage;

// The two export formats of the record table: a CSV dump and an A4 PDF
// report. The main window asks the questions and shows the results; these
// functions only write files and say why when they could not.
namespace ExportWriter {

// Geometry of the PDF report in printer device units (1/76 inch), measured
// from the top-left corner of the area inside the page margins.
namespace PdfLayout {
inline constexpr int Resolution = 76;
inline constexpr double MarginLeftMm = 10;
inline constexpr double MarginTopMm = 20;
inline constexpr double MarginRightMm = 10;
inline constexpr double MarginBottomMm = 20;

inline constexpr int TitlePixelSize = 28;
inline constexpr int BodyPixelSize = 12;
inline constexpr int TitleX = 0;
inline constexpr int TitleBaseline = 0;
inline constexpr int CreatedX = 300;
inline constexpr int CreatedBaseline = 20;
inline constexpr int HeaderRuleY = 30;

inline constexpr int BandTop = 55;
inline constexpr int BandHeight = 20;
inline constexpr int SectionHeadingBaseline = 70;
inline constexpr int ChartTop = 90;

inline constexpr int FirstHeadingBaseline = 100;
inline constexpr int FirstRuleY = 110;
inline constexpr int FirstRowsStart = 110;     // y before the first row's step
inline constexpr int NextHeadingBaseline = 50;
inline constexpr int NextRuleY = 60;
inline constexpr int NextFirstTop = 80;
inline constexpr int RowStep = 20;
inline constexpr int RowHeight = 20;
inline constexpr int ClosingRuleGap = 30;

inline constexpr int Columns = 7;
inline constexpr std::array<int, Columns> HeadingXEnglish{0, 80, 130, 230, 300, 390, 480};
inline constexpr std::array<int, Columns> HeadingXOther{0, 80, 150, 230, 300, 400, 480};
// The third and fourth cells overlap by 10 units: the report's layout is fixed so.
inline constexpr std::array<int, Columns> CellLeft{0, 80, 160, 230, 300, 390, 510};
inline constexpr std::array<int, Columns> CellWidth{80, 80, 80, 70, 90, 120, 80};

// The summary under the chart on the first page: a band with its heading,
// a row of column headings, one row per quantity, then label-value facts
// two to a line.
inline constexpr int SummaryGap = 20;          // from the chart's bottom to the band
inline constexpr int SummaryHeadingOffset = 15; // band top to heading baseline
inline constexpr int SummaryRowStep = 16;
inline constexpr int SummaryColumns = 6;
inline constexpr std::array<int, SummaryColumns> SummaryColumnX{0, 110, 170, 250, 330, 410};
inline constexpr std::array<int, 2> SummaryFactLabelX{0, 250};
inline constexpr std::array<int, 2> SummaryFactValueX{110, 330};
} // namespace PdfLayout

// What the first page sums up under the chart, as finished texts.
struct ReportSummary
{
    QString heading;
    QStringList columnHeadings;                // up to SummaryColumns
    QVector<QStringList> rows;                 // cells under the column headings
    QVector<QPair<QString, QString>> facts;    // label and value, two to a line

    // Height from the band's top to the last line's bottom.
    int height() const;
};

// Where the chart picture and the summary go on the first page: the chart
// at full width as always; only when a summary would not fit below it is
// the picture drawn smaller (keeping its shape) to make room.
struct FirstPageLayout
{
    QRect chart;      // empty when there is no picture
    int summaryTop;   // top of the summary's band; -1 without a summary
};
FirstPageLayout firstPageLayout(const QSize &chart, int pageWidth, int pageHeight,
                                const ReportSummary *summary);

// Column heading x positions: language 0 has its own, every other value the second set.
const std::array<int, PdfLayout::Columns> &headingX(int language);
QRect cellRect(int column, int top);

// Walks the data-sheet rows of the report: the first row lands on the
// second page (the first data page), later rows flow onto continuation pages.
class PdfRowCursor
{
public:
    explicit PdfRowCursor(int pageHeight);

    // Moves to the next row; true when that row opens a continuation page.
    bool next();
    int top() const { return m_top; }
    // 1 is the first data page (the chart page is 0).
    int page() const { return m_page; }

private:
    int m_pageHeight;
    int m_top = PdfLayout::FirstRowsStart;
    int m_page = 1;
};

// Rows on each data page for rowCount rows on pages pageHeight units high;
// there is always at least the first data page, even for no rows.
QVector<int> pdfRowsPerPage(int rowCount, int pageHeight);

// "yyyy_MM_dd_hh_mm_ss" of the export instant.
QString exportStamp(const QDateTime &now);

// The chosen directory plus the (translated) file-name pattern with the stamp
// filled in. The CSV pattern's leading backslash is the Windows separator; on
// other systems it becomes "/" so that the file lands inside the directory.
QString exportFilePath(const QString &dir, const QString &pattern, const QString &stamp);

// The report's creation text: narrow date and time, English for language 0,
// Chinese for any other value.
QString pdfCreationText(const QDateTime &now, int language);

// Writes the header line and every row of model as comma-terminated fields in
// the locale's 8-bit encoding. On failure returns false and, if errorText is
// given, a readable reason.
bool writeCsv(const QString &path, const QStringList &headers, const QAbstractItemModel &model,
              QString *errorText = nullptr);

// Writes the A4 report: the chart page with the chart image, then the data
// sheet. On failure returns false and, if errorText is given, a readable reason.
bool writePdfReport(const QString &path, const QImage &chart, const QStringList &headers,
                    const QAbstractItemModel &model, int language, const QDateTime &now,
                    QString *errorText = nullptr);
// The same report with a summary under the chart on the first page; the
// data sheet and its pages are the same as without.
bool writePdfReport(const QString &path, const QImage &chart, const QStringList &headers,
                    const QAbstractItemModel &model, int language, const QDateTime &now,
                    const ReportSummary &summary, QString *errorText = nullptr);

} // namespace ExportWriter
