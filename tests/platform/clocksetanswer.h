#pragma once

#include <QSignalSpy>

#include "engine/clocksetter.h"

// The setter's answer to one change, whether it comes at once or later by finished(). Nothing
// when no answer came within the wait.
inline std::optional<ClockSetResult> answerTo(ClockSetter& setter, const ClockChange& change,
                                              int waitMs = 10000) {
    QSignalSpy finished(&setter, &ClockSetter::finished);
    if (const std::optional<ClockSetResult> atOnce = setter.setClock(change))
        return atOnce;
    if (finished.isEmpty() && !finished.wait(waitMs))
        return std::nullopt;
    return finished.at(0).at(0).value<ClockSetResult>();
}
