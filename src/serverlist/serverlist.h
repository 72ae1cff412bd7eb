#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The ordered server rows (see serverrow.h) with their one selection, and the address fields and
// Move button states that follow the selection. Selecting a row, by the user or by the program,
// copies its host and port into the address fields.
class ServerList : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRows = 32767;

    int count() const { return int(rows_.size()); }
    QString row(int index) const { return rows_.value(index); }
    const QStringList& rows() const { return rows_; }

    // Row changes leave the selection index as it is, except clear(), which selects nothing.
    // Appending or inserting into a full list does nothing and returns false.
    bool append(const QString& row);
    bool insert(int index, const QString& row);
    void remove(int index);
    void replace(int index, const QString& row);
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

    // Replaces the rows (at most MaxRows) and selects the first, as loading the file does.
    void load(const QStringList& rows);

Q_SIGNALS:
    void rowsChanged();
    void selectionChanged(int index);
    void addressChanged();

private:
    void lstServers_Click();

    QStringList rows_;
    int listIndex_ = -1;
    QString txtIP_;
    QString txtPort_;
    bool moveUpEnabled_ = false;
    bool moveDownEnabled_ = false;
};
