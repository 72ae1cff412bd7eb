#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/scriptedserver.h"

// quorvel --once as a user runs it, against the reference server and against servers that
// misbehave. Waits are shortened through the settings file, so every run ends in moments.
class OnceUpdateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void updatesAgainstReferenceServer();
    void misbehavingServerGetsTruthfulLog_data();
    void misbehavingServerGetsTruthfulLog();
    void emptyListFailsAtOnce();
    void usageErrorsStopBeforeAnything_data();
    void usageErrorsStopBeforeAnything();
    void helpAndVersionSucceed();

private:
    struct Outcome {
        int exitCode = -1;
        QStringList messages;
        QByteArray out;
        QByteArray err;
    };
    Outcome runQuorvel(const QStringList& arguments);
    QString server(const ScriptedServer& server) const {
        return QStringLiteral("127.0.0.1:") + server.portText();
    }

    QTemporaryDir dataDir_;
};

namespace {
const QByteArray GoodTime = "06Dec26170000";

void later(QTcpSocket& client, int ms, const QByteArray& bytes) {
    QPointer<QTcpSocket> alive(&client);
    QTimer::singleShot(ms, [alive, bytes] {
        if (alive)
            alive->write(bytes);
    });
}
}  // namespace

void OnceUpdateTest::initTestCase() {
    QVERIFY(dataDir_.isValid());
    QFile settings(dataDir_.filePath(QStringLiteral("Quorvel.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("Timeout=1000\r\nMaxPing=200\r\nForgetPing=500\r\nAttempts=2\r\n");
}

OnceUpdateTest::Outcome OnceUpdateTest::runQuorvel(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(QUORVEL_PATH), arguments);
    Outcome outcome;
    if (!process.waitForStarted(5000) ||
        !QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000)) {
        process.kill();
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = process.readAllStandardOutput();
    outcome.err = process.readAllStandardError();
    static const QRegularExpression stamp(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\]  "));
    for (const QString& line : QString::fromUtf8(outcome.out).split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.contains(stamp))
            outcome.messages.append(QStringLiteral("UNSTAMPED: ") + line);
        else
            outcome.messages.append(line.mid(12));
    }
    return outcome;
}

void OnceUpdateTest::updatesAgainstReferenceServer() {
    QTcpServer probe;
    QVERIFY(ScriptedServer::listenOnLowPort(probe));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    QProcess reference;
    reference.start(QStringLiteral(QUORVEL_SERVER_PATH), {"--port", port});
    QVERIFY(reference.waitForReadyRead(5000));
    const QString listening = QString::fromUtf8(reference.readLine()).trimmed();
    QVERIFY2(listening.startsWith(QStringLiteral("Listening on 127.0.0.1:")),
             qPrintable(listening));
    const QString address = listening.section(u' ', 2);

    const QTemporaryDir empty;
    const Outcome run =
        runQuorvel({"--once", "--dry-run", "--server", address, "--data-dir", empty.path()});
    reference.kill();
    reference.waitForFinished();

    QCOMPARE(run.exitCode, 0);
    const QStringList expected{
        "Program launched\\.",
        "Command-line update:",
        "Attempted to connect to " + QRegularExpression::escape(address) + ":",
        "Connection established after \\d+ milliseconds\\.",
        "Queried server for time - attempt 1:",
        "Received packet \"1:\\d\\d[A-Z][a-z][a-z]\\d{8}\" after \\d+ milliseconds:",
        "Packet was reply to attempt 1 - packet accepted:",
        "\\*System clock would be updated (from .+ )?to .+ - a correction of .+\\*"};
    QCOMPARE(run.messages.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(QRegularExpression("^" + expected[i] + "$").match(run.messages[i]).hasMatch(),
                 qPrintable(run.messages[i]));
    QCOMPARE(QDir(empty.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void OnceUpdateTest::misbehavingServerGetsTruthfulLog_data() {
    QTest::addColumn<ScriptedServer::Script>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("late") << ScriptedServer::Script([](QTcpSocket& c, const QByteArray& q) {
        later(c, 350, q + ':' + GoodTime);
    }) << 1
                          << QStringList{"Packet was reply to attempt 1 - delay was unacceptable.",
                                         "Packet was reply to attempt 2 - delay was unacceptable.",
                                         "Update failed too many times."};
    QTest::newRow("split") << ScriptedServer::Script([](QTcpSocket& c, const QByteArray& q) {
        if (q == "1") {
            c.write("1:06Dec");
            later(c, 30, "26170000");
        } else {
            later(c, 100, "2:" + GoodTime);
        }
    }) << 0
                           << QStringList{
                                  "Date and time in packet could not be read.",
                                  "Queried server for time - attempt 2:", "Packet was erroneous.",
                                  "Packet was reply to attempt 2 - packet accepted:"};
    QTest::newRow("silent") << ScriptedServer::Script() << 1
                            << QStringList{
                                   "Did not receive reply to attempt 1 after 500 milliseconds.",
                                   "Queried server for time - attempt 2:",
                                   "Did not receive reply to attempt 2 after 500 milliseconds.",
                                   "Update failed too many times."};
}

void OnceUpdateTest::misbehavingServerGetsTruthfulLog() {
    QFETCH(ScriptedServer::Script, script);
    QFETCH(int, exitCode);
    QFETCH(QStringList, expected);
    ScriptedServer scripted(script);
    const Outcome run = runQuorvel(
        {"--once", "--dry-run", "--server", server(scripted), "--data-dir", dataDir_.path()});
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.messages.join(u'\n')));
    qsizetype from = 0;
    for (const QString& message : expected) {
        const qsizetype at = run.messages.indexOf(message, from);
        QVERIFY2(at >= 0, qPrintable(message + "\n--- log:\n" + run.messages.join(u'\n')));
        from = at + 1;
    }
}

void OnceUpdateTest::emptyListFailsAtOnce() {
    const QTemporaryDir empty;
    const Outcome run = runQuorvel({"--once", "--dry-run", "--data-dir", empty.path()});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.messages, QStringList({"Program launched.", "Command-line update:",
                                        "Attempted to connect to ::", "Connection failed."}));
}

void OnceUpdateTest::usageErrorsStopBeforeAnything_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("server without once") << QStringList{"--server", "127.0.0.1"};
    QTest::newRow("missing value") << QStringList{"--once", "--data-dir"};
}

void OnceUpdateTest::usageErrorsStopBeforeAnything() {
    QFETCH(QStringList, arguments);
    const Outcome run = runQuorvel(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.err.startsWith("quorvel: "));
}

void OnceUpdateTest::helpAndVersionSucceed() {
    const Outcome help = runQuorvel({"--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("--once"));
    const Outcome version = runQuorvel({"--version"});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith("quorvel "));
}

QTEST_GUILESS_MAIN(OnceUpdateTest)
#include "tst_onceupdate.moc"
