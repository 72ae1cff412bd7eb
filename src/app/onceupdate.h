#pragma once

#include <QString>

struct CommandLine;

// One update run without any window: reads the options and the server list, logs each line to
// standard output as it happens, runs the update as the Update Clock button would, and returns
// the exit status: 0 when the clock was set (or, in a dry run, would have been), 1 otherwise.
// Writes no file.
int runOnceUpdate(const CommandLine& line, const QString& programFolder);
