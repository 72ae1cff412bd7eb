#include "ui/helplauncher.h"

#include "ui/waylandrestore.h"

HelpLauncher::HelpLauncher(QString programFolder) : programFolder_(std::move(programFolder)) {}

HelpWindow* HelpLauncher::show() {
    if (window_.isNull())
        window_ = new HelpWindow(programFolder_);
    remapIfPerhapsMinimized(*window_);
    window_->show();
    // An open window may be behind others or minimized: bring it to the user.
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->raise();
    activateWhenMapped(*window_);
    return window_;
}
