#include "ui/trayicon.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QMenu>
#include <QMouseEvent>

namespace {
// Qt shows the icon through a StatusNotifier host whenever one is registered with the watcher
// on the session bus, and through the XEmbed tray otherwise; we ask the same question.
bool statusNotifierHostPresent() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface properties(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return properties.property("IsStatusNotifierHostRegistered").toBool();
}

// Qt's XEmbed tray icon is a widget of this class; it drops the second press of a right double
// click, which we need to see.
bool isTrayWidget(const QObject* object) {
    return qstrcmp(object->metaObject()->className(), "QSystemTrayIconSys") == 0;
}
}  // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setPictures(const QIcon& idle, const QIcon& updating) {
    idlePicture_ = idle;
    updatingPicture_ = updating;
}

void TrayIcon::show(Picture picture, const QString& toolTip) {
    if (!icon_)
        create();
    icon_->setIcon(picture == Picture::Updating ? updatingPicture_ : idlePicture_);
    icon_->setToolTip(toolTip.left(TipCapacity));
    icon_->show();
}

void TrayIcon::hide() {
    if (icon_)
        icon_->hide();
}

void TrayIcon::create() {
    icon_ = new QSystemTrayIcon(this);
    connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
    if (!statusNotifierHostPresent())
        return;  // on an XEmbed tray a menu would swallow the right click
    menu_ = std::make_unique<QMenu>();
    menu_->addAction(tr("Update Clock"), this, [this] {
        deliver({Event::Press, Event::Release}, Qt::RightButton);
    });
    menu_->addAction(tr("Show Quorvel"), this,
                     [this] { deliver({Event::DoubleClick}, Qt::LeftButton); });
    menu_->addAction(tr("Quit"), this, [this] { deliver({Event::DoubleClick}, Qt::RightButton); });
    icon_->setContextMenu(menu_.get());
}

void TrayIcon::deliver(std::initializer_list<Event> events, Qt::MouseButton button) {
    if (inEvent_)
        return;
    inEvent_ = true;
    for (const Event event : events) {
        switch (event) {
            case Event::Press:
                Q_EMIT pressed(button);
                break;
            case Event::Release:
                Q_EMIT released(button);
                break;
            case Event::DoubleClick:
                Q_EMIT doubleClicked(button);
                break;
        }
    }
    inEvent_ = false;
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            // A StatusNotifier host's "activate" is all a user can do with the left button there.
            if (menu_)
                deliver({Event::DoubleClick}, Qt::LeftButton);
            else
                deliver({Event::Press, Event::Release}, Qt::LeftButton);
            break;
        case QSystemTrayIcon::DoubleClick:
            deliver({Event::DoubleClick}, Qt::LeftButton);
            break;
        case QSystemTrayIcon::Context:
            onRightClick();
            break;
        default:
            break;
    }
}

// A second right click within the double-click interval is a right double click.
void TrayIcon::onRightClick() {
    if (lastRightClick_.isValid() &&
        lastRightClick_.elapsed() < QApplication::doubleClickInterval()) {
        lastRightClick_.invalidate();
        deliver({Event::DoubleClick}, Qt::RightButton);
        return;
    }
    lastRightClick_.start();
    deliver({Event::Press, Event::Release}, Qt::RightButton);
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && icon_ && isTrayWidget(watched) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        onRightClick();
        return true;
    }
    return false;
}
