#include "common/datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool isInstalledCopy(const QString& programFolder) {
    return QFileInfo(programFolder + QStringLiteral("/../share/quorvel")).isDir();
}

QString dataFolder(const QString& programFolder, const QString& explicitFolder) {
    if (!explicitFolder.isEmpty())
        return QDir(explicitFolder).absolutePath();
    if (!isInstalledCopy(programFolder) && QFileInfo(programFolder).isWritable())
        return QDir(programFolder).absolutePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).absoluteFilePath(QStringLiteral("quorvel"));
}
