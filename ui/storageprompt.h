#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;
class SystemLogManager;

// The window's side of an unusable history database: one question at start,
// whose answer is either to set the file aside and start a new one, or to go
// on without storing readings in this run.
class StoragePrompt
{
    Q_DECLARE_TR_FUNCTIONS(StoragePrompt)

public:
    enum Choice { SetAside, GoOnWithoutStoring };

    // Asks once, with the file's path and the reason it cannot be used.
    // Escape or closing the box means going on without storing, which leaves
    // the file untouched.
    static Choice askAboutBrokenDatabase(QWidget *parent, const QString &path, const QString &reason);

    // The whole exchange for the database the window just made: nothing when
    // it is usable; otherwise asks, then sets it aside or goes on without
    // storing. If setting aside fails, says why and goes on without storing.
    // True when records are stored from now on.
    static bool resolveBrokenDatabase(QWidget *parent, SystemLogManager &manager);
};
