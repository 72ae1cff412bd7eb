#include <QString>

#include "common/clock.h"
#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/serverlist.h"

void UpdateEngine::readAtLaunch(const QString& dataFolder) {
    parts_.log.add(QStringLiteral("Program launched."));
    loadSettings(settingsFilePath(dataFolder), parts_.settings);
    keepDaylightOptionInStep(parts_.clock.utcNow());
    parts_.servers.load(loadServerList(serverListFilePath(dataFolder)));
}
