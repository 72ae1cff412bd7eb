#pragma once

#include <QString>
#include <QStringList>

// The read-me the help window shows: Readme.txt beside the program (a portable copy or a build),
// else the one an installed copy keeps in ../share/quorvel.
QString helpFilePath(const QString& programFolder);

// The file's lines, read in the system's 8-bit encoding; CR LF, CR and LF each end a line. A
// missing or unreadable file has none, and a read that fails part way keeps what came before.
QStringList readHelpFile(const QString& path);
