// NTP figures against Debian's chronyd on 127.0.0.1:123 (run as root, for port 123): one whole
// `quorvel --once --dry-run` run, and the offset such a run reports over 100 runs. chronyd serves
// this machine's own clock, so every offset it reports is the method's own error.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <optional>

#include "support/chronyserver.h"

namespace {
constexpr int Runs = 100;
QTextStream out(stdout);

struct Run {
    double ms = 0;
    std::optional<double> offsetMs;  // as the log shows it; none when the run failed
};

Run dryRun(const QString& dataDir) {
    QElapsedTimer timer;
    timer.start();
    QProcess quorvel;
    quorvel.start(QStringLiteral(QUORVEL_PATH),
                  {"--once", "--dry-run", "--server", "127.0.0.1:123", "--data-dir", dataDir});
    quorvel.waitForFinished(30000);
    Run run{timer.nsecsElapsed() / 1e6, {}};
    static const QRegularExpression offset(
        QStringLiteral("offset ([+-][0-9]+\\.[0-9]{3}) seconds"));
    const QRegularExpressionMatch match =
        offset.match(QString::fromUtf8(quorvel.readAllStandardOutput()));
    if (quorvel.exitCode() == 0 && match.hasMatch())
        run.offsetMs = match.captured(1).toDouble() * 1000;
    return run;
}
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ChronyServer chrony;
    const QString problem = chrony.start();
    if (!problem.isEmpty()) {
        out << "chronyd: " << problem << Qt::endl;
        return 1;
    }
    const QTemporaryDir dir;
    const Run first = dryRun(dir.path());
    out << "quorvel --once --dry-run against chronyd, whole process: "
        << QString::number(first.ms, 'f', 2) << " ms"
        << (first.offsetMs ? QString() : QStringLiteral("  FAILED")) << Qt::endl;

    QList<double> offsets;
    QList<double> times;
    for (int i = 0; i < Runs; ++i) {
        const Run run = dryRun(dir.path());
        times.append(run.ms);
        if (run.offsetMs)
            offsets.append(std::abs(*run.offsetMs));
    }
    std::sort(offsets.begin(), offsets.end());
    std::sort(times.begin(), times.end());
    out << "offset reported over " << Runs << " runs (" << offsets.size() << " succeeded): ";
    if (!offsets.isEmpty())
        out << "median " << QString::number(offsets[offsets.size() / 2], 'f', 3) << " ms, worst "
            << QString::number(offsets.last(), 'f', 3) << " ms";
    out << Qt::endl
        << "run time over " << Runs << " runs: median " << QString::number(times[Runs / 2], 'f', 2)
        << " ms, worst " << QString::number(times.last(), 'f', 2) << " ms" << Qt::endl;
    return offsets.size() == Runs ? 0 : 1;
}
