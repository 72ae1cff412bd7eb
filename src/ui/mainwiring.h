#pragma once

#include <QObject>
#include <functional>

#include "ui/focusleavechecks.h"

class ActivityLog;
class MainWindow;
class QCheckBox;
class QLineEdit;
class QPushButton;
class ServerEditor;
class ServerList;
class ServerRowsModel;
class UpdateEngine;
struct MainControls;
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

// Connects the main window's controls to the program's state: the controls show the state, and
// the user's edits and clicks go to the engine, the server list editor and the options.
class MainWiring : public QObject {
    Q_OBJECT
public:
    MainWiring(MainWindow& window, const WindowModel& model);

    // Shows every option as the settings record holds it (after reading the file).
    void showSettings();

Q_SIGNALS:
    void helpRequested();

private:
    void wireOptions();
    void wireNumberField(QLineEdit* field, QString Settings::*text,
                         QString (*check)(const QString&));
    void wireServerList();
    void wireAddressFields();
    void wireEngine();
    void wireLog();
    // Every button runs the check of the field it takes the focus from, then its action.
    void onButton(QPushButton* button, std::function<void()> action);

    void showRows();
    void showSelection();
    void showAddress();
    void showButtons();
    void showDisplays();

    MainWindow& window_;
    const MainControls& c_;
    WindowModel m_;
    ServerRowsModel* rows_;
    // The view's selection is being set to show the list's own, not changed by the user.
    bool showingSelection_ = false;
    FocusLeaveChecks checks_;
};
