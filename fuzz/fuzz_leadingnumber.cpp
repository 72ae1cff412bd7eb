// The leading number of any text, its rounding and its digits.
#include <QRegularExpression>
#include <cmath>

#include "common/leadingnumber.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const double number = leadingNumber(text);
    FUZZ_CHECK(std::isfinite(number), "%s gives %g", quoted(text).data(), number);

    const double rounded = roundHalfEven(number);
    FUZZ_CHECK(std::isfinite(rounded) && rounded == std::trunc(rounded) &&
                   std::fabs(rounded - number) <= 0.5,
               "%.17g rounds to %.17g", number, rounded);
    if (std::fabs(rounded - number) == 0.5)
        FUZZ_CHECK(std::fmod(rounded, 2) == 0, "%.17g rounds to %.17g", number, rounded);

    static const QRegularExpression plain(QStringLiteral("\\A-?(0|[1-9][0-9]*)\\z"));
    const QString digits = wholeNumberText(rounded);
    FUZZ_CHECK(plain.match(digits).hasMatch(), "%.17g written %s", rounded,
               digits.toLatin1().data());
    FUZZ_CHECK(digits.toDouble() == rounded, "%.17g written %s", rounded, digits.toLatin1().data());
    return 0;
}
