#pragma once

#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantList>

// A message bus of the test's own (its own dbus-daemon; the machine's buses are never touched),
// optionally with python3-dbusmock's timedated template on it, so the time-service back end runs
// for real while the machine's clock stays as it is.
class PrivateBus {
public:
    ~PrivateBus();
    bool start(bool withTimedated);
    QString address() const;

    // Replaces the mock's SetTime with Python code (empty: accept and do nothing) and forgets
    // the calls so far.
    void setSetTimeCode(const QString& code);
    // The arguments of each SetTime call since.
    QList<QVariantList> setTimeCalls() const;

private:
    QTemporaryDir folder_;
    QProcess daemon_;
    QProcess timedated_;
};

// Mock code that refuses a call with this D-Bus error.
QString refusalCode(const QString& errorName, const QString& message);
