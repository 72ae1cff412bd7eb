#include "config/serverlistfile.h"

#include <QBuffer>
#include <QFile>

#include "common/eightbittext.h"
#include "config/fileencoding.h"
#include "config/serverfieldreader.h"

namespace {

const QString DefaultPort = QStringLiteral("1610");

ServerEntry entryOfField(const ServerFieldReader::Field& field, TextEncoding encoding) {
    const QString host = trimSpaces(decodeText(field.host.bytes, encoding));
    if (!field.port)
        return {host, DefaultPort};
    return {host, trimSpaces(decodeText(field.port->bytes, encoding))};
}

TextEncoding encodingOfPart(const ServerFieldReader::Part& part) {
    return encodingOf(part.bytes, part.cut ? TextEnd::Cut : TextEnd::Whole);
}

TextEncoding encodingOfField(const ServerFieldReader::Field& field) {
    if (encodingOfPart(field.host) == TextEncoding::Latin1)
        return TextEncoding::Latin1;
    return field.port ? encodingOfPart(*field.port) : TextEncoding::Utf8;
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

// Two passes over the fields that make entries: the first judges the encoding, the second reads
// the entries.
ServerEntries readServerList(QIODevice& device, TextEncoding* encoding) {
    const qint64 start = device.pos();
    TextEncoding found = TextEncoding::Utf8;
    {
        ServerFieldReader fields(device, MaxServerFieldBytes);
        for (int count = 0; count < MaxServerEntries && found == TextEncoding::Utf8; ++count) {
            const std::optional<ServerFieldReader::Field> field = fields.next();
            if (!field)
                break;
            found = encodingOfField(*field);
        }
    }
    if (encoding)
        *encoding = found;
    device.seek(start);
    // The entries' texts take about the bytes they are read from, and each entry at least one
    // byte but the last; memory reserved but never filled costs nothing until it is written.
    const qint64 bytes =
        std::min(device.size() - start, qint64(MaxServerEntries) * 2 * MaxServerFieldBytes);
    ServerEntries entries;
    entries.reserve(std::min(qint64(MaxServerEntries), bytes + 1), bytes);
    ServerFieldReader fields(device, MaxServerFieldBytes);
    while (entries.size() < MaxServerEntries) {
        const std::optional<ServerFieldReader::Field> field = fields.next();
        if (!field)
            break;
        entries.append(entryOfField(*field, found));
    }
    entries.squeeze();
    return entries;
}

QString serverListFileText(const ServerEntries& entries) {
    QString text;
    for (qsizetype index = 0; index < entries.size(); ++index) {
        const ServerEntry entry = entries.at(index);
        text += trimSpaces(entry.host) + u':' + trimSpaces(entry.port) + QStringLiteral("\r\n");
    }
    return text;
}

ServerEntries loadServerList(const QString& path, FileOpening* opening) {
    QFile file(path);
    const FileOpening opened = openRegularFile(file);
    if (opening)
        *opening = opened;
    if (opened != FileOpening::Opened)
        return {};
    TextEncoding encoding = TextEncoding::Utf8;
    ServerEntries entries = readServerList(file, &encoding);
    rememberEncoding(path, encoding);
    return entries;
}

SaveResult saveServerList(const QString& path, const ServerEntries& entries) {
    return saveDataFile(path, serverListFileText(entries));
}
