#pragma once

#include <QApplication>
#include <memory>

// The application object of the desktop program, on X11 or Wayland as Qt chooses. Where no
// window system can be reached (no display, or one that refuses us), Qt would abort; this says
// so on standard error instead and ends the process with status 1, before anything was read or
// written. Qt's own complaints while it tries each platform are shown only when it succeeds.
std::unique_ptr<QApplication> openWindowSystem(int& argc, char** argv);
