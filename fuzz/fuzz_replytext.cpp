// The reply as the log shows it, and the query number read from a reply: any bytes a server sends.
#include "engine/replytext.h"
#include "fuzzcheck.h"

namespace {

// The bytes a shown text stands for (the escapes undone), up to any "... (n bytes)" suffix.
QByteArray unescaped(const QString& shown, qsizetype& end) {
    QByteArray bytes;
    qsizetype i = 0;
    while (i < shown.size() && !shown.mid(i).startsWith(QStringLiteral("... ("))) {
        const char c = char(shown[i].unicode());
        if (c != '\\') {
            bytes += c;
            ++i;
            continue;
        }
        const QChar kind = i + 1 < shown.size() ? shown[i + 1] : QChar();
        if (kind == u'x') {
            bytes += char(shown.mid(i + 2, 2).toInt(nullptr, 16));
            i += 4;
            continue;
        }
        bytes += kind == u'r' ? '\r' : kind == u'n' ? '\n' : kind == u't' ? '\t' : '\\';
        i += 2;
    }
    end = i;
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView reply(reinterpret_cast<const char*>(data), qsizetype(size));

    const QString shown = shownReplyText(reply);
    for (const QChar c : shown)
        FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() < 0x7F, "shown: %s", quoted(shown).data());
    const qsizetype kept = std::min<qsizetype>(reply.size(), 200);
    const QString suffix =
        reply.size() > 200 ? QStringLiteral("... (%1 bytes)").arg(reply.size()) : QString();
    FUZZ_CHECK(shown.size() <= 4 * kept + suffix.size(), "length %lld", (long long)shown.size());
    qsizetype end = 0;
    FUZZ_CHECK(unescaped(shown, end) == reply.first(kept), "shown: %s", quoted(shown).data());
    FUZZ_CHECK(shown.mid(end) == suffix, "shown: %s", quoted(shown).data());

    const int attempt = replyAttemptNumber(reply);
    FUZZ_CHECK(attempt >= -32768 && attempt <= 32767, "attempt %d", attempt);
    return 0;
}
