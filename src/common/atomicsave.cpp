#include "common/atomicsave.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "common/regularfile.h"

SaveResult saveFileAtomically(const QString& path, const QByteArray& bytes) {
    // A FIFO or a device (a link to one included) is left as it is, never replaced.
    if (isPresentButNotRegular(path))
        return {false, QStringLiteral("it is not a regular file")};
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {false, QStringLiteral("the folder could not be created")};
    // Unbuffered, so that a short write (a full disk) shows here: commit() does not check the
    // flush of a buffer and would put a cut-off file in place of the previous one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, file.errorString()};
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            return {false, file.errorString()};  // the unfinished file is discarded unseen
        written += count;
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

QString saveFailureLine(const QString& path, const QString& reason) {
    return QStringLiteral("File ") + path + QStringLiteral(" could not be saved - ") + reason +
           u'.';
}
