#pragma once

#include <QObject>
#include <QString>

// The runtime log: one UTF-16LE line per entry, "yyyy-MM-dd hh:mm:ss " + text
// + CRLF, appended to a file that is closed again after every call.
class LogHelper : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(LogHelper)

public:
    explicit LogHelper(QObject *parent = nullptr);

    // Appends one entry. text is NUL-terminated; a null pointer is an empty text.
    void writeLog(const wchar_t *text);

    // Appends count entries of the same text, each with its own time stamp,
    // holding the file once for all of them. The bytes equal count calls of
    // writeLog.
    void writeLogRepeated(const QString &text, int count);

    QString logFilePath;
};
