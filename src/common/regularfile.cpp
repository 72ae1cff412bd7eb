#include "common/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

FileOpening openRegularFile(QFile& file) {
    const QByteArray name = QFile::encodeName(file.fileName());
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT)
            return FileOpening::Missing;
        // A socket cannot be opened at all.
        return isPresentButNotRegular(file.fileName()) ? FileOpening::NotRegular
                                                       : FileOpening::Failed;
    }
    struct stat info {};
    const bool described = ::fstat(descriptor, &info) == 0;
    if (!described || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return described ? FileOpening::NotRegular : FileOpening::Failed;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return FileOpening::Failed;
    }
    return FileOpening::Opened;
}

bool isPresentButNotRegular(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

QString notRegularFileLine(const QString& path) {
    return QStringLiteral("File ") + path +
           QStringLiteral(" is not a regular file - it was left alone.");
}
