#include "app/onceupdate.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "app/clocksetterchoice.h"
#include "app/commandline.h"
#include "common/datafolder.h"
#include "engine/clocksetter.h"
#include "engine/runmessages.h"
#include "engine/ticker.h"
#include "engine/updateengine.h"
#include "platform/systemclock.h"
#include "platform/systemzonesource.h"
#include "serverlist/addresschecks.h"
#include "serverlist/serverlist.h"
#include "session/session.h"

namespace {
void writeLine(const QString& logLine) {
    const QByteArray bytes = logLine.chopped(2).toLocal8Bit() + '\n';  // CR LF becomes LF
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}
}  // namespace

int runOnceUpdate(const CommandLine& line, const QString& programFolder) {
    SystemClock clock;
    SystemZoneSource zone(clock);
    const std::unique_ptr<ClockSetter> setter = chooseClockSetter(line.dryRun);
    Session session({clock, zone, *setter});
    // Streamed, not kept: memory does not grow with the log.
    QObject::connect(&session.log(), &ActivityLog::lineAdded, &writeLine);
    UpdateEngine& engine = session.engine();
    ServerList& servers = session.servers();

    session.readAtLaunch(dataFolder(programFolder, line.dataDir));
    if (line.server) {
        const AddressFields address = checkedAddress(*line.server, QStringLiteral("1610"));
        servers.select(-1);
        servers.setAddress(address.ip, address.port);
    }
    engine.setWrapLimit(1);
    engine.scheduleNextUpdate();

    QObject::connect(
        &engine, &UpdateEngine::runStateChanged, &engine,
        [&engine] {
            if (engine.isIdle())
                QCoreApplication::exit(engine.lastEndMessage() == RunMessage::LastUpdated ? 0 : 1);
        },
        Qt::QueuedConnection);
    engine.startUpdate(QStringLiteral("Command-line update:"));
    session.ticker()->start();
    return QCoreApplication::exec();
}
