#include "ui/helplauncher.h"

HelpLauncher::HelpLauncher(QString programFolder) : programFolder_(std::move(programFolder)) {}

HelpWindow* HelpLauncher::show() {
    if (window_.isNull())
        window_ = new HelpWindow(programFolder_);
    window_->show();
    return window_;
}
