#pragma once

// The program from start to exit: single-instance guard, settings, runtime
// log, language, main window and event loop, and the restart of a fresh
// copy when the loop ends with kRestartCode. Returns the exit code.
int runLogger(int argc, char *argv[]);

constexpr int kRestartCode = 255;
