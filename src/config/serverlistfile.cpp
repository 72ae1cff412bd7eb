#include "config/serverlistfile.h"

#include <QBuffer>
#include <QFile>

#include "common/eightbittext.h"
#include "config/fileencoding.h"
#include "config/linereader.h"

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

ServerEntries readServerList(const QByteArray& fileBytes) {
    QBuffer buffer;
    buffer.setData(fileBytes);
    buffer.open(QIODevice::ReadOnly);
    return readServerList(buffer);
}

// Two passes over the lines that can hold entries (each line holds at least one): the first
// judges the encoding, the second reads the entries.
ServerEntries readServerList(QIODevice& device, TextEncoding* encoding) {
    const qint64 start = device.pos();
    TextEncoding found = TextEncoding::Utf8;
    {
        LineReader lines(device, MaxServerLineBytes);
        for (int count = 0; count < MaxServerEntries && found == TextEncoding::Utf8; ++count) {
            const std::optional<QByteArray> line = lines.next();
            if (!line)
                break;
            found = encodingOf(*line, lines.lastWasCut() ? TextEnd::Cut : TextEnd::Whole);
        }
    }
    if (encoding)
        *encoding = found;
    device.seek(start);
    // The entries' texts take at most the bytes they are read from, and each entry at least one
    // byte but the last; memory reserved but never filled costs nothing until it is written.
    const qint64 bytes =
        std::min(device.size() - start, qint64(MaxServerEntries) * MaxServerLineBytes);
    ServerEntries entries;
    entries.reserve(std::min(qint64(MaxServerEntries), bytes + 1), bytes);
    LineReader lines(device, MaxServerLineBytes);
    while (entries.size() < MaxServerEntries) {
        const std::optional<QByteArray> line = lines.next();
        if (!line)
            break;
        for (const QString& field : fieldsOfLine(decodeText(*line, found))) {
            if (entries.size() == MaxServerEntries)
                break;
            entries.append(entryOfField(field));
        }
    }
    entries.squeeze();
    return entries;
}

QByteArray serverListFileBytes(const ServerEntries& entries, TextEncoding encoding) {
    QString text;
    for (qsizetype index = 0; index < entries.size(); ++index) {
        const ServerEntry entry = entries.at(index);
        text += trimSpaces(entry.host) + u':' + trimSpaces(entry.port) + QStringLiteral("\r\n");
    }
    return encodeText(text, encoding);
}

ServerEntries loadServerList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    TextEncoding encoding = TextEncoding::Utf8;
    ServerEntries entries = readServerList(file, &encoding);
    rememberEncoding(path, encoding);
    return entries;
}

SaveResult saveServerList(const QString& path, const ServerEntries& entries) {
    return saveFileAtomically(path, serverListFileBytes(entries, rememberedEncoding(path)));
}
