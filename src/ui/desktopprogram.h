#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <memory>

#include "serverlist/servereditor.h"
#include "session/session.h"
#include "ui/programpictures.h"
#include "ui/trayicon.h"

class AutostartEntry;
class Clock;
class ClockWatch;
class ClockSetter;
class MainWindow;
class NetworkState;
class ZoneSource;

// What the desktop program runs on; tests put doubles in.
struct DesktopParts {
    const Clock& clock;
    const ZoneSource& zone;
    ClockSetter& clockSetter;
    const AutostartEntry& autostart;  // launch at login
    QString dataFolder;
    QString launchCommand;  // what the start-up entry launches
    ProgramPictures pictures;
    QLocale locale = QLocale::system();
    // Reports clock and zone changes, so that the hidden program need not tick each second.
    ClockWatch* clockWatch = nullptr;
    // Reports the network's comings and goings, so that updates wait for it after a resume.
    NetworkState* network = nullptr;
};

// The desktop program: the main window with its tray icon, the session behind them, and the
// start-up and shut-down sequences in their fixed order. Closing the main window, however it
// is closed, runs the shut-down sequence once and then reports ended().
class DesktopProgram : public QObject {
    Q_OBJECT
public:
    explicit DesktopProgram(const DesktopParts& parts);
    ~DesktopProgram() override;

    void startUp();
    // Closes the main window, and so runs the shut-down sequence (the session's end, a signal).
    void end();
    // A later launch asked for the window: back from the tray, in front, on Wayland with the
    // activation token that launch was started with (empty when none).
    void restoreWindow(const QString& activationToken);

    MainWindow& window() { return *window_; }
    Session& session() { return session_; }

Q_SIGNALS:
    // The Help button was pressed.
    void helpRequested();
    // The shut-down sequence has run.
    void ended();

private:
    void shutDown();
    void wireTray();

    DesktopParts parts_;
    TrayIcon traMain_;
    Session session_;
    ServerEditor editor_;
    std::unique_ptr<MainWindow> window_;
    bool ended_ = false;
};
