#pragma once

// How storage tells the user of a failure: storage has no windows, so the
// layer that has (ui/messageboxnotice.h) installs a presenter. The texts are
// source texts in the context "QObject". Without a presenter the notice
// goes to the debug log.
using FailureNotice = void (*)(const char *titleSource, const char *textSource);

void setFailureNotice(FailureNotice notice);
// Shows the notice and returns once the user has seen it.
void noticeFailure(const char *titleSource, const char *textSource);
