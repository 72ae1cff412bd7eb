#pragma once

#include <QString>

// The program's options, named after the fields that show them. Check fields hold 0 (off),
// 1 (on) or 2 (greyed, only ever read from the file); number fields hold the user's text, which
// each user converts where it needs a number.
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
    int launchAtLogin = 0;  // kept in the start-up store, not in the settings file

    bool operator==(const Settings&) const = default;
};
