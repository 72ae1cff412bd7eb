#include "ui/dbustraytypes.h"

#include <QDBusMetaType>
#include <QImage>
#include <QtEndian>

namespace {
// A structure of the given fields, in their order.
template <typename... Fields>
QDBusArgument& putStructure(QDBusArgument& argument, const Fields&... fields) {
    argument.beginStructure();
    (argument << ... << fields);
    argument.endStructure();
    return argument;
}

template <typename... Fields>
const QDBusArgument& takeStructure(const QDBusArgument& argument, Fields&... fields) {
    argument.beginStructure();
    (argument >> ... >> fields);
    argument.endStructure();
    return argument;
}
}  // namespace

IconPixmaps iconPixmaps(const QIcon& icon) {
    IconPixmaps pictures;
    for (const int side : {16, 22, 24, 32, 48}) {
        const QImage image =
            icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        IconPixmap picture{image.width(), image.height(), {}};
        picture.pixels.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(picture.pixels.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pictures.append(picture);
    }
    return pictures;
}

void registerTrayDBusTypes() {
    qDBusRegisterMetaType<IconPixmap>();
    qDBusRegisterMetaType<IconPixmaps>();
    qDBusRegisterMetaType<ItemToolTip>();
    qDBusRegisterMetaType<MenuLayout>();
    qDBusRegisterMetaType<MenuEntryProperties>();
    qDBusRegisterMetaType<MenuEntriesProperties>();
    qDBusRegisterMetaType<MenuEvent>();
    qDBusRegisterMetaType<MenuEvents>();
}

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap) {
    return putStructure(argument, pixmap.width, pixmap.height, pixmap.pixels);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap) {
    return takeStructure(argument, pixmap.width, pixmap.height, pixmap.pixels);
}

QDBusArgument& operator<<(QDBusArgument& argument, const ItemToolTip& tip) {
    return putStructure(argument, tip.iconName, tip.pictures, tip.title, tip.text);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ItemToolTip& tip) {
    return takeStructure(argument, tip.iconName, tip.pictures, tip.title, tip.text);
}

// The entries below one come as variants, each holding an entry of the same shape.
QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout) {
    argument.beginStructure();
    argument << layout.id << layout.properties;
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const MenuLayout& child : layout.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout) {
    argument.beginStructure();
    argument >> layout.id >> layout.properties;
    argument.beginArray();
    layout.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        MenuLayout entry;
        qvariant_cast<QDBusArgument>(child.variant()) >> entry;
        layout.children.append(entry);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuEntryProperties& entry) {
    return putStructure(argument, entry.id, entry.properties);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEntryProperties& entry) {
    return takeStructure(argument, entry.id, entry.properties);
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event) {
    return putStructure(argument, event.id, event.eventId, event.data, event.timestamp);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event) {
    return takeStructure(argument, event.id, event.eventId, event.data, event.timestamp);
}
