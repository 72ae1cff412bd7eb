// Benchmarks: appending to the activity log, loading and saving the largest server list, loading
// hostile ones, and one whole dry-run update against the reference server on loopback.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "config/serverlistfile.h"
#include "log/activitylog.h"
#include "platform/systemclock.h"
#include "serverlist/serverlist.h"

namespace {
QTextStream out(stdout);

long maxResidentKiB(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

void report(const QString& what, double ms, const QString& extra = {}) {
    out << qSetFieldWidth(44) << Qt::left << what << qSetFieldWidth(0)
        << QString::number(ms, 'f', 2) << " ms" << extra << Qt::endl;
}

void appendLogLines() {
    SystemClock clock;
    ActivityLog log(clock);
    const long before = maxResidentKiB(RUSAGE_SELF);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100000; ++i)
        log.add(QStringLiteral("Queried server for time - attempt %1:").arg(i % 99 + 1));
    const double ms = timer.nsecsElapsed() / 1e6;
    report(QStringLiteral("append 100,000 log lines"), ms,
           QStringLiteral("  (%1 us a line, peak memory +%2 KiB)")
               .arg(ms / 100, 0, 'f', 2)
               .arg(maxResidentKiB(RUSAGE_SELF) - before));
}

void loadAndSaveLargestList() {
    QTemporaryDir dir;
    const QString path = serverListFilePath(dir.path());
    ServerEntries entries;
    for (int i = 0; i < ServerList::MaxRows; ++i)
        entries.append({QStringLiteral("time%1.example.org").arg(i), QStringLiteral("1610")});

    QElapsedTimer timer;
    timer.start();
    const SaveResult saved = saveServerList(path, entries);
    report(QStringLiteral("save a list of 32,767 rows"), timer.nsecsElapsed() / 1e6,
           saved.ok ? QString() : QStringLiteral("  FAILED: ") + saved.reason);

    timer.restart();
    ServerList list;
    list.load(loadServerList(path));
    report(QStringLiteral("load a list of 32,767 rows"), timer.nsecsElapsed() / 1e6,
           QStringLiteral("  (%1 rows)").arg(list.count()));
}

// Random bytes as the file, and one line of 10 MB without a comma: reading stays bounded.
void loadHostileLists() {
    QTemporaryDir dir;
    const QString path = serverListFilePath(dir.path());
    QByteArray random(10 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(1610);
    generator.fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    for (const QByteArray& bytes : {random, QByteArray(10 * 1024 * 1024, 'x')}) {
        saveFileAtomically(path, bytes);
        const long before = maxResidentKiB(RUSAGE_SELF);
        QElapsedTimer timer;
        timer.start();
        const ServerEntries entries = loadServerList(path);
        report(bytes == random ? QStringLiteral("load 10 MB of random bytes")
                               : QStringLiteral("load one 10 MB line"),
               timer.nsecsElapsed() / 1e6,
               QStringLiteral("  (%1 entries, peak memory +%2 KiB)")
                   .arg(entries.size())
                   .arg(maxResidentKiB(RUSAGE_SELF) - before));
    }
}

void dryRunAgainstReferenceServer() {
    QProcess server;
    server.start(QStringLiteral(QUORVEL_SERVER_PATH),
                 {QStringLiteral("--port"), QStringLiteral("16161")});
    if (!server.waitForReadyRead(5000)) {
        out << "update run: quorvel-server did not start" << Qt::endl;
        return;
    }
    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    QProcess quorvel;
    quorvel.start(
        QStringLiteral(QUORVEL_PATH),
        {QStringLiteral("--once"), QStringLiteral("--dry-run"), QStringLiteral("--server"),
         QStringLiteral("127.0.0.1:16161"), QStringLiteral("--data-dir"), dir.path()});
    quorvel.waitForFinished(30000);
    const double ms = timer.nsecsElapsed() / 1e6;
    server.kill();
    server.waitForFinished();
    report(QStringLiteral("quorvel --once --dry-run, whole process"), ms,
           QStringLiteral("  (exit %1, peak memory of the largest child %2 KiB)")
               .arg(quorvel.exitCode())
               .arg(maxResidentKiB(RUSAGE_CHILDREN)));
}
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    appendLogLines();
    loadAndSaveLargestList();
    loadHostileLists();
    dryRunAgainstReferenceServer();
    return 0;
}
