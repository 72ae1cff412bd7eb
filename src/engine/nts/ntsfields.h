#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

// NTP extension fields (RFC 7822) as NTS uses them: a 16-bit type, a 16-bit length that counts
// the 4-byte header, is a multiple of 4 and at least 16, then the body (zero-padded).
namespace NtsField {
enum Type : quint16 {
    UniqueIdentifier = 0x0104,
    Cookie = 0x0204,
    CookiePlaceholder = 0x0304,
    Authenticator = 0x0404,
};
constexpr qsizetype HeaderSize = 4;
constexpr qsizetype MinSize = 16;

struct Field {
    quint16 type = 0;
    qsizetype offset = 0;  // where the field starts in the bytes split
    QByteArrayView body;   // with its padding
};

// The field of this type around body, padded to a multiple of 4 and to MinSize.
QByteArray field(quint16 type, QByteArrayView body);
// The bytes cut into fields; empty when any length is out of bounds or the last is cut short.
std::optional<QList<Field>> split(QByteArrayView bytes);
}  // namespace NtsField
