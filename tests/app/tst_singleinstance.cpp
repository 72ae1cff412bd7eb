#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "app/singleinstance.h"

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
const std::optional<QString> NoRequest;
}

// The hand-over between two launches on one data folder, over the real local socket: a later
// launch's restore request carries its activation token when it is one word of printable ASCII
// of at most 255 characters, and the running copy takes nothing else for a request.
class SingleInstanceTest : public QObject {
    Q_OBJECT
    QTemporaryDir runtime_;
    QTemporaryDir folder_;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit()); }

    void laterLaunchHandsOnItsToken_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("received");
        const QString longest(255, u'x');
        QTest::newRow("none") << QString() << QString();
        QTest::newRow("a compositor's") << "0b7c5a5e-2d4c-4f0e-9a51-3c1d2e4f5a6b_TIME1234"
                                        << "0b7c5a5e-2d4c-4f0e-9a51-3c1d2e4f5a6b_TIME1234";
        QTest::newRow("255 characters") << longest << longest;
        // A token no desktop makes is left out; the window still comes back.
        QTest::newRow("256 characters") << longest + u'x' << QString();
        QTest::newRow("with a space") << "two words" << QString();
        QTest::newRow("with a line end") << "one\nrestore two" << QString();
        QTest::newRow("not ASCII") << QStringLiteral("jeton-\u00e9") << QString();
    }
    void laterLaunchHandsOnItsToken() {
        QFETCH(QString, token);
        QFETCH(QString, received);
        SingleInstance running(folder_.path());
        QCOMPARE(running.claim(), SingleInstance::Claim::Held);
        QSignalSpy requests(&running, &SingleInstance::restoreRequested);
        SingleInstance later(folder_.path());
        QCOMPARE(later.claim(), SingleInstance::Claim::HeldByOther);
        QVERIFY(later.askToRestore(std::chrono::milliseconds(2000), token));
        QTRY_COMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().toString(), received);
        QTest::qWait(50);  // a second line would be a second request
        QCOMPARE(requests.size(), 1);
    }

    void onlyRequestLinesCount_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<std::optional<QString>>("request");
        QTest::newRow("restore") << QByteArray("restore\n") << std::optional<QString>(QString());
        QTest::newRow("restore TOKEN")
            << QByteArray("restore abc_TIME9\n") << std::optional<QString>("abc_TIME9");
        QTest::newRow("two spaces") << QByteArray("restore  abc\n") << NoRequest;
        QTest::newRow("trailing space") << QByteArray("restore \n") << NoRequest;
        QTest::newRow("two words") << QByteArray("restore abc def\n") << NoRequest;
        QTest::newRow("control byte") << QByteArray(
                                             "restore a\x01"
                                             "b\n")
                                      << NoRequest;
        QTest::newRow("other verb") << QByteArray("restored\n") << NoRequest;
        QTest::newRow("upper case") << QByteArray("RESTORE\n") << NoRequest;
        QTest::newRow("no line end") << QByteArray("restore") << NoRequest;
        QTest::newRow("endless") << QByteArray(4096, 'r') << NoRequest;
    }
    void onlyRequestLinesCount() {
        QFETCH(QByteArray, sent);
        QFETCH(std::optional<QString>, request);
        SingleInstance running(folder_.path());
        QCOMPARE(running.claim(), SingleInstance::Claim::Held);
        QSignalSpy requests(&running, &SingleInstance::restoreRequested);
        QLocalSocket peer;
        peer.connectToServer(running.socketPath());
        QVERIFY(peer.waitForConnected(2000));
        peer.write(sent);
        QVERIFY(peer.waitForBytesWritten(2000));
        if (sent.endsWith('\n') || sent.size() > 1000)  // answered by hanging up
            QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        else
            QTest::qWait(100);
        QCOMPARE(requests.size(), request ? 1 : 0);
        if (request)
            QCOMPARE(requests.first().first().toString(), *request);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
