#include "ui/statusnotifieradaptor.h"

#include "ui/statusnotifieritem.h"
#include "ui/waylandrestore.h"

StatusNotifierAdaptor::StatusNotifierAdaptor(StatusNotifierItem& item)
    : QDBusAbstractAdaptor(&item), item_(item) {}

QDBusObjectPath StatusNotifierAdaptor::menu() const {
    return QDBusObjectPath(QString::fromLatin1(StatusNotifierItem::MenuPath));
}

IconPixmaps StatusNotifierAdaptor::iconPixmap() const {
    return item_.pixmaps();
}

ItemToolTip StatusNotifierAdaptor::toolTip() const {
    return {QString(), {}, item_.toolTip(), QString()};
}

void StatusNotifierAdaptor::Activate(int, int) {
    Q_EMIT item_.activateRequested();
}

void StatusNotifierAdaptor::ProvideXdgActivationToken(const QString& token) {
    offerActivationToken(token);
}

// A middle click, or a scroll over the icon, means nothing here.
void StatusNotifierAdaptor::SecondaryActivate(int, int) {}

void StatusNotifierAdaptor::ContextMenu(int, int) {
    Q_EMIT item_.contextMenuRequested();
}

void StatusNotifierAdaptor::Scroll(int, const QString&) {}
