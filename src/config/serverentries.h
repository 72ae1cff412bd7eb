#pragma once

#include <QByteArray>
#include <QList>
#include <initializer_list>

#include "config/serverrow.h"

// An ordered list of server entries, packed: the texts of all entries stand back to back in one
// buffer, each entry in Latin-1 (one byte a character) when all its characters have a Latin-1
// form and as the string's own UTF-16 otherwise, so that every text comes back exactly. A full list
// of 32,767 entries then costs about its characters and sixteen bytes an entry, where two strings
// an entry would cost several times as much.
class ServerEntries {
public:
    ServerEntries() = default;
    ServerEntries(std::initializer_list<ServerEntry> entries);
    ServerEntries(qsizetype count, const ServerEntry& entry);

    qsizetype size() const { return spans_.size(); }
    bool isEmpty() const { return spans_.isEmpty(); }
    // Indexes must lie within the list, as for QList.
    ServerEntry at(qsizetype index) const;

    void append(const ServerEntry& entry) { insert(size(), entry); }
    void insert(qsizetype index, const ServerEntry& entry);
    void replace(qsizetype index, const ServerEntry& entry);
    void removeAt(qsizetype index);
    // Keeps the first `count` entries.
    void truncate(qsizetype count);
    void clear();
    // Room for this many entries and bytes of text, so that a list read whole is never copied
    // as it grows; squeeze() gives back what was not used.
    void reserve(qsizetype entries, qsizetype textBytes);
    void squeeze();

    bool operator==(const ServerEntries& other) const;

private:
    struct Span {
        qsizetype start;
        quint32 hostBytes;
        quint32 portBytes : 31;
        quint32 utf16 : 1;
    };

    Span pack(const ServerEntry& entry);
    void forget(const Span& span);
    void compact();

    QByteArray text_;
    QList<Span> spans_;
    // Bytes of text_ that no entry uses any more: replaced and removed entries leave them behind
    // until they outweigh the rest.
    qsizetype unusedBytes_ = 0;
};
