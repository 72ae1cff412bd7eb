#include "config/fieldchecks.h"

#include <algorithm>
#include <cmath>

#include "common/leadingnumber.h"

namespace {

double roundedDown(const QString& text) {
    return std::floor(leadingNumber(text));
}

double roundedDownToTen(const QString& text) {
    return std::floor(leadingNumber(text) / 10) * 10;
}

}  // namespace

QString checkedAttempts(const QString& text) {
    return wholeNumberText(std::clamp(roundedDown(text), 1.0, 99.0));
}

QString checkedMilliseconds(const QString& text) {
    return wholeNumberText(std::max(roundedDownToTen(text), 10.0));
}

QString checkedUpdatePeriod(const QString& text) {
    return wholeNumberText(updatePeriodHours(text));
}

void applyShutDownChecks(Settings& settings) {
    for (QString* milliseconds :
         {&settings.connectWaitText, &settings.maxReplyDelayText, &settings.replyWaitText})
        *milliseconds = wholeNumberText(roundedDownToTen(*milliseconds));
    settings.attemptsText = checkedAttempts(settings.attemptsText);
}

double updatePeriodHours(const QString& updatePeriodText) {
    const double hours = roundedDown(updatePeriodText);
    return hours < 1 ? 6 : hours;
}
