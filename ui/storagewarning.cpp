#include "ui/storagewarning.h"

#include <QHBoxLayout>
#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>

StorageWarning::StorageWarning(QStatusBar *bar)
    : QObject(bar)
    , m_box(new QWidget(bar))
{
    m_box->setObjectName(QStringLiteral("wStorageWarning"));
    auto *layout = new QHBoxLayout(m_box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *icon = new QLabel(m_box);
    icon->setObjectName(QStringLiteral("lbStorageWarningIcon"));
    const int side = icon->fontMetrics().height();
    icon->setPixmap(m_box->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
    layout->addWidget(icon);
    m_text = new QLabel(m_box);
    m_text->setObjectName(QStringLiteral("lbStorageWarning"));
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_text);
    m_box->hide();
    bar->addPermanentWidget(m_box);
}

void StorageWarning::storingWorked(bool worked)
{
    if (m_storingFails == !worked)
        return;
    m_storingFails = !worked;
    if (m_storingFails)
        qWarning().noquote() << "history database: readings are not being stored";
    refresh();
}

void StorageWarning::notStoringByChoice()
{
    m_notStoringByChoice = true;
    refresh();
}

void StorageWarning::archiveResult(const QString &failure)
{
    if (failure == m_archiveFailure)
        return;
    m_archiveFailure = failure;
    if (!failure.isEmpty())
        qWarning().noquote() << "history archive:" << failure;
    refresh();
}

void StorageWarning::addStartupProblem(const QString &problem)
{
    if (problem.isEmpty() || m_startupProblems.contains(problem))
        return;
    m_startupProblems << problem;
    qWarning().noquote() << "at start:" << problem;
    refresh();
}

void StorageWarning::reportAtStart(bool storing, const QString &settingsProblem, const QString &logProblem)
{
    if (!storing)
        notStoringByChoice();
    addStartupProblem(settingsProblem);
    addStartupProblem(logProblem);
}

void StorageWarning::refresh()
{
    QStringList lines;
    // While the user chose to go without the database every insert fails
    // too: one sentence says both.
    if (m_notStoringByChoice)
        lines << QCoreApplication::translate("StorageWarning", "Readings are NOT being stored in this run: you chose to go on without the history database");
    else if (m_storingFails)
        lines << QCoreApplication::translate("StorageWarning", "Readings are NOT being stored: the history database cannot be written");
    if (!m_archiveFailure.isEmpty())
        lines << m_archiveFailure;
    lines << m_startupProblems;

    if (lines.isEmpty()) {
        m_box->hide();
        m_text->clear();
        m_box->setToolTip(QString());
        return;
    }
    m_text->setText(lines.join(QStringLiteral("  |  ")));
    m_box->setToolTip(lines.join(QLatin1Char('\n')));
    m_box->show();
}
