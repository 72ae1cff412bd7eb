#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <deque>

class Clock;

// The time-stamped record of everything the program does. Each line is
// "[" + time stamp + "]  " + message + CR LF. Appending costs the same however long the log is;
// only the newest lines are kept (none at all for a log that is only streamed out).
class ActivityLog : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype DefaultKeptLines = 100000;

    explicit ActivityLog(const Clock& clock, qsizetype keptLines = DefaultKeptLines,
                         QLocale locale = QLocale::system());

    void add(const QString& message);
    // The present local time of day in the locale's long time format.
    QString timeStamp() const;

    const std::deque<QString>& lines() const { return lines_; }
    // The kept lines as one text, oldest first.
    QString text() const;

Q_SIGNALS:
    void lineAdded(const QString& line);

private:
    const Clock& clock_;
    qsizetype keptLines_;
    QLocale locale_;
    QString timeFormat_;  // worked out once: every line needs it
    std::deque<QString> lines_;
};
