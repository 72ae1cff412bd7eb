#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// How date-times are shown to the user and read back: the locale's short date with a four-digit
// year, a blank and the locale's long time without any zone name; exactly midnight shows the
// date alone. Everything written by generalDateTime() reads back to the same value.
namespace DateForm {

QString generalDateTime(const QDateTime& wall, const QLocale& locale = QLocale::system());

// The wall time a text of the general form names, or an invalid QDateTime.
QDateTime readGeneralDateTime(const QString& text, const QLocale& locale = QLocale::system());

// The time of day in the locale's long time format without zone name: the log's time stamp.
QString longTime(const QTime& time, const QLocale& locale = QLocale::system());

QString dateFormat(const QLocale& locale);
QString timeFormat(const QLocale& locale);

}  // namespace DateForm
