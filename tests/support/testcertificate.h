#pragma once

#include <QString>

// Writes a self-signed P-256 certificate whose subject alternative name is altName ("IP:..." or
// "DNS:..."), valid for two days from validFromDays days from now, and its key, as PEM files.
// Empty when written; else why not.
QString makeTestCertificate(const QString& certificatePath, const QString& keyPath,
                            const QString& altName, int validFromDays = 0);
