#include "engine/daylightjump.h"

#include "common/leadingnumber.h"

qint64 daylightJumpMinutes(const QDateTime& previousShown, const QDateTime& presentShown,
                           qint64 realElapsedMs) {
    const double jumpMs = double(presentShown.msecsTo(previousShown)) + double(realElapsedMs);
    return qint64(roundHalfEven(jumpMs / 60000.0));
}
