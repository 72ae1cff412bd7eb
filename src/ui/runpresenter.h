#pragma once

#include <QLocale>
#include <QObject>
#include <QString>

class ActivityLog;
class MainWindow;
class TrayIcon;
class UpdateEngine;

// Shows what the engine reports: the tray icon's picture and tooltip at each run's start and
// end, the two update buttons, and the clock displays in the locale's general date-time form.
class RunPresenter : public QObject {
    Q_OBJECT
public:
    RunPresenter(UpdateEngine& engine, MainWindow& window, TrayIcon& tray, const ActivityLog& log,
                 QLocale locale, QObject* parent = nullptr);

private:
    void showBegun();
    void showEnded(const QString& message);
    void showDisplays();

    UpdateEngine& engine_;
    MainWindow& window_;
    TrayIcon& tray_;
    const ActivityLog& log_;
    QLocale locale_;
};
