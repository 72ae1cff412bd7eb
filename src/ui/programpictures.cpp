#include "ui/programpictures.h"

#include <QImageReader>
#include <QPixmap>

QIcon compiledInIcon(const QString& resource) {
    // A reader that may guess formats asks every image plug-in first, which loads them all.
    QImageReader png(resource, "PNG");
    png.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(png.read()));
}

ProgramPictures programPictures() {
    return {compiledInIcon(QStringLiteral(":/icons/idle.png")),
            compiledInIcon(QStringLiteral(":/icons/updating.png"))};
}
