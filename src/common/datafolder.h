#pragma once

#include <QString>

// The folder that holds Quorvel.ini and Servers.ini. A portable copy keeps them beside the
// program; an installed copy (one with ../share/quorvel beside its folder), or one whose folder
// is not writable, keeps them in $XDG_CONFIG_HOME/quorvel. An explicit folder overrides both.
// The folder may not exist yet: saving creates it.
QString dataFolder(const QString& programFolder, const QString& explicitFolder = {});

// True when the program runs from an installed location rather than from its own folder.
bool isInstalledCopy(const QString& programFolder);
