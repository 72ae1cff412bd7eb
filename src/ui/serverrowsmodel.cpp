#include "ui/serverrowsmodel.h"

#include "serverlist/serverlist.h"

ServerRowsModel::ServerRowsModel(const ServerList& servers, QObject* parent)
    : QAbstractListModel(parent), servers_(servers) {}

int ServerRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : servers_.count();
}

QVariant ServerRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return servers_.row(index.row());
}

void ServerRowsModel::refresh() {
    beginResetModel();
    endResetModel();
}
