#include "ui/optionsettings.h"

#include "config/settings.h"

int Settings::*settingOf(MainWindow::Option option) {
    switch (option) {
        case MainWindow::Option::LaunchAtLogin:
            return &Settings::launchAtLogin;
        case MainWindow::Option::MinimizeOnLaunch:
            return &Settings::minimizeOnLaunch;
        case MainWindow::Option::UpdateOnLaunch:
            return &Settings::updateOnLaunch;
        case MainWindow::Option::CloseAfterUpdate:
            return &Settings::closeAfterUpdate;
        case MainWindow::Option::Scheduled:
            return &Settings::scheduled;
        case MainWindow::Option::LoopList:
            return &Settings::loopList;
        case MainWindow::Option::DaylightSaving:
            return &Settings::daylightSaving;
    }
    return nullptr;
}

QString Settings::*settingOf(MainWindow::Field field) {
    switch (field) {
        case MainWindow::Field::UpdatePeriod:
            return &Settings::updatePeriodText;
        case MainWindow::Field::ConnectWait:
            return &Settings::connectWaitText;
        case MainWindow::Field::MaxReplyDelay:
            return &Settings::maxReplyDelayText;
        case MainWindow::Field::ReplyWait:
            return &Settings::replyWaitText;
        case MainWindow::Field::Attempts:
            return &Settings::attemptsText;
        case MainWindow::Field::Host:
        case MainWindow::Field::Port:
            break;
    }
    return nullptr;
}
