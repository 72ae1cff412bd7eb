// The desktop program measured from outside, as a user's desktop runs it: launched as its own
// process on the X display of the environment (run under tests/support/with-display.sh with
// WITH_TRAY=1, so a tray host embeds its icon), its threads' context switches, processor time
// and memory read from /proc.
//   quorvel-desktop-bench [SECONDS [SETTLE]]
// SECONDS (60 by default) is the span of each idle measurement, begun SETTLE seconds (35 by
// default) after launch.
// Prints: launch to window shown and to tray icon embedded; shown idle, started-hidden idle and
// hidden-after-shown idle (minimized by the window manager, with xdotool) wake-ups a second,
// % of a core and resident memory; peak memory at start-up with hostile data files.
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <functional>
#include <optional>

namespace {
QTextStream out(stdout);

const QByteArray ShownSettings = "MinimizeOnLoad=0\r\nUpdateOnLoad=0\r\n";
const QByteArray HiddenSettings = "MinimizeOnLoad=1\r\nUpdateOnLoad=0\r\n";

QByteArray readProc(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A "Key:   N kB"-style field of a status file, as a number.
qint64 statusField(const QByteArray& status, const QByteArray& key) {
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).simplified().split(' ').value(0).toLongLong();
    }
    return 0;
}

struct ThreadSample {
    qint64 switches = 0;  // context switches: each is a wake-up or a preemption
    qint64 runNs = 0;     // processor time
};
using Sample = QHash<QString, ThreadSample>;  // by thread id

Sample sample(qint64 pid) {
    Sample s;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray status = readProc(tasks + u'/' + tid + QStringLiteral("/status"));
        ThreadSample& thread = s[tid];
        thread.switches = statusField(status, "voluntary_ctxt_switches") +
                          statusField(status, "nonvoluntary_ctxt_switches");
        thread.runNs = readProc(tasks + u'/' + tid + QStringLiteral("/schedstat"))
                           .split(' ')
                           .value(0)
                           .toLongLong();
    }
    return s;
}

// What the threads alive at the end did since the first sample (a thread that ended in between
// is not counted; one that began counts whole).
ThreadSample since(const Sample& before, const Sample& after) {
    ThreadSample sum;
    for (auto thread = after.begin(); thread != after.end(); ++thread) {
        const ThreadSample start = before.value(thread.key());
        sum.switches += thread->switches - start.switches;
        sum.runNs += thread->runNs - start.runNs;
    }
    return sum;
}

qint64 statusKiB(qint64 pid, const QByteArray& key) {
    return statusField(readProc(QStringLiteral("/proc/%1/status").arg(pid)), key);
}

QString mib(qint64 kib) {
    return QString::number(kib / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

// The X window tree, to see the program's windows appear.
QString windowTree() {
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished();
    return QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
}

bool mainWindowShown() {
    static const QRegularExpression named(
        QStringLiteral("^ +(0x[0-9a-f]+) \"Quorvel\": \\(\"quorvel\""),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = named.match(windowTree());
    if (!match.hasMatch())
        return false;
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), match.captured(1)});
    xwininfo.waitForFinished();
    return xwininfo.readAllStandardOutput().contains("IsViewable");
}

// The icon's window has been reparented into the tray host's, which the window manager has
// reparented into its frame: it sits two levels deeper than top level.
bool trayIconEmbedded() {
    static const QRegularExpression embedded(
        QStringLiteral("^ {11,}0x[0-9a-f]+ \"quorvel\": \\(\"quorvel\""),
        QRegularExpression::MultilineOption);
    return embedded.match(windowTree()).hasMatch();
}

bool trayHostRunning() {
    return windowTree().contains(QStringLiteral("(\"panel\" \"trayer\")"));
}

// Asks the window manager to minimize the main window, as its title bar button does.
void minimizeMainWindow() {
    QProcess::execute(
        QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
         QStringLiteral("^Quorvel$"), QStringLiteral("windowminimize")});
}

