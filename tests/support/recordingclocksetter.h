#pragma once

#include <QList>

#include "platform/clocksetter.h"

// Records every change it is asked for; refuses with a reason when told to.
class RecordingClockSetter final : public ClockSetter {
public:
    ClockSetResult setClock(const ClockChange& change) override {
        changes.append(change);
        if (!refusal.isEmpty())
            return {false, refusal, refusalNotPermitted};
        return {true, {}};
    }

    QList<ClockChange> changes;
    QString refusal;
    bool refusalNotPermitted = false;  // the refusal is for lack of the right
};
