#include "serverlist/serverlist.h"

ServerEntry ServerList::entry(int index) const {
    if (index < 0 || index >= count())
        return {};
    const ServerEntry stored = entries_.at(index);
    return {trimSpaces(stored.host), trimSpaces(stored.port)};
}

QString ServerList::row(int index) const {
    if (index < 0 || index >= count())
        return {};
    const ServerEntry stored = entries_.at(index);
    return formatServerRow(stored.host, stored.port);
}

bool ServerList::append(const ServerEntry& entry) {
    return insert(count(), entry);
}

bool ServerList::insert(int index, const ServerEntry& entry) {
    if (count() >= MaxRows || index < 0 || index > count())
        return false;
    entries_.insert(index, entry);
    Q_EMIT rowsChanged();
    return true;
}

void ServerList::remove(int index) {
    if (index < 0 || index >= count())
        return;
    entries_.removeAt(index);
    Q_EMIT rowsChanged();
    // A selection past the new end names no row any more.
    if (selectedIndex_ >= count())
        select(-1);
}

void ServerList::replace(int index, const ServerEntry& entry) {
    if (index < 0 || index >= count())
        return;
    entries_.replace(index, entry);
    Q_EMIT rowsChanged();
}

void ServerList::clear() {
    entries_.clear();
    Q_EMIT rowsChanged();
    select(-1);
}

void ServerList::select(int index) {
    selectedIndex_ = index >= 0 && index < count() ? index : -1;
    if (selectedIndex_ >= 0) {
        const ServerEntry shown = entry(selectedIndex_);
        setAddress(shown.host, shown.port);
    }
    Q_EMIT selected(selectedIndex_);
}

void ServerList::setAddress(const QString& ip, const QString& port) {
    if (ip == addressHost_ && port == addressPort_)
        return;
    addressHost_ = ip;
    addressPort_ = port;
    Q_EMIT addressChanged();
}

void ServerList::load(const ServerEntries& entries) {
    entries_ = entries;
    entries_.truncate(MaxRows);
    Q_EMIT rowsChanged();
    select(0);
}