class Launch {
public:
    explicit Launch(const QByteArray& settings, const QByteArray& servers = {}) {
        write(QStringLiteral("Quorvel.ini"), settings);
        if (!servers.isNull())
            write(QStringLiteral("Servers.ini"), servers);
        QElapsedTimer patience;
        patience.start();
        while (!trayHostRunning() && patience.elapsed() < 10000)
            QThread::msleep(20);
        QThread::msleep(1000);  // the host takes the tray's selection a little after
        clock_.start();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QUORVEL_PATH),
                       {QStringLiteral("--data-dir"), data_.path(), QStringLiteral("--dry-run")});
        process_.waitForStarted();
    }
    ~Launch() {
        process_.terminate();  // the shut-down sequence runs on SIGTERM
        if (!process_.waitForFinished(10000))
            process_.kill();
        process_.waitForFinished();
    }
    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() == QProcess::Running; }

    // Milliseconds from launch until the condition holds; none within the patience.
    std::optional<double> msUntil(const std::function<bool()>& holds, int patienceMs = 30000) {
        while (clock_.elapsed() < patienceMs && running()) {
            if (holds())
                return clock_.nsecsElapsed() / 1e6;
            QThread::msleep(5);
        }
        return std::nullopt;
    }

private:
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(data_.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    QTemporaryDir data_;
    QProcess process_;
    QElapsedTimer clock_;
};

QString ms(std::optional<double> value) {
    return value ? QString::number(*value, 'f', 0) + QStringLiteral(" ms")
                 : QStringLiteral("not within 30 s");
}

void measureIdle(const QString& how, Launch& launch, int seconds, int settleSeconds) {
    QThread::sleep(settleSeconds);
    const Sample before = sample(launch.pid());
    QThread::sleep(seconds);
    const Sample after = sample(launch.pid());
    const ThreadSample spent = since(before, after);
    const double wakeUps = double(spent.switches) / seconds;
    const double core = double(spent.runNs) / (seconds * 1e9) * 100;
    out << how << ": " << QString::number(wakeUps, 'f', 3) << " wake-ups/s, "
        << QString::number(core, 'f', 4) << " % of a core, resident "
        << mib(statusKiB(launch.pid(), "VmRSS")) << " (" << after.size() << " threads, " << seconds
        << " s, from " << settleSeconds << " s after launch)" << Qt::endl;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(1610);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QByteArray manyLines(int count) {
    QByteArray bytes;
    for (int line = 0; line < count; ++line)
        bytes += "server-" + QByteArray::number(line) + ".example:1610\r\n";
    return bytes;
}

void measurePeak(const QString& what, const QByteArray& settings, const QByteArray& servers) {
    Launch launch(settings, servers);
    const std::optional<double> shown = launch.msUntil(mainWindowShown);
    QThread::sleep(2);
    out << "peak memory at start-up, " << what << ": " << mib(statusKiB(launch.pid(), "VmHWM"))
        << " (window shown after " << ms(shown) << ")" << Qt::endl;
}
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;
    // Qt ends the idle threads of its pool 30 s after their last job: start-up is over then.
    const int settleSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 35;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        out << "no X display: run under tests/support/with-display.sh with WITH_TRAY=1" << Qt::endl;
        return 2;
    }
    {
        Launch launch(ShownSettings);
        out << "launch to window shown: " << ms(launch.msUntil(mainWindowShown)) << Qt::endl;
        out << "launch to tray icon embedded: " << ms(launch.msUntil(trayIconEmbedded)) << Qt::endl;
        measureIdle(QStringLiteral("shown idle"), launch, seconds, settleSeconds);
    }
    {
        Launch launch(HiddenSettings);
        out << "launch to tray icon embedded (hidden at launch): "
            << ms(launch.msUntil(trayIconEmbedded)) << Qt::endl;
        measureIdle(QStringLiteral("started-hidden idle"), launch, seconds, settleSeconds);
    }
    {
        Launch launch(ShownSettings);
        launch.msUntil(mainWindowShown);
        minimizeMainWindow();
        const bool hidden = launch.msUntil([] { return !mainWindowShown(); }).has_value();
        measureIdle(hidden ? QStringLiteral("hidden-after-shown idle")
                           : QStringLiteral("hidden-after-shown idle (NOT HIDDEN)"),
                    launch, seconds, settleSeconds);
    }
    measurePeak(QStringLiteral("plain files"), ShownSettings, "127.0.0.1:1610\r\n");
    measurePeak(QStringLiteral("10 MB Servers.ini of random bytes"), ShownSettings,
                randomBytes(10 * 1000 * 1000));
    measurePeak(QStringLiteral("5 MB Servers.ini of one line"), ShownSettings,
                QByteArray(5 * 1000 * 1000, 'h'));
    measurePeak(QStringLiteral("Servers.ini of 100,000 lines"), ShownSettings, manyLines(100000));
    measurePeak(QStringLiteral("5 MB Quorvel.ini of random bytes"),
                ShownSettings + randomBytes(5 * 1000 * 1000), {});
    return 0;
}
