#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

// What the user asked for on the command line.
struct CommandLine {
    bool once = false;
    bool dryRun = false;
    bool help = false;
    bool version = false;
    std::optional<QString> server;  // HOST[:PORT] for --once; none: the first server of the list
    QString dataDir;                // empty: the usual data folder
};

struct UsageError {
    QString problem;  // one line naming what is wrong
};

// Reads the arguments after the program name.
std::variant<CommandLine, UsageError> parseCommandLine(const QStringList& arguments);

QString usageText();
