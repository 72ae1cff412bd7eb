#pragma once

#include <QList>

#include "engine/clocksetter.h"

// Records every change it is asked for; refuses with a reason when told to. Answers at once, or,
// when told to delay, only when the test calls answer(), as the time service does while polkit
// asks the user.
class RecordingClockSetter final : public ClockSetter {
public:
    std::optional<ClockSetResult> setClock(const ClockChange& change) override {
        changes.append(change);
        if (delayed)
            return std::nullopt;
        return outcome();
    }

    // The answer to the delayed request, as it would come from the event loop.
    void answer() { Q_EMIT finished(outcome()); }

    QList<ClockChange> changes;
    QString refusal;
    bool refusalNotPermitted = false;  // the refusal is for lack of the right
    bool delayed = false;

private:
    ClockSetResult outcome() const {
        if (!refusal.isEmpty())
            return {false, refusal, refusalNotPermitted};
        return {true, {}};
    }
};
