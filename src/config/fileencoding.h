#pragma once

#include <QString>

#include "common/atomicsave.h"
#include "common/eightbittext.h"

// The encoding each data file was last read in, so that saving it writes its bytes back the same
// way (UTF-8 for a file never read). One program holds one data folder, so a path names a file.
TextEncoding rememberedEncoding(const QString& path);
void rememberEncoding(const QString& path, TextEncoding encoding);

// Saves a data file's text in the encoding it was read in; a Latin-1 file whose text no longer
// fits Latin-1 is written in UTF-8, and stays UTF-8 from then on.
SaveResult saveDataFile(const QString& path, const QString& text);
