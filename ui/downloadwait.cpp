#include "ui/downloadwait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWidget>

#include "ui/qprocessindicator.h"

DownloadWait::DownloadWait(QProcessIndicator *indicator, QWidget *window)
    : m_indicator(indicator), m_window(window)
{
}

DownloadWait::~DownloadWait()
{
    if (m_running)
        QCoreApplication::instance()->removeEventFilter(this);
}

void DownloadWait::run(int x, int y, QWidget *passThrough)
{
    m_passThrough = passThrough;
    QEventLoop loop;
    connect(m_indicator, &QDialog::finished, &loop, &QEventLoop::quit);
    QCoreApplication::instance()->installEventFilter(this);
    m_running = true;
    m_indicator->showModeless(x, y);
    loop.exec();
    m_running = false;
    QCoreApplication::instance()->removeEventFilter(this);
}

bool DownloadWait::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    QWidget *top = widget->window();
    if (top != m_window && top != m_indicator)
        return false;   // message boxes opened meanwhile answer as usual
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            emit cancelRequested();
            return true;
        }
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (m_passThrough && (widget == m_passThrough || m_passThrough->isAncestorOf(widget)))
            return false;
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    case QEvent::Close:
        // The indicator closes when the wait ends; the window stays.
        return widget == m_window;
    default:
        return false;
    }
}
