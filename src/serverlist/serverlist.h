#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "config/serverrow.h"

// The ordered server entries with their one selection, and the address fields and Move button
// states that follow the selection. Entries are kept as host and port, so hosts longer than 40
// characters and ports longer than 5 survive whole; FormatServerRow() renders a row for display.
// Selecting a row, by the user or by the program, copies its host and port (trimmed of spaces)
// into the address fields and sets the Move buttons.
class ServerList : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRows = MaxServerEntries;

    int count() const { return int(entries_.size()); }
    // The entry as its row shows it: host and port trimmed of spaces. Empty out of range.
    ServerEntry entry(int index) const;
    // The row text of an entry (FormatServerRow).
    QString row(int index) const;
    const QList<ServerEntry>& entries() const { return entries_; }

    // Row changes leave the selection index as it is, except clear(), which selects nothing, and
    // remove(), which selects nothing when the index no longer names a row.
    // Appending or inserting into a full list, or inserting outside 0 to count(), does nothing
    // and returns false. Indexes out of range are ignored elsewhere.
    bool append(const ServerEntry& entry);
    bool insert(int index, const ServerEntry& entry);
    void remove(int index);
    void replace(int index, const ServerEntry& entry);
    void clear();

    int ListIndex() const { return listIndex_; }
    // Selects a row (-1 for none) and runs the selection handling.
    void setListIndex(int index);

    // The address fields.
    QString txtIP() const { return txtIP_; }
    QString txtPort() const { return txtPort_; }
    void setAddress(const QString& ip, const QString& port);

    bool butMoveUpEnabled() const { return moveUpEnabled_; }
    bool butMoveDownEnabled() const { return moveDownEnabled_; }

    // Replaces the entries (at most MaxRows) and selects the first, as loading the file does.
    void load(const QList<ServerEntry>& entries);

Q_SIGNALS:
    void rowsChanged();
    // The selected index or the state of a Move button changed.
    void selectionChanged(int index);
    // txtIP or txtPort changed.
    void addressChanged();

private:
    void lstServers_Click();

    QList<ServerEntry> entries_;
    int listIndex_ = -1;
    QString txtIP_;
    QString txtPort_;
    bool moveUpEnabled_ = false;
    bool moveDownEnabled_ = false;
};
