#include <QTest>

#include "app/commandline.h"

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void argumentsAreRead_data();
    void argumentsAreRead();
    void usageErrorsAreNamed_data();
    void usageErrorsAreNamed();
};

void CommandLineTest::argumentsAreRead_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("once");
    QTest::addColumn<bool>("dryRun");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("dataDir");
    QTest::newRow("nothing") << QStringList() << false << false << QString() << QString();
    QTest::newRow("once against a server")
        << QStringList{"--once", "--server", "127.0.0.1:1610", "--dry-run"} << true << true
        << QStringLiteral("127.0.0.1:1610") << QString();
    QTest::newRow("values after =")
        << QStringList{"--server=h", "--data-dir=/tmp/q", "--once"} << true << false
        << QStringLiteral("h") << QStringLiteral("/tmp/q");
    QTest::newRow("desktop with a data folder")
        << QStringList{"--data-dir", "/tmp/my folder", "--dry-run"} << false << true << QString()
        << QStringLiteral("/tmp/my folder");
}

void CommandLineTest::argumentsAreRead() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, once);
    QFETCH(bool, dryRun);
    QFETCH(QString, server);
    QFETCH(QString, dataDir);
    const auto parsed = parseCommandLine(arguments);
    QVERIFY(std::holds_alternative<CommandLine>(parsed));
    const CommandLine& line = std::get<CommandLine>(parsed);
    QCOMPARE(line.once, once);
    QCOMPARE(line.dryRun, dryRun);
    QCOMPARE(line.server.value_or(QString()), server);
    QCOMPARE(line.dataDir, dataDir);
}

void CommandLineTest::usageErrorsAreNamed_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    QTest::newRow("unknown") << QStringList{"--onse"} << QStringLiteral("unknown argument: --onse");
    QTest::newRow("server without once")
        << QStringList{"--server", "h"} << QStringLiteral("--server works only with --once");
    QTest::newRow("missing value")
        << QStringList{"--once", "--server"} << QStringLiteral("--server needs a value");
    QTest::newRow("empty folder") << QStringList{"--data-dir="}
                                  << QStringLiteral("--data-dir needs a folder");
}

void CommandLineTest::usageErrorsAreNamed() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    const auto parsed = parseCommandLine(arguments);
    QVERIFY(std::holds_alternative<UsageError>(parsed));
    QCOMPARE(std::get<UsageError>(parsed).problem, problem);
}

QTEST_APPLESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
