#include <QTest>

#include "engine/nts/ntskerecords.h"

// The key exchange's records: the request byte for byte, and responses read whole and one byte
// at a time, hostile ones included.
class NtsKeRecordsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestIsNtpV4WithAesSiv();
    void readsResponse_data();
    void readsResponse();
    void holdsAtMostOneRecord();
};

namespace {
const QByteArray Protocol = QByteArray::fromHex("8001 0002 0000");
const QByteArray Aead = QByteArray::fromHex("8004 0002 000f");
const QByteArray Cookie = QByteArray::fromHex("0005 0004 c0c1c2c3");
const QByteArray End = QByteArray::fromHex("8000 0000");
const QByteArray Agreed = Protocol + Aead + Cookie;

using State = NtsKeResponse::State;
}  // namespace

void NtsKeRecordsTest::requestIsNtpV4WithAesSiv() {
    QCOMPARE(ntsKeRequest(), QByteArray::fromHex("8001 0002 0000  0004 0002 000f  8000 0000"));
}

void NtsKeRecordsTest::readsResponse_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("cookies");

    const auto complete = int(State::Complete);
    const auto failed = int(State::Failed);
    QTest::newRow("chronyd's") << Agreed + QByteArray::fromHex("8007 0002 2b73") + Cookie + End
                               << complete << ""
                               << "" << 11123 << 2;
    QTest::newRow("server named") << Agreed + QByteArray::fromHex("0006 0009") + "ntp.local" + End
                                  << complete << ""
                                  << "ntp.local" << 123 << 1;
    QTest::newRow("nine cookies, eight kept") << Agreed + Cookie.repeated(8) + End << complete << ""
                                              << "" << 123 << 8;
    QTest::newRow("unknown record ignored")
        << Agreed + QByteArray::fromHex("0123 0002 ffff") + End << complete << ""
        << "" << 123 << 1;
    QTest::newRow("bytes after the end ignored")
        << Agreed + End + QByteArray::fromHex("8002 0002 0001") << complete << ""
        << "" << 123 << 1;
    QTest::newRow("error") << Protocol + QByteArray::fromHex("8002 0002 0001") + End << failed
                           << "server error 1"
                           << "" << 123 << 0;
    QTest::newRow("warning") << Agreed + QByteArray::fromHex("8003 0002 0005") + End << failed
                             << "server warning 5"
                             << "" << 123 << 0;
    QTest::newRow("another algorithm")
        << Protocol + QByteArray::fromHex("8004 0002 0010") + Cookie + End << failed
        << "unsupported algorithm"
        << "" << 123 << 0;
    QTest::newRow("no algorithm") << Protocol + Cookie + End << failed << "unsupported algorithm"
                                  << "" << 123 << 0;
    QTest::newRow("another protocol") << QByteArray::fromHex("8001 0002 0001") + Aead + Cookie + End
                                      << failed << "unsupported protocol"
                                      << "" << 123 << 0;
    QTest::newRow("no protocol") << Aead + Cookie + End << failed << "unsupported protocol"
                                 << "" << 123 << 0;
    QTest::newRow("no cookies") << Protocol + Aead + End << failed << "no cookies"
                                << "" << 123 << 0;
    QTest::newRow("cookie too long")
        << Protocol + Aead + QByteArray::fromHex("0005 0201") + QByteArray(513, 'c') + End << failed
        << "no cookies"
        << "" << 123 << 0;
    QTest::newRow("unknown critical") << Agreed + QByteArray::fromHex("8123 0000") + End << failed
                                      << "unknown critical record 291"
                                      << "" << 123 << 0;
    QTest::newRow("port of three bytes")
        << Agreed + QByteArray::fromHex("8007 0003 2b7300") + End << failed << "malformed response"
        << "" << 123 << 0;
    QTest::newRow("server with a space")
        << Agreed + QByteArray::fromHex("0006 0003") + "a b" + End << failed << "malformed response"
        << "" << 123 << 0;
    QTest::newRow("no end") << Agreed << failed << "response incomplete"
                            << "" << 123 << 0;
    QTest::newRow("record cut short")
        << Agreed + QByteArray::fromHex("0005 ffff c0c1") << failed << "response incomplete"
        << "" << 123 << 0;
}

void NtsKeRecordsTest::readsResponse() {
    QFETCH(QByteArray, stream);
    QFETCH(int, state);
    for (const bool bytewise : {false, true}) {
        NtsKeResponse response;
        if (bytewise)
            for (char byte : stream)
                response.read(QByteArrayView(&byte, 1));
        else
            response.read(stream);
        response.endOfStream();
        QCOMPARE(int(response.state()), state);
        QTEST(response.failure(), "failure");
        if (response.state() == State::Complete) {
            QTEST(response.ntpServer(), "server");
            QTEST(int(response.ntpPort()), "port");
        }
        QTEST(int(response.cookies().size()), "cookies");
    }
}

// A record announcing 65535 bytes is held until it completes, and no further: the bytes past it
// start the next record.
void NtsKeRecordsTest::holdsAtMostOneRecord() {
    NtsKeResponse response;
    const QByteArray huge = QByteArray::fromHex("0123 ffff") + QByteArray(0xffff, 'x');
    QCOMPARE(response.read(Agreed + huge.first(1000)), State::Reading);
    QCOMPARE(response.read(huge.sliced(1000) + End), State::Complete);
}

QTEST_GUILESS_MAIN(NtsKeRecordsTest)
#include "tst_ntskerecords.moc"
