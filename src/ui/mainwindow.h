#pragma once

#include <QWidget>
#include <functional>

#include "ui/focusleavechecks.h"
#include "ui/mainlayout.h"

class QPushButton;
class ServerList;
class ServerRowsModel;
struct ProgramPictures;
struct Settings;

// frmMain: shows the program's state and hands the user's actions on, in the program's terms.
// Minimizing hides it to the tray icon (or leaves it minimized when the desktop has no tray, so
// it is never lost); closing it, by the close box or by the program, is the program's end.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The check-box options, and the text fields the user edits.
    enum class Option {
        LaunchAtLogin,
        MinimizeOnLaunch,
        UpdateOnLaunch,
        CloseAfterUpdate,
        Scheduled,
        LoopList,
        DaylightSaving
    };
    enum class Field { UpdatePeriod, ConnectWait, MaxReplyDelay, ReplyWait, Attempts, Host, Port };

    // The setting an option or a number field stands for; null for the address fields, which
    // are the server list's.
    static int Settings::*settingOf(Option option);
    static QString Settings::*settingOf(Field field);

    // The list view shows the rows of this list.
    explicit MainWindow(const ServerList& servers, QWidget* parent = nullptr);

    void setPictures(const ProgramPictures& pictures);
    // Whether a tray shows the program's icon now; without one the window is never hidden.
    void setTrayCheck(std::function<bool()> inTray) { inTray_ = std::move(inTray); }

    // The first showing after the start-up sequence. A window to start hidden is not shown at
    // all while a tray holds the icon, and is shown minimized otherwise: one set minimized
    // before its first showing may never come back under a window manager.
    void showAfterLaunch(bool hidden);
    // Back from the tray: normal state, visible, in front with the keyboard focus.
    void restoreFromTray();
    // Into the tray, as minimizing does.
    void hideToTray();

    // Every option and number field as the settings record holds them.
    void showSettings(const Settings& settings);
    // 0 unchecked, 1 checked, 2 greyed (which the user's next click leaves for good).
    void showOption(Option option, int state);
    void showField(Field field, const QString& text);
    void showClockTexts(const QString& yourTime, const QString& utcTime);
    // Enables Stop Update while a run is under way and Update Clock otherwise. When the button
    // being disabled holds the keyboard focus, the focus moves to the one being enabled, even
    // while the window is inactive.
    void setRunUnderWay(bool underWay);
    // The list's rows have changed; the selection is shown again.
    void showRows(int selectedIndex);
    void showSelection(int index);
    void setMoveStates(bool canMoveUp, bool canMoveDown);
    void appendLogLine(const QString& line);

Q_SIGNALS:
    // The buttons. Each comes after the check of the field the button takes the focus from.
    void updateRequested();
    void cancelRequested();
    void helpRequested();
    void addRequested();
    void modifyRequested();
    void removeRequested();
    void moveUpRequested();
    void moveDownRequested();
    // A click on a row, even the selected one; the user moving the current row; a double click.
    void serverRowClicked(int row);
    void serverRowChosen(int row);
    void serverRowDoubleClicked();
    void optionEdited(MainWindow::Option option, int state);
    // Number fields report every change of their text, the program's own too; the address
    // fields only the user's typing.
    void fieldEdited(MainWindow::Field field, const QString& text);
    // The focus left the field (switching to another program or opening a menu does not).
    void fieldLeft(MainWindow::Field field);
    // The window is being closed; emitted once.
    void closing();
    // Shown and not minimized, or no longer.
    void shownChanged(bool shown);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // mainwindowcontrols.cpp
    void wireControls();
    void wireButton(QPushButton* button, void (MainWindow::*requested)());
    void handFocusTo(QPushButton* button);

    bool hidesWhenMinimized() const { return inTray_ && inTray_(); }
    void followShown();

    MainWidgets w_;
    ServerRowsModel* rows_;
    FocusLeaveChecks checks_;
    std::function<bool()> inTray_;
    // The view's selection is being set to show the list's own, not changed by the user.
    bool showingSelection_ = false;
    // Kept here, as an inactive window gets no focus events.
    bool updateHasFocus_ = false;
    bool disconnectHasFocus_ = false;
    bool shown_ = false;
    bool closing_ = false;
};
