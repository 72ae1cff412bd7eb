#pragma once

#include <QString>

// The program's options. Switches hold 0 (off), 1 (on) or 2 (greyed, only ever read from the
// file, and counted as on). Numbers are kept as the text the user typed or the file held, since
// they are used as they stand until their field is left; each user reads the number it needs.
struct Settings {
    int minimizeOnLaunch = 0;
    int updateOnLaunch = 0;
    int closeAfterUpdate = 0;
    int scheduled = 1;
    QString updatePeriodText = QStringLiteral("6");      // update period, hours
    QString connectWaitText = QStringLiteral("6000");    // connection wait, ms
    QString maxReplyDelayText = QStringLiteral("1000");  // maximum reply delay, ms
    QString replyWaitText = QStringLiteral("6000");      // reply wait, ms
    QString attemptsText = QStringLiteral("10");         // queries per server
    int loopList = 0;
    int daylightSaving = 0;
    int launchAtLogin = 0;  // kept in the autostart entry, not in the settings file

    bool operator==(const Settings&) const = default;
};
