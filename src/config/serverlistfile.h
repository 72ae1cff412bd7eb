#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "common/atomicsave.h"
#include "config/serverrow.h"

// Servers.ini: one entry a line, host ":" port, CR LF after each.
QString serverListFilePath(const QString& dataFolder);

// The entries of the file, at most MaxServerEntries. Each line holds fields that end at a
// comma or at the line's end; a field split at its first colon gives host and port (trimmed of
// spaces), one without a colon is a host with port "1610". A blank line, or the empty field
// after a comma that ends a line, is an entry with an empty host. A field that begins with a
// double quote runs to the next one or to its line's end; what follows the closing quote up to
// the next comma is ignored. Nothing is checked: hosts and ports are taken as they stand.
QList<ServerEntry> readServerList(const QByteArray& fileBytes);

// The file as it is written; an empty list is an empty file.
QByteArray serverListFileBytes(const QList<ServerEntry>& entries);

// A file that is missing or cannot be read gives an empty list.
QList<ServerEntry> loadServerList(const QString& path);
SaveResult saveServerList(const QString& path, const QList<ServerEntry>& entries);
