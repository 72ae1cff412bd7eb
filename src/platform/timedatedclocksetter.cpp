#include "platform/timedatedclocksetter.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <limits>

namespace {
// libdbus's "never time out". Polkit's dialog may stay open for as long as the user leaves it,
// and timedated steps the clock whenever the answer comes: a wait that gave up first would call
// a correction failed that is still to happen.
constexpr int NoReplyTimeout = std::numeric_limits<int>::max();

QString systemBusAddress() {
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    return address.isEmpty() ? QStringLiteral("unix:path=/var/run/dbus/system_bus_socket")
                             : address;
}

// What the user has to know, in plain words: the D-Bus error names mean little to them.
QString refusalReason(const QDBusError& error) {
    const QString name = error.name();
    if (name == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
        return QStringLiteral("no system bus");
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return QStringLiteral("no time service (timedated) on the system bus");
    if (name == QLatin1String("org.freedesktop.timedate1.AutomaticTimeSyncEnabled") ||
        error.message().contains(QLatin1String("Automatic time synchronization is enabled")))
        return QStringLiteral(
            "automatic time synchronisation is on; turn it off to let Quorvel set the clock");
    if (name == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
        name == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") ||
        name.startsWith(QLatin1String("org.freedesktop.PolicyKit1.Error.")))
        return QStringLiteral("not authorised to set the time");
    if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
        return QStringLiteral("the time service left the system bus without answering");
    return QStringLiteral("the time service refused: ") + error.message() + QStringLiteral(" (") +
           name + u')';
}

const QString ConnectionName = QStringLiteral("quorvel-timedated");
}  // namespace

TimedatedClockSetter::~TimedatedClockSetter() {
    if (!pending_)
        return;
    delete pending_;
    QDBusConnection::disconnectFromBus(ConnectionName);
}

std::optional<ClockSetResult> TimedatedClockSetter::setClock(const ClockChange& change) {
    // Two relative steps out at once would both be applied: the second was worked out from a
    // clock the first had not yet corrected.
    if (pending_)
        return ClockSetResult{
            false, QStringLiteral("the time service has not yet answered the previous correction")};
    // A fresh connection for each correction, so a system bus restarted since the last one is
    // found.
    const QDBusConnection bus = QDBusConnection::connectToBus(systemBusAddress(), ConnectionName);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(ConnectionName);
        return ClockSetResult{false, QStringLiteral("no system bus")};
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    const bool relative = true;
    const bool interactive = true;  // let polkit ask the user rather than refuse outright
    call << qlonglong(change.correctionUs) << relative << interactive;
    pending_ = new QDBusPendingCallWatcher(bus.asyncCall(call, NoReplyTimeout), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this, &TimedatedClockSetter::answer);
    return std::nullopt;
}

void TimedatedClockSetter::answer() {
    const ClockSetResult result = pending_->isError()
                                      ? ClockSetResult{false, refusalReason(pending_->error())}
                                      : ClockSetResult{true, {}};
    pending_->deleteLater();
    pending_ = nullptr;
    QDBusConnection::disconnectFromBus(ConnectionName);
    Q_EMIT finished(result);
}
