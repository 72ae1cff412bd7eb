#pragma once

#include <QObject>
#include <QTimer>
#include <optional>

class Clock;
class UpdateEngine;

// Drives the engine's tick without a busy timer: at each second boundary of the local clock
// (the displays show seconds), at each deadline the engine has armed, and right after anything
// that may change what the tick tests. Idle, the program thus wakes once a second.
class Ticker : public QObject {
    Q_OBJECT
public:
    Ticker(UpdateEngine& engine, const Clock& clock, QObject* parent = nullptr);

    void start();
    // Something the tick tests has changed: tick as soon as the event loop is free.
    void poke();

    // Milliseconds to wait before the next tick, given how far the local clock is into its
    // second and how far away the next deadline is.
    static int delayUntilNextTick(int msIntoSecond, std::optional<qint64> msToDeadline);

private:
    void tick();
    void arm();

    UpdateEngine& engine_;
    const Clock& clock_;
    QTimer timer_;
};
