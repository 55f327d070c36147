#pragma once

// Process-wide objects. Each is set once (start-up sets the first four, the
// main window the last) and lives until the process ends.

class QSettings;
class QTextCodec;
class SystemSetting;
class LogHelper;
class SystemLogManager;

extern QSettings *pSettings;
extern SystemSetting *pSystemSetting;
extern LogHelper *pLogHelper;
extern QTextCodec *pFileNameCodec;
extern SystemLogManager *pSystemLogManager;
