#pragma once

#include <QObject>
#include <functional>

#include "ui/mainwindow.h"

class ActivityLog;
class ServerEditor;
class ServerList;
class UpdateEngine;
struct Settings;

// What the main window shows and drives; owned by the program.
struct WindowModel {
    UpdateEngine& engine;
    std::function<void()> optionEdited;  // the tick tests the options: tick again soon
    Settings& settings;
    ServerList& servers;
    ServerEditor& editor;
    ActivityLog& log;
};

// Connects the main window to the program's state: the window shows the options, the server
// list and the log, and the user's edits and requests go to the engine, the server list editor
// and the options.
class MainWiring : public QObject {
    Q_OBJECT
public:
    MainWiring(MainWindow& window, const WindowModel& model);

private:
    void wireOptions();
    void wireServerList();
    void wireAddressFields();
    void wireRequests();
    void checkNumberField(MainWindow::Field field);
    void showAddress();
    void showSelection(int index);

    MainWindow& window_;
    WindowModel m_;
};
