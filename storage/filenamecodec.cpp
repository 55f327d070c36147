#include "storage/filenamecodec.h"

#include <QFile>
#include <QString>
#include <QTextCodec>

namespace {

#ifndef Q_OS_WIN
// Encodes exactly like QFile does at the moment of use. That follows the
// codec for the locale that start-up installs after choosing this codec, so
// the bytes match those of the folder the user picked in the Qt dialog.
class QtFileNameCodec : public QTextCodec
{
public:
    QByteArray name() const override { return QByteArrayLiteral("x-aq-qt-file-names"); }
    // Private to the program: no registered MIB number may match it.
    int mibEnum() const override { return -7316; }

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *) const override
    {
        return QFile::decodeName(QByteArray(in, length));
    }
    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *) const override
    {
        return QFile::encodeName(QString(in, length));
    }
};
#endif

} // namespace

QTextCodec *fileNameCodecFor(const QString &localeName)
{
#ifdef Q_OS_WIN
    return QTextCodec::codecForName(localeName == QLatin1String("zh_CN") ? "GBK" : "UTF-8");
#else
    Q_UNUSED(localeName)
    // QTextCodec registers itself and Qt deletes it when the program ends.
    static QTextCodec *const codec = new QtFileNameCodec;
    return codec;
#endif
}
