#include <QString>

#include "common/clock.h"
#include "common/regularfile.h"
#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/serverlist.h"

void UpdateEngine::readAtLaunch(const QString& dataFolder) {
    parts_.log.add(QStringLiteral("Program launched."));
    const QString settingsPath = settingsFilePath(dataFolder);
    if (loadSettings(settingsPath, parts_.settings) == FileOpening::NotRegular)
        parts_.log.add(notRegularFileLine(settingsPath));
    keepDaylightOptionInStep(parts_.clock.utcNow());
    const QString serversPath = serverListFilePath(dataFolder);
    FileOpening serversOpening = FileOpening::Opened;
    parts_.servers.load(loadServerList(serversPath, &serversOpening));
    if (serversOpening == FileOpening::NotRegular)
        parts_.log.add(notRegularFileLine(serversPath));
}
