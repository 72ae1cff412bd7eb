#include "ui/trayicon.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include "ui/statusnotifieritem.h"

namespace {
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
    picture_ = picture == Picture::Updating ? updatingPicture_ : idlePicture_;
    toolTip_ = toolTip.left(TipCapacity);
    shown_ = true;
    if (!item_) {
        item_ = std::make_unique<StatusNotifierItem>();
        item_->setWindowShown(windowShown_);
        wireStatusNotifier();
    }
    item_->setPicture(picture_);
    item_->setToolTip(toolTip_);
    place();
}

void TrayIcon::hide() {
    shown_ = false;
    item_.reset();
    place();
}

bool TrayIcon::inTray() const {
    if (item_ && item_->hostPresent())
        return true;
    // Asked only once Qt's icon exists, so that Qt settles on XEmbed.
    return icon_ && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setWindowShown(bool shown) {
    windowShown_ = shown;
    if (item_)
        item_->setWindowShown(shown);
}

// A host shows the item; without one, Qt's XEmbed icon stands in and waits for a tray.
void TrayIcon::place() {
    const bool xembed = shown_ && !(item_ && item_->hostPresent());
    if (xembed && !icon_)
        createPlatformIcon();
    if (!icon_)
        return;
    if (xembed) {
        icon_->setIcon(picture_);
        icon_->setToolTip(toolTip_);
    }
    icon_->setVisible(xembed);
}

// On an XEmbed tray a menu would swallow the right click, so the icon has none.
void TrayIcon::createPlatformIcon() {
    icon_ = new QSystemTrayIcon(this);
    connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

void TrayIcon::wireStatusNotifier() {
    StatusNotifierItem* item = item_.get();
    connect(item, &StatusNotifierItem::hostPresentChanged, this, [this](bool present) {
        place();
        // Whether an XEmbed tray took the icon over is not known yet: the X server may not
        // have seen the same host's end.
        if (!present)
            Q_EMIT trayLost();
    });
    const auto restore = [this] { deliver({Event::DoubleClick}, Qt::LeftButton); };
    const auto update = [this] { deliver({Event::Press, Event::Release}, Qt::RightButton); };
    connect(item, &StatusNotifierItem::activateRequested, this, restore);
    connect(item, &StatusNotifierItem::showRequested, this, restore);
    connect(item, &StatusNotifierItem::contextMenuRequested, this, update);
    connect(item, &StatusNotifierItem::updateRequested, this, update);
    connect(item, &StatusNotifierItem::hideRequested, this,
            [this] { guarded([this] { Q_EMIT hideRequested(); }); });
    connect(item, &StatusNotifierItem::quitRequested, this,
            [this] { deliver({Event::DoubleClick}, Qt::RightButton); });
}

void TrayIcon::deliver(std::initializer_list<Event> events, Qt::MouseButton button) {
    guarded([this, events, button] {
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
    });
}

void TrayIcon::guarded(const std::function<void()>& handling) {
    if (inEvent_)
        return;
    inEvent_ = true;
    handling();
    inEvent_ = false;
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
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
    if (!icon_ || !isTrayWidget(watched))
        return false;
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        onRightClick();
        return true;
    }
    // Qt hides its XEmbed icon when the tray that held it goes away, and shows it again in the
    // next tray that comes.
    if (event->type() == QEvent::Hide && icon_->isVisible())
        QTimer::singleShot(0, this, [this] {
            if (icon_ && icon_->isVisible() && !inTray())
                Q_EMIT trayLost();
        });
    return false;
}
