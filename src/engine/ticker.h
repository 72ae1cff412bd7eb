#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class Clock;
class ClockWatch;
class NetworkRules;
class NetworkState;
class UpdateEngine;

// Drives the engine's tick without a busy timer: at each second boundary of the local clock
// (the displays show seconds), at each deadline the engine has armed, and right after anything
// that may change what the tick tests. While nobody can see the displays and a clock watch
// reports clock and zone changes, it sleeps instead until something is due: a wait of the run,
// the next scheduled update, the zone's next change of offset, or a change of the clock. Given
// the network's state, it follows the network rules, which act on the network's own reports.
class Ticker : public QObject {
    Q_OBJECT
public:
    Ticker(UpdateEngine& engine, const Clock& clock, QObject* parent = nullptr);
    Ticker(UpdateEngine& engine, const Clock& clock, ClockWatch* watch,
           NetworkState* network = nullptr, QObject* parent = nullptr);
    ~Ticker() override;

    void start();
    // Something the tick tests has changed: tick as soon as the event loop is free.
    void poke();
    // Whether the clock displays can be seen. Showing them ticks at once.
    void setDisplaysShown(bool shown);
    // Ticks now and arms the next tick.
    void tickNow();
    // Milliseconds the armed timer was set to; none when no tick is armed.
    std::optional<int> armedDelayMs() const;

    // Milliseconds to wait before the next tick, given how far the local clock is into its
    // second and how far away the next deadline is.
    static int delayUntilNextTick(int msIntoSecond, std::optional<qint64> msToDeadline);

    // The longest sleep while the displays are hidden: a safety net for changes no one reports
    // (a new zone chosen for the system).
    static constexpr int LongestSleepMs = 3600 * 1000;

private:
    void arm();
    bool sleepsWhileHidden() const { return watch_ && !displaysShown_; }
    int delayWhileHidden() const;

    UpdateEngine& engine_;
    const Clock& clock_;
    ClockWatch* watch_ = nullptr;
    std::unique_ptr<NetworkRules> networkRules_;
    bool displaysShown_ = true;
    QTimer timer_;
};
