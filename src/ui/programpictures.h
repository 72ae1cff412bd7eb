#pragma once

#include <QIcon>

// The window's and the tray's two pictures: idle, and while an update runs.
struct ProgramPictures {
    QIcon idle;
    QIcon updating;
};

// The program's own pictures, compiled in.
ProgramPictures programPictures();

// A picture compiled in as PNG, as an icon.
QIcon compiledInIcon(const QString& resource);
