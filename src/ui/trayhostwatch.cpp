#include "ui/trayhostwatch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {
const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
// A watcher answers at once; one that hangs must not hold the program up for long.
constexpr int AnswerPatienceMs = 2000;
}  // namespace

TrayHostWatch::TrayHostWatch(const QDBusConnection& bus, const QString& itemService,
                             QObject* parent)
    : QObject(parent),
      bus_(bus),
      itemService_(itemService),
      watcher_(
          new QDBusServiceWatcher(Watcher, bus, QDBusServiceWatcher::WatchForOwnerChange, this)) {
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    setPresent(false);
                else
                    ask(false);
            });
    // Hosts come and go while the watcher stays (a shell restarting its tray extension).
    for (const char* change : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus_.connect(Watcher, WatcherPath, Watcher, QString::fromLatin1(change), this,
                     SLOT(onHostsChanged()));
    if (bus_.interface()->isServiceRegistered(Watcher))
        ask(true);
}

void TrayHostWatch::onHostsChanged() {
    ask(false);
}

void TrayHostWatch::ask(bool wait) {
    QDBusMessage registration = QDBusMessage::createMethodCall(
        Watcher, WatcherPath, Watcher, QStringLiteral("RegisterStatusNotifierItem"));
    registration << itemService_;
    bus_.asyncCall(registration, AnswerPatienceMs);
    QDBusMessage hostQuestion = QDBusMessage::createMethodCall(
        Watcher, WatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    hostQuestion << Watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* answer =
        new QDBusPendingCallWatcher(bus_.asyncCall(hostQuestion, AnswerPatienceMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, question = ++question_](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (question != question_)
                    return;
                const QDBusPendingReply<QDBusVariant> reply = *call;
                setPresent(!reply.isError() && reply.value().variant().toBool());
            });
    if (wait)
        answer->waitForFinished();
}

void TrayHostWatch::setPresent(bool present) {
    if (present == present_)
        return;
    present_ = present;
    Q_EMIT hostPresentChanged(present);
}
