#include <sys/stat.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "support/chronyserver.h"

namespace {
// Two unprivileged users: one who runs Quorvel, and another who would pose as its running copy.
constexpr uid_t User = 65533;
constexpr uid_t OtherUser = 65534;  // nobody

// Listens on the path given, as the other user, and prints what each connection sends.
const QString Squatter = QStringLiteral(R"(
import os, socket, sys
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
os.chmod(sys.argv[1], 0o777)
server.listen(8)
print("listening", flush=True)
while True:
    peer = server.accept()[0]
    print(peer.recv(256), flush=True)
    peer.close()
)");

QStringList asUser(uid_t user, const QStringList& command) {
    const QString id = QString::number(user);
    return QStringList{"--reuid=" + id, "--regid=" + id, "--clear-groups", "--"} + command;
}

// The lines the program itself writes to standard error (Qt's own warnings left out).
QString ownLines(const QByteArray& standardError) {
    QString own;
    for (const QString& line : QString::fromUtf8(standardError).split(u'\n'))
        if (line.startsWith("quorvel: "))
            own += line + u'\n';
    return own;
}
}  // namespace

// The program run as a process.
class ProgramTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void badArgumentIsRefused() {
        QProcess quorvel;
        quorvel.start(QStringLiteral(QUORVEL_PATH), {"--once", "--server"});
        QVERIFY(quorvel.waitForFinished(30000));
        QVERIFY(quorvel.exitStatus() == QProcess::NormalExit && quorvel.exitCode() != 0);
        QCOMPARE(quorvel.readAllStandardError(),
                 "quorvel: --server needs a value (see quorvel --help)\n");
    }

    // Never read, never waited for: the run goes on with the defaults and an empty list.
    void dataFilesThatAreNotRegularAreLeftAlone() {
        const QTemporaryDir data;
        const QString settings = data.filePath("Quorvel.ini"),
                      servers = data.filePath("Servers.ini");
        QVERIFY(QFile::link("/dev/zero", settings));
        QCOMPARE(mkfifo(qPrintable(servers), 0644), 0);
        QProcess quorvel;
        quorvel.start(QStringLiteral(QUORVEL_PATH),
                      {"--once", "--dry-run", "--data-dir", data.path()});
        QVERIFY(quorvel.waitForFinished(10000));
        const QStringList lines = QString::fromUtf8(quorvel.readAllStandardOutput()).split(u'\n');
        QCOMPARE(lines.mid(0, 4).join(u'\n').remove(QRegularExpression("\\[..:..:..\\]  ")),
                 "Program launched.\nFile " + settings +
                     " is not a regular file - it was left alone.\nFile " + servers +
                     " is not a regular file - it was left alone.\nCommand-line update:");
        QCOMPARE(QFileInfo(settings).symLinkTarget(), "/dev/zero");
    }

    // Another local user who takes the socket's name first gets nothing, and a later launch
    // still reaches the running copy, which also runs when its data folder is read-only. A
    // runtime folder open to others is refused.
    void otherUserCannotPoseAsTheRunningCopy_data() {
        QTest::addColumn<bool>("dataWritable");
        QTest::addColumn<int>("runtimeMode");
        QTest::addColumn<QString>("firstSays");  // %D the data folder, %R the runtime folder
        QTest::addColumn<QString>("laterSays");
        QTest::newRow("writable data folder") << true << 0700 << ""
                                              << "";
        QTest::newRow("read-only data folder")
            << false << 0700 << "quorvel: could not create %D/Quorvel.lock; running without it\n"
            << "";
        const QString open = "%R is open to other users (mode 777, not 700)\n";
        QTest::newRow("runtime folder open to others")
            << true << 0777 << "quorvel: later launches cannot reach this copy: " + open
            << "quorvel: cannot reach the copy running on %D: " + open;
    }
    void otherUserCannotPoseAsTheRunningCopy() {
        if (geteuid() != 0)
            QSKIP("running as two other users needs root");
        QFETCH(bool, dataWritable);
        QFETCH(int, runtimeMode);
        QFETCH(QString, firstSays);
        QFETCH(QString, laterSays);
        QTemporaryDir base;
        QCOMPARE(chmod(qPrintable(base.path()), 0755), 0);
        const QString home = base.filePath("home"), runtime = home + "/run", data = home + "/data";
        for (const QString& folder : {home, runtime, data}) {
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(chown(qPrintable(folder), folder == data && !dataWritable ? 0 : User, User),
                     0);
        }
        QCOMPARE(chmod(qPrintable(home), 0700) + chmod(qPrintable(runtime), mode_t(runtimeMode)),
                 0);
        const auto said = [&](QString text) {
            return text.replace("%D", data).replace("%R", runtime);
        };

        // The name a copy once took in the shared temporary folder, which anyone could foresee.
        const QByteArray digest = QCryptographicHash::hash(
            QFileInfo(data).canonicalFilePath().toUtf8(), QCryptographicHash::Sha256);
        const QString foreseen = QDir::temp().filePath(
            QStringLiteral("quorvel-%1-%2").arg(User).arg(digest.toHex().left(32)));
        QProcess squatter;
        const auto endSquat = qScopeGuard([&squatter, &foreseen] {
            squatter.kill();
            squatter.waitForFinished();
            QFile::remove(foreseen);
        });
        squatter.start("setpriv",
                       asUser(OtherUser, {"/usr/bin/python3", "-c", Squatter, foreseen}));
        QTRY_VERIFY_WITH_TIMEOUT(squatter.canReadLine(), 10000);
        QCOMPARE(squatter.readLine(), "listening\n");

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(name);
        environment.insert("HOME", home);
        environment.insert("XDG_CONFIG_HOME", home + "/config");
        environment.insert("XDG_RUNTIME_DIR", runtime);
        const QStringList launch = asUser(User, {QUORVEL_PATH, "--dry-run", "--data-dir", data});
        QProcess first, later;
        for (QProcess* copy : {&first, &later})
            copy->setProcessEnvironment(environment);
        first.start("setpriv", launch);
        QByteArray firstErrors;
        // Up once it has said what it says, and taken the lock where it can.
        const bool firstUp = QTest::qWaitFor(
            [&] {
                firstErrors += first.readAllStandardError();
                return first.state() == QProcess::NotRunning ||
                       (ownLines(firstErrors) == said(firstSays) &&
                        (!dataWritable || QFile::exists(data + "/Quorvel.lock")));
            },
            10000);
        later.start("setpriv", launch);
        QVERIFY(later.waitForFinished(10000));
        const bool firstRan = first.state() == QProcess::Running;
        if (firstRan) {
            ::kill(pid_t(first.processId()), SIGTERM);
            QVERIFY(first.waitForFinished(10000));
        }

        // The squatter takes connections in turn: once it has this one, it has had any before.
        QLocalSocket probe;
        probe.connectToServer(foreseen);
        QVERIFY(probe.waitForConnected(5000));
        probe.write("probe\n");
        QVERIFY(probe.waitForBytesWritten(5000));
        QByteArray heard;
        QTRY_VERIFY_WITH_TIMEOUT((heard += squatter.readAll()).contains("probe"), 5000);
        QCOMPARE(heard, "b'probe\\n'\n");
        QVERIFY(firstUp && firstRan);
        QCOMPARE(ownLines(firstErrors + first.readAllStandardError()), said(firstSays));
        QVERIFY(later.exitStatus() == QProcess::NormalExit && later.exitCode() == 0);
        QCOMPARE(ownLines(later.readAllStandardError()), said(laterSays));
    }

    // Without X11 or Wayland the desktop program says why on standard error and ends as any
    // program does, touching nothing, instead of aborting.
    void noWindowSystemIsReported_data() {
        QTest::addColumn<QString>("platforms");  // QT_QPA_PLATFORM; none: unset
        QTest::newRow("unset") << QString();
        QTest::newRow("Wayland, then X11") << QStringLiteral("wayland;xcb");
    }
    void noWindowSystemIsReported() {
        QFETCH(QString, platforms);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!platforms.isEmpty())
            environment.insert("QT_QPA_PLATFORM", platforms);
        const QTemporaryDir data;
        const QTemporaryDir runtime;  // a session's own, where no Wayland socket is
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess quorvel;
        quorvel.setProcessEnvironment(environment);
        quorvel.start(QStringLiteral(QUORVEL_PATH), {"--dry-run", "--data-dir", data.path()});
        QVERIFY(quorvel.waitForFinished(30000));
        const QByteArray complaint = quorvel.readAllStandardError();
        QVERIFY2(quorvel.exitStatus() == QProcess::NormalExit && quorvel.exitCode() == 1,
                 complaint.constData());
        QVERIFY2(complaint.startsWith("quorvel: cannot open a window: no X11 or Wayland display") &&
                     complaint.count('\n') == 1,
                 complaint.constData());
        QCOMPARE(QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), {});
    }

    // --once against Debian's chronyd on 127.0.0.1:123, serving this machine's own clock.
    void dryRunAgainstChrony() {
        if (geteuid() != 0)
            QSKIP("binding port 123 needs root");
        ChronyServer chrony;
        QCOMPARE(chrony.start(), QString());  // else why it did not start
        const QTemporaryDir empty;
        QProcess quorvel;
        quorvel.start(QStringLiteral(QUORVEL_PATH), {"--once", "--dry-run", "--server",
                                                     "127.0.0.1:123", "--data-dir", empty.path()});
        QVERIFY(quorvel.waitForFinished(30000));
        const QString output = QString::fromUtf8(quorvel.readAllStandardOutput());
        QVERIFY2(quorvel.exitStatus() == QProcess::NormalExit && quorvel.exitCode() == 0,
                 quorvel.readAllStandardError().constData());
        const QString stamp = QStringLiteral("\\[\\d\\d:\\d\\d:\\d\\d\\]  ");
        const QStringList expected{
            "Program launched\\.",
            "Command-line update:",
            "Attempted to connect to 127\\.0\\.0\\.1:123:",
            "NTP server found after \\d+ milliseconds\\.",
            "Queried server for time - attempt 1:",
            "Received NTP reply after \\d+ milliseconds: stratum 10, offset "
            "(?<offset>[+-]\\d+\\.\\d{3}) seconds, round trip \\d+ milliseconds:",
            "Packet was reply to attempt 1 - packet accepted:",
            "\\*System clock would be updated from .+ to .+ - a correction of "
            "(?<correction>[+-]\\d+\\.\\d{3}) seconds\\.\\*"};
        const QRegularExpressionMatch match =
            QRegularExpression("^" + stamp + expected.join("\n" + stamp) + "\n$").match(output);
        QVERIFY2(match.hasMatch(), qPrintable(output));
        QCOMPARE(match.captured(u"correction"), match.captured(u"offset"));
        QVERIFY2(qAbs(match.captured(u"offset").toDouble()) < 0.005, qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
