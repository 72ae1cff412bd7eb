#include "app/onceupdate.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "app/clocksetterchoice.h"
#include "app/commandline.h"
#include "common/datafolder.h"
#include "config/settings.h"
#include "engine/clocksetter.h"
#include "engine/runmessages.h"
#include "engine/ticker.h"
#include "engine/trayview.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "platform/networkexchanges.h"
#include "platform/systemclock.h"
#include "platform/systemzonesource.h"
#include "serverlist/addresschecks.h"
#include "serverlist/serverlist.h"

namespace {
// Without a window there is no tray icon to show the outcome.
class NoTray final : public TrayView {
public:
    void show(Picture, const QString&) override {}
};

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
    NoTray tray;
    ActivityLog log(clock, 0);  // streamed, not kept: memory does not grow with the log
    QObject::connect(&log, &ActivityLog::lineAdded, &writeLine);
    Settings settings;
    ServerList servers;
    NetworkExchanges exchanges(clock, log, settings);
    UpdateEngine engine({clock, zone, *setter, exchanges.table(), tray, log, settings, servers});
    Ticker ticker(engine, clock);

    const QString folder = dataFolder(programFolder, line.dataDir);
    engine.readAtLaunch(folder);
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
    ticker.start();
    return QCoreApplication::exec();
}
