#pragma once

#include <QString>

#include "common/atomicsave.h"
#include "config/autostartstore.h"

// The Registry module: the five operations the program uses on the login "Run" list, kept here
// as the user's autostart entries. The store stands for the root key; the Run key is the only
// key in it, and any other key path cannot be opened.

using RegistryValue = AutostartValue;  // a text (type 1), a 32-bit number (type 4), or empty

constexpr qint32 RegSz = 1;
constexpr qint32 RegDword = 4;

// Result codes, with the numbers the Run list's own platform gives them.
constexpr qint32 RegistrySuccess = 0;
constexpr qint32 RegistryNotFound = 2;           // no such value, or one the desktop skips
constexpr qint32 RegistryAccessDenied = 5;       // the entry could not be written or removed
constexpr qint32 RegistryInvalidHandle = 6;      // the key was not opened
constexpr qint32 RegistryInvalidParameter = 87;  // type 4 with a text that is no 32-bit number

inline const QString RunKeyPath =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// An open key: the store when the key path names the Run key (in any letter case), else none.
// It holds nothing that needs closing.
struct RegistryKey {
    const AutostartStore* store = nullptr;
    QString failure;  // why its last write failed, for the activity log
};

RegistryKey OpenRegistryKey(const AutostartStore& root, const QString& keyPath);

// Empty for a key that cannot be opened and for a missing value.
RegistryValue ReadRegistryValue(const AutostartStore& root, const QString& keyPath,
                                const QString& valueName);
// On failure the out value is left as it was.
qint32 ReadValueFromOpenKey(const RegistryKey& key, const QString& valueName, RegistryValue& value);

// Type 1 stores the value as text, type 4 as a 32-bit number; any other type stores nothing and
// succeeds. A failure comes back with its reason.
SaveResult WriteRegistryValue(const AutostartStore& root, const QString& keyPath,
                              const QString& valueName, const RegistryValue& value,
                              qint32 valueType);
qint32 WriteValueToOpenKey(RegistryKey& key, const QString& valueName, qint32 valueType,
                           const RegistryValue& value);

// Deleting a value that does not exist succeeds.
SaveResult DeleteRegistryValue(const AutostartStore& root, const QString& keyPath,
                               const QString& valueName);
