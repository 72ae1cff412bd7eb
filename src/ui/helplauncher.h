#pragma once

#include <QPointer>

#include "ui/helpwindow.h"

// What the main window's Help button does: shows the help window, creating it (which reads the
// read-me) when none is open; an open one is brought to the front and keeps its text. The window
// has no parent, so it stays open when the main window closes, and it deletes itself when closed.
class HelpLauncher {
public:
    explicit HelpLauncher(QString programFolder);  // the folder that holds the program

    HelpWindow* show();

private:
    QString programFolder_;
    QPointer<HelpWindow> window_;
};
