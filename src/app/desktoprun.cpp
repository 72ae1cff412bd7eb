#include "app/desktoprun.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/clocksetterchoice.h"
#include "app/commandline.h"
#include "app/endsignals.h"
#include "app/singleinstance.h"
#include "common/datafolder.h"
#include "config/autostartentry.h"
#include "engine/clocksetter.h"
#include "platform/systemclock.h"
#include "platform/systemclockwatch.h"
#include "platform/systemnetworkstate.h"
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

// Long enough for a copy that is still starting up to begin answering.
constexpr std::chrono::milliseconds RunningCopyPatience{3000};

void complain(const QString& text) {
    std::fputs(qPrintable(QStringLiteral("quorvel: ") + text + u'\n'), stderr);
}

// Takes the data folder for this copy. False when a running copy holds it: that copy has been
// asked to bring its window back, and this launch has nothing more to do.
bool takeDataFolder(SingleInstance& instance, const QString& folder) {
    switch (instance.claim()) {
        case SingleInstance::Claim::HeldByOther:
            // The desktop hands a launched program a token that lets its window to the front.
            if (instance.askToRestore(RunningCopyPatience,
                                      qEnvironmentVariable("XDG_ACTIVATION_TOKEN")))
                return false;
            if (const QString problem = instance.socketProblem(); !problem.isEmpty())
                complain(
                    QStringLiteral("cannot reach the copy running on %1: %2").arg(folder, problem));
            else
                complain(QStringLiteral("the copy running on %1 did not answer").arg(folder));
            return false;
        case SingleInstance::Claim::Unguarded:
            complain(QStringLiteral("could not create %1; running without it")
                         .arg(instance.lockFilePath()));
            break;
        case SingleInstance::Claim::Held:
            break;
    }
    if (const QString problem = instance.listenError(); !problem.isEmpty())
        complain(QStringLiteral("later launches cannot reach this copy: %1").arg(problem));
    return true;
}
}  // namespace

int runDesktop(const CommandLine& line, const QString& programFolder) {
    // Decided before anything is read, logged or shown.
    const QString folder = dataFolder(programFolder, line.dataDir);
    SingleInstance instance(folder);
    if (!takeDataFolder(instance, folder))
        return 0;

    SystemClock clock;
    SystemZoneSource zone(clock);
    const std::unique_ptr<ClockSetter> setter = chooseClockSetter(line.dryRun);
    const AutostartEntry autostart;
    const QString givenDataDir =
        line.dataDir.isEmpty() ? QString() : QDir(line.dataDir).absolutePath();
    SystemClockWatch clockWatch;
    SystemNetworkState network;
    DesktopProgram program({clock, zone, *setter, autostart, folder,
                            launchCommand(QApplication::applicationFilePath(), givenDataDir),
                            programPictures(), QLocale::system(),
                            clockWatch.valid() ? &clockWatch : nullptr,
                            network.valid() ? &network : nullptr});
    QObject::connect(&instance, &SingleInstance::restoreRequested, &program,
                     &DesktopProgram::restoreWindow);

    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&program, &DesktopProgram::ended, [&instance] {
        // The options are saved: a new launch may take the folder even while help stays open.
        instance.release();
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
