#pragma once

#include <QtGlobal>

class QString;

// The runtime log's file calls. A file opened here keeps every other writer
// out until it is closed again (share mode 0 on Windows, an exclusive lock
// elsewhere), so an entry is never interleaved with someone else's bytes.
namespace PlatformFile {

using Handle = qintptr;
constexpr Handle InvalidHandle = -1;

// Opens path for writing at its end, creating it when missing. Gives
// InvalidHandle when the file cannot be opened or another process holds it.
Handle openForAppendExclusive(const QString &path);

// Appends size bytes. A short or failed write is not reported.
void appendBytes(Handle file, const char *data, qint64 size);

void closeFile(Handle file);

} // namespace PlatformFile
