#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <initializer_list>
#include <memory>

#include "engine/trayview.h"

class QMenu;

// The notification-area icon: one of two pictures with a tooltip, and the tray's clicks as
// presses, releases and double clicks of a mouse button. A click that arrives while the
// program still handles the previous one is dropped.
//
// StatusNotifier hosts (KDE Plasma, Xfce's status tray, GNOME's AppIndicator extension) pass on
// no raw clicks, only "activate" and a menu. There, activating the icon counts as a left double
// click, and the icon carries a menu whose entries stand for the right button: "Update Clock"
// for a right click, "Show Quorvel" for a left double click, "Quit" for a right double click.
class TrayIcon : public QObject, public TrayView {
    Q_OBJECT
public:
    // Trays show at most this many characters of a tooltip.
    static constexpr int TipCapacity = 63;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void setPictures(const QIcon& idle, const QIcon& updating);
    void show(Picture picture, const QString& toolTip) override;
    void hide();

    // The icon as the platform shows it; null before the first show().
    QSystemTrayIcon* platformIcon() const { return icon_; }

Q_SIGNALS:
    void pressed(Qt::MouseButton button);
    void released(Qt::MouseButton button);
    void doubleClicked(Qt::MouseButton button);

private:
    enum class Event { Press, Release, DoubleClick };

    void create();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onRightClick();
    void deliver(std::initializer_list<Event> events, Qt::MouseButton button);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QIcon idlePicture_;
    QIcon updatingPicture_;
    QPointer<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;  // on StatusNotifier hosts only
    bool inEvent_ = false;
    QElapsedTimer lastRightClick_;
};
