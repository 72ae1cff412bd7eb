#pragma once

#include <QString>

class QFile;

// How opening a data file for reading went. A data file that is there but is no regular file
// once links are followed (a FIFO, a device, a folder, a socket) is neither read nor replaced.
enum class FileOpening { Opened, Missing, NotRegular, Failed };

// Opens the named file read-only if it is a regular file, without ever blocking: a FIFO with no
// writer or a device is seen for what it is on the opened descriptor, not on a name that may
// change in between.
FileOpening openRegularFile(QFile& file);

// Whether something other than a regular file is at the path, links followed.
bool isPresentButNotRegular(const QString& path);

// The activity log line for a data file that is not a regular file.
QString notRegularFileLine(const QString& path);
