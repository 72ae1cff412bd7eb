#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

#include "ui/maincontrols.h"

// frmMain: shows the program's state and hands the user's actions on. Minimizing hides it to
// the tray icon (or leaves it minimized when the desktop has no tray, so it is never lost);
// closing it, by the close box or by the program, is the program's end.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    const MainControls& controls() const { return controls_; }

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
    // Moves the keyboard focus to one of the two update buttons, even while the window is inactive.
    void handFocusTo(QPushButton* button);

Q_SIGNALS:
    // The window is being closed; emitted once.
    void closing();
    // Shown and not minimized, or no longer.
    void shownChanged(bool shown);
    void updateFocusChanged(bool hasFocus);
    void disconnectFocusChanged(bool hasFocus);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool hidesWhenMinimized() const { return inTray_ && inTray_(); }
    void followShown();

    MainControls controls_;
    std::function<bool()> inTray_;
    bool shown_ = false;
    bool closing_ = false;
};
