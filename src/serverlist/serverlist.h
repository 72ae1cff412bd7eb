#pragma once

#include <QObject>
#include <QString>

#include "config/serverentries.h"

// The ordered server entries with their one selection, and the address fields that follow the
// selection: the target of the next run. Entries are kept as host and port, so hosts longer than
// 40 characters and ports longer than 5 survive whole; formatServerRow() renders a row for
// display. Selecting a row, by the user or by the program, copies its host and port (trimmed of
// spaces) into the address fields.
class ServerList : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRows = MaxServerEntries;

    int count() const { return int(entries_.size()); }
    // The entry as its row shows it: host and port trimmed of spaces. Empty out of range.
    ServerEntry entry(int index) const;
    // The row text of an entry (formatServerRow).
    QString row(int index) const;
    const ServerEntries& entries() const { return entries_; }

    // Row changes leave the selection index as it is, except clear(), which selects nothing, and
    // remove(), which selects nothing when the index no longer names a row.
    // Appending or inserting into a full list, or inserting outside 0 to count(), does nothing
    // and returns false. Indexes out of range are ignored elsewhere.
    bool append(const ServerEntry& entry);
    bool insert(int index, const ServerEntry& entry);
    void remove(int index);
    void replace(int index, const ServerEntry& entry);
    void clear();

    int selectedIndex() const { return selectedIndex_; }
    // Selects a row (-1 for none) and runs the selection handling.
    void select(int index);

    // The address fields.
    QString addressHost() const { return addressHost_; }
    QString addressPort() const { return addressPort_; }
    void setAddress(const QString& ip, const QString& port);

    // Replaces the entries (at most MaxRows) and selects the first, as loading the file does.
    void load(const ServerEntries& entries);

Q_SIGNALS:
    void rowsChanged();
    // The selection handling ran (select(), whether or not the index changed).
    void selected(int index);
    // addressHost or addressPort changed.
    void addressChanged();

private:
    ServerEntries entries_;
    int selectedIndex_ = -1;
    QString addressHost_;
    QString addressPort_;
};
