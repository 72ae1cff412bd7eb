#pragma once

#include <QStringList>
#include <optional>

#include "config/settings.h"
#include "engine/ticker.h"
#include "engine/timesample.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "platform/dryrunclocksetter.h"
#include "platform/networkexchanges.h"
#include "platform/systemclock.h"
#include "platform/systemzonesource.h"
#include "serverlist/serverlist.h"

// The update engine on the programs' own network exchanges, the system clock, a dry-run clock
// setter and a ticker for the waits, as `quorvel --once --dry-run` runs it, but kept for run
// after run in one process, so that whatever the exchanges keep between runs is kept.
class UpdateRig {
public:
    struct Run {
        double ms = 0;                     // from the run's beginning to its end
        bool updated = false;              // it ended with "Last updated"
        std::optional<TimeSample> sample;  // the reply the run accepted
        QStringList log;                   // its messages, without time stamps
    };

    UpdateRig();
    // One run on HOST:PORT, waited for (at most a minute).
    Run run(const QString& host, const QString& port);

private:
    SystemClock clock_;
    SystemZoneSource zone_{clock_};
    DryRunClockSetter setter_;
    ActivityLog log_{clock_, 0};
    Settings settings_;
    NetworkExchanges exchanges_{clock_, log_, settings_};
    ServerList servers_;
    UpdateEngine engine_{{clock_, zone_, setter_, exchanges_.table(), log_, settings_, servers_}};
    Ticker ticker_{engine_, clock_};
};
