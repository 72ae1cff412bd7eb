#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

#include "common/atomicsave.h"
#include "common/eightbittext.h"
#include "common/regularfile.h"
#include "config/serverentries.h"

// Servers.ini: one entry a line, host ":" port, CR LF after each.
QString serverListFilePath(const QString& dataFolder);

// The entries of the file, at most MaxServerEntries. Each line holds fields that end at a
// comma or at the line's end; a field split at its first colon gives host and port (trimmed of
// spaces), one without a colon is a host with port "1610". A blank line, or the empty field
// after a comma that ends a line, is an entry with an empty host. A field that begins with a
// double quote runs to the next one or to its line's end; what follows the closing quote up to
// the next comma is ignored. Nothing is checked: hosts and ports are taken as they stand.
ServerEntries readServerList(const QByteArray& fileBytes);
// The same, read from a device field by field up to the last entry the list holds, so that a
// huge file costs little memory. Every field of a line is read however long the line; a host or
// a port keeps its first MaxServerFieldBytes bytes and the rest of a longer one is passed over.
// The file's encoding is judged on the bytes kept and given back.
ServerEntries readServerList(QIODevice& device, TextEncoding* encoding = nullptr);

// The longest host or port kept whole: a host name has at most 253 characters, so any real
// entry fits; and the 32,767 entries the list can hold stay within a few tens of megabytes
// whatever the file.
constexpr qsizetype MaxServerFieldBytes = 1024;

// The file's text as it is written; an empty list is an empty file.
QString serverListFileText(const ServerEntries& entries);

// A file that is missing or cannot be read gives an empty list; so does one that is not a
// regular file, which is left alone (opening says which). A save writes the encoding the file
// was loaded in, unless the entries no longer fit it.
ServerEntries loadServerList(const QString& path, FileOpening* opening = nullptr);
SaveResult saveServerList(const QString& path, const ServerEntries& entries);
