#pragma once

#include <QString>

struct CommandLine;

// The desktop program: main window and tray icon until the user closes it. Needs a
// QApplication; returns the exit status.
int runDesktop(const CommandLine& line, const QString& programFolder);
