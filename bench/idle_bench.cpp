// What the desktop program costs while it waits: ticks, wake-ups and processor time over a span
// with the window hidden and no update under way, its resident memory, and the time from launch
// to the first tick. Then the same with a 1 ms timer driving the tick, for comparison.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include "config/autostartentry.h"
#include "engine/updateengine.h"
#include "platform/dryrunclocksetter.h"
#include "platform/systemclock.h"
#include "platform/systemzonesource.h"
#include "ui/desktopprogram.h"
#include "ui/mainwindow.h"

namespace {
QTextStream out(stdout);

struct Usage {
    double cpuMs;
    long wakeUps;  // voluntary context switches: each is a sleep the process woke from
};

Usage usageNow() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_nvcsw};
}

QString residentMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return QString::fromLatin1(line.mid(6).simplified());
    }
    return QStringLiteral("unknown");
}

void measureIdle(const QString& how, UpdateEngine& engine, int seconds) {
    int ticks = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&engine, &UpdateEngine::displaysChanged, [&ticks] { ++ticks; });
    const Usage before = usageNow();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
    const Usage after = usageNow();
    QObject::disconnect(counting);
    const double cpuMs = after.cpuMs - before.cpuMs;
    out << how << ": " << ticks << " ticks, " << (after.wakeUps - before.wakeUps) << " wake-ups, "
        << QString::number(cpuMs, 'f', 0) << " ms of processor time in " << seconds << " s ("
        << QString::number(cpuMs / (seconds * 10.0), 'f', 3) << "% of a core)" << Qt::endl;
}
}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;

    QTemporaryDir data;
    SystemClock clock;
    SystemZoneSource zone(clock);
    DryRunClockSetter setter;
    const AutostartEntry autostart(data.filePath(QStringLiteral("autostart")));
    DesktopProgram program(
        {clock, zone, setter, autostart, data.path(), QString(), programPictures()});

    bool firstTickSeen = false;
    QObject::connect(&program.engine(), &UpdateEngine::displaysChanged, [&] {
        if (!firstTickSeen)
            out << "launch to first tick: "
                << QString::number(sinceLaunch.nsecsElapsed() / 1e6, 'f', 1) << " ms" << Qt::endl;
        firstTickSeen = true;
    });
    program.startUp();
    program.window().hide();

    measureIdle(QStringLiteral("idle, ticks at second boundaries"), program.engine(), seconds);
    out << "resident memory at idle: " << residentMemory() << Qt::endl;

    QTimer busy;
    busy.setTimerType(Qt::PreciseTimer);
    QObject::connect(&busy, &QTimer::timeout, &program.engine(), &UpdateEngine::tick);
    busy.start(1);
    measureIdle(QStringLiteral("idle, with a 1 ms timer ticking"), program.engine(), seconds);
    program.end();
    return 0;
}
