#pragma once

#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

// What a StatusNotifier host does with the program's tray item, over the session bus: find it
// through the watcher, activate it, read and click its menu.

inline QVariant statusNotifierWatcherProperty(const char* name) {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    return QDBusInterface(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher)
        .property(name);
}

inline QStringList registeredStatusNotifierItems() {
    return statusNotifierWatcherProperty("RegisteredStatusNotifierItems").toStringList();
}

// An item as the watcher lists it: "SERVICE", "SERVICE/PATH" or, from GNOME's AppIndicator
// extension, "SERVICE@/PATH".
inline std::unique_ptr<QDBusInterface> statusNotifierItem(const QString& registered) {
    const qsizetype slash = registered.indexOf(u'/');
    QString service = registered.left(slash);
    if (service.endsWith(u'@'))
        service.chop(1);
    return std::make_unique<QDBusInterface>(
        service,
        slash < 0 ? QStringLiteral("/StatusNotifierItem") : registered.mid(slash),
        QStringLiteral("org.kde.StatusNotifierItem"));
}

namespace statusnotifier_detail {
// The id of every labelled entry of an exported menu layout, (ia{sv}av) nested.
inline void collectEntries(const QDBusArgument& layout, QMap<QString, int>& ids) {
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        collectEntries(qvariant_cast<QDBusArgument>(child.variant()), ids);
    }
    layout.endArray();
    layout.endStructure();
    if (properties.contains(QStringLiteral("label")))
        ids.insert(properties.value(QStringLiteral("label")).toString(), id);
}

inline std::unique_ptr<QDBusInterface> menuOf(QDBusInterface& item) {
    const auto path = qvariant_cast<QDBusObjectPath>(item.property("Menu"));
    return std::make_unique<QDBusInterface>(item.service(), path.path(),
                                            QStringLiteral("com.canonical.dbusmenu"));
}
}  // namespace statusnotifier_detail

// The labelled entries of the item's menu and their ids; empty when it has no menu.
inline QMap<QString, int> menuEntries(QDBusInterface& item) {
    const QDBusMessage layout = statusnotifier_detail::menuOf(item)->call(
        QStringLiteral("GetLayout"), 0, -1, QStringList());
    QMap<QString, int> ids;
    if (layout.type() == QDBusMessage::ReplyMessage)
        statusnotifier_detail::collectEntries(
            qvariant_cast<QDBusArgument>(layout.arguments().value(1)), ids);
    return ids;
}

// Clicks a menu entry as a host does; the error's text, empty when the click went through.
inline QString clickMenuEntry(QDBusInterface& item, int id) {
    const QDBusMessage clicked = statusnotifier_detail::menuOf(item)->call(
        QStringLiteral("Event"), id, QStringLiteral("clicked"),
        QVariant::fromValue(QDBusVariant(0)), 0u);
    return clicked.type() == QDBusMessage::ReplyMessage
               ? QString()
               : QStringLiteral("no click: ") + clicked.errorMessage();
}
