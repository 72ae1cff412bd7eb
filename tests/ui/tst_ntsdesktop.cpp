#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "config/autostartentry.h"
#include "engine/updateengine.h"
#include "platform/dryrunclocksetter.h"
#include "platform/systemclock.h"
#include "platform/systemzonesource.h"
#include "support/logpattern.h"
#include "support/ntsfieldsonwire.h"
#include "support/privatenetwork.h"
#include "support/relayedchronyserver.h"
#include "ui/desktopprogram.h"
#include "ui/mainwindow.h"
#include "ui/programpictures.h"

namespace {
// Short waits, so that each reply the client must not take costs half a second.
const QByteArray ShortWaits = "Timeout=2000\r\nForgetPing=500\r\nAttempts=2\r\n";

}  // namespace

// The desktop program in this process with its real parts, against chronyd as an NTS server
// behind relays, in a network of the suite's own where port 4460 is free: the keys and cookies
// of one key exchange serve the updates that follow, and never reach a file.
class NtsDesktopTest : public QObject {
    Q_OBJECT
public:
    explicit NtsDesktopTest(QString networkError) : networkError_(std::move(networkError)) {}

private Q_SLOTS:
    void keysAreKeptBetweenUpdates();

private:
    QString networkError_;
};

void NtsDesktopTest::keysAreKeptBetweenUpdates() {
    QVERIFY2(networkError_.isEmpty(), qPrintable(networkError_));
    RelayedChronyServer server;
    QCOMPARE(server.start(), QString());
    qputenv("SSL_CERT_FILE", server.chrony().certificateFile().toLocal8Bit());
    const QTemporaryDir home, data;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    for (const auto& [name, bytes] : {std::pair{"Servers.ini", QByteArray("127.0.0.1:4460\r\n")},
                                      std::pair{"Quorvel.ini", ShortWaits}}) {
        QFile file(data.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    UdpRelay& ntp = server.ntp();
    bool repliesLost = true;
    ntp.setHook([&](UdpRelay::Direction direction, const QByteArray& datagram) {
        return direction == UdpRelay::Direction::ToClient && repliesLost ? QByteArray() : datagram;
    });

    SystemClock clock;
    SystemZoneSource zone(clock);
    DryRunClockSetter setter;
    const AutostartEntry autostart;
    DesktopProgram program({clock, zone, setter, autostart, data.path(),
                            QStringLiteral("/usr/bin/quorvel"), programPictures(), QLocale::c()});
    program.startUp();
    auto* button = program.window().findChild<QPushButton*>("butUpdate");
    auto* log = program.window().findChild<QPlainTextEdit*>("txtLog");
    QVERIFY(button && log);
    QSignalSpy ended(&program.session().engine(), &UpdateEngine::runEnded);
    // One click of the button, and the lines its run logged compared; the clock only ever set
    // from chronyd's time, which is this machine's.
    const auto update = [&](const QStringList& expected) {
        const qsizetype before = log->toPlainText().size();
        button->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
        ended.clear();
        const QString lines = log->toPlainText().mid(before).trimmed() + u'\n';
        const QRegularExpressionMatch match = logPattern(expected).match(lines);
        QVERIFY2(match.hasMatch(), qPrintable(lines));
        if (match.hasCaptured(u"correction"))
            QVERIFY2(qAbs(match.captured(u"correction").toDouble()) < 1, qPrintable(lines));
    };
    const QString ntpServer = "127.0.0.1:" + QString::number(server.chrony().ntpPort());
    const QStringList begun{"Update Clock button clicked:",
                            "Attempted to connect to 127.0.0.1:4460:"};

    // Both replies lost: two cookies spent, six left.
    update(begun + QStringList{"NTS key exchange completed after {n} milliseconds: NTP server " +
                                   ntpServer + ", 8 cookies.",
                               "Queried server for time - attempt 1:",
                               "Did not receive reply to attempt 1 after 500 milliseconds.",
                               "Queried server for time - attempt 2:",
                               "Did not receive reply to attempt 2 after 500 milliseconds.",
                               "Update failed too many times."});
    if (QTest::currentTestFailed())
        return;
    // The kept six, then eight again from the reply's fresh cookies; no TLS connection more.
    repliesLost = false;
    for (const int kept : {6, 8}) {
        update(begun +
               QStringList{
                   QStringLiteral(
                       "NTS keys kept from an earlier key exchange: NTP server %1, %2 cookies.")
                       .arg(ntpServer)
                       .arg(kept),
                   "Queried server for time - attempt 1:",
                   "Received authenticated NTP reply after {n} milliseconds: stratum 10, offset "
                   "{offset} seconds, round trip {n} milliseconds:",
                   "Packet was reply to attempt 1 - packet accepted:",
                   "*System clock would be updated from {time} to {time} - a correction of "
                   "{correction} seconds.*"});
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(server.keyExchange().connections(), 1);

    QCOMPARE(ntp.requests.size(), 4);
    QVERIFY(OnWire::eachOnceOnly(ntp.requests, OnWire::UniqueIdentifier));
    QVERIFY(OnWire::eachOnceOnly(ntp.requests, OnWire::Cookie));

    // Neither the files nor the log hold a cookie, in any spelling.
    program.end();
    QByteArrayList written{log->toPlainText().toUtf8()};
    for (const QString& folder : {data.path(), home.path()})
        for (QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
             files.hasNext();) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            written << file.readAll();
        }
    QCOMPARE(QDir(data.path()).entryList(QDir::Files), (QStringList{"Quorvel.ini", "Servers.ini"}));
    for (const QByteArray& request : ntp.requests) {
        const QByteArray cookie = OnWire::bodies(request, OnWire::Cookie).value(0);
        for (const QByteArray& spelling :
             {cookie, cookie.toHex(), cookie.toHex().toUpper(), cookie.toBase64()})
            for (const QByteArray& text : written)
                QVERIFY(!text.contains(spelling.left(16)));
    }
}

// The suite's own user and network namespace comes first, while the process has one thread.
int main(int argc, char** argv) {
    QString networkError = enterPrivateNetwork("127.0.0.1 localhost\n");
    QApplication app(argc, argv);
    NtsDesktopTest test(std::move(networkError));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ntsdesktop.moc"
