#include <sys/resource.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "config/serverlistfile.h"
#include "serverlist/serverlist.h"

using Entries = QList<ServerEntry>;

namespace {

// Lets this process write files of a few bytes only, as a full disk would; root included.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_;
    void (*previousHandler_)(int);
};

QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        QTest::newRow("spaces trimmed")
            << QByteArray("  localhost  :  123  ") << Entries{{"localhost", "123"}};
        QTest::newRow("empty port") << QByteArray("localhost:") << Entries{{"localhost", ""}};
        QTest::newRow("empty host") << QByteArray(":1610") << Entries{{"", "1610"}};
        QTest::newRow("first colon splits") << QByteArray("a:b:c") << Entries{{"a", "b:c"}};
        QTest::newRow("comma") << QByteArray("a,b:99") << Entries{{"a", "1610"}, {"b", "99"}};
        QTest::newRow("quoted comma") << QByteArray("\"x,y:5\"") << Entries{{"x,y", "5"}};
        QTest::newRow("after closing quote")
            << QByteArray(" \"a\"x:9,b") << Entries{{"a", "1610"}, {"b", "1610"}};
        QTest::newRow("quote inside field") << QByteArray("a\"b:1") << Entries{{"a\"b", "1"}};
        QTest::newRow("unclosed quote ends at line end")
            << QByteArray("\"a,b:1\r\nc:2") << Entries{{"a,b", "1"}, {"c", "2"}};
        QTest::newRow("blank line between")
            << QByteArray("a:1\r\n\r\nb:2") << Entries{{"a", "1"}, {"", "1610"}, {"b", "2"}};
        QTest::newRow("comma ending a line")
            << QByteArray("a:1,\r\nb:2") << Entries{{"a", "1"}, {"", "1610"}, {"b", "2"}};
        QTest::newRow("final line end")
            << QByteArray("a:1\r\nb:2\r\n") << Entries{{"a", "1"}, {"b", "2"}};
        QTest::newRow("lone CR and LF")
            << QByteArray("a:1\rb:2\nc:3") << Entries{{"a", "1"}, {"b", "2"}, {"c", "3"}};
    }
    void readsFields() {
        QFETCH(QByteArray, file);
        QFETCH(Entries, expected);
        QCOMPARE(readServerList(file), expected);
    }

    void writesLines_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty list") << Entries{} << QByteArray();
        QTest::newRow("trimmed") << Entries{{" a ", " 1 "}, {"b", "2"}}
                                 << QByteArray("a:1\r\nb:2\r\n");
        QTest::newRow("empty parts")
            << Entries{{"", "1610"}, {"h", ""}} << QByteArray(":1610\r\nh:\r\n");
    }
    void writesLines() {
        QFETCH(Entries, entries);
        QFETCH(QByteArray, file);
        QCOMPARE(serverListFileBytes(entries), file);
    }

    void savedListLoadsBackWhole() {
        QTemporaryDir dir;
        const QString path = serverListFilePath(dir.path());
        const Entries saved{{QString(50, u'h'), "123456"}, {"", "1610"}, {"ü.example", ""}};
        QVERIFY(SaveServerList(path, saved).ok);
        QCOMPARE(LoadServerList(path), saved);
    }

    void missingFileGivesEmptyList() {
        QTemporaryDir dir;
        QCOMPARE(LoadServerList(serverListFilePath(dir.path())), Entries{});
    }

    void readsAtMostMaxRows() {
        const QByteArray file = QByteArray("h\r\n").repeated(ServerList::MaxRows + 1);
        QCOMPARE(readServerList(file).size(), ServerList::MaxRows);
    }

    void failedSaveKeepsPreviousFile() {
        QTemporaryDir dir;
        const QString path = serverListFilePath(dir.path());
        QVERIFY(SaveServerList(path, {{"old", "1"}}).ok);
        SaveResult result;
        {
            const FileSizeLimit limit(8);
            result = SaveServerList(path, {{"a.much.longer.host", "1610"}});
        }
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, "File too large");
        QCOMPARE(fileContents(path), QByteArray("old:1\r\n"));
    }
};

QTEST_GUILESS_MAIN(ServerListFileTest)
#include "tst_serverlistfile.moc"
