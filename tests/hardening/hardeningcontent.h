#pragma once

#include <QList>

#include "config/serverrow.h"
#include "config/settings.h"

// Two versions of each file, large enough that a save takes a while and a cut is likely to land
// in the middle of one; every byte of the second differs from the first.
namespace hardening {

inline Settings settings(bool second) {
    Settings settings;
    settings.updatePeriodText = QString(32 * 1024, second ? u'2' : u'1');
    settings.loopList = second ? 1 : 0;
    return settings;
}

inline QList<ServerEntry> servers(bool second) {
    const QString host = QString(60, second ? u'b' : u'a') + QStringLiteral(".example");
    return QList<ServerEntry>(200,
                              {host, second ? QStringLiteral("2222") : QStringLiteral("1111")});
}

}  // namespace hardening
