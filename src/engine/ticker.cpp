#include "engine/ticker.h"

#include <algorithm>

#include "common/clock.h"
#include "engine/updateengine.h"

namespace {
// Timers may fire a hair early; landing just past the boundary shows the new second.
constexpr int BoundaryMarginMs = 2;
}  // namespace

Ticker::Ticker(UpdateEngine& engine, const Clock& clock, QObject* parent)
    : QObject(parent), engine_(engine), clock_(clock) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Ticker::tick);
    connect(&engine_, &UpdateEngine::runStateChanged, this, &Ticker::poke);
}

void Ticker::start() {
    poke();
}

void Ticker::poke() {
    timer_.start(0);
}

void Ticker::tick() {
    engine_.tick();
    if (!timer_.isActive())
        arm();
}

void Ticker::arm() {
    std::optional<qint64> msToDeadline;
    if (const std::optional<qint64> deadline = engine_.nextDeadline())
        msToDeadline = *deadline - clock_.monotonicMs();
    timer_.start(delayUntilNextTick(clock_.localNow().time().msec(), msToDeadline));
}

int Ticker::delayUntilNextTick(int msIntoSecond, std::optional<qint64> msToDeadline) {
    const int toBoundary = 1000 - msIntoSecond + BoundaryMarginMs;
    if (!msToDeadline)
        return toBoundary;
    return int(std::clamp<qint64>(*msToDeadline, 0, toBoundary));
}
