// A datagram read as an NTP reply, and the sample and log numbers made from it. The input is a
// flags byte (bit 0: expect the datagram's own origin timestamp, so most inputs get past that
// check), the local send and receive instants T1 and T4 and an expected origin, 8 bytes each,
// then the datagram.
#include <QRegularExpression>
#include <QtEndian>

#include "engine/ntp/ntppacket.h"
#include "engine/ntp/ntpsample.h"
#include "engine/offsettext.h"
#include "fuzzcheck.h"

namespace {
constexpr qint64 Second = NtpTimestamp::NsPerSecond;
constexpr quint64 HalfEraNs = (quint64(1) << 31) * Second;

quint64 word(FuzzInput& input) {
    quint64 value = 0;
    for (int i = 0; i < 8; ++i)
        value = value << 8 | input.byte();
    return value;
}

// |a - b|, which qint64 cannot always hold.
quint64 distance(qint64 a, qint64 b) {
    return a > b ? quint64(a) - quint64(b) : quint64(b) - quint64(a);
}

void checkShown(qint64 ns) {
    const qint64 ms = roundedMilliseconds(ns);
    FUZZ_CHECK(distance(ms * 1000000, ns) <= 500000, "%lld ns rounded to %lld ms", qlonglong(ns),
               qlonglong(ms));
    const QString shown = shownOffsetSeconds(ns);
    static const QRegularExpression form(QStringLiteral("^[+-][0-9]+\\.[0-9]{3}$"));
    FUZZ_CHECK(form.match(shown).hasMatch() && QString(shown).remove(u'.').toLongLong() == ms,
               "%lld ns shown as %s", qlonglong(ns), qPrintable(shown));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const bool ownOrigin = input.byte() & 1;
    const auto t1 = qint64(word(input));
    const auto t4 = qint64(word(input));
    const quint64 origin = word(input);
    const size_t used = std::min<size_t>(size, 25);
    const QByteArrayView datagram(reinterpret_cast<const char*>(data + used),
                                  qsizetype(size - used));
    const auto bytes = reinterpret_cast<const uchar*>(datagram.data());
    const quint64 expected =
        ownOrigin && datagram.size() >= 32 ? qFromBigEndian<quint64>(bytes + 24) : origin;

    const NtpReply reply = readNtpReply(datagram, expected);
    const bool counts = datagram.size() >= 48 && (bytes[0] & 7) == 4 &&
                        qFromBigEndian<quint64>(bytes + 24) == expected;
    FUZZ_CHECK(counts == (reply.kind != NtpReplyKind::Dropped), "%lld bytes, first %02x",
               qlonglong(datagram.size()), datagram.isEmpty() ? 0 : bytes[0]);
    if (!counts)
        return 0;
    FUZZ_CHECK(reply.leap == bytes[0] >> 6 && reply.version == (bytes[0] >> 3 & 7) &&
                   reply.stratum == bytes[1],
               "first bytes %02x %02x", bytes[0], bytes[1]);
    FUZZ_CHECK(reply.received.bits() == qFromBigEndian<quint64>(bytes + 32) &&
                   reply.sent.bits() == qFromBigEndian<quint64>(bytes + 40),
               "timestamps read from the wrong place");
    const QByteArray id = datagram.sliced(12, 4).toByteArray();
    FUZZ_CHECK(reply.referenceId == id, "reference id %s", id.toPercentEncoding().data());
    static const QRegularExpression kissCode(QStringLiteral("^[A-Za-z]{4}$"));
    const bool refusal =
        kissCode.match(QString::fromLatin1(id)).hasMatch() && id != "INIT" && id != "STEP";
    const NtpReplyKind kind =
        bytes[1] == 0 ? (refusal ? NtpReplyKind::KissOfDeath : NtpReplyKind::NotSynchronised)
        : (bytes[0] >> 6 == 3 || bytes[1] >= 16) ? NtpReplyKind::NotSynchronised
                                                 : NtpReplyKind::Usable;
    FUZZ_CHECK(reply.kind == kind, "stratum %d, leap %d, id %s judged %d", bytes[1], bytes[0] >> 6,
               id.toPercentEncoding().data(), int(reply.kind));

    // T2 read in the era nearest T1 names the same timestamp, up to the nanosecond rounding
    // (2^-32 s units, 4.3 to a nanosecond), and lies within half an era of T1.
    const qint64 t2 = reply.received.toUnixNs(t1);
    const auto back = qint64(NtpTimestamp::fromUnixNs(t2).bits() - reply.received.bits());
    FUZZ_CHECK(back >= -2 && back <= 2, "T2 %llx read as %lld ns near %lld",
               qulonglong(reply.received.bits()), qlonglong(t2), qlonglong(t1));
    if (distance(t1, 0) < quint64(std::numeric_limits<qint64>::max()) - HalfEraNs - Second)
        FUZZ_CHECK(distance(t2, t1) <= HalfEraNs + Second, "T2 %lld ns far from T1 %lld ns",
                   qlonglong(t2), qlonglong(t1));

    const NtpSample sample = ntpSample(t1, reply.received, reply.sent, t4);
    FUZZ_CHECK(distance(sample.offsetNs, 0) <= HalfEraNs + Second &&
                   distance(sample.roundTripNs, 0) <= 2 * HalfEraNs + 2 * Second,
               "offset %lld ns, round trip %lld ns", qlonglong(sample.offsetNs),
               qlonglong(sample.roundTripNs));
    checkShown(sample.offsetNs);
    checkShown(sample.roundTripNs);
    return 0;
}
