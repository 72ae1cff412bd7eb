// A datagram read as the NTS reply to our request. The input is a flags byte (bit 0: expect the
// datagram's own origin timestamp and, bit 1, its first field's body as our Unique Identifier,
// so most inputs get past those checks), then the datagram. Without the server-to-client key no
// input may be taken as authenticated.
#include <QtEndian>

#include "engine/nts/ntsfields.h"
#include "engine/nts/ntspacket.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t flags = input.byte();
    const size_t used = std::min<size_t>(size, 1);
    const QByteArrayView datagram(reinterpret_cast<const char*>(data + used),
                                  qsizetype(size - used));
    const auto bytes = reinterpret_cast<const uchar*>(datagram.data());
    const quint64 origin =
        (flags & 1) && datagram.size() >= 32 ? qFromBigEndian<quint64>(bytes + 24) : 42;
    const auto fields = datagram.size() >= 48 ? NtsField::split(datagram.sliced(48)) : std::nullopt;
    const QByteArray uniqueId = (flags & 2) && fields && !fields->isEmpty()
                                    ? fields->first().body.toByteArray()
                                    : QByteArray(NtsUniqueIdSize, 'u');

    const NtsReply reply = readNtsReply(datagram, origin, uniqueId, QByteArray(32, 'k'));
    FUZZ_CHECK(reply.kind != NtsReplyKind::Authenticated, "forged reply authenticated");
    FUZZ_CHECK(reply.cookies.isEmpty(), "cookies from an unauthenticated reply");
    if (reply.kind == NtsReplyKind::NotAcknowledged)
        FUZZ_CHECK(bytes[1] == 0 && datagram.sliced(12, 4) == "NTSN" && fields,
                   "not a NAK: stratum %d", bytes[1]);
    for (const NtsField::Field& field : fields.value_or(QList<NtsField::Field>{}))
        FUZZ_CHECK(field.body.size() + NtsField::HeaderSize >= NtsField::MinSize &&
                       (field.body.size() + NtsField::HeaderSize) % 4 == 0 &&
                       field.body.data() + field.body.size() <= datagram.data() + datagram.size(),
                   "field of %lld bytes at %lld", qlonglong(field.body.size()),
                   qlonglong(field.offset));
    return 0;
}
