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

// Runs of one kind that succeeded: how long each took, and the |offset| and round trip it
// measured.
struct Series {
    QList<double> ms;
    QList<double> offsetMs;
    QList<double> roundTripMs;
    int keptKeys = 0;  // NTS runs whose connect phase needed no key exchange

    void add(double runMs, double offset, double roundTrip) {
        ms.append(runMs);
        offsetMs.append(std::abs(offset));
        roundTripMs.append(roundTrip);
    }
    // An NTS run counts when it set the clock from an authenticated reply.
    bool take(const UpdateRig::Run& run) {
        const bool counts = run.updated && run.sample && run.sample->authenticated;
        if (counts)
            add(run.ms, double(run.sample->offsetNs) / 1e6, double(run.sample->roundTripNs) / 1e6);
        static const QRegularExpression kept(QStringLiteral("^NTS keys kept from an earlier"));
        keptKeys += int(!run.log.filter(kept).isEmpty());
        return counts;
    }
    void print(FigureTable& table, const QString& what, const QString& measured = {}) const {
        table.add(what, Runs, ms);
        table.add(QStringLiteral("  |offset|") + measured, Runs, offsetMs);
        table.add(QStringLiteral("  round trip") + measured, Runs, roundTripMs);
    }
};

bool benchNts(FigureTable& table) {
    ChronyNtsServer chrony({QHostAddress(QHostAddress::LocalHost), quint16(NtsPort), {}});
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
    fresh.print(table, QStringLiteral("NTS runs, new key exchange each (to Last updated)"));

    UpdateRig rig;
    rig.run(Host, port);  // the key exchange whose keys the runs below keep
    Series kept;
    for (int i = 0; i < Runs; ++i)
        allCounted &= kept.take(rig.run(Host, port));
    kept.print(table, QStringLiteral("NTS runs on one engine, keys kept (to Last updated)"));
    table.note(QStringLiteral("%1 of %2 runs on one engine kept the keys of an earlier run")
                   .arg(kept.keptKeys)
                   .arg(Runs));
    return allCounted;
}

// One whole `quorvel --once --dry-run` process over NTP into the series, with the offset and
// round trip it logs (to the millisecond); false when it failed.
bool onceOverNtp(Series& series, const QString& dataDir) {
    QElapsedTimer timer;
    timer.start();
    QProcess quorvel;
    quorvel.start(QStringLiteral(QUORVEL_PATH),
                  {"--once", "--dry-run", "--server", Host + ":123", "--data-dir", dataDir});
    quorvel.waitForFinished(30000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    static const QRegularExpression reply(
        QStringLiteral("offset ([+-][0-9]+\\.[0-9]{3}) seconds, round trip ([0-9]+) milliseconds"));
    const QRegularExpressionMatch match =
        reply.match(QString::fromUtf8(quorvel.readAllStandardOutput()));
    if (quorvel.exitCode() != 0 || !match.hasMatch())
        return false;
    series.add(ms, match.captured(1).toDouble() * 1000, match.captured(2).toDouble());
    return true;
}

bool benchNtp(FigureTable& table) {
    ChronyServer chrony(Host);
    if (const QString problem = chrony.start(); !problem.isEmpty()) {
        table.note(QStringLiteral("NTP: chronyd: ") + problem);
        return false;
    }
    const QTemporaryDir dir;
    Series first;
    bool allCounted = onceOverNtp(first, dir.path());
    table.add(QStringLiteral("NTP quorvel --once --dry-run, first process"), 1, first.ms);
    Series runs;
    for (int i = 0; i < Runs; ++i)
        allCounted &= onceOverNtp(runs, dir.path());
    runs.print(table, QStringLiteral("NTP quorvel --once --dry-run, whole processes"),
               QStringLiteral(" as logged, to the ms"));
    return allCounted;
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
