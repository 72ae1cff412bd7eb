#pragma once

#include <QString>

#include "common/eightbittext.h"

// The encoding each data file was last read in, so that saving it writes its bytes back the same
// way (UTF-8 for a file never read). One program holds one data folder, so a path names a file.
TextEncoding rememberedEncoding(const QString& path);
void rememberEncoding(const QString& path, TextEncoding encoding);
