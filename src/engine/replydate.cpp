#include "engine/replydate.h"

#include <QByteArray>
#include <cstdlib>

#include "common/walltime.h"

namespace {
constexpr qsizetype DateTimeLength = 13;

// The number of a run of digits, or -1 when any of them is not a digit.
int digitsValue(QByteArrayView digits) {
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int monthNumber(QByteArrayView name) {
    static const QByteArray months = "janfebmaraprmayjunjulaugsepoctnovdec";
    const QByteArray lower = name.toByteArray().toLower();
    const qsizetype at = months.indexOf(lower);
    return at >= 0 && at % 3 == 0 ? int(at / 3) + 1 : 0;
}

// The year ending in the two digits that lies nearest to today; a tie goes to the later one.
std::optional<int> nearestYear(int twoDigits, int month, int day, QDate today) {
    std::optional<int> best;
    qint64 bestDistance = 0;
    const int century = today.year() / 100 * 100;
    for (const int year :
         {century - 100 + twoDigits, century + twoDigits, century + 100 + twoDigits}) {
        const QDate date(year, month, day);
        if (!date.isValid())
            continue;
        const qint64 distance = std::llabs(today.daysTo(date));
        if (!best || distance <= bestDistance) {
            best = year;
            bestDistance = distance;
        }
    }
    return best;
}
}  // namespace

std::optional<QDateTime> readReplyDateTime(QByteArrayView reply, QDate today) {
    const qsizetype colon = reply.indexOf(':');
    const QByteArrayView text = colon >= 0 ? reply.sliced(colon + 1) : reply;
    if (text.size() > DateTimeLength)
        return std::nullopt;
    QByteArray laidOut = QByteArray(DateTimeLength - text.size(), ' ') + text.toByteArray();
    // Only the day may be short of a digit, and then by a leading blank.
    if (laidOut[0] == ' ')
        laidOut[0] = '0';

    const int day = digitsValue(laidOut.sliced(0, 2));
    const int month = monthNumber(laidOut.sliced(2, 3));
    const int year = digitsValue(laidOut.sliced(5, 2));
    const int hour = digitsValue(laidOut.sliced(7, 2));
    const int minute = digitsValue(laidOut.sliced(9, 2));
    const int second = digitsValue(laidOut.sliced(11, 2));
    if (day < 1 || month < 1 || year < 0)
        return std::nullopt;
    const QTime time(hour, minute, second);
    const std::optional<int> fullYear = nearestYear(year, month, day, today);
    if (!time.isValid() || !fullYear)
        return std::nullopt;
    return wallTime(QDate(*fullYear, month, day), time);
}
