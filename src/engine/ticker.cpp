#include "engine/ticker.h"

#include <algorithm>

#include "common/clock.h"
#include "common/walltime.h"
#include "engine/clockwatch.h"
#include "engine/networkrules.h"
#include "engine/updateengine.h"

namespace {
// Timers may fire a hair early; landing just past the boundary shows the new second.
constexpr int BoundaryMarginMs = 2;
}  // namespace

Ticker::Ticker(UpdateEngine& engine, const Clock& clock, QObject* parent)
    : Ticker(engine, clock, nullptr, nullptr, parent) {}

Ticker::Ticker(UpdateEngine& engine, const Clock& clock, ClockWatch* watch, NetworkState* network,
               QObject* parent)
    : QObject(parent), engine_(engine), clock_(clock), watch_(watch) {
    if (network)
        networkRules_ = std::make_unique<NetworkRules>(engine_, *network, clock_);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Ticker::tickNow);
    connect(&engine_, &UpdateEngine::runStateChanged, this, &Ticker::poke);
    if (watch_)
        connect(watch_, &ClockWatch::clockChanged, this, &Ticker::poke);
}

Ticker::~Ticker() = default;

void Ticker::start() {
    poke();
}

void Ticker::poke() {
    timer_.start(0);
}

void Ticker::setDisplaysShown(bool shown) {
    if (shown == displaysShown_)
        return;
    displaysShown_ = shown;
    if (shown)
        poke();
}

void Ticker::tickNow() {
    timer_.stop();  // a poke from within the tick arms it again
    engine_.tick();
    if (!timer_.isActive())
        arm();
}

std::optional<int> Ticker::armedDelayMs() const {
    if (!timer_.isActive())
        return std::nullopt;
    return timer_.interval();
}

void Ticker::arm() {
    if (sleepsWhileHidden()) {
        timer_.start(delayWhileHidden());
        return;
    }
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

// The soonest of what must be seen without any event. A deadline the tick that just ran could not
// meet (a query that could not be sent) is tried again at the next second, as when shown.
int Ticker::delayWhileHidden() const {
    const QDateTime local = clock_.localNow();
    qint64 delay = LongestSleepMs;
    if (const std::optional<qint64> deadline = engine_.nextDeadline()) {
        const qint64 ms = *deadline - clock_.monotonicMs();
        delay = std::min(delay, ms > 0 ? ms : delayUntilNextTick(local.time().msec(), {}));
    }
    // A scheduled update already due waits for the run under way, whose end pokes the ticker.
    if (const QDateTime next = engine_.nextUpdate(); next.isValid() && next > wholeSecond(local))
        delay = std::min(delay, local.msecsTo(next) + BoundaryMarginMs);
    const QDateTime utc = clock_.utcNow();
    if (const std::optional<QDateTime> change = watch_->nextOffsetChange(utc))
        delay = std::min(delay, std::max<qint64>(0, utc.msecsTo(*change)) + BoundaryMarginMs);
    return int(delay);
}
