#include "serverlist/servereditor.h"

#include "config/serverlistfile.h"
#include "serverlist/addresschecks.h"
#include "serverlist/serverlist.h"
#include "log/activitylog.h"

ServerEditor::ServerEditor(ServerList& servers, ActivityLog& log, QString filePath)
    : servers_(servers), log_(log), filePath_(std::move(filePath)) {}

void ServerEditor::butAdd_Click() {
    // The address is taken as it stands: its check has already run when the field was left.
    QString ip = servers_.txtIP();
    if (trimSpaces(ip).isEmpty())
        ip = QStringLiteral("localhost");
    servers_.setAddress(ip, checkedPort(servers_.txtPort()));
    if (servers_.append({servers_.txtIP(), servers_.txtPort()}))
        servers_.setListIndex(servers_.count() - 1);
    save();
}

void ServerEditor::butModify_Click() {
    servers_.replace(servers_.ListIndex(), {servers_.txtIP(), servers_.txtPort()});
    save();
}

void ServerEditor::butRemove_Click() {
    const int removed = servers_.ListIndex();
    servers_.remove(removed);
    save();
    if (removed >= 0)
        servers_.setListIndex(removed < servers_.count() ? removed : servers_.count() - 1);
}

void ServerEditor::butMoveUp_Click() {
    moveSelected(-1);
}

void ServerEditor::butMoveDown_Click() {
    moveSelected(+1);
}

// Exchanges the selected row with its neighbour and keeps the selection on the moved row.
void ServerEditor::moveSelected(int step) {
    const int from = servers_.ListIndex();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= servers_.count())
        return;
    const ServerEntry moved = servers_.entries().at(from);
    servers_.replace(from, servers_.entries().at(to));
    servers_.replace(to, moved);
    servers_.setListIndex(to);
    save();
}

void ServerEditor::save() {
    const SaveResult result = SaveServerList(filePath_, servers_.entries());
    if (!result.ok)
        log_.AddLog(saveFailureLine(filePath_, result.reason));
}
