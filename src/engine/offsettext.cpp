#include "engine/offsettext.h"

#include "engine/roundedquotient.h"

namespace {
constexpr qint64 NsPerMs = 1000000;
}

QString shownOffsetSeconds(qint64 offsetNs) {
    const qint64 ms = roundedMilliseconds(offsetNs);
    const qint64 size = ms < 0 ? -ms : ms;  // at most 9.3e12: no overflow
    return QStringLiteral("%1%2.%3")
        .arg(QChar(ms < 0 ? u'-' : u'+'))
        .arg(size / 1000)
        .arg(size % 1000, 3, 10, QLatin1Char('0'));
}

qint64 roundedMilliseconds(qint64 ns) {
    return roundedQuotient(ns, NsPerMs);
}
