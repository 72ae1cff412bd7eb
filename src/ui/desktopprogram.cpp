#include "ui/desktopprogram.h"

#include <QDateTime>
#include <QLabel>

#include "config/autostartentry.h"
#include "config/fieldchecks.h"
#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "engine/runmessages.h"
#include "engine/ticker.h"
#include "engine/updateengine.h"
#include "ui/mainwindow.h"
#include "ui/mainwiring.h"
#include "ui/tickpace.h"

DesktopProgram::DesktopProgram(const DesktopParts& parts)
    : parts_(parts),
      log_(parts.clock, 0, parts.locale),  // the window's log box keeps the lines
      exchanges_(parts.clock, log_, settings_),
      editor_(servers_, log_, serverListFilePath(parts.dataFolder)),
      engine_(std::make_unique<UpdateEngine>(EngineParts{parts.clock, parts.zone, parts.clockSetter,
                                                         exchanges_.table(), traMain_, log_,
                                                         settings_, servers_, parts.locale})),
      ticker_(std::make_unique<Ticker>(*engine_, parts.clock, parts.clockWatch, parts.network)),
      window_(std::make_unique<MainWindow>()) {
    window_->setWindowIcon(parts.pictures.idle);
    window_->controls().imgUpdateIcon->setPixmap(parts.pictures.updating.pixmap(32, 32));
    traMain_.setPictures(parts.pictures.idle, parts.pictures.updating);
    const auto optionEdited = [this] {
        if (ticker_)
            ticker_->poke();
    };
    wiring_ =
        new MainWiring(*window_, {*engine_, optionEdited, settings_, servers_, editor_, log_});
    connect(wiring_, &MainWiring::helpRequested, this, &DesktopProgram::helpRequested);
    connect(window_.get(), &MainWindow::closing, this, &DesktopProgram::shutDown);
    // Closed from the event loop, after the run that asked for it has finished.
    connect(engine_.get(), &UpdateEngine::closeRequested, window_.get(), &QWidget::close,
            Qt::QueuedConnection);
    wireTray();
    new TickPace(*window_, *ticker_);
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::startUp() {
    traMain_.show(TrayView::Picture::Idle,
                  QStringLiteral("Quorvel - Launched at ") + log_.timeStamp());
    engine_->readAtLaunch(parts_.dataFolder);
    const bool startHidden = settings_.minimizeOnLaunch == 1;
    settings_.launchAtLogin = parts_.autostart.isEnabled() ? 1 : 0;
    wiring_->showSettings();
    if (settings_.updateOnLaunch == 1)
        engine_->beginUpdate();
    engine_->scheduleNextUpdate();

    window_->showAfterLaunch(startHidden);
    ticker_->start();
}

void DesktopProgram::end() {
    window_->close();
}

void DesktopProgram::shutDown() {
    if (ended_)
        return;
    ended_ = true;
    engine_->endUpdate(RunMessage::ProgramClosed);
    traMain_.hide();
    ticker_.reset();  // nothing may start a run once the program has closed
    applyShutDownChecks(settings_);
    const QString settingsPath = settingsFilePath(parts_.dataFolder);
    if (const SaveResult saved = saveSettings(settingsPath, settings_); !saved.ok)
        log_.add(saveFailureLine(settingsPath, saved.reason));
    const SaveResult autostartSaved = settings_.launchAtLogin == 1
                                          ? parts_.autostart.write(parts_.launchCommand)
                                          : parts_.autostart.remove();
    if (!autostartSaved.ok)
        log_.add(saveFailureLine(parts_.autostart.path(), autostartSaved.reason));
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
            engine_->startUpdate(QStringLiteral("Tray icon right-clicked:"));
    });
    connect(&traMain_, &TrayIcon::doubleClicked, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            window_->restoreFromTray();
        else if (button == Qt::RightButton)
            window_->close();
    });
}
