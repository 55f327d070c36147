#pragma once

#include <QString>
#include <QStringList>

#include "simulator.h"

// Everything the command line sets: the instrument and how to reach it.
struct SimulatorOptions
{
    SimulatorConfig config;
    bool seedGiven = false;
    QString port;           // empty: open a pseudo-terminal
    int baud = 9600;        // used with port only
    QString link;           // symbolic link to the device path, if any
    bool verbose = false;
    int lineRate = 0;       // bytes per second sent at most; 0: as fast as the line takes them
    int unplugAfter = -1;   // drop the line after this many answers; -1: never
    double replugAfterS = -1.0;  // then a new line after this many seconds; < 0: never
};

enum class ParseResult { Run, Help, Error };

// args without the program name. On Error, *error says what was wrong.
ParseResult parseSimulatorArguments(const QStringList &args, SimulatorOptions *options,
                                    QString *error);

QString simulatorHelpText();

// Exit codes of aq7316-sim.
constexpr int kExitOk = 0;          // --help, or ended by SIGINT, SIGTERM or SIGHUP
constexpr int kExitFailure = 1;     // the line or the link could not be set up or was lost
constexpr int kExitUsage = 2;       // a bad option or option value
