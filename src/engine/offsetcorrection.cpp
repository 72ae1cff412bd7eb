// Setting the clock by a measured offset: the present instant moved on by it, to the microsecond.
// The offset is between two UTC clocks, so the daylight-saving option plays no part.
#include "common/clock.h"
#include "common/walltime.h"
#include "engine/clocksetter.h"
#include "engine/offsettext.h"
#include "engine/roundedquotient.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "timezone/zonesource.h"

namespace {
constexpr qint64 NsPerMs = 1000000;
constexpr qint64 NsPerUs = 1000;
}  // namespace

void UpdateEngine::correctByOffset(qint64 offsetNs) {
    const Clock& clock = parts_.clock;
    const qint64 instantNs = clock.utcNowNs() + offsetNs;
    const QDateTime presentLocal = clock.localNow();
    const qint64 instantUs = roundedQuotient(instantNs, NsPerUs);
    const qint64 instantMs = instantUs / 1000 - (instantUs % 1000 < 0 ? 1 : 0);
    const QDateTime instant = QDateTime::fromMSecsSinceEpoch(instantMs, Qt::UTC);
    // The new local time as the zone shows that instant (UTC = local + offset).
    const std::optional<qint32> zoneOffset = parts_.zone.offsetAt(instant);
    const QDateTime newLocal = zoneOffset
                                   ? toWallTime(instant).addSecs(-qint64(*zoneOffset) * 60)
                                   : presentLocal.addMSecs(roundedQuotient(offsetNs, NsPerMs));
    const ClockSetting setting{wholeSecond(presentLocal), wholeSecond(newLocal), offsetNs};
    setClock(setting,
             {instant, roundedQuotient(offsetNs, NsPerUs), int(instantUs - instantMs * 1000)});
}

void UpdateEngine::logOffsetCorrection(const ClockSetting& setting) {
    parts_.log.add(QStringLiteral("*System clock %1 from %2 to %3 - a correction of %4 seconds.*")
                       .arg(correctionVerb(), timeText(setting.oldLocal),
                            timeText(setting.newLocal),
                            shownOffsetSeconds(*setting.measuredOffsetNs)));
}
