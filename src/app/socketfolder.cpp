#include "app/socketfolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace {

QString chosenPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/quorvel");
    QDir().mkpath(QFileInfo(cache).absolutePath());
    ::mkdir(QFile::encodeName(cache).constData(), 0700);  // an existing one is checked below
    return cache;
}

QString problemOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return path + QStringLiteral(" cannot be used: ") + QString::fromLocal8Bit(strerror(errno));
    if (!S_ISDIR(info.st_mode))
        return path + QStringLiteral(" is not a folder");
    if (info.st_uid != ::geteuid())
        return path + QStringLiteral(" belongs to another user");
    if ((info.st_mode & 0077) != 0)
        return path + QStringLiteral(" is open to other users (mode %1, not 700)")
                          .arg(info.st_mode & 0777, 3, 8, QLatin1Char('0'));
    return {};
}

}  // namespace

SocketFolder socketFolder() {
    const QString path = chosenPath();
    return {path, problemOf(path)};
}
