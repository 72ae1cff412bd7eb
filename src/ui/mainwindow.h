#pragma once

#include <QWidget>

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

    // The first showing after the start-up sequence: none when that minimized it into the tray.
    void showAfterLaunch();
    // Back from the tray: normal state, visible, in front with the keyboard focus.
    void restoreFromTray();
    // Moves the keyboard focus to one of the two update buttons, even while the window is inactive.
    void handFocusTo(QPushButton* button);

Q_SIGNALS:
    // The window is being closed; emitted once.
    void closing();
    void updateFocusChanged(bool hasFocus);
    void disconnectFocusChanged(bool hasFocus);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainControls controls_;
    bool closing_ = false;
};
