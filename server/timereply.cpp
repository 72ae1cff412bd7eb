#include "timereply.h"

#include <QLocale>
#include <algorithm>

namespace {

constexpr qsizetype MostQueryDigits = 5;

bool isQueryNumber(QByteArrayView digits) {
    if (digits.isEmpty() || digits.size() > MostQueryDigits)
        return false;
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

QByteArray timeReply(QByteArrayView query, const QDateTime& utcNow) {
    const QByteArrayView number = query.trimmed();
    if (!isQueryNumber(number))
        return {};
    // The C locale names the months in English whatever the machine's language.
    const QString time = QLocale::c().toString(utcNow.toUTC(), QStringLiteral("ddMMMyyHHmmss"));
    return number.toByteArray() + ':' + time.toLatin1();
}
