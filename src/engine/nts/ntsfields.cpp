#include "engine/nts/ntsfields.h"

#include <QtEndian>

namespace NtsField {

QByteArray field(quint16 type, QByteArrayView body) {
    const qsizetype size = std::max(MinSize, (HeaderSize + body.size() + 3) / 4 * 4);
    QByteArray out(size, '\0');
    qToBigEndian(type, out.data());
    qToBigEndian(quint16(size), out.data() + 2);
    std::copy(body.begin(), body.end(), out.begin() + HeaderSize);
    return out;
}

std::optional<QList<Field>> split(QByteArrayView bytes) {
    QList<Field> fields;
    for (qsizetype at = 0; at < bytes.size();) {
        if (bytes.size() - at < MinSize)
            return {};
        const auto size = qsizetype(qFromBigEndian<quint16>(bytes.data() + at + 2));
        if (size < MinSize || size % 4 != 0 || size > bytes.size() - at)
            return {};
        fields.append({qFromBigEndian<quint16>(bytes.data() + at), at,
                       bytes.sliced(at + HeaderSize, size - HeaderSize)});
        at += size;
    }
    return fields;
}

}  // namespace NtsField
