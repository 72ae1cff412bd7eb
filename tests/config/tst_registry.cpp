#include <QTemporaryDir>
#include <QTest>

#include "config/registry.h"

Q_DECLARE_METATYPE(RegistryValue)

namespace {
const QString Name = QStringLiteral("Vostrand - Quorvel");
const RegistryValue Nothing;
}  // namespace

// The Registry operations over autostart entries in a temporary folder: what an entry reads as,
// what a write stores, and the result codes.
class TstRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QVERIFY(store_.remove(Name).ok); }

    void readsAnEntry_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<qint32>("code");
        QTest::addColumn<RegistryValue>("value");
        const QByteArray group = "[Desktop Entry]\n";
        QTest::newRow("command") << group + "Exec = /opt/q/quorvel\n"
                                 << 0 << RegistryValue(QStringLiteral("/opt/q/quorvel"));
        QTest::newRow("CR LF, escapes")
            << QByteArray("[Desktop Entry]\r\nExec=\\s\"a\\\\b\"\\n\r\n") << 0
            << RegistryValue(QStringLiteral(" \"a\\b\"\n"));
        QTest::newRow("number") << group + "X-Quorvel-Number=-5\nExec=x\n"
                                << 0 << RegistryValue(-5);
        QTest::newRow("hidden") << group + "Exec=/q\nHidden=true\n" << 2 << Nothing;
        QTest::newRow("switched off") << group + "Exec=/q\nX-GNOME-Autostart-enabled=false\n"
                                      << 2 << Nothing;
        QTest::newRow("other group") << QByteArray("[Desktop Action a]\nExec=/q\n") << 2 << Nothing;
        QTest::newRow("missing") << QByteArray() << 2 << Nothing;
    }
    void readsAnEntry() {
        QFETCH(QByteArray, entry);
        QFETCH(qint32, code);
        QFETCH(RegistryValue, value);
        if (!entry.isEmpty())
            QVERIFY(saveFileAtomically(store_.entryPath(Name), entry).ok);
        const RegistryValue before = QStringLiteral("left as it was");
        RegistryValue read = before;
        QCOMPARE(ReadValueFromOpenKey(OpenRegistryKey(store_, RunKeyPath), Name, read), code);
        QCOMPARE(read, code == RegistrySuccess ? value : before);
        QCOMPARE(ReadRegistryValue(store_, RunKeyPath, Name), value);
    }

    void writesAValue_data() {
        QTest::addColumn<RegistryValue>("value");
        QTest::addColumn<qint32>("type");
        QTest::addColumn<qint32>("code");
        QTest::addColumn<RegistryValue>("stored");
        const RegistryValue awkward = QStringLiteral(" a\\b\n\t%\"$ ");
        QTest::newRow("text") << awkward << RegSz << 0 << awkward;
        QTest::newRow("number") << RegistryValue(-2147483647 - 1) << RegDword << 0
                                << RegistryValue(-2147483647 - 1);
        QTest::newRow("text as number")
            << RegistryValue(QStringLiteral(" 42 ")) << RegDword << 0 << RegistryValue(42);
        QTest::newRow("no number")
            << RegistryValue(QStringLiteral("4x")) << RegDword << 87 << Nothing;
        QTest::newRow("other type") << RegistryValue(QStringLiteral("x")) << 3 << 0 << Nothing;
    }
    void writesAValue() {
        QFETCH(RegistryValue, value);
        QFETCH(qint32, type);
        QFETCH(qint32, code);
        QFETCH(RegistryValue, stored);
        RegistryKey key = OpenRegistryKey(store_, RunKeyPath);
        QCOMPARE(WriteValueToOpenKey(key, Name, type, value), code);
        QCOMPARE(ReadRegistryValue(store_, RunKeyPath, Name), stored);
    }

    // The Run key is all this store keeps; the key path's letter case does not matter.
    void opensOnlyTheRunKey() {
        const RegistryValue kept = QStringLiteral("/q");
        QVERIFY(WriteRegistryValue(store_, RunKeyPath.toUpper(), Name, kept, RegSz).ok);
        const QString other = QStringLiteral("Software\\Vostrand");
        QCOMPARE(ReadRegistryValue(store_, other, Name), Nothing);
        QCOMPARE(WriteRegistryValue(store_, other, Name, QStringLiteral("/x"), RegSz).reason,
                 QStringLiteral("only the Run key is kept in the autostart folder"));
        QVERIFY(!DeleteRegistryValue(store_, other, Name).ok);
        QCOMPARE(ReadRegistryValue(store_, RunKeyPath, Name), kept);
    }

private:
    QTemporaryDir folder_;
    AutostartStore store_{folder_.path()};
};

QTEST_GUILESS_MAIN(TstRegistry)
#include "tst_registry.moc"
