// Servers.ini: any bytes read as the file, and lists saved and read back.
#include "config/serverlistfile.h"
#include "fuzzcheck.h"

namespace {

QByteArray describe(const ServerEntries& entries) {
    QByteArray text;
    for (qsizetype index = 0; index < entries.size(); ++index)
        text += "[" + quoted(entries.at(index).host) + "|" + quoted(entries.at(index).port) + "] ";
    return text;
}

bool hasLineEnd(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

bool isTrimmed(const QString& text) {
    return !text.startsWith(u' ') && !text.endsWith(u' ');
}

// Whether the entries are such that the saved file must read back to them. A comma in a port
// is left out as well: the file would cut the entry there.
bool readsBackWhole(const ServerEntries& entries) {
    for (qsizetype index = 0; index < entries.size(); ++index) {
        const ServerEntry entry = entries.at(index);
        if (entry.host.contains(u',') || entry.host.contains(u':') || entry.host.startsWith(u'"') ||
            entry.port.contains(u',') || hasLineEnd(entry.host) || hasLineEnd(entry.port) ||
            !isTrimmed(entry.host) || !isTrimmed(entry.port))
            return false;
    }
    return entries.size() <= MaxServerEntries;
}

void checkReadsBack(const ServerEntries& entries) {
    const ServerEntries read = readServerList(serverListFileText(entries).toUtf8());
    FUZZ_CHECK(read == entries, "saved %s\n  read %s", describe(entries).data(),
               describe(read).data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Any bytes as the file.
    const ServerEntries fromFile =
        readServerList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    FUZZ_CHECK(fromFile.size() <= MaxServerEntries, "%lld entries", (long long)fromFile.size());
    for (qsizetype index = 0; index < fromFile.size(); ++index) {
        const ServerEntry entry = fromFile.at(index);
        FUZZ_CHECK(isTrimmed(entry.host) && isTrimmed(entry.port) && !hasLineEnd(entry.host) &&
                       !hasLineEnd(entry.port) && !entry.host.contains(u':'),
                   "read %s", describe(fromFile).data());
    }
    if (readsBackWhole(fromFile))
        checkReadsBack(fromFile);

    // A list built from the input, made to meet the conditions.
    FuzzInput input(data, size);
    ServerEntries built;
    const uint32_t count = input.below(12);
    for (uint32_t i = 0; i < count; ++i) {
        ServerEntry entry{input.text(12), input.text(8)};
        for (QString* field : {&entry.host, &entry.port}) {
            field->remove(u'\r').remove(u'\n');
            *field = trimSpaces(*field);
        }
        entry.host.remove(u',').remove(u':');
        entry.port.remove(u',');
        if (entry.host.startsWith(u'"'))
            entry.host.remove(0, 1);
        entry.host = trimSpaces(entry.host);
        built.append(entry);
    }
    if (readsBackWhole(built))
        checkReadsBack(built);
    return 0;
}
