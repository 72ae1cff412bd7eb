#include "ui/traymenu.h"

namespace {
constexpr int Root = 0;
constexpr TrayMenu::Entry Entries[] = {TrayMenu::Entry::UpdateClock, TrayMenu::Entry::ShowOrHide,
                                       TrayMenu::Entry::Quit};
}  // namespace

TrayMenu::TrayMenu(QObject* exported, std::function<void(Entry)> clicked)
    : QDBusAbstractAdaptor(exported), clicked_(std::move(clicked)) {}

void TrayMenu::setWindowShown(bool shown) {
    if (shown == windowShown_)
        return;
    windowShown_ = shown;
    Q_EMIT LayoutUpdated(++revision_, Root);
}

bool TrayMenu::knows(int id) const {
    return id >= Root && id <= int(Entry::Quit);
}

QVariantMap TrayMenu::properties(int id) const {
    if (id == Root)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    QString label;
    switch (Entry(id)) {
        case Entry::UpdateClock:
            label = tr("Update Clock");
            break;
        case Entry::ShowOrHide:
            label = windowShown_ ? tr("Hide Quorvel") : tr("Show Quorvel");
            break;
        case Entry::Quit:
            label = tr("Quit");
            break;
    }
    return {{QStringLiteral("label"), label},
            {QStringLiteral("enabled"), true},
            {QStringLiteral("visible"), true}};
}

// Every entry is sent with all its properties: a client that asked for fewer ignores the rest.
uint TrayMenu::GetLayout(int parentId, int recursionDepth, const QStringList&, MenuLayout& layout) {
    const int id = knows(parentId) ? parentId : Root;
    layout = {id, properties(id), {}};
    if (id == Root && recursionDepth != 0)
        for (const Entry entry : Entries)
            layout.children.append({int(entry), properties(int(entry)), {}});
    return revision_;
}

MenuEntriesProperties TrayMenu::GetGroupProperties(const QList<int>& ids, const QStringList&) {
    MenuEntriesProperties found;
    for (const int id : ids)
        if (knows(id))
            found.append({id, properties(id)});
    return found;
}

QDBusVariant TrayMenu::GetProperty(int id, const QString& name) {
    return QDBusVariant(properties(id).value(name));
}

void TrayMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    deliver(id, eventId);
}

QList<int> TrayMenu::EventGroup(const MenuEvents& events) {
    QList<int> unknown;
    for (const MenuEvent& event : events)
        if (!deliver(event.id, event.eventId))
            unknown.append(event.id);
    return unknown;
}

bool TrayMenu::AboutToShow(int) {
    return false;  // the layout never needs fetching again before it is shown
}

QList<int> TrayMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    for (const int id : ids)
        if (!knows(id))
            idErrors.append(id);
    return {};
}

bool TrayMenu::deliver(int id, const QString& eventId) {
    if (!knows(id))
        return false;
    // From the event loop: a click may end the program, which takes this menu with it.
    if (id != Root && eventId == QStringLiteral("clicked"))
        QMetaObject::invokeMethod(
            this, [this, entry = Entry(id)] { clicked_(entry); }, Qt::QueuedConnection);
    return true;
}
