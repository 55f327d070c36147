#pragma once

#include <QObject>
#include <QString>

#include "storage/platformfile.h"

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

    // Why entries cannot be written (the folder cannot be made, the folder or
    // the file is not writable), as a translated sentence; empty when they
    // can. Makes the folder when it is missing. A file that another process
    // holds just now is no problem: only that entry is lost.
    QString problem();
    // True once a problem was found, by problem() or by a lost entry. The
    // first one also went to the debug log; later ones are not repeated.
    bool hasProblem() const;

    QString logFilePath;

private:
    // Opens the file, making its folder first when it is missing.
    PlatformFile::Handle openFile();
    QString whyNotWritable() const;
    void reportOnce(const QString &reason);

    bool m_reported = false;
};
