#pragma once

class QString;
class QTextCodec;

// The codec that turns a path into the bytes the file system expects, for
// the export's C file calls. On Windows the 8-bit file calls take the ANSI
// code page: GBK for a "zh_CN" locale, UTF-8 for any other name, as always.
// Other systems do not name files in GBK because the locale is Chinese: there
// a file name is the bytes Qt's own file classes make of it
// (QFile::encodeName), so a folder picked in a Qt dialog is found again.
QTextCodec *fileNameCodecFor(const QString &localeName);
