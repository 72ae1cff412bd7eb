#pragma once

#include <QTest>
#include <QtDBus>
#include <algorithm>
#include <memory>
#include <utility>

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
        service, slash < 0 ? QStringLiteral("/StatusNotifierItem") : registered.mid(slash),
        QStringLiteral("org.kde.StatusNotifierItem"));
}

// The item that process PID registered with the watcher; none while it has not.
inline std::unique_ptr<QDBusInterface> statusNotifierItemOf(qint64 pid) {
    for (const QString& registered : registeredStatusNotifierItems())
        if (auto item = statusNotifierItem(registered);
            QDBusConnection::sessionBus().interface()->servicePid(item->service()).value() == pid)
            return item;
    return nullptr;
}

namespace statusnotifier_detail {
// The labelled entries of an exported menu layout, (ia{sv}av) nested, in their order.
inline void collectEntries(const QDBusArgument& layout, QList<std::pair<int, QString>>& entries) {
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    if (properties.contains(QStringLiteral("label")))
        entries.append({id, properties.value(QStringLiteral("label")).toString()});
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        collectEntries(qvariant_cast<QDBusArgument>(child.variant()), entries);
    }
    layout.endArray();
    layout.endStructure();
}

inline std::unique_ptr<QDBusInterface> menuOf(QDBusInterface& item) {
    const auto path = qvariant_cast<QDBusObjectPath>(item.property("Menu"));
    return std::make_unique<QDBusInterface>(item.service(), path.path(),
                                            QStringLiteral("com.canonical.dbusmenu"));
}
}  // namespace statusnotifier_detail

// The labelled entries of the item's menu, (id, label) in their order; none when it has no menu.
inline QList<std::pair<int, QString>> menuEntries(QDBusInterface& item) {
    const QDBusMessage layout = statusnotifier_detail::menuOf(item)->call(
        QStringLiteral("GetLayout"), 0, -1, QStringList());
    QList<std::pair<int, QString>> entries;
    if (layout.type() == QDBusMessage::ReplyMessage)
        statusnotifier_detail::collectEntries(
            qvariant_cast<QDBusArgument>(layout.arguments().value(1)), entries);
    return entries;
}

inline QStringList menuLabels(QDBusInterface& item) {
    QStringList labels;
    for (const auto& entry : menuEntries(item))
        labels.append(entry.second);
    return labels;
}

// Clicks the menu entry with that label as a host does; the test fails when it cannot.
inline void clickMenuEntry(QDBusInterface& item, const QString& label) {
    const auto entries = menuEntries(item);
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const auto& e) { return e.second == label; });
    QVERIFY2(entry != entries.end(),
             qPrintable("no entry " + label + " in " + menuLabels(item).join(", ")));
    const QDBusMessage clicked = statusnotifier_detail::menuOf(item)->call(
        QStringLiteral("Event"), entry->first, QStringLiteral("clicked"),
        QVariant::fromValue(QDBusVariant(0)), 0u);
    QVERIFY2(clicked.type() == QDBusMessage::ReplyMessage, qPrintable(clicked.errorMessage()));
}

inline bool statusNotifierHostRegistered() {
    return statusNotifierWatcherProperty("IsStatusNotifierHostRegistered").toBool();
}
