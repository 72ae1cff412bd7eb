#include <QTest>

#include "serverlist/addresschecks.h"

class AddressChecksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void port_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("checked");
        const auto row = [](const char* name, const QString& text, const QString& checked) {
            QTest::newRow(name) << text << checked;
        };
        row("empty", "", "1610");
        row("80", "80", "80");
        row("leading zeros", "0080", "80");
        row("space between digits", "8 0", "80");
        row("fraction dropped", "80.9", "80");
        row("trailing text", "80abc", "80");
        row("comma ends the number", "1,610", "1");
        row("no number", "abc", "1610");
        row("0", "0", "1610");
        row("0.5", "0.5", "1610");
        row("negative", "-5", "1610");
        row("exponent", "1e3", "1000");
        row("32767", "32767", "32767");
        row("32767.9", "32767.9", "32767");
        row("65535", "65535", "1610");
        row("beyond double range", "1e999", "1610");
    }
    void port() {
        QFETCH(QString, text);
        QTEST(checkedPort(text), "checked");
    }

    void address_data() {
        QTest::addColumn<QString>("ipText");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        const auto row = [](const char* name, const QString& ipText, const QString& ip,
                            const QString& port) { QTest::newRow(name) << ipText << ip << port; };
        row("empty", "", "localhost", "99");
        row("spaces only", "   ", "localhost", "99");
        row("spaces around host", "  host  ", "host", "99");
        row("host:123", "host:123", "host", "123");
        row("nothing after colon", "host:", "host", "1610");
        row("no number after colon", "host:abc", "host", "1610");
        row("port too large", "host:65535", "host", "1610");
        row("spaces around colon", "host : 123", "host", "123");
        row("colon first", ":123", "localhost", "123");
        row("a:b:c", "a:b:c", "a", "1610");
        row("a:80:90", "a:80:90", "a", "80");
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
