#pragma once

#include <QRegularExpression>
#include <QStringList>

// The activity log as it must read: each line whole, after its time stamp, each ending in a line
// feed. The lines are literal text, except that "{n}" stands for a whole number, "{offset}" for
// seconds with sign and milliseconds, "{time}" for a local time, and "{correction}" for the
// correction's seconds, captured as "correction".
inline QRegularExpression logPattern(const QStringList& lines) {
    QStringList patterns;
    for (const QString& line : lines)
        patterns << "\\[\\d\\d:\\d\\d:\\d\\d\\]  " +
                        QRegularExpression::escape(line)
                            .replace("\\{n\\}", "\\d+")
                            .replace("\\{offset\\}", "[+-]\\d+\\.\\d{3}")
                            .replace("\\{time\\}", ".+")
                            .replace("\\{correction\\}", "(?<correction>[+-]\\d+\\.\\d{3})");
    return QRegularExpression("^" + patterns.join(u'\n') + "\n$");
}
