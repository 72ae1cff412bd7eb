#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// The shapes in which StatusNotifier hosts and menu clients take an icon and its menu over
// D-Bus.

// One picture of an icon: ARGB32 pixels, each in network byte order.
struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};
using IconPixmaps = QList<IconPixmap>;

// The icon's pictures at the sizes trays draw.
IconPixmaps iconPixmaps(const QIcon& icon);

struct ItemToolTip {
    QString iconName;
    IconPixmaps pictures;
    QString title;
    QString text;
};

// One menu entry and the entries below it.
struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<MenuLayout> children;
};

struct MenuEntryProperties {
    int id = 0;
    QVariantMap properties;
};
using MenuEntriesProperties = QList<MenuEntryProperties>;

// What a menu client reports the user did with an entry.
struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEvents = QList<MenuEvent>;

// Makes the shapes above known to QtDBus; call before exporting anything that uses them.
void registerTrayDBusTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const ItemToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, ItemToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuEntryProperties& entry);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEntryProperties& entry);
QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event);

Q_DECLARE_METATYPE(IconPixmap)
Q_DECLARE_METATYPE(ItemToolTip)
Q_DECLARE_METATYPE(MenuLayout)
Q_DECLARE_METATYPE(MenuEntryProperties)
Q_DECLARE_METATYPE(MenuEvent)
