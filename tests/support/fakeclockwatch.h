#pragma once

#include "engine/clockwatch.h"

// A clock watch the test drives: it names the zone's next change of offset.
class FakeClockWatch final : public ClockWatch {
public:
    std::optional<QDateTime> nextOffsetChange(const QDateTime& utc) const override {
        if (nextChange.isValid() && nextChange > utc)
            return nextChange;
        return std::nullopt;
    }

    QDateTime nextChange;
};
