#include "privatebus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QSignalSpy>

namespace {
constexpr int StartMs = 10000;
const QString Timedated = QStringLiteral("org.freedesktop.timedate1");

// Anyone may own and call anything: the bus exists for one test only.
const char Config[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

QDBusMessage callMock(const QString& address, const QString& method, const QVariantList& args) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(Timedated, QStringLiteral("/org/freedesktop/timedate1"),
                                       QStringLiteral("org.freedesktop.DBus.Mock"), method);
    call.setArguments(args);
    return QDBusConnection::connectToBus(address, address).call(call);
}
}  // namespace

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(address());
    for (QProcess* process : {&timedated_, &daemon_}) {
        process->kill();
        process->waitForFinished();
    }
}

bool PrivateBus::start(bool withTimedated) {
    QFile config(folder_.filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(Config).arg(folder_.path()).toUtf8()) < 0)
        return false;
    config.close();
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                   QStringLiteral("--config-file=") + config.fileName()});
    if (!daemon_.waitForReadyRead(StartMs))  // the address is printed once it listens
        return false;
    if (!withTimedated)
        return true;
    QDBusServiceWatcher watcher(Timedated, QDBusConnection::connectToBus(address(), address()),
                                QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address());
    timedated_.setProcessEnvironment(environment);
    // The system's Python, whose packages python3-dbusmock is installed among.
    timedated_.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                      QStringLiteral("--template"), QStringLiteral("timedated")});
    return registered.wait(StartMs);
}

QString PrivateBus::address() const {
    return QStringLiteral("unix:path=") + folder_.filePath(QStringLiteral("bus"));
}

void PrivateBus::setSetTimeCode(const QString& code) {
    callMock(address(), QStringLiteral("AddMethod"),
             {Timedated, QStringLiteral("SetTime"), QStringLiteral("xbb"), QString(), code});
    callMock(address(), QStringLiteral("ClearCalls"), {});
}

QList<QVariantList> PrivateBus::setTimeCalls() const {
    const QDBusMessage reply =
        callMock(address(), QStringLiteral("GetMethodCalls"), {QStringLiteral("SetTime")});
    const QDBusArgument calls = reply.arguments().value(0).value<QDBusArgument>();
    QList<QVariantList> arguments;
    calls.beginArray();
    while (!calls.atEnd()) {
        quint64 when = 0;
        QVariantList args;
        calls.beginStructure();
        calls >> when >> args;
        calls.endStructure();
        arguments.append(args);
    }
    calls.endArray();
    return arguments;
}

QString refusalCode(const QString& errorName, const QString& message) {
    return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
        .arg(message, errorName);
}
