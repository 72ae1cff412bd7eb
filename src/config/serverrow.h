#pragma once

#include <QString>

// One server: its host name or address and its TCP port, both as text.
struct ServerEntry {
    QString host;
    QString port;
    bool operator==(const ServerEntry&) const = default;
};

// A list holds at most this many servers, in memory and in its file.
constexpr int MaxServerEntries = 32767;

// The row that shows an entry: the host left-aligned in 40 columns, then the port left-aligned
// in 5, each filled with spaces. Texts are taken as they are; a longer text is kept whole.
QString formatServerRow(const QString& host, const QString& port);

// Removes leading and trailing spaces (spaces only: tabs stay).
QString trimSpaces(const QString& text);
