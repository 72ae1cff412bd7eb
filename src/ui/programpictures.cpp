#include "ui/programpictures.h"

ProgramPictures programPictures() {
    return {QIcon(QStringLiteral(":/icons/idle.png")),
            QIcon(QStringLiteral(":/icons/updating.png"))};
}
