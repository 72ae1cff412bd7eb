#include "ui/helpfile.h"

#include <QFile>
#include <QFileInfo>

#include "common/eightbittext.h"

QString helpFilePath(const QString& programFolder) {
    const QString beside = programFolder + QStringLiteral("/Readme.txt");
    if (QFileInfo::exists(beside))
        return beside;
    return programFolder + QStringLiteral("/../share/quorvel/Readme.txt");
}

QStringList readHelpFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitLines(decodeEightBit(file.readAll()));
}
