#include "common/dateform.h"

#include <QRegularExpression>
#include <QStringList>

#include "common/walltime.h"

namespace {

// Rewrites the pattern letters of a Qt date-time format and leaves its quoted literals alone.
QString rewriteUnquoted(const QString& format, const QRegularExpression& letters,
                        const QString& replacement) {
    QStringList parts = format.split(u'\'');
    for (qsizetype i = 0; i < parts.size(); i += 2)
        parts[i].replace(letters, replacement);
    return parts.join(u'\'');
}

}  // namespace

namespace DateForm {

QString dateFormat(const QLocale& locale) {
    // Qt's short formats use two-digit years, which do not read back to the same century.
    static const QRegularExpression year(QStringLiteral("y+"));
    return rewriteUnquoted(locale.dateFormat(QLocale::ShortFormat), year, QStringLiteral("yyyy"));
}

QString timeFormat(const QLocale& locale) {
    // Drop the zone name and the blanks, commas or brackets that only stood beside it.
    static const QRegularExpression zone(QStringLiteral("[\\s,]*[(]?t+[)]?[\\s,]*"));
    return rewriteUnquoted(locale.timeFormat(QLocale::LongFormat), zone, QStringLiteral(" "))
        .trimmed();
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
    // Date and time are read apart, never as one local date-time, so a time that the machine's
    // zone skips at a daylight-saving change still reads. Either part may hold blanks itself, so
    // every blank is tried as the one between them.
    const QString time = timeFormat(locale);
    for (qsizetype blank = text.indexOf(u' '); blank >= 0; blank = text.indexOf(u' ', blank + 1)) {
        const QDate datePart = locale.toDate(text.left(blank), dateOnly);
        if (!datePart.isValid())
            continue;
        const QTime timePart = locale.toTime(text.mid(blank + 1), time);
        if (timePart.isValid())
            return wallTime(datePart, timePart);
    }
    return {};
}

QString longTime(const QTime& time, const QLocale& locale) {
    return locale.toString(time, timeFormat(locale));
}

}  // namespace DateForm
