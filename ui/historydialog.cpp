#include "ui/historydialog.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/runningstats.h"
#include "storage/globals.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"

namespace {

// Spacing of downloaded readings on the time axis, as a download is shown.
const qint64 kDownloadSpacingMs = 500;

enum Column { ColKind, ColStart, ColDuration, ColReadings, ColMin, ColAvg, ColMax, ColumnCount };

QLocale numberLocale()
{
    return QLocale(pSystemSetting && pSystemSetting->language != 0 ? QLocale::Chinese : QLocale::English,
                   QLocale::AnyCountry);
}

QString count(qint64 n)
{
    return numberLocale().toString(n);
}

QString kindText(const RunArchive::Summary &run)
{
    if (run.kind == RunArchive::Kind::Recording) {
        return run.isCurrent ? QCoreApplication::translate("HistoryDialog", "Recording (current)")
                             : QCoreApplication::translate("HistoryDialog", "Recording");
    }
    return run.isCurrent ? QCoreApplication::translate("HistoryDialog", "Download (current)")
                         : QCoreApplication::translate("HistoryDialog", "Download");
}

QString durationText(const RunArchive::Summary &run)
{
    if (run.kind == RunArchive::Kind::Download)
        return QStringLiteral("-");
    const qint64 s = run.durationSecs();
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// "2024-3-7" or "09:05:07": three unsigned numbers split by sep.
bool splitNumbers(const QString &text, char16_t sep, int out[3])
{
    int field = 0;
    int value = 0;
    int digits = 0;
    for (const QChar c : text.trimmed()) {
        if (c.unicode() == sep) {
            if (digits == 0 || field == 2)
                return false;
            out[field++] = value;
            value = digits = 0;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9') && digits < 5) {
            value = value * 10 + (c.unicode() - '0');
            ++digits;
        } else {
            return false;
        }
    }
    if (digits == 0 || field != 2)
        return false;
    out[2] = value;
    return true;
}

double fileMiB()
{
    return pSystemLogManager ? QFileInfo(pSystemLogManager->databasePath()).size() / 1048576.0 : 0.0;
}

} // namespace

QVector<qint64> runChartTimes(const QList<PelnorXLogItem> &rows, const RunArchive::Summary &run)
{
    const int n = rows.size();
    QVector<qint64> times;
    times.reserve(n);
    if (run.kind == RunArchive::Kind::Download) {
        const QDateTime end = run.started.isValid()      ? run.started
                              : run.archivedAt.isValid() ? run.archivedAt
                                                         : QDateTime::currentDateTime();
        const qint64 endMs = end.toMSecsSinceEpoch();
        for (int i = 0; i < n; ++i)
            times.append(endMs - qint64(n - i) * kDownloadSpacingMs);
        return times;
    }
    // A reading whose text is no time (or is earlier than the one before,
    // the clock having been put back) sits half a poll after its predecessor.
    // The date and hour are converted once per change: a day's recording
    // holds 172,800 readings and a local-time conversion each would show.
    qint64 previous = run.started.isValid() ? run.started.toMSecsSinceEpoch() - kDownloadSpacingMs
                                            : QDateTime::currentMSecsSinceEpoch();
    QString hourKey;
    qint64 hourMs = -1;
    for (const PelnorXLogItem &r : rows) {
        int d[3], t[3];
        qint64 ms = -1;
        if (splitNumbers(r.date, u'-', d) && splitNumbers(r.time, u':', t) && t[1] < 60 && t[2] < 60) {
            const QString key = r.date + QLatin1Char(' ') + QString::number(t[0]);
            if (key != hourKey) {
                const QDate date(d[0], d[1], d[2]);
                const QTime hour(t[0], 0);
                hourKey = key;
                hourMs = date.isValid() && hour.isValid() ? QDateTime(date, hour).toMSecsSinceEpoch() : -1;
            }
            if (hourMs >= 0)
                ms = hourMs + (t[1] * 60 + t[2]) * 1000;
        }
        if (ms < 0 || ms < previous)
            ms = previous + kDownloadSpacingMs;
        times.append(ms);
        previous = ms;
    }
    return times;
}

QString runDescription(const RunArchive::Summary &run)
{
    const QString when = run.started.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const bool recording = run.kind == RunArchive::Kind::Recording;
    if (!run.started.isValid()) {
        return (recording ? QCoreApplication::translate("HistoryDialog", "recording of unknown date (%1 readings)")
                          : QCoreApplication::translate("HistoryDialog", "download of unknown date (%1 readings)"))
            .arg(count(run.readings));
    }
    return (recording ? QCoreApplication::translate("HistoryDialog", "recording of %1 (%2 readings)")
                      : QCoreApplication::translate("HistoryDialog", "download of %1 (%2 readings)"))
        .arg(when, count(run.readings));
}

QString shownRunMessage(const RunArchive::Summary &run)
{
    return QCoreApplication::translate("HistoryDialog", "Showing %1").arg(runDescription(run));
}

HistoryDialog::HistoryDialog(const UnitChoice &units, bool canOpen, QWidget *parent)
    : QDialog(parent)
    , m_units(units)
    , m_canOpen(canOpen)
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(tr("History"));
    resize(1020, 520);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("cbKind"));
    m_kind->addItem(tr("All"), int(RunArchive::KindFilter::Any));
    m_kind->addItem(tr("Recordings"), int(RunArchive::KindFilter::Recordings));
    m_kind->addItem(tr("Downloads"), int(RunArchive::KindFilter::Downloads));

    const QDate today = QDate::currentDate();
    auto dateEdit = [this](const char *name, const QDate &date) {
        auto *edit = new QDateEdit(date, this);
        edit->setObjectName(QLatin1String(name));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setEnabled(false);
        return edit;
    };
    m_fromOn = new QCheckBox(tr("From"), this);
    m_fromOn->setObjectName(QStringLiteral("cbFrom"));
    m_from = dateEdit("deFrom", today.addMonths(-1));
    m_toOn = new QCheckBox(tr("To"), this);
    m_toOn->setObjectName(QStringLiteral("cbTo"));
    m_to = dateEdit("deTo", today);

    auto *filter = new QHBoxLayout();
    filter->addWidget(new QLabel(tr("Show"), this));
    filter->addWidget(m_kind);
    filter->addSpacing(16);
    filter->addWidget(m_fromOn);
    filter->addWidget(m_from);
    filter->addWidget(m_toOn);
    filter->addWidget(m_to);
    filter->addStretch(1);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("twRuns"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    const QString speedUnit = panelWindLabel(units.wind);
    m_list->setHeaderLabels({tr("Kind"), tr("Start"), tr("Duration"), tr("Readings"),
                             tr("Min speed (%1)").arg(speedUnit), tr("Avg speed (%1)").arg(speedUnit),
                             tr("Max speed (%1)").arg(speedUnit)});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("lbInfo"));
    m_info->setWordWrap(true);

    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    m_open = button("pbOpen", tr("Open"));
    m_export = button("pbExport", tr("Export"));
    m_delete = button("pbDelete", tr("Delete"));
    m_compact = button("pbCompact", tr("Compact"));
    QPushButton *close = button("pbClose", tr("Close"));
    if (!canOpen) {
        const QString busy = tr("Stop the recording first: it is shown in the window.");
        m_open->setToolTip(busy);
        m_export->setToolTip(busy);
    }
    m_compact->setToolTip(tr("Give the space of deleted runs back to the disk."));

    auto *buttons = new QHBoxLayout();
    buttons->addWidget(m_open);
    buttons->addWidget(m_export);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(m_compact);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_info);
    layout->addLayout(buttons);

    connect(m_kind, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &HistoryDialog::reload);
    for (QCheckBox *on : {m_fromOn, m_toOn}) {
        connect(on, &QCheckBox::toggled, this, [this] {
            m_from->setEnabled(m_fromOn->isChecked());
            m_to->setEnabled(m_toOn->isChecked());
            reload();
        });
    }
    for (QDateEdit *edit : {m_from, m_to})
        connect(edit, &QDateEdit::dateChanged, this, &HistoryDialog::reload);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &HistoryDialog::updateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_open->isEnabled())
            choose(Choice::Open);
    });
    connect(m_open, &QPushButton::clicked, this, [this] { choose(Choice::Open); });
    connect(m_export, &QPushButton::clicked, this, [this] { choose(Choice::Export); });
    connect(m_delete, &QPushButton::clicked, this, &HistoryDialog::deleteSelected);
    connect(m_compact, &QPushButton::clicked, this, &HistoryDialog::compact);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    reload();
}

