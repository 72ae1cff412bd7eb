#pragma once

#include <QString>

#include "common/atomicsave.h"

// The user's XDG autostart entry that launches this program at login, kept apart from the
// settings file: vostrand-quorvel.desktop in $XDG_CONFIG_HOME/autostart (default
// ~/.config/autostart). Read once at launch, written or removed once at shut-down.
class AutostartEntry {
public:
    static inline const QString FileName = QStringLiteral("vostrand-quorvel.desktop");

    // The entry in the user's autostart folder.
    AutostartEntry();
    explicit AutostartEntry(const QString& autostartFolder);

    QString path() const { return path_; }
    // The entry exists with a command (Exec=) and the desktop is not told to skip it
    // (Hidden=true, X-GNOME-Autostart-enabled=false).
    bool isEnabled() const;
    // Replaces the entry in one step with one that runs the command; on failure the previous
    // entry stays whole and the reason comes back.
    SaveResult write(const QString& command) const;
    // Removing an entry that does not exist succeeds.
    SaveResult remove() const;

private:
    QString path_;
};

// The command that launches this program at login: the executable's absolute path, then
// "--data-dir DIR" when a data folder was given, each quoted as an Exec= line requires.
QString launchCommand(const QString& executablePath, const QString& dataDir);

// One argument of an Exec= command line, quoted as the Desktop Entry rules require: in double
// quotes when it holds a reserved character (a blank, a quote, $, \, …), and every % doubled.
QString execArgument(const QString& argument);
