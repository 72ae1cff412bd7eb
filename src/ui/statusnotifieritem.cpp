#include "ui/statusnotifieritem.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include "ui/statusnotifieradaptor.h"
#include "ui/trayhostwatch.h"
#include "ui/traymenu.h"

namespace {
const QString ItemPath = QStringLiteral("/StatusNotifierItem");
}  // namespace

StatusNotifierItem::StatusNotifierItem(QObject* parent)
    : QObject(parent),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                   .arg(QCoreApplication::applicationPid())),
      adaptor_(new StatusNotifierAdaptor(*this)),
      menu_(new TrayMenu(&menuObject_, [this](TrayMenu::Entry entry) {
          switch (entry) {
              case TrayMenu::Entry::UpdateClock:
                  Q_EMIT updateRequested();
                  break;
              case TrayMenu::Entry::ShowOrHide:
                  if (menu_->windowShown())
                      Q_EMIT hideRequested();
                  else
                      Q_EMIT showRequested();
                  break;
              case TrayMenu::Entry::Quit:
                  Q_EMIT quitRequested();
                  break;
          }
      })) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    registerTrayDBusTypes();
    if (!bus.registerObject(ItemPath, this, QDBusConnection::ExportAdaptors) ||
        !bus.registerObject(QString::fromLatin1(MenuPath), &menuObject_,
                            QDBusConnection::ExportAdaptors) ||
        !bus.registerService(service_))
        return;
    hosts_ = new TrayHostWatch(bus, service_, this);
    connect(hosts_, &TrayHostWatch::hostPresentChanged, this,
            &StatusNotifierItem::hostPresentChanged);
}

// Hosts drop the item when its name goes.
StatusNotifierItem::~StatusNotifierItem() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(service_);
    bus.unregisterObject(QString::fromLatin1(MenuPath));
    bus.unregisterObject(ItemPath);
}

bool StatusNotifierItem::hostPresent() const {
    return hosts_ && hosts_->hostPresent();
}

void StatusNotifierItem::setPicture(const QIcon& picture) {
    if (picture.cacheKey() == picture_.cacheKey())
        return;
    picture_ = picture;
    pixmaps_ = iconPixmaps(picture);
    Q_EMIT adaptor_->NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& text) {
    if (text == toolTip_)
        return;
    toolTip_ = text;
    Q_EMIT adaptor_->NewToolTip();
}

void StatusNotifierItem::setWindowShown(bool shown) {
    menu_->setWindowShown(shown);
}
