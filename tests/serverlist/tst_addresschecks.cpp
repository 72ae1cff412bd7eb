#include <QTest>

#include "serverlist/addresschecks.h"

class AddressChecksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void address_data() {
        QTest::addColumn<QString>("ipText");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        const auto row = [](const char* name, const QString& ipText, const QString& ip,
                            const QString& port) { QTest::newRow(name) << ipText << ip << port; };
        row("empty", "", "localhost", "99");
        row("spaces around host", "  host  ", "host", "99");
        row("spaces around colon", "host : 123", "host", "123");
        row("colon first", ":123", "localhost", "123");
        row("port read after the first colon", "a:80:90", "a", "80");
        // The port after a colon is checked: 1 to 32767, fraction dropped, else 1610.
        row("empty port", "a:", "a", "1610");
        row("port 0", "a:0", "a", "1610");
        row("port 32767.9", "a:32767.9", "a", "32767");
        row("port 32768", "a:32768", "a", "1610");
    }
    void address() {
        QFETCH(QString, ipText);
        const AddressFields fields = checkedAddress(ipText, QStringLiteral("99"));
        QTEST(fields.ip, "ip");
        QTEST(fields.port, "port");
    }
};

QTEST_APPLESS_MAIN(AddressChecksTest)
#include "tst_addresschecks.moc"
