#pragma once

#include <QString>

// The reasons a run ends with, as the log shows them.
namespace RunMessage {
inline const QString LastUpdated = QStringLiteral("Last updated");
inline const QString CancelledByUser = QStringLiteral("Update cancelled by user");
inline const QString ConnectionFailed = QStringLiteral("Connection failed");
inline const QString ConnectionTimedOut = QStringLiteral("Connection timed out");
inline const QString ConnectionLost = QStringLiteral("Connection lost");
inline const QString FailedTooManyTimes = QStringLiteral("Update failed too many times");
inline const QString ClockNotSet = QStringLiteral("Clock could not be set");
inline const QString ServerRefused = QStringLiteral("Server refused the query");
inline const QString NotSynchronised = QStringLiteral("Server is not synchronised");
inline const QString ProgramClosed = QStringLiteral("Program closed");
inline const QString StartOfDaylightSaving = QStringLiteral(
    "Update cancelled due to possible confusion caused by change to daylight savings time");
inline const QString EndOfDaylightSaving = QStringLiteral(
    "Update cancelled due to possible confusion caused by change back to standard time");
}  // namespace RunMessage
