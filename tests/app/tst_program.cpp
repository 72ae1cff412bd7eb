#include <unistd.h>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "support/chronyserver.h"

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

    // Without X11 or Wayland the desktop program says why on standard error and ends as any
    // program does, touching nothing, instead of aborting.
    void noWindowSystemIsReported_data() {
        QTest::addColumn<QString>("platforms");  // QT_QPA_PLATFORM; none: unset
        QTest::newRow("unset") << QString();
        QTest::newRow("X11") << QStringLiteral("xcb");
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
