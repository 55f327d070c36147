#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The whole file as bytes; empty when it cannot be read.
inline QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}
