#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <initializer_list>
#include <memory>

class StatusNotifierItem;

// The notification-area icon: one of two pictures with a tooltip, and the tray's clicks as
// presses, releases and double clicks of a mouse button. A click that arrives while the
// program still handles the previous one is dropped.
//
// Where a StatusNotifier host runs (KDE Plasma, Xfce's status tray, GNOME's AppIndicator
// extension), the icon is the program's own StatusNotifierItem, which follows hosts that come
// and go; elsewhere it is Qt's XEmbed icon. Qt's own icon is never made while a host runs: Qt
// settles once per process whether it talks to a host, and would never find one that came
// later. Hosts pass on no raw clicks, only "activate" and a menu. There, activating the icon
// counts as a left double click, and the menu's entries stand for the right button: "Update
// Clock" for a right click, "Show Quorvel" for a left double click, "Quit" for a right double
// click; while the window is shown the second entry reads "Hide Quorvel" and asks to hide it.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // Trays show at most this many characters of a tooltip.
    static constexpr int TipCapacity = 63;
    enum class Picture { Idle, Updating };

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void setPictures(const QIcon& idle, const QIcon& updating);
    // Shows the icon with one of its two pictures and a tooltip.
    void show(Picture picture, const QString& toolTip);
    void hide();
    // Whether a tray shows the icon now, so that a window hidden into it can be found again.
    bool inTray() const;
    // The menu offers to hide a shown window and to show a hidden one.
    void setWindowShown(bool shown);

Q_SIGNALS:
    void pressed(Qt::MouseButton button);
    void released(Qt::MouseButton button);
    void doubleClicked(Qt::MouseButton button);
    void hideRequested();
    // The tray that showed the icon has gone.
    void trayLost();

private:
    enum class Event { Press, Release, DoubleClick };

    void place();
    void createPlatformIcon();
    void wireStatusNotifier();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onRightClick();
    void deliver(std::initializer_list<Event> events, Qt::MouseButton button);
    void guarded(const std::function<void()>& handling);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QIcon idlePicture_;
    QIcon updatingPicture_;
    QIcon picture_;
    QString toolTip_;
    bool shown_ = false;
    bool windowShown_ = false;
    QPointer<QSystemTrayIcon> icon_;  // the XEmbed icon, made when first needed
    std::unique_ptr<StatusNotifierItem> item_;
    bool inEvent_ = false;
    QElapsedTimer lastRightClick_;
};
