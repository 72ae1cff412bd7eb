#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QSet>
#include <QString>
#include <optional>

#include "engine/timeexchange.h"
#include "timezone/timezone.h"

class ActivityLog;
class Clock;
class ClockSetter;
class ServerList;
class ZoneSource;
struct ClockChange;
struct ClockSetResult;
struct Settings;

// Everything the engine works with, owned by whoever runs it (a session, or a test).
struct EngineParts {
    const Clock& clock;
    const ZoneSource& zone;
    ClockSetter& clockSetter;
    // The protocols, in the order they are asked: the first that serves a row's port talks to it.
    QList<TimeExchange*> exchanges;
    ActivityLog& log;
    Settings& settings;   // the options as their fields hold them
    ServerList& servers;  // the rows, the selection and the address fields
    QLocale locale = QLocale::system();
};

// One update run at a time: connect to the server in the address fields, send numbered queries,
// have the replies judged, set the clock, or give the server up for the next row. Driven by
// triggers, the exchange's events and the tick; reports through the activity log and its
// signals: what happened, never how a window shows it.
class UpdateEngine : public QObject {
    Q_OBJECT
public:
    // What the run under way waits for.
    enum class RunState { Idle, Connecting, AwaitingReply, SettingClock };

    explicit UpdateEngine(const EngineParts& parts, QObject* parent = nullptr);

    // Triggers. Each logs its announcement, then begins a run (which a run under way refuses).
    void requestUpdate();
    void requestUpdateFromList();
    void startUpdate(const QString& announcement);
    void cancelUpdate();

    void beginUpdate();
    void endUpdate(const QString& message);

    // One tick: clock displays, daylight-saving guard, time-outs, schedule.
    void tick();

    // Sets the next scheduled update to now plus the update period (launch, period field left).
    void scheduleNextUpdate();
    // While held (the network is down), a scheduled update that falls due is announced and
    // waits; lifting the hold begins it. True when it did.
    bool holdScheduledUpdates(bool held);
    // Brings the daylight-saving option in line with the zone's state at a UTC moment.
    void keepDaylightOptionInStep(const QDateTime& utc);
    // How often a walk down the list may wrap to the top when the loop option is set; -1: always.
    void setWrapLimit(int wraps) { wrapLimit_ = wraps; }

    RunState runState() const { return runState_; }
    int attempt() const { return attempt_; }
    qint64 elapsed() const { return elapsedMs_; }
    QDateTime nextUpdate() const { return nextUpdate_; }
    // The local time the latest tick showed, whole seconds, and the UTC it stands for by the
    // zone and the daylight-saving option.
    QDateTime shownTime() const { return lastShownTime_; }
    QDateTime shownUtc() const { return shownUtc_; }
    // The message of the latest endUpdate ("Last updated" after a success).
    QString lastEndMessage() const { return lastEndMessage_; }
    // A run on a server has begun and not yet ended.
    bool runUnderWay() const { return runUnderWay_; }
    // No run under way and none about to begin.
    bool isIdle() const { return !runUnderWay_ && !pendingWrapAt_; }
    // The monotonic moment of the next thing that must happen without any event: a wait that
    // runs out, or a walk that begins again from the top.
    std::optional<qint64> nextDeadline() const;

Q_SIGNALS:
    // A run begins on the server in the address fields (each server of a walk down the list).
    void runBegun();
    // The run ended, or an end was asked for with no run under way; the message says why.
    void runEnded(const QString& message);
    void runStateChanged();
    // shownTime() and shownUtc() are new.
    void displaysChanged();
    void daylightOptionChanged();
    void closeRequested();

private:
    // ShunnedByServer: the server refused us for good earlier in this walk.
    enum class RunStart { Started, FailedAtOnce, Refused, ShunnedByServer };

    RunStart startRun();
    void walkFromSelectedRow();
    bool handOver(const QString& reason);
    void queryServer();
    void tryNextServer(const QString& reason);

    // The run's exchange (queryexchange.cpp).
    void onReady();
    void onConnecting();
    void onSampleTaken(const TimeSample& sample);
    void onQueryAgain();
    void onGaveUp(const QString& reason, TimeExchange::Shun shun);
    void closeExchanges();

    // The times a correction shows in the log: the clock before, and the time it is set to.
    struct ClockSetting {
        QDateTime oldLocal;
        QDateTime newLocal;
        std::optional<qint64> measuredOffsetNs = std::nullopt;  // its exact size, shown
    };
    // From a named UTC second (clockcorrection.cpp) or by a measured offset
    // (offsetcorrection.cpp).
    void correctToSecond(const QDateTime& serverUtc);
    void correctByOffset(qint64 offsetNs);
    void clockSetAnswered(const ClockSetResult& result);
    void setClock(const ClockSetting& setting, const ClockChange& change);
    void finishCorrection(const ClockSetting& setting, const ClockSetResult& result);
    void logClockSetting(const ClockSetting& setting, const ClockSetResult& result);
    void logSecondsCorrection(const ClockSetting& setting);
    void logOffsetCorrection(const ClockSetting& setting);
    void selectFirstServer();
    QString serverAddress() const;

    void guardDaylightSaving(const QDateTime& shown, qint64 bootMs, qint32 shift);
    void setDaylightOption(int state);
    bool scheduleDue(const QDateTime& shown) const;
    void beginScheduledUpdate();
    QDateTime nowPlusUpdatePeriod() const;
    QString timeText(const QDateTime& wall) const;
    // How a correction's log line says what became of the clock.
    QString correctionVerb() const;

    EngineParts parts_;
    TimeZone timeZone_;

    RunState runState_ = RunState::Idle;
    int attempt_ = 0;
    qint64 timeMarkMs_ = 0;  // monotonic milliseconds of the last connect request or query
    qint64 elapsedMs_ = 0;
    QDateTime nextUpdate_;
    QDateTime announcedUpdate_;  // the scheduled update "Scheduled update:" was logged for
    bool scheduleHeld_ = false;
    QDateTime lastShownTime_;
    qint64 lastTickBootMs_ = 0;
    bool clockSetSinceLastTick_ = false;
    // The request to set the clock that the setter has yet to answer, whether or not its run
    // still waits for it (RunState::SettingClock): the clock may change by our own step at any
    // moment, which the daylight-saving guard must not judge, and no other step may be stacked
    // on it. Kept across runs, so that even a late answer is logged.
    std::optional<ClockSetting> clockRequest_;
    bool runUnderWay_ = false;
    QDateTime shownUtc_;
    QString lastEndMessage_;

    TimeExchange* exchange_ = nullptr;  // the one the latest run talks to
    // Servers that told us to stop: not asked again until the next walk.
    QSet<QString> shunningServers_;

    qint64 walkStartedAt_ = 0;
    int wrapsDone_ = 0;
    int wrapLimit_ = -1;
    std::optional<qint64> pendingWrapAt_;
};
