#include "storage/failurenotice.h"

#include <QDebug>

namespace {
FailureNotice g_notice = nullptr;
}

void setFailureNotice(FailureNotice notice)
{
    g_notice = notice;
}

void noticeFailure(const char *titleSource, const char *textSource)
{
    if (g_notice)
        g_notice(titleSource, textSource);
    else
        qWarning().noquote() << titleSource << textSource;
}
