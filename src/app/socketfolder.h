#pragma once

#include <QString>

// The folder for the program's local sockets: one where no other user can create a name, so
// that no one else can pose as a running copy and swallow what is sent to it. That is
// $XDG_RUNTIME_DIR, else $XDG_CACHE_HOME/quorvel (made when missing). Either is used only while
// it is a folder, not a link, owned by this user and closed to everyone else.
struct SocketFolder {
    QString path;
    QString problem;  // why the folder is refused; empty when it can be used
};

SocketFolder socketFolder();
