#include "common/dateform.h"

#include <QRegularExpression>

#include "common/walltime.h"

namespace DateForm {

QString dateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Qt's short formats use two-digit years, which do not read back to the same century.
    static const QRegularExpression year(QStringLiteral("y+"));
    format.replace(year, QStringLiteral("yyyy"));
    return format;
}

QString timeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Drop the zone name and the blanks or separators that only stood beside it.
    static const QRegularExpression zone(QStringLiteral("\\s*[(]?t+[)]?\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

QString generalDateTime(const QDateTime& wall, const QLocale& locale) {
    const QString date = locale.toString(wall.date(), dateFormat(locale));
    if (wall.time() == QTime(0, 0))
        return date;
    return date + u' ' + longTime(wall.time(), locale);
}

QDateTime readGeneralDateTime(const QString& text, const QLocale& locale) {
    const QString dateOnly = dateFormat(locale);
    const QDate date = locale.toDate(text, dateOnly);
    if (date.isValid())
        return wallTime(date, QTime(0, 0));
    const QDateTime both = locale.toDateTime(text, dateOnly + u' ' + timeFormat(locale));
    if (!both.isValid())
        return {};
    return wallTime(both.date(), both.time());
}

QString longTime(const QTime& time, const QLocale& locale) {
    return locale.toString(time, timeFormat(locale));
}

}  // namespace DateForm
