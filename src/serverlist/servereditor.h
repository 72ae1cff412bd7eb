#pragma once

#include <QString>

class ActivityLog;
class ServerList;

// The edits the user makes to the server list with the Add, Modify, Remove and Move buttons.
// Every edit is written to the server list file at once; a failed save leaves the edit in
// memory and is logged as one line.
class ServerEditor {
public:
    ServerEditor(ServerList& servers, ActivityLog& log, QString filePath);

    // Appends the address fields as a new row ("localhost" for an empty address, the port
    // checked) and selects it. Duplicates are allowed.
    void add();
    // Replaces the selected row by the address fields, unchecked.
    void modify();
    // Removes the selected row and selects the one that followed it, else the new last row.
    void removeSelected();
    void moveUp();
    void moveDown();

private:
    void moveSelected(int step);
    void save();

    ServerList& servers_;
    ActivityLog& log_;
    QString filePath_;
};
