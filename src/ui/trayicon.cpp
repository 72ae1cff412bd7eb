#include "ui/trayicon.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {
enum MouseCode {
    LeftDown = 513,
    LeftUp = 514,
    LeftDoubleClick = 515,
    RightDown = 516,
    RightUp = 517,
    RightDoubleClick = 518,
};

// Qt's X11 tray icon is a widget of this class; it drops the second press of a right double
// click, which we need to see.
bool isTrayWidget(const QObject* object) {
    return qstrcmp(object->metaObject()->className(), "QSystemTrayIconSys") == 0;
}
}  // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

void TrayIcon::Add() {
    apply(1);
}

void TrayIcon::Modify() {
    apply(2);
}

void TrayIcon::apply(qint16 state) {
    if (!icon_) {
        icon_ = new QSystemTrayIcon(OwnerForm ? static_cast<QObject*>(OwnerForm.data()) : this);
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
    }
    icon_->setIcon(IconPicture);
    // The shell shows the tip up to its terminating NUL, and never more than 63 characters.
    icon_->setToolTip(TipText.section(QChar(0), 0, 0).left(TipCapacity));
    icon_->show();
    CurrentState = state;
}

void TrayIcon::Remove() {
    if (icon_)
        icon_->hide();
    CurrentState = 0;
}

void TrayIcon::setPictures(const QIcon& idle, const QIcon& updating) {
    idlePicture_ = idle;
    updatingPicture_ = updating;
}

void TrayIcon::Modify(Picture picture, const QString& tooltip) {
    setIcon(picture == Picture::Updating ? updatingPicture_ : idlePicture_);
    setTooltip(tooltip);
    Modify();
}

void TrayIcon::deliverCode(int code) {
    if (InEvent)
        return;
    InEvent = true;
    switch (code) {
        case LeftDown:
            Q_EMIT MouseDown(1);
            break;
        case LeftUp:
            Q_EMIT MouseUp(1);
            break;
        case LeftDoubleClick:
            Q_EMIT MouseDblClick(1);
            break;
        case RightDown:
            Q_EMIT MouseDown(2);
            break;
        case RightUp:
            Q_EMIT MouseUp(2);
            break;
        case RightDoubleClick:
            Q_EMIT MouseDblClick(2);
            break;
        default:
            break;
    }
    InEvent = false;
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            deliverCode(LeftDown);
            deliverCode(LeftUp);
            break;
        case QSystemTrayIcon::DoubleClick:
            deliverCode(LeftDoubleClick);
            break;
        case QSystemTrayIcon::Context:
            if (lastRightClick_.isValid() &&
                lastRightClick_.elapsed() < QApplication::doubleClickInterval()) {
                lastRightClick_.invalidate();
                deliverCode(RightDoubleClick);
                break;
            }
            lastRightClick_.start();
            deliverCode(RightDown);
            deliverCode(RightUp);
            break;
        default:
            break;
    }
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && icon_ && isTrayWidget(watched) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        onActivated(QSystemTrayIcon::Context);
        return true;
    }
    return false;
}
