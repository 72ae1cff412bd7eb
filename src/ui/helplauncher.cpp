#include "ui/helplauncher.h"

HelpLauncher::HelpLauncher(QString programFolder) : programFolder_(std::move(programFolder)) {}

HelpWindow* HelpLauncher::show() {
    if (window_.isNull())
        window_ = new HelpWindow(programFolder_);
    window_->show();
    // An open window may be behind others or minimized: bring it to the user.
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->raise();
    window_->activateWindow();
    return window_;
}
