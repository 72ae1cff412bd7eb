#include "config/serverentries.h"

#include <cstring>

#include "common/eightbittext.h"

namespace {
QByteArrayView utf16Bytes(const QString& text) {
    return {reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(QChar))};
}

QString fromUtf16Bytes(QByteArrayView bytes) {
    // The bytes need not be aligned for QChar: copied, not cast.
    QString text(bytes.size() / qsizetype(sizeof(QChar)), Qt::Uninitialized);
    std::memcpy(text.data(), bytes.data(), size_t(bytes.size()));
    return text;
}
}  // namespace

ServerEntries::ServerEntries(std::initializer_list<ServerEntry> entries) {
    for (const ServerEntry& entry : entries)
        append(entry);
}

ServerEntries::ServerEntries(qsizetype count, const ServerEntry& entry) {
    for (qsizetype index = 0; index < count; ++index)
        append(entry);
}

ServerEntry ServerEntries::at(qsizetype index) const {
    const Span& span = spans_.at(index);
    const QByteArrayView host(text_.constData() + span.start, span.hostBytes);
    const QByteArrayView port(host.end(), span.portBytes);
    if (span.utf16)
        return {fromUtf16Bytes(host), fromUtf16Bytes(port)};
    return {QString::fromLatin1(host), QString::fromLatin1(port)};
}

void ServerEntries::insert(qsizetype index, const ServerEntry& entry) {
    spans_.insert(index, pack(entry));
}

void ServerEntries::replace(qsizetype index, const ServerEntry& entry) {
    const Span packed = pack(entry);
    forget(spans_.at(index));
    spans_[index] = packed;
    compact();
}

void ServerEntries::removeAt(qsizetype index) {
    forget(spans_.at(index));
    spans_.removeAt(index);
    compact();
}

void ServerEntries::truncate(qsizetype count) {
    if (count >= size())
        return;  // and a shared list stays shared
    for (qsizetype index = count; index < size(); ++index)
        forget(spans_.at(index));
    spans_.resize(count);
    compact();
}

void ServerEntries::clear() {
    text_.clear();
    spans_.clear();
    unusedBytes_ = 0;
}

void ServerEntries::reserve(qsizetype entries, qsizetype textBytes) {
    spans_.reserve(entries);
    text_.reserve(textBytes);
}

void ServerEntries::squeeze() {
    spans_.squeeze();
    text_.squeeze();
}

bool ServerEntries::operator==(const ServerEntries& other) const {
    if (size() != other.size())
        return false;
    for (qsizetype index = 0; index < size(); ++index) {
        if (!(at(index) == other.at(index)))
            return false;
    }
    return true;
}

ServerEntries::Span ServerEntries::pack(const ServerEntry& entry) {
    const bool utf16 = !fitsLatin1(entry.host) || !fitsLatin1(entry.port);
    const auto append = [this, utf16](const QString& text) {
        if (utf16)
            text_.append(utf16Bytes(text));
        else
            text_.append(text.toLatin1());
        return text_.size();
    };
    const qsizetype start = text_.size();
    const qsizetype hostEnd = append(entry.host);
    const qsizetype portEnd = append(entry.port);
    return {start, quint32(hostEnd - start), quint32(portEnd - hostEnd), utf16};
}

void ServerEntries::forget(const Span& span) {
    unusedBytes_ += qsizetype(span.hostBytes) + span.portBytes;
}

// Copies the texts still in use to a new buffer once the unused ones outweigh them, so that
// editing a list never lets it grow without bound and never copies it at every change.
void ServerEntries::compact() {
    if (unusedBytes_ <= text_.size() / 2)
        return;
    QByteArray packed;
    packed.reserve(text_.size() - unusedBytes_);
    for (Span& span : spans_) {
        const qsizetype bytes = qsizetype(span.hostBytes) + span.portBytes;
        const qsizetype start = packed.size();
        packed.append(text_.constData() + span.start, bytes);
        span.start = start;
    }
    text_ = packed;
    unusedBytes_ = 0;
}
