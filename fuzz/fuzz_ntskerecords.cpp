// The key exchange's response read from a stream. The input is a byte that says where to cut
// the stream into pieces (its value + 1 bytes each), then the stream.
#include "engine/nts/ntskerecords.h"
#include "engine/nts/ntskeys.h"
#include "fuzzcheck.h"

namespace {
using State = NtsKeResponse::State;

void checkOutcome(const NtsKeResponse& response) {
    FUZZ_CHECK(response.state() != State::Reading, "still reading after the stream ended");
    FUZZ_CHECK(response.cookies().size() <= NtsKeys::MaxCookies, "%lld cookies kept",
               qlonglong(response.cookies().size()));
    for (const QByteArray& cookie : response.cookies())
        FUZZ_CHECK(!cookie.isEmpty() && cookie.size() <= NtsKeys::MaxCookieSize,
                   "a cookie of %lld bytes kept", qlonglong(cookie.size()));
    if (response.state() == State::Complete)
        FUZZ_CHECK(response.failure().isEmpty() && !response.cookies().isEmpty() &&
                       response.ntpPort() != 0,
                   "complete with failure %s", quoted(response.failure()).data());
    else
        FUZZ_CHECK(!response.failure().isEmpty() && response.cookies().isEmpty(),
                   "failed without a reason, or kept cookies");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const qsizetype piece = input.byte() + 1;
    const QByteArrayView stream(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 1),
                                qsizetype(size - std::min<size_t>(size, 1)));
    NtsKeResponse whole;
    whole.read(stream);
    whole.endOfStream();
    checkOutcome(whole);

    // However the stream is cut, it reads the same.
    NtsKeResponse cut;
    for (qsizetype at = 0; at < stream.size(); at += piece)
        cut.read(stream.sliced(at, std::min(piece, stream.size() - at)));
    cut.endOfStream();
    FUZZ_CHECK(cut.state() == whole.state() && cut.failure() == whole.failure() &&
                   cut.cookies() == whole.cookies() && cut.ntpServer() == whole.ntpServer() &&
                   cut.ntpPort() == whole.ntpPort(),
               "cut into %lld-byte pieces: %s, whole: %s", qlonglong(piece),
               quoted(cut.failure()).data(), quoted(whole.failure()).data());
    return 0;
}
