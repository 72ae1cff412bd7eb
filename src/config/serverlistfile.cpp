#include "config/serverlistfile.h"

#include <QFile>

#include "common/eightbittext.h"

namespace {

const QString DefaultPort = QStringLiteral("1610");

ServerEntry entryOfField(const QString& field) {
    const qsizetype colon = field.indexOf(u':');
    if (colon < 0)
        return {trimSpaces(field), DefaultPort};
    return {trimSpaces(field.left(colon)), trimSpaces(field.mid(colon + 1))};
}

// The fields of one line; a line always holds at least one, if only an empty one.
QStringList fieldsOfLine(const QString& line) {
    QStringList fields;
    qsizetype pos = 0;
    while (true) {
        while (pos < line.size() && line[pos] == u' ')
            ++pos;
        qsizetype comma;
        if (pos < line.size() && line[pos] == u'"') {
            qsizetype closingQuote = line.indexOf(u'"', pos + 1);
            if (closingQuote < 0)
                closingQuote = line.size();
            fields.append(line.mid(pos + 1, closingQuote - pos - 1));
            comma = line.indexOf(u',', closingQuote);
        } else {
            comma = line.indexOf(u',', pos);
            fields.append(line.mid(pos, comma < 0 ? -1 : comma - pos));
        }
        if (comma < 0)
            return fields;
        pos = comma + 1;
    }
}

}  // namespace

QString serverListFilePath(const QString& dataFolder) {
    return dataFolder + QStringLiteral("/Servers.ini");
}

QList<ServerEntry> readServerList(const QByteArray& fileBytes) {
    QList<ServerEntry> entries;
    for (const QString& line : splitLines(decodeEightBit(fileBytes))) {
        for (const QString& field : fieldsOfLine(line)) {
            if (entries.size() == MaxServerEntries)
                return entries;
            entries.append(entryOfField(field));
        }
    }
    return entries;
}

QByteArray serverListFileBytes(const QList<ServerEntry>& entries) {
    QString text;
    for (const ServerEntry& entry : entries)
        text += trimSpaces(entry.host) + u':' + trimSpaces(entry.port) + QStringLiteral("\r\n");
    return encodeEightBit(text);
}

QList<ServerEntry> loadServerList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readServerList(file.readAll());
}

SaveResult saveServerList(const QString& path, const QList<ServerEntry>& entries) {
    return saveFileAtomically(path, serverListFileBytes(entries));
}
