#pragma once

#include <QStringList>
#include <QTest>

#include "config/settings.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "platform/systemzonesource.h"
#include "platform/tcptimesocket.h"
#include "platform/udptimesocket.h"
#include "serverlist/serverlist.h"
#include "support/fakeclock.h"
#include "support/fixedzonesource.h"
#include "support/recordingclocksetter.h"
#include "support/recordingtray.h"
#include "support/scriptedserver.h"

// An engine wired to a clock the test moves (at noon, in step with the zone), a zone five hours
// west of UTC, a recording clock setter and tray, and a real socket, so runs go to real servers
// on loopback. A test may give the engine the machine's zone (chosen with TZ=) or another
// clock setter instead.
struct EngineFixture {
    enum class Zone { Fixed, System };

    explicit EngineFixture(Zone zoneInUse = Zone::Fixed, ClockSetter* setterInUse = nullptr)
        : engineZone(zoneInUse == Zone::System ? static_cast<const ZoneSource&>(systemZone) : zone),
          engineSetter(setterInUse ? *setterInUse : setter) {}

    FakeClock clock{wallTime(QDate(2026, 12, 6), QTime(12, 0)),
                    QDateTime(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC)};
    FixedZoneSource zone{300, -60};
    SystemZoneSource systemZone{clock};
    RecordingClockSetter setter;
    const ZoneSource& engineZone;
    ClockSetter& engineSetter;
    TcpTimeSocket socket;
    UdpTimeSocket ntpSocket;
    RecordingTray tray;
    ActivityLog log{clock, ActivityLog::DefaultKeptLines, QLocale::c()};
    Settings settings;
    ServerList servers;
    UpdateEngine engine{{clock, engineZone, engineSetter, socket, ntpSocket, tray, log, settings,
                         servers, QLocale::c()}};

    // The logged messages, without time stamps and line ends.
    QStringList messages() const {
        QStringList all;
        for (const QString& line : log.lines())
            all.append(line.section(QStringLiteral("]  "), 1).chopped(2));
        return all;
    }
    QString lastMessage() const { return messages().value(messages().size() - 1); }

    [[nodiscard]] bool waitForMessage(const QString& message, int timeoutMs = 5000) const {
        return QTest::qWaitFor([&] { return messages().contains(message); }, timeoutMs);
    }

    void useServers(const ServerEntries& entries) { servers.load(entries); }

    // Moves every clock on by a span and ticks once.
    void tickAfter(qint64 ms) {
        clock.advance(ms);
        engine.tick();
    }

    // Starts a run on the server and waits until its first query has gone out.
    [[nodiscard]] bool queryServer(ScriptedServer& server) {
        useServers({{QStringLiteral("127.0.0.1"), server.portText()}});
        engine.requestUpdate();
        return QTest::qWaitFor([&] { return !server.queries.isEmpty(); }, 5000);
    }
};
