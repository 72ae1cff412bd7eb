#pragma once

#include <QString>

#include "common/atomicsave.h"

class AutostartStore;

// The launch-at-login option, kept as the start-up value of the autostart store rather than in
// the settings file. Read once at launch, written or deleted once at shut-down.

// The start-up value's name in the Run list; its entry is AutostartStore::entryPath of it.
inline const QString StartUpValueName = QStringLiteral("Vostrand - Quorvel");

// The command that launches this program at login: the executable's absolute path, then
// "--data-dir DIR" when a data folder was given, each quoted as an Exec= line requires.
QString startUpCommand(const QString& executablePath, const QString& dataDir);

// 1 when the start-up value can be read and holds a non-empty text or a number, else 0.
int readStartUpOption(const AutostartStore& store);

// Writes the start-up value (the command that launches this program) when the option is 1 and
// deletes it otherwise. A failure comes back with its reason, for the activity log:
// saveFailureLine(store.entryPath(StartUpValueName), reason).
SaveResult writeStartUpOption(AutostartStore& store, int chkLoadOnStartUp,
                              const QString& launchCommand);
