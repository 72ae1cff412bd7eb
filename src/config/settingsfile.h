#pragma once

#include <QByteArray>
#include <QString>

#include "common/atomicsave.h"
#include "common/eightbittext.h"
#include "common/regularfile.h"
#include "config/settings.h"

// Quorvel.ini: eleven lines "Key=value", CR LF after each. Launch at start-up is not kept here.
QString settingsFilePath(const QString& dataFolder);

// Applies the file's lines to the record, in file order, so the last of two equal keys wins.
// A line is lower-cased whole, value included, and matches a key that begins it exactly; other
// lines are ignored. A value that is not a check state (0 to 2), or a schedule value that is not
// a number, ends the reading there: earlier lines keep their effect, later ones are not applied.
void readSettings(const QByteArray& fileBytes, Settings& settings);
// The same for the beginning of a file, cut anywhere, in the encoding it was found in.
void readSettings(const QByteArray& fileBytes, TextEncoding encoding, Settings& settings);

// The file's text as it is written: every key in its fixed order, text fields exactly as they
// are held.
QString settingsFileText(const Settings& settings);

// At most the first MaxSettingsBytes of the file are read: a huge file costs little memory.
constexpr qint64 MaxSettingsBytes = 1024 * 1024;

// A file that is missing or cannot be read leaves the record as it is; so does one that is not a
// regular file, which is left alone. A save writes the encoding the file was loaded in, unless
// the text no longer fits it.
FileOpening loadSettings(const QString& path, Settings& settings);
SaveResult saveSettings(const QString& path, const Settings& settings);
