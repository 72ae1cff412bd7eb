// NTS and NTP figures against Debian's chronyd on loopback, in a network of the bench's own (so
// any user may bind port 123 there, and NTS's 4460 is free): the NTS key exchange alone, whole
// update runs on the programs' own engine and exchanges with a new key exchange each and with
// kept keys, and whole `quorvel --once --dry-run` processes over NTP. chronyd serves this
// machine's own clock, so every offset is the method's own error.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <optional>

#include "figuretable.h"
#include "platform/tlskeyexchange.h"
#include "support/chronyntsserver.h"
#include "support/chronyserver.h"
#include "support/privatenetwork.h"
#include "updaterig.h"

namespace {
constexpr int KeyExchanges = 20;
constexpr int Runs = 100;
const QString Host = QStringLiteral("127.0.0.1");
constexpr quint16 NtsPort = 4460;

// Milliseconds from start to keys; none when the key exchange failed.
std::optional<double> keyExchangeMs() {
    TlsKeyExchange keyExchange;
    QEventLoop loop;
    bool succeeded = false;
    QObject::connect(&keyExchange, &NtsKeyExchange::succeeded, &loop, [&] {
        succeeded = true;
        loop.quit();
    });
    QObject::connect(&keyExchange, &NtsKeyExchange::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    keyExchange.start(Host, NtsPort);
    loop.exec();
    return succeeded ? std::optional(double(timer.nsecsElapsed()) / 1e6) : std::nullopt;
}

// Update runs of one kind: their times, and the |offset| and round trip of each that set the
// clock from an authenticated reply.
struct Series {
    QList<double> ms;
    QList<double> offsetMs;
    QList<double> roundTripMs;
    int keptKeys = 0;  // runs whose connect phase needed no key exchange

    bool take(const UpdateRig::Run& run) {
        const bool counts = run.updated && run.sample && run.sample->authenticated;
        if (counts) {
            ms.append(run.ms);
            offsetMs.append(double(std::abs(run.sample->offsetNs)) / 1e6);
            roundTripMs.append(double(run.sample->roundTripNs) / 1e6);
        }
        static const QRegularExpression kept(QStringLiteral("^NTS keys kept from an earlier"));
        keptKeys += int(!run.log.filter(kept).isEmpty());
        return counts;
    }
    void print(FigureTable& table, const QString& what) const {
        table.add(what + QStringLiteral(" (to Last updated)"), Runs, ms);
        table.add(QStringLiteral("  |offset|"), Runs, offsetMs);
        table.add(QStringLiteral("  round trip"), Runs, roundTripMs);
    }
};

bool benchNts(FigureTable& table) {
    ChronyNtsServer chrony(NtsPort);
    if (const QString problem = chrony.start(); !problem.isEmpty()) {
        table.note(QStringLiteral("NTS: chronyd: ") + problem);
        return false;
    }
    qputenv("SSL_CERT_FILE", chrony.certificateFile().toLocal8Bit());
    QList<double> keyExchanges;
    for (int i = 0; i < KeyExchanges; ++i)
        if (const std::optional<double> ms = keyExchangeMs())
            keyExchanges.append(*ms);
    table.add(QStringLiteral("NTS key exchange alone (TlsKeyExchange)"), KeyExchanges,
              keyExchanges);

    const QString port = QString::number(NtsPort);
    const UpdateRig::Run first = UpdateRig().run(Host, port);
    table.add(QStringLiteral("NTS update run, first in process (to Last updated)"), 1,
              first.updated ? QList<double>{first.ms} : QList<double>{});
    for (const QString& message : first.log)
        table.note(message);

    Series fresh;
    bool allCounted = first.updated;
    for (int i = 0; i < Runs; ++i)
        allCounted &= fresh.take(UpdateRig().run(Host, port));
    fresh.print(table, QStringLiteral("NTS runs, new key exchange each"));

    UpdateRig rig;
    rig.run(Host, port);  // the key exchange whose keys the runs below keep
    Series kept;
    for (int i = 0; i < Runs; ++i)
        allCounted &= kept.take(rig.run(Host, port));
    kept.print(table, QStringLiteral("NTS runs on one engine, keys kept"));
    table.note(QStringLiteral("%1 of %2 runs on one engine kept the keys of an earlier run")
                   .arg(kept.keptKeys)
                   .arg(Runs));
    return allCounted;
}

// Milliseconds one whole `quorvel --once --dry-run` process takes, and the offset it logs (to
// the millisecond); none when it failed.
std::pair<double, std::optional<double>> onceOverNtp(const QString& dataDir) {
    QElapsedTimer timer;
    timer.start();
    QProcess quorvel;
    quorvel.start(QStringLiteral(QUORVEL_PATH),
                  {"--once", "--dry-run", "--server", Host + ":123", "--data-dir", dataDir});
    quorvel.waitForFinished(30000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    static const QRegularExpression offset(
        QStringLiteral("offset ([+-][0-9]+\\.[0-9]{3}) seconds"));
    const QRegularExpressionMatch match =
        offset.match(QString::fromUtf8(quorvel.readAllStandardOutput()));
    if (quorvel.exitCode() != 0 || !match.hasMatch())
        return {ms, std::nullopt};
    return {ms, std::abs(match.captured(1).toDouble()) * 1000};
}

bool benchNtp(FigureTable& table) {
    ChronyServer chrony(Host);
    if (const QString problem = chrony.start(); !problem.isEmpty()) {
        table.note(QStringLiteral("NTP: chronyd: ") + problem);
        return false;
    }
    const QTemporaryDir dir;
    const auto [firstMs, firstOffset] = onceOverNtp(dir.path());
    table.add(QStringLiteral("NTP quorvel --once --dry-run, first process"), 1,
              firstOffset ? QList<double>{firstMs} : QList<double>{});
    QList<double> times;
    QList<double> offsets;
    for (int i = 0; i < Runs; ++i) {
        const auto [ms, offsetMs] = onceOverNtp(dir.path());
        if (offsetMs) {
            times.append(ms);
            offsets.append(*offsetMs);
        }
    }
    table.add(QStringLiteral("NTP quorvel --once --dry-run, whole processes"), Runs, times);
    table.add(QStringLiteral("  |offset| as logged, to the millisecond"), Runs, offsets);
    return firstOffset && offsets.size() == Runs;
}
}  // namespace

int main(int argc, char* argv[]) {
    // While the process still has one thread.
    const QString network = enterPrivateNetwork("127.0.0.1 localhost\n");
    QCoreApplication app(argc, argv);
    FigureTable table;
    if (!network.isEmpty())
        table.note(QStringLiteral("no network of its own (") + network +
                   QStringLiteral("): on this machine's loopback"));
    const bool nts = benchNts(table);
    const bool ntp = benchNtp(table);
    return nts && ntp ? 0 : 1;
}
