#include "serverlist/servereditor.h"

#include "config/serverlistfile.h"
#include "log/activitylog.h"
#include "serverlist/addresschecks.h"
#include "serverlist/serverlist.h"

ServerEditor::ServerEditor(ServerList& servers, ActivityLog& log, QString filePath)
    : servers_(servers), log_(log), filePath_(std::move(filePath)) {}

void ServerEditor::add() {
    // The address is taken as it stands: its check has already run when the field was left.
    QString ip = servers_.addressHost();
    if (trimSpaces(ip).isEmpty())
        ip = QStringLiteral("localhost");
    servers_.setAddress(ip, checkedPort(servers_.addressPort()));
    if (servers_.append({servers_.addressHost(), servers_.addressPort()}))
        servers_.select(servers_.count() - 1);
    save();
}

void ServerEditor::modify() {
    servers_.replace(servers_.selectedIndex(), {servers_.addressHost(), servers_.addressPort()});
    save();
}

void ServerEditor::removeSelected() {
    const int removed = servers_.selectedIndex();
    servers_.remove(removed);
    save();
    if (removed >= 0)
        servers_.select(removed < servers_.count() ? removed : servers_.count() - 1);
}

void ServerEditor::moveUp() {
    moveSelected(-1);
}

void ServerEditor::moveDown() {
    moveSelected(+1);
}

// Exchanges the selected row with its neighbour and keeps the selection on the moved row.
void ServerEditor::moveSelected(int step) {
    const int from = servers_.selectedIndex();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= servers_.count())
        return;
    const ServerEntry moved = servers_.entries().at(from);
    servers_.replace(from, servers_.entries().at(to));
    servers_.replace(to, moved);
    servers_.select(to);
    save();
}

void ServerEditor::save() {
    const SaveResult result = saveServerList(filePath_, servers_.entries());
    if (!result.ok)
        log_.add(saveFailureLine(filePath_, result.reason));
}
