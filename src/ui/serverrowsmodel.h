#pragma once

#include <QAbstractListModel>

class ServerList;

// The server list's rows for a list view, each made when the view asks for it: a view shows a
// screenful at a time, so a list of 32,767 entries costs no more than its entries.
class ServerRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    ServerRowsModel(const ServerList& servers, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The list has changed: views ask for its rows again. A view lays out rows of one height in
    // one pass over the count, so a reset is cheap, and row-by-row signals would show nothing
    // different.
    void refresh();

private:
    const ServerList& servers_;
};