HistoryDialog::~HistoryDialog() = default;

void HistoryDialog::reload()
{
    RunArchive::Filter filter;
    filter.kinds = RunArchive::KindFilter(m_kind->currentData().toInt());
    if (m_fromOn->isChecked())
        filter.from = QDateTime(m_from->date(), QTime(0, 0));
    if (m_toOn->isChecked())
        filter.to = QDateTime(m_to->date(), QTime(23, 59, 59));

    RunArchive archive;
    QList<RunArchive::Summary> runs;
    m_list->clear();
    if (!archive.listRuns(filter, &runs)) {
        m_runs.clear();
        m_info->setText(tr("The history could not be read: %1").arg(archive.lastError()));
        updateButtons();
        return;
    }
    m_runs = runs;

    const double factor = windSpeedFactor(m_units.wind);
    auto speed = [factor](double ms) { return QString::number(ms * factor, 'f', 3); };
    QList<QTreeWidgetItem *> items;
    items.reserve(runs.size());
    for (int i = 0; i < runs.size(); ++i) {
        const RunArchive::Summary &r = runs.at(i);
        auto *item = new QTreeWidgetItem();
        item->setText(ColKind, kindText(r));
        item->setText(ColStart, r.started.isValid() ? r.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                                    : tr("unknown"));
        item->setText(ColDuration, durationText(r));
        item->setText(ColReadings, count(r.readings));
        item->setText(ColMin, speed(r.speedMin));
        item->setText(ColAvg, speed(r.speedAvg));
        item->setText(ColMax, speed(r.speedMax));
        for (int c = ColDuration; c < ColumnCount; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(ColKind, Qt::UserRole, i);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    if (runs.isEmpty())
        m_info->setText(tr("No recording or download is kept in the history yet."));
    updateButtons();
}

QList<RunArchive::Summary> HistoryDialog::selectedRuns() const
{
    QList<RunArchive::Summary> out;
    for (QTreeWidgetItem *item : m_list->selectedItems())
        out.append(m_runs.value(item->data(ColKind, Qt::UserRole).toInt()));
    return out;
}

void HistoryDialog::updateButtons()
{
    const QList<RunArchive::Summary> selected = selectedRuns();
    m_open->setEnabled(m_canOpen && selected.size() == 1);
    m_export->setEnabled(m_canOpen && selected.size() == 1);
    const bool anyArchived
        = std::any_of(selected.cbegin(), selected.cend(), [](const RunArchive::Summary &r) { return !r.isCurrent; });
    m_delete->setEnabled(anyArchived);
    m_delete->setToolTip(!selected.isEmpty() && !anyArchived
                             ? tr("The current recording and download are kept until the next one starts.")
                             : QString());
}

void HistoryDialog::choose(Choice choice)
{
    const QList<RunArchive::Summary> selected = selectedRuns();
    if (!m_canOpen || selected.size() != 1)
        return;
    m_choice = choice;
    m_chosen = selected.first();
    accept();
}

void HistoryDialog::deleteSelected()
{
    QList<qint64> ids;
    qint64 readings = 0;
    RunArchive::Summary one;
    for (const RunArchive::Summary &r : selectedRuns()) {
        if (r.isCurrent)
            continue;
        ids.append(r.id);
        readings += r.readings;
        one = r;
    }
    if (ids.isEmpty())
        return;
    const QString question = ids.size() == 1
        ? tr("Delete the %1 from the history? This cannot be undone.").arg(runDescription(one))
        : tr("Delete these %1 runs (%2 readings) from the history? This cannot be undone.")
              .arg(ids.size())
              .arg(count(readings));
    QMessageBox box(QMessageBox::Question, tr("Delete"), question, QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(tr("Delete"), QMessageBox::DestructiveRole);
    QPushButton *no = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.exec();
    if (box.clickedButton() != yes)
        return;

    RunArchive archive;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const qint64 freed = archive.deleteRuns(ids);
    QApplication::restoreOverrideCursor();
    if (freed < 0) {
        QMessageBox::warning(this, tr("Delete"), tr("Nothing was deleted: %1").arg(archive.lastError()),
                             QMessageBox::Ok);
        return;
    }
    m_deleted.append(ids);
    reload();
    m_info->setText(archive.lastDeleteVacuumed()
                        ? tr("%1 readings deleted; the history file was compacted to %2 MB.")
                              .arg(count(freed))
                              .arg(fileMiB(), 0, 'f', 1)
                        : tr("%1 readings deleted.").arg(count(freed)));
}

void HistoryDialog::compact()
{
    const double before = fileMiB();
    RunArchive archive;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = archive.vacuum();
    QApplication::restoreOverrideCursor();
    m_info->setText(ok ? tr("The history file was compacted from %1 MB to %2 MB.")
                             .arg(before, 0, 'f', 1)
                             .arg(fileMiB(), 0, 'f', 1)
                       : tr("The history file could not be compacted: %1").arg(archive.lastError()));
}
