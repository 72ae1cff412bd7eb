#pragma once

#include <QByteArray>
#include <QString>

// The outcome of a save: on failure, why, in words fit for the activity log.
struct SaveResult {
    bool ok = false;
    QString reason;
};

// Replaces the file at path with the bytes in one step, so a crash, a full disk or a read-only
// folder never leaves a half-written file: on failure the previous file stays whole. The folder
// is created when it does not exist yet. Something there that is not a regular file is refused.
SaveResult saveFileAtomically(const QString& path, const QByteArray& bytes);

// The activity log line for a failed save.
QString saveFailureLine(const QString& path, const QString& reason);
