#include <sys/resource.h>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "config/serverlistfile.h"

using Entries = ServerEntries;

namespace {

// Saves while this process may write files of a few bytes only, as on a full disk; root included.
SaveResult saveOnAFullDisk(const QString& path, const Entries& entries) {
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const SaveResult result = saveServerList(path, entries);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    return result;
}

}  // namespace

class ServerListFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsFields_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Entries>("expected");
        QTest::newRow("empty file") << QByteArray() << Entries{};
        QTest::newRow("host only") << QByteArray("localhost") << Entries{{"localhost", "1610"}};
        QTest::newRow("empty port") << QByteArray("localhost:") << Entries{{"localhost", ""}};
        QTest::newRow("first colon splits, parts trimmed")
            << QByteArray("  a  :  b:c  ") << Entries{{"a", "b:c"}};
        QTest::newRow("comma") << QByteArray("a,b:99") << Entries{{"a", "1610"}, {"b", "99"}};
        QTest::newRow("quoted comma") << QByteArray("\"x,y:5\"") << Entries{{"x,y", "5"}};
        QTest::newRow("after closing quote")
            << QByteArray(" \"a\"x:9,b") << Entries{{"a", "1610"}, {"b", "1610"}};
        QTest::newRow("quote inside field") << QByteArray("a\"b:1") << Entries{{"a\"b", "1"}};
        QTest::newRow("unclosed quote ends at line end")
            << QByteArray("\"a,b:1\r\nc:2") << Entries{{"a,b", "1"}, {"c", "2"}};
        QTest::newRow("blank line between")
            << QByteArray("a:1\r\n\r\nb:2") << Entries{{"a", "1"}, {"", "1610"}, {"b", "2"}};
        QTest::newRow("lone CR, lone LF, final CR LF")
            << QByteArray("a:1\rb:2\nc:3\r\n") << Entries{{"a", "1"}, {"b", "2"}, {"c", "3"}};
        QTest::newRow("more than the list holds")
            << QByteArray("h\r\n").repeated(MaxServerEntries + 1)
            << Entries(MaxServerEntries, {"h", "1610"});
    }
    void readsFields() {
        QFETCH(QByteArray, file);
        QFETCH(Entries, expected);
        QCOMPARE(readServerList(file), expected);
    }

    void writesTrimmedLines() {
        const Entries entries{{" a ", " 1 "}, {"", "1610"}, {"h", ""}};
        QCOMPARE(serverListFileBytes(entries), QByteArray("a:1\r\n:1610\r\nh:\r\n"));
    }

    void savedListLoadsBackWhole() {
        QTemporaryDir dir;
        const QString path = serverListFilePath(dir.path());
        QCOMPARE(loadServerList(path), Entries{});
        const Entries saved{{QString(50, u'h'), "123456"}, {"", "1610"}, {"ü.example", ""}};
        QVERIFY(saveServerList(path, saved).ok);
        QCOMPARE(loadServerList(path), saved);
    }

    void failedSaveKeepsPreviousFile() {
        QTemporaryDir dir;
        const QString path = serverListFilePath(dir.path());
        QVERIFY(saveServerList(path, {{"old", "1"}}).ok);
        const SaveResult result = saveOnAFullDisk(path, {{"a.much.longer.host", "1610"}});
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, "File too large");
        QCOMPARE(loadServerList(path), (Entries{{"old", "1"}}));
    }
};

QTEST_GUILESS_MAIN(ServerListFileTest)
#include "tst_serverlistfile.moc"
