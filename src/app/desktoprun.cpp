#include "app/desktoprun.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <algorithm>

#include "app/clocksetterchoice.h"
#include "app/commandline.h"
#include "app/endsignals.h"
#include "common/datafolder.h"
#include "config/startupregistration.h"
#include "platform/autostartstore.h"
#include "platform/clocksetter.h"
#include "platform/systemclock.h"
#include "platform/systemzonesource.h"
#include "ui/desktopprogram.h"
#include "ui/helplauncher.h"

namespace {
// The program ends with its last window: an open help window outlives the main one, and a main
// window hidden in the tray counts as open.
bool anyWindowOpen() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->isVisible() && window->testAttribute(Qt::WA_QuitOnClose);
    });
}
}  // namespace

int runDesktop(const CommandLine& line, const QString& programFolder) {
    SystemClock clock;
    SystemZoneSource zone(clock);
    const std::unique_ptr<ClockSetter> setter = chooseClockSetter(line.dryRun);
    AutostartStore startUpStore;
    const QString givenDataDir =
        line.dataDir.isEmpty() ? QString() : QDir(line.dataDir).absolutePath();
    DesktopProgram program(
        {clock, zone, *setter, startUpStore, dataFolder(programFolder, line.dataDir),
         startUpCommand(QApplication::applicationFilePath(), givenDataDir), programPictures()});

    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&program, &DesktopProgram::ended, [] {
        if (anyWindowOpen())
            QApplication::setQuitOnLastWindowClosed(true);
        else
            QApplication::quit();
    });
    HelpLauncher help(programFolder);
    QObject::connect(&program, &DesktopProgram::helpRequested, [&help] { help.show(); });
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::received, &program, [&program] {
        program.end();
        QApplication::quit();
    });
    // The session manager's quit ends the event loop without closing the window first.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &program, &DesktopProgram::end);

    program.startUp();
    return QApplication::exec();
}
