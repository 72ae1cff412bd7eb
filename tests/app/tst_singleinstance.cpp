#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/singleinstance.h"

// The hand-over between two launches on one data folder, over the real local socket: a later
// launch's restore request carries its activation token when it is one word of printable ASCII
// of at most 255 characters, and the running copy takes nothing else for a request.
class SingleInstanceTest : public QObject {
    Q_OBJECT
    QTemporaryDir runtime_;
    QTemporaryDir folder_;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit()); }

    void restoreRequests_data() {
        QTest::addColumn<bool>("launch");  // sent by a later launch as its token, else raw bytes
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("requests");  // the tokens of the requests taken
        const QByteArray longest(255, 'x');
        QTest::newRow("launch, no token") << true << QByteArray() << QStringList{""};
        QTest::newRow("launch, 255 characters") << true << longest << QStringList{longest};
        // A token no desktop makes is left out; the window still comes back.
        QTest::newRow("launch, 256 characters") << true << longest + 'x' << QStringList{""};
        QTest::newRow("launch, a line end")
            << true << QByteArray("a\nrestore b") << QStringList{""};
        QTest::newRow("launch, not ASCII")
            << true << QByteArray("jeton-\xc3\xa9") << QStringList{""};
        QTest::newRow("restore TOKEN")
            << false << QByteArray("restore a_T9\n") << QStringList{"a_T9"};
        QTest::newRow("two spaces") << false << QByteArray("restore  abc\n") << QStringList();
        QTest::newRow("two words") << false << QByteArray("restore a b\n") << QStringList();
        QTest::newRow("control byte") << false << QByteArray("restore a\x01z\n") << QStringList();
        QTest::newRow("other verb") << false << QByteArray("restored\n") << QStringList();
        QTest::newRow("no line end") << false << QByteArray("restore") << QStringList();
        QTest::newRow("endless") << false << QByteArray(4096, 'r') << QStringList();
    }
    void restoreRequests() {
        QFETCH(bool, launch);
        QFETCH(QByteArray, sent);
        SingleInstance running(folder_.path());
        QCOMPARE(running.claim(), SingleInstance::Claim::Held);
        QSignalSpy requests(&running, &SingleInstance::restoreRequested);
        SingleInstance later(folder_.path());
        QLocalSocket peer;
        if (launch) {
            QCOMPARE(later.claim(), SingleInstance::Claim::HeldByOther);
            QVERIFY(later.askToRestore(std::chrono::milliseconds(2000), QString::fromUtf8(sent)));
            QTRY_COMPARE(requests.size(), 1);
        } else {
            peer.connectToServer(running.socketPath());
            QVERIFY(peer.waitForConnected(2000));
            peer.write(sent);
            QVERIFY(peer.waitForBytesWritten(2000));
            if (sent.endsWith('\n') || sent.size() > 1000)  // answered by hanging up
                QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        }
        QTest::qWait(50);  // a second line would be a second request
        QStringList tokens;
        for (const QList<QVariant>& request : requests)
            tokens.append(request.first().toString());
        QTEST(tokens, "requests");
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
