#include "session/session.h"

#include "common/clock.h"
#include "common/regularfile.h"
#include "config/autostartentry.h"
#include "config/fieldchecks.h"
#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "engine/ticker.h"
#include "engine/updateengine.h"

Session::Session(const SessionParts& parts)
    : clock_(parts.clock),
      log_(parts.clock, 0, parts.locale),
      exchanges_(parts.clock, log_, settings_),
      engine_(std::make_unique<UpdateEngine>(EngineParts{parts.clock, parts.zone, parts.clockSetter,
                                                         exchanges_.table(), log_, settings_,
                                                         servers_, parts.locale})),
      ticker_(std::make_unique<Ticker>(*engine_, parts.clock, parts.clockWatch, parts.network)) {}

Session::~Session() = default;

void Session::readAtLaunch(const QString& dataFolder) {
    log_.add(QStringLiteral("Program launched."));
    const QString settingsPath = settingsFilePath(dataFolder);
    if (loadSettings(settingsPath, settings_) == FileOpening::NotRegular)
        log_.add(notRegularFileLine(settingsPath));
    engine_->keepDaylightOptionInStep(clock_.utcNow());
    const QString serversPath = serverListFilePath(dataFolder);
    FileOpening serversOpening = FileOpening::Opened;
    servers_.load(loadServerList(serversPath, &serversOpening));
    if (serversOpening == FileOpening::NotRegular)
        log_.add(notRegularFileLine(serversPath));
}

void Session::saveAtShutDown(const QString& dataFolder, const AutostartEntry& autostart,
                             const QString& launchCommand) {
    ticker_.reset();
    applyShutDownChecks(settings_);
    const QString settingsPath = settingsFilePath(dataFolder);
    if (const SaveResult saved = saveSettings(settingsPath, settings_); !saved.ok)
        log_.add(saveFailureLine(settingsPath, saved.reason));
    const SaveResult autostartSaved =
        settings_.launchAtLogin == 1 ? autostart.write(launchCommand) : autostart.remove();
    if (!autostartSaved.ok)
        log_.add(saveFailureLine(autostart.path(), autostartSaved.reason));
}
