#include "ui/desktopprogram.h"

#include "config/autostartentry.h"
#include "config/serverlistfile.h"
#include "engine/runmessages.h"
#include "engine/ticker.h"
#include "engine/updateengine.h"
#include "ui/mainwindow.h"
#include "ui/mainwiring.h"
#include "ui/runpresenter.h"
#include "ui/tickpace.h"
#include "ui/waylandrestore.h"

DesktopProgram::DesktopProgram(const DesktopParts& parts)
    : parts_(parts),
      session_({parts.clock, parts.zone, parts.clockSetter, parts.locale, parts.clockWatch,
                parts.network}),
      editor_(session_.servers(), session_.log(), serverListFilePath(parts.dataFolder)),
      window_(std::make_unique<MainWindow>(session_.servers())) {
    window_->setPictures(parts.pictures);
    traMain_.setPictures(parts.pictures.idle, parts.pictures.updating);
    const auto optionEdited = [this] {
        if (Ticker* ticker = session_.ticker())
            ticker->poke();
    };
    UpdateEngine& engine = session_.engine();
    new MainWiring(*window_, {engine, optionEdited, session_.settings(), session_.servers(),
                              editor_, session_.log()});
    new RunPresenter(engine, *window_, traMain_, session_.log(), parts.locale, window_.get());
    connect(window_.get(), &MainWindow::helpRequested, this, &DesktopProgram::helpRequested);
    connect(window_.get(), &MainWindow::closing, this, &DesktopProgram::shutDown);
    // Closed from the event loop, after the run that asked for it has finished.
    connect(&engine, &UpdateEngine::closeRequested, window_.get(), &QWidget::close,
            Qt::QueuedConnection);
    wireTray();
    new TickPace(*window_, *session_.ticker());
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::startUp() {
    traMain_.show(TrayIcon::Picture::Idle,
                  QStringLiteral("Quorvel - Launched at ") + session_.log().timeStamp());
    session_.readAtLaunch(parts_.dataFolder);
    Settings& settings = session_.settings();
    const bool startHidden = settings.minimizeOnLaunch == 1;
    settings.launchAtLogin = parts_.autostart.isEnabled() ? 1 : 0;
    window_->showSettings(settings);
    if (settings.updateOnLaunch == 1)
        session_.engine().beginUpdate();
    session_.engine().scheduleNextUpdate();

    window_->showAfterLaunch(startHidden);
    session_.ticker()->start();
}

void DesktopProgram::restoreWindow(const QString& activationToken) {
    offerActivationToken(activationToken);
    window_->restoreFromTray();
}

void DesktopProgram::end() {
    window_->close();
}

void DesktopProgram::shutDown() {
    if (ended_)
        return;
    ended_ = true;
    session_.engine().endUpdate(RunMessage::ProgramClosed);
    traMain_.hide();
    session_.saveAtShutDown(parts_.dataFolder, parts_.autostart, parts_.launchCommand);
    Q_EMIT ended();
}

void DesktopProgram::wireTray() {
    window_->setTrayCheck([this] { return traMain_.inTray(); });
    connect(window_.get(), &MainWindow::shownChanged, &traMain_, &TrayIcon::setWindowShown);
    connect(&traMain_, &TrayIcon::hideRequested, window_.get(), &MainWindow::hideToTray);
    // Never running with neither window nor icon.
    connect(&traMain_, &TrayIcon::trayLost, this, [this] {
        if (!window_->isVisible())
            window_->restoreFromTray();
    });
    connect(&traMain_, &TrayIcon::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::RightButton)
            session_.engine().startUpdate(QStringLiteral("Tray icon right-clicked:"));
    });
    connect(&traMain_, &TrayIcon::doubleClicked, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            window_->restoreFromTray();
        else if (button == Qt::RightButton)
            window_->close();
    });
}
