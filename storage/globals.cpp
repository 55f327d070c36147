#include "storage/globals.h"

QSettings *pSettings = nullptr;
SystemSetting *pSystemSetting = nullptr;
LogHelper *pLogHelper = nullptr;
QTextCodec *pFileNameCodec = nullptr;
SystemLogManager *pSystemLogManager = nullptr;
