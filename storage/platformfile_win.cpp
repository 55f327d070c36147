#include "storage/platformfile.h"

#include <string>

#include <windows.h>

#include <QString>

namespace PlatformFile {

Handle openForAppendExclusive(const QString &path)
{
    const std::wstring name = path.toStdWString();
    // Share mode 0: nobody else may open the file while one entry is written.
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return InvalidHandle;
    ::SetFilePointer(h, 0, nullptr, FILE_END);
    return reinterpret_cast<Handle>(h);
}

void appendBytes(Handle file, const char *data, qint64 size)
{
    if (file == InvalidHandle)
        return;
    HANDLE h = reinterpret_cast<HANDLE>(file);
    while (size > 0) {
        const DWORD chunk = DWORD(qMin<qint64>(size, 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(h, data, chunk, &written, nullptr) || written == 0)
            return;
        data += written;
        size -= written;
    }
}

void closeFile(Handle file)
{
    if (file != InvalidHandle)
        ::CloseHandle(reinterpret_cast<HANDLE>(file));
}

} // namespace PlatformFile
