// The checks of the number fields, on any text.
#include <QRegularExpression>
#include <cmath>

#include "config/fieldchecks.h"
#include "fuzzcheck.h"

namespace {

// The value of a text of plain digits (with a "-" when allowed), or NaN when it is not one.
double plainNumber(const QString& text, bool negativeAllowed) {
    static const QRegularExpression digits(QStringLiteral("\\A(0|[1-9][0-9]*)\\z"));
    const bool negative = negativeAllowed && text.startsWith(u'-') && text != QStringLiteral("-0");
    if (!digits.match(negative ? text.mid(1) : text).hasMatch())
        return std::nan("");
    return text.toDouble();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const QString attempts = checkedAttempts(text);
    const double attemptsValue = plainNumber(attempts, false);
    FUZZ_CHECK(attemptsValue >= 1 && attemptsValue <= 99, "attempts %s", quoted(attempts).data());

    // A multiple of ten as far as doubles hold every whole number (2^53); beyond, the digits are
    // those of the nearest double, which need not end in a zero.
    const QString milliseconds = checkedMilliseconds(text);
    const double millisecondsValue = plainNumber(milliseconds, false);
    FUZZ_CHECK(
        millisecondsValue >= 10 && (millisecondsValue > 0x1p53 || milliseconds.endsWith(u'0')),
        "%s checked to %s", quoted(text).data(), quoted(milliseconds).data());

    const QString period = checkedUpdatePeriod(text);
    FUZZ_CHECK(plainNumber(period, false) >= 1, "%s checked to %s", quoted(text).data(),
               quoted(period).data());
    const double hours = updatePeriodHours(text);
    FUZZ_CHECK(std::isfinite(hours) && hours >= 1 && hours == std::floor(hours), "hours %g", hours);

    Settings settings;
    settings.connectWaitText = settings.maxReplyDelayText = settings.replyWaitText =
        settings.attemptsText = text;
    settings.updatePeriodText = text;
    applyShutDownChecks(settings);
    FUZZ_CHECK(settings.updatePeriodText == text, "the update period changed at shut-down");
    FUZZ_CHECK(settings.attemptsText == attempts, "attempts %s",
               quoted(settings.attemptsText).data());
    for (const QString& field :
         {settings.connectWaitText, settings.maxReplyDelayText, settings.replyWaitText}) {
        const double value = plainNumber(field, true);
        FUZZ_CHECK(!std::isnan(value) && (std::fabs(value) > 0x1p53 || field.endsWith(u'0')),
                   "%s checked at shut-down to %s", quoted(text).data(), quoted(field).data());
    }
    return 0;
}
