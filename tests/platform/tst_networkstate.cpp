#include <QProcess>
#include <QTest>
#include <QtDBus>

#include "platform/systemnetworkstate.h"
#include "support/privatebus.h"

namespace {
const QString NetworkManager = QStringLiteral("org.freedesktop.NetworkManager");
using Reachability = NetworkState::Reachability;
}  // namespace

// The network's state from NetworkManager, through Qt's network information, against
// python3-dbusmock's NetworkManager on a private system bus.
class NetworkStateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        bus_ = startPrivateBus(daemon_);
        QVERIFY(!bus_.isEmpty());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_.toLocal8Bit());
        mock_.start("/usr/bin/python3", {"-m", "dbusmock", "--template", "networkmanager"});
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::connectToBus(bus_, "test")
                                     .interface()
                                     ->isServiceRegistered(NetworkManager),
                                 10000);
        network_ = std::make_unique<SystemNetworkState>();
        QVERIFY(network_->valid());
    }
    void cleanupTestCase() {
        network_.reset();
        for (QProcess* process : {&mock_, &daemon_})
            process->close();
    }

    // NetworkManager's global states (NMState), each announced by a change signal after which
    // the new state reads back, as the ticker that starts an update then reads it.
    void followsNetworkManager_data() {
        QTest::addColumn<uint>("state");
        QTest::addColumn<Reachability>("reachability");
        QTest::newRow("disconnected") << 20u << Reachability::Disconnected;
        QTest::newRow("connected globally") << 70u << Reachability::Online;
        QTest::newRow("local addresses only") << 50u << Reachability::Limited;
        QTest::newRow("connecting") << 40u << Reachability::Unknown;
        QTest::newRow("site only") << 60u << Reachability::Limited;
        QTest::newRow("asleep") << 10u << Reachability::Unknown;
        QTest::newRow("disconnecting") << 30u << Reachability::Disconnected;
    }
    void followsNetworkManager() {
        QFETCH(uint, state);
        QFETCH(Reachability, reachability);
        QList<Reachability> announced;
        const QMetaObject::Connection seen =
            connect(network_.get(), &NetworkState::reachabilityChanged, this,
                    [&] { announced.append(network_->reachability()); });
        setState(state);
        QTRY_VERIFY_WITH_TIMEOUT(announced.contains(reachability), 5000);
        disconnect(seen);
        QCOMPARE(announced.last(), reachability);
        QCOMPARE(network_->reachability(), reachability);
    }

private:
    void setState(uint state) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(NetworkManager, "/org/freedesktop/NetworkManager",
                                           "org.freedesktop.DBus.Mock", "SetGlobalConnectionState");
        call.setArguments({state});
        const QDBusMessage reply = QDBusConnection::connectToBus(bus_, "test").call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    QProcess daemon_, mock_;
    QString bus_;
    std::unique_ptr<SystemNetworkState> network_;
};

QTEST_GUILESS_MAIN(NetworkStateTest)
#include "tst_networkstate.moc"
