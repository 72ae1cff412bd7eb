#include "serverlist/serverlist.h"

#include <algorithm>

ServerEntry ServerList::entry(int index) const {
    if (index < 0 || index >= count())
        return {};
    const ServerEntry& stored = entries_[index];
    return {trimSpaces(stored.host), trimSpaces(stored.port)};
}

QString ServerList::row(int index) const {
    if (index < 0 || index >= count())
        return {};
    return FormatServerRow(entries_[index].host, entries_[index].port);
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
    if (listIndex_ >= count())
        setListIndex(-1);
}

void ServerList::replace(int index, const ServerEntry& entry) {
    if (index < 0 || index >= count())
        return;
    entries_[index] = entry;
    Q_EMIT rowsChanged();
}

void ServerList::clear() {
    entries_.clear();
    Q_EMIT rowsChanged();
    setListIndex(-1);
}

void ServerList::setListIndex(int index) {
    const int previousIndex = listIndex_;
    const bool previousMoveUp = moveUpEnabled_;
    const bool previousMoveDown = moveDownEnabled_;
    listIndex_ = index >= 0 && index < count() ? index : -1;
    lstServers_Click();
    if (listIndex_ != previousIndex || moveUpEnabled_ != previousMoveUp ||
        moveDownEnabled_ != previousMoveDown)
        Q_EMIT selectionChanged(listIndex_);
}

void ServerList::setAddress(const QString& ip, const QString& port) {
    if (ip == txtIP_ && port == txtPort_)
        return;
    txtIP_ = ip;
    txtPort_ = port;
    Q_EMIT addressChanged();
}

void ServerList::load(const QList<ServerEntry>& entries) {
    entries_ = entries.first(std::min(entries.size(), qsizetype(MaxRows)));
    Q_EMIT rowsChanged();
    setListIndex(0);
}

void ServerList::lstServers_Click() {
    if (listIndex_ < 0) {
        moveUpEnabled_ = false;
        moveDownEnabled_ = false;
        return;
    }
    moveUpEnabled_ = listIndex_ != 0;
    moveDownEnabled_ = listIndex_ != count() - 1;
    const ServerEntry shown = entry(listIndex_);
    setAddress(shown.host, shown.port);
}
