#include "log/activitylog.h"

#include "common/clock.h"
#include "common/dateform.h"

ActivityLog::ActivityLog(const Clock& clock, qsizetype keptLines, QLocale locale)
    : clock_(clock),
      keptLines_(keptLines),
      locale_(std::move(locale)),
      timeFormat_(DateForm::timeFormat(locale_)) {}

QString ActivityLog::timeStamp() const {
    return locale_.toString(clock_.localNow().time(), timeFormat_);
}

void ActivityLog::add(const QString& message) {
    const QString line =
        u'[' + timeStamp() + QStringLiteral("]  ") + message + QStringLiteral("\r\n");
    if (keptLines_ > 0) {
        lines_.push_back(line);
        if (qsizetype(lines_.size()) > keptLines_)
            lines_.pop_front();
    }
    Q_EMIT lineAdded(line);
}

QString ActivityLog::text() const {
    QString all;
    for (const QString& line : lines_)
        all += line;
    return all;
}
