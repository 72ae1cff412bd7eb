#pragma once

#include <QString>
#include <variant>

#include "common/atomicsave.h"

// What an autostart entry holds for the Run list: nothing, a command line (Exec=), or a 32-bit
// number (kept as X-Quorvel-Number=, since Exec= cannot hold one).
using AutostartValue = std::variant<std::monostate, QString, qint32>;

// Where values of the login "Run" list live on this desktop: one XDG autostart entry per value in
// $XDG_CONFIG_HOME/autostart (default ~/.config/autostart). Constructed with the folder to use;
// the default constructor takes the user's.
//
// A value name becomes the entry's file name lower-cased (value names ignore case, as the Run
// list's do), with each run of characters other than a-z and 0-9 turned into one "-", and
// ".desktop" after it: "Vostrand - Quorvel" is vostrand-quorvel.desktop.
class AutostartStore {
public:
    AutostartStore();
    explicit AutostartStore(const QString& autostartFolder);

    static QString entryFileName(const QString& valueName);
    QString entryPath(const QString& valueName) const;

    // Nothing for a missing or unreadable entry, and for one the desktop is told to skip
    // (Hidden=true, X-GNOME-Autostart-enabled=false). A text is Exec= with the string escapes
    // of the Desktop Entry rules undone.
    AutostartValue read(const QString& valueName) const;
    // Replaces the entry in one step; on failure the previous entry stays whole.
    SaveResult write(const QString& valueName, const AutostartValue& value) const;
    // Removing an entry that does not exist succeeds.
    SaveResult remove(const QString& valueName) const;

private:
    QString folder_;
};

// One argument of an Exec= command line, quoted as the Desktop Entry rules require: in double
// quotes when it holds a reserved character (a blank, a quote, $, \, …), and every % doubled.
QString execArgument(const QString& argument);
