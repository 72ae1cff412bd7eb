#pragma once

#include <QLocale>
#include <QString>
#include <memory>

#include "config/settings.h"
#include "log/activitylog.h"
#include "platform/networkexchanges.h"
#include "serverlist/serverlist.h"

class AutostartEntry;
class Clock;
class ClockSetter;
class ClockWatch;
class NetworkState;
class Ticker;
class UpdateEngine;
class ZoneSource;

// What a session runs on; tests put doubles in.
struct SessionParts {
    const Clock& clock;
    const ZoneSource& zone;
    ClockSetter& clockSetter;
    QLocale locale = QLocale::system();
    // Reports clock and zone changes, so that a hidden program need not tick each second.
    ClockWatch* clockWatch = nullptr;
    // Reports the network's comings and goings, so that updates wait for it after a resume.
    NetworkState* network = nullptr;
};

// One run of the program, with or without a window: the options, the server list, the log
// (which keeps no lines: whoever shows it keeps them), the engine with its exchanges and
// the ticker; the reading at launch and the saving at shut-down, the same for every program.
class Session {
public:
    explicit Session(const SessionParts& parts);
    ~Session();

    // Logs the launch, reads the settings, brings the daylight-saving option in step with the
    // zone, reads the server list.
    void readAtLaunch(const QString& dataFolder);
    // Stops the ticker, so that nothing starts a run any more, then saves the options (after
    // the checks the fields would have run) and writes or removes the start-up entry that
    // launches launchCommand. A file that cannot be saved is logged.
    void saveAtShutDown(const QString& dataFolder, const AutostartEntry& autostart,
                        const QString& launchCommand);

    ActivityLog& log() { return log_; }
    Settings& settings() { return settings_; }
    ServerList& servers() { return servers_; }
    UpdateEngine& engine() { return *engine_; }
    // Null once the session has shut down.
    Ticker* ticker() { return ticker_.get(); }

private:
    const Clock& clock_;
    ActivityLog log_;
    Settings settings_;
    NetworkExchanges exchanges_;
    ServerList servers_;
    std::unique_ptr<UpdateEngine> engine_;
    std::unique_ptr<Ticker> ticker_;
};
