#include <unistd.h>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "support/chronyserver.h"

// quorvel --once against a real NTP server no one here wrote: Debian's chronyd on 127.0.0.1:123,
// serving this machine's own clock. The same clock on both sides, so the offset is all but
// nothing.
class NtpChronyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void dryRunAgainstChrony();

private:
    ChronyServer chrony_;
};

void NtpChronyTest::initTestCase() {
    // Only root may bind port 123; as root a chronyd that cannot start is a failure.
    if (geteuid() != 0)
        QSKIP("binding port 123 needs root");
    const QString problem = chrony_.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void NtpChronyTest::dryRunAgainstChrony() {
    const QTemporaryDir empty;
    QProcess quorvel;
    quorvel.start(QStringLiteral(QUORVEL_PATH),
                  {"--once", "--dry-run", "--server", "127.0.0.1:123", "--data-dir", empty.path()});
    QVERIFY(quorvel.waitForFinished(30000));
    QCOMPARE(quorvel.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quorvel.exitCode(), 0);

    const QStringList lines =
        QString::fromUtf8(quorvel.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList expected{"Program launched\\.",
                               "Command-line update:",
                               "Attempted to connect to 127\\.0\\.0\\.1:123:",
                               "NTP server found after \\d+ milliseconds\\.",
                               "Queried server for time - attempt 1:",
                               "Received NTP reply after \\d+ milliseconds: stratum 10, offset "
                               "(?<offset>[+-]\\d+\\.\\d{3}) "
                               "seconds, round trip \\d+ milliseconds:",
                               "Packet was reply to attempt 1 - packet accepted:",
                               "\\*System clock would be updated from .+ to .+ - a correction of "
                               "(?<correction>[+-]\\d+\\.\\d{3}) seconds\\.\\*"};
    QCOMPARE(lines.size(), expected.size());
    QString offset;
    QString correction;
    for (int i = 0; i < expected.size(); ++i) {
        const QRegularExpressionMatch match =
            QRegularExpression("^\\[\\d\\d:\\d\\d:\\d\\d\\]  " + expected[i] + "$").match(lines[i]);
        QVERIFY2(match.hasMatch(), qPrintable(lines[i]));
        offset += match.captured(u"offset");
        correction += match.captured(u"correction");
    }
    QCOMPARE(correction, offset);
    QVERIFY2(qAbs(offset.toDouble()) < 0.005, qPrintable(offset));
}

QTEST_GUILESS_MAIN(NtpChronyTest)
#include "tst_ntpchrony.moc"
