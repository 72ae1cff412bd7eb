#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include "engine/trayview.h"

class QWidget;

// The notification-area icon. Icon and Tooltip are assigned first and take effect on Add or
// Modify; Remove takes the icon away. Clicks on the icon arrive as the platform's mouse codes
// (513 to 518) and leave as MouseDown, MouseUp and MouseDblClick with the button, 1 for left and
// 2 for right. For the engine it shows the idle or the updating picture with a tooltip.
class TrayIcon : public QObject, public TrayView {
    Q_OBJECT
public:
    // The shell shows at most this many characters of a tooltip.
    static constexpr int TipCapacity = 63;

    explicit TrayIcon(QObject* parent = nullptr);

    QPointer<QWidget> OwnerForm;

    void setIcon(const QIcon& icon) { IconPicture = icon; }
    QIcon Icon() const { return IconPicture; }
    void setTooltip(const QString& text) { TipText = text + QChar(0); }
    QString Tooltip() const { return TipText.chopped(1); }
    qint16 State() const { return CurrentState; }

    void Add();
    void Modify();
    void Remove();

    // The pictures the engine's two states stand for.
    void setPictures(const QIcon& idle, const QIcon& updating);
    void Modify(Picture picture, const QString& tooltip) override;

    // What the icon shows now; null before the first Add.
    QSystemTrayIcon* shown() const { return icon_; }

    // One mouse code of the platform; other codes, and codes that arrive while an event is
    // still being handled, raise nothing.
    void deliverCode(int code);

Q_SIGNALS:
    void MouseDown(int button);
    void MouseUp(int button);
    void MouseDblClick(int button);

private:
    void apply(qint16 state);
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QIcon IconPicture;
    QString TipText = QString(QChar(0));
    qint16 CurrentState = 0;
    bool InEvent = false;

    QIcon idlePicture_;
    QIcon updatingPicture_;
    QPointer<QSystemTrayIcon> icon_;  // belongs to the owner window once added
    QElapsedTimer lastRightClick_;
};
