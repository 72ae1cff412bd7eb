#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QtEndian>

// The extension fields of NTP packets on the wire (RFC 7822) as NTS uses them (RFC 8915), read
// by the rules themselves, so tests can look into what a client sends and a server answers.
namespace OnWire {
enum FieldType : quint16 {
    UniqueIdentifier = 0x0104,
    Cookie = 0x0204,
    CookiePlaceholder = 0x0304,
    Authenticator = 0x0404,
};
constexpr qsizetype HeaderSize = 48;

struct Field {
    quint16 type;
    qsizetype bodyAt;  // where its body begins in the packet
    QByteArray body;
};

// The fields after the 48-byte header, up to the first that does not fit.
inline QList<Field> fields(const QByteArray& packet) {
    QList<Field> found;
    for (qsizetype at = HeaderSize; at + 4 <= packet.size();) {
        const quint16 length = qFromBigEndian<quint16>(packet.constData() + at + 2);
        if (length < 4 || at + length > packet.size())
            break;
        found.append({qFromBigEndian<quint16>(packet.constData() + at), at + 4,
                      packet.mid(at + 4, length - 4)});
        at += length;
    }
    return found;
}

inline QList<QByteArray> bodies(const QByteArray& packet, quint16 type) {
    QList<QByteArray> found;
    for (const Field& field : fields(packet))
        if (field.type == type)
            found.append(field.body);
    return found;
}

// Each packet carries exactly one field of the type, and no two the same body.
inline bool eachOnceOnly(const QList<QByteArray>& packets, quint16 type) {
    QSet<QByteArray> seen;
    for (const QByteArray& packet : packets) {
        const QList<QByteArray> found = bodies(packet, type);
        if (found.size() != 1 || seen.contains(found.first()))
            return false;
        seen.insert(found.first());
    }
    return true;
}

inline QByteArray field(quint16 type, const QByteArray& body) {
    QByteArray bytes(4, '\0');
    qToBigEndian<quint16>(type, bytes.data());
    qToBigEndian<quint16>(quint16(4 + body.size()), bytes.data() + 2);
    return bytes + body;
}
}  // namespace OnWire
