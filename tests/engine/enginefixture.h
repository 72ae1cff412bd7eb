#pragma once

#include <QStringList>
#include <QTest>

#include "config/settings.h"
#include "engine/lineexchange.h"
#include "engine/ntp/ntpexchange.h"
#include "engine/nts/ntsexchange.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "platform/systemzonesource.h"
#include "serverlist/serverlist.h"
#include "support/fakeclock.h"
#include "support/fakekeyexchange.h"
#include "support/fixedzonesource.h"
#include "support/memorytimesocket.h"
#include "support/recordingclocksetter.h"

// An engine on a clock the test moves (6 Dec 2026 12:00, 17:00 UTC), a zone five hours west of
// UTC with daylight saving (or TZ='s), a recording clock setter (or the test's), and the real
// exchanges on sockets in memory and an NTS key exchange the test answers: the test plays the
// server.
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
    ActivityLog log{clock, ActivityLog::DefaultKeptLines, QLocale::c()};
    Settings settings;
    ServerList servers;
    MemoryTimeSocket lineSocket;
    MemoryTimeSocket ntpSocket;
    MemoryTimeSocket ntsSocket;
    FakeKeyExchange keyExchange;
    LineExchange line{{lineSocket, clock, log, settings}};
    NtpExchange ntp{{ntpSocket, clock, log, settings}};
    NtsExchange nts{keyExchange, {ntsSocket, clock, log, settings}};
    UpdateEngine engine{{clock,
                         engineZone,
                         engineSetter,
                         {&nts, &ntp, &line},
                         log,
                         settings,
                         servers,
                         QLocale::c()}};

    // The logged messages, without time stamps and line ends.
    QStringList messages() const {
        QStringList all;
        for (const QString& line : log.lines())
            all.append(line.section(QStringLiteral("]  "), 1).chopped(2));
        return all;
    }
    QString lastMessage() const { return messages().value(messages().size() - 1); }
    [[nodiscard]] bool waitForMessage(const QString& message) const {
        return QTest::qWaitFor([&] { return messages().contains(message); }, 5000);
    }

    void useServers(const ServerEntries& entries) { servers.load(entries); }
    void tickAfter(qint64 ms) {
        clock.advance(ms);
        engine.tick();
    }
    // Starts a run on a line server that takes the connection; true when query 1 went out.
    [[nodiscard]] bool queryServer(const QString& port = QStringLiteral("1610")) {
        const qsizetype sentBefore = lineSocket.sent.size();
        useServers({{QStringLiteral("127.0.0.1"), port}});
        engine.requestUpdate();
        lineSocket.accept();
        return lineSocket.sent.mid(sentBefore) == QList<QByteArray>{"1"};
    }
};
