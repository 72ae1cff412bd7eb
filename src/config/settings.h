#pragma once

#include <QString>

// The program's options, named after the fields that show them. Check fields hold 0 (off),
// 1 (on) or 2 (greyed, only ever read from the file); number fields hold the user's text, which
// each user converts where it needs a number.
struct Settings {
    int chkMinimizeOnLoad = 0;
    int chkUpdateOnLoad = 0;
    int chkCloseAfterUpdate = 0;
    int chkSchedule = 1;
    QString txtTimes = QStringLiteral("6");          // update period, hours
    QString txtTimeout = QStringLiteral("6000");     // connection wait, ms
    QString txtMaxPing = QStringLiteral("1000");     // maximum reply delay, ms
    QString txtForgetPing = QStringLiteral("6000");  // reply wait, ms
    QString txtAttempts = QStringLiteral("10");      // queries per server
    int chkLoop = 0;
    int chkDaylightSavings = 0;
    int chkLoadOnStartUp = 0;  // kept in the start-up store, not in the settings file

    bool operator==(const Settings&) const = default;
};
