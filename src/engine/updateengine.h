#pragma once

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>
#include <optional>

#include "timezone/timezone.h"

class ActivityLog;
class Clock;
class ClockSetter;
class ServerList;
class TimeSocket;
class TrayView;
class ZoneSource;
struct ClockSetResult;
struct Settings;

// Everything the engine works with, owned by whoever runs it (the window, or the command line).
struct EngineParts {
    const Clock& clock;
    const ZoneSource& zone;
    ClockSetter& clockSetter;
    TimeSocket& socket;
    TrayView& tray;
    ActivityLog& log;
    Settings& settings;   // the options as their fields hold them
    ServerList& servers;  // the rows, the selection and the address fields
    QLocale locale = QLocale::system();
};

// One update run at a time: connect to the server in the address fields, send numbered queries,
// judge the replies, set the clock, or give the server up for the next row. Driven by triggers,
// socket events and the tick; reports through the activity log and the tray tooltip.
class UpdateEngine : public QObject {
    Q_OBJECT
public:
    enum class Button { Update, Disconnect };

    explicit UpdateEngine(const EngineParts& parts, QObject* parent = nullptr);

    // Triggers. Each logs its announcement, then begins a run (which a run under way refuses).
    void butUpdate_Click();
    void lstServers_DblClick();
    void startUpdate(const QString& announcement);
    void butDisconnect_Click();

    void BeginUpdate();
    void EndUpdate(const QString& message);

    // One tick: clock displays, daylight-saving guard, time-outs, schedule.
    void tmrConstant_Timer();

    // Sets the next scheduled update to now plus the update period (launch, period field left).
    void scheduleNextUpdate();
    // Brings the daylight-saving option in line with the zone's state at a UTC moment.
    void keepDaylightOptionInStep(const QDateTime& utc);
    // How often a walk down the list may wrap to the top when the loop option is set; -1: always.
    void setWrapLimit(int wraps) { wrapLimit_ = wraps; }

    // The focus flags the window keeps for the two buttons.
    void setUpdateHasFocus(bool hasFocus) { blnUpdateHasFocus = hasFocus; }
    void setDisconnectHasFocus(bool hasFocus) { blnDisconnectHasFocus = hasFocus; }

    QString updateState() const { return strUpdateState; }
    int attempt() const { return intAttempt; }
    qint64 elapsed() const { return intElapsed; }
    QDateTime nextUpdate() const { return datNextUpdate; }
    bool updateEnabled() const { return butUpdateEnabled; }
    bool disconnectEnabled() const { return butDisconnectEnabled; }
    QString yourTimeText() const { return txtYourTime; }
    QString utcTimeText() const { return txtUTCTime; }
    // The message of the latest EndUpdate ("Last updated" after a success).
    QString lastEndMessage() const { return lastEndMessage_; }
    // No run under way and none about to begin.
    bool isIdle() const { return butUpdateEnabled && !pendingWrapAt_; }
    // The monotonic moment of the next thing that must happen without any event: a wait that
    // runs out, or a walk that begins again from the top.
    std::optional<qint64> nextDeadline() const;

Q_SIGNALS:
    void buttonsChanged();
    void focusRequested(UpdateEngine::Button button);
    void runStateChanged();
    void displaysChanged();
    void daylightOptionChanged();
    void closeRequested();

private:
    enum class RunStart { Started, FailedAtOnce, Refused };

    RunStart startRun();
    void walkFromSelectedRow();
    bool handOver(const QString& reason);
    void QueryServer();
    void TryNextServer(const QString& reason);

    void socUpdate_Connect();
    void socUpdate_DataArrival(const QByteArray& reply);
    void socUpdate_ConnectionLost();
    // The times a correction shows in the log: the clock before, and the time it is set to.
    struct ClockSetting {
        QDateTime oldLocal;
        QDateTime newLocal;
    };
    void correctClock(const QByteArray& reply);
    void clockSetAnswered(const ClockSetResult& result);
    void finishCorrection(const ClockSetting& setting, const ClockSetResult& result);
    void logCorrection(const QDateTime& oldLocal, const QDateTime& newLocal);
    void selectFirstServer();

    void guardDaylightSaving(const QDateTime& shown, qint64 bootMs);
    void setDaylightOption(int state);
    bool scheduleDue(const QDateTime& shown) const;
    QDateTime nowPlusUpdatePeriod() const;
    void setButtons(bool updateEnabled);
    QString timeText(const QDateTime& wall) const;

    EngineParts parts_;
    TimeZone timeZone_;

    QString strUpdateState;
    int intAttempt = 0;
    qint64 lngTimeMark = 0;  // monotonic milliseconds of the last connect request or query
    qint64 intElapsed = 0;
    QDateTime datNextUpdate;
    QDateTime datLastShownTime;
    qint64 lastTickBootMs_ = 0;
    bool clockSetSinceLastTick_ = false;
    // The run waits for the clock setter's answer (state "s"); a cancel drops the wait.
    std::optional<ClockSetting> settingClock_;
    // A request to set the clock is out, whether or not its run still waits for it: the clock
    // may change by our own step at any moment, which the daylight-saving guard must not judge.
    bool clockAnswerOutstanding_ = false;
    bool butUpdateEnabled = true;
    bool butDisconnectEnabled = false;
    bool blnUpdateHasFocus = false;
    bool blnDisconnectHasFocus = false;
    QString txtYourTime;
    QString txtUTCTime;
    QString lastEndMessage_;

    qint64 walkStartedAt_ = 0;
    int wrapsDone_ = 0;
    int wrapLimit_ = -1;
    std::optional<qint64> pendingWrapAt_;
};
