#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

#include "common/atomicsave.h"
#include "common/eightbittext.h"
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
// The same, read from a device line by line up to the last entry the list holds, so that a
// huge file costs little memory. A line keeps its first MaxServerLineBytes bytes; the rest of a
// longer one is passed over. The file's encoding is judged on the bytes read and given back.
ServerEntries readServerList(QIODevice& device, TextEncoding* encoding = nullptr);

// The longest line kept whole: a host name has at most 253 characters, so any real entry, and
// a few on one line, fit; and the 32,767 lines the list can hold stay within a few megabytes
// for any file of real lines.
constexpr qsizetype MaxServerLineBytes = 1024;

// The file as it is written; an empty list is an empty file.
QByteArray serverListFileBytes(const ServerEntries& entries,
                               TextEncoding encoding = TextEncoding::Utf8);

// A file that is missing or cannot be read gives an empty list. A save writes the encoding the
// file was loaded in.
ServerEntries loadServerList(const QString& path);
SaveResult saveServerList(const QString& path, const ServerEntries& entries);
