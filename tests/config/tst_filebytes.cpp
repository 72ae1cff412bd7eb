// The data files' bytes survive a load and a save unchanged in either encoding, and reading
// them is bounded whatever they hold.
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/eightbittext.h"
#include "config/linereader.h"
#include "config/serverlistfile.h"
#include "config/settingsfile.h"

using Entries = ServerEntries;

namespace {
QByteArray settingsFile(const QByteArray& updateEvery) {
    return "MinimizeOnLoad=0\r\nUpdateOnLoad=0\r\nCloseAfterUpdate=0\r\nSchedule="
           "1\r\nUpdateEvery=" +
           updateEvery +
           "\r\nTimeout=6000\r\nMaxPing=1000\r\nForgetPing=6000\r\nAttempts=10\r\nLoop=0\r\n"
           "DaylightSavings=0\r\n";
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Entries readFromBuffer(const QByteArray& bytes, TextEncoding* encoding = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readServerList(buffer, encoding);
}
}  // namespace

class TstFileBytes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serverListBytesSurviveLoadAndSave_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("firstHost");
        QTest::newRow("UTF-8") << QByteArray("zeit-\xc3\xa4.example:1610\r\nb:2\r\n")
                               << QStringLiteral("zeit-\u00e4.example");
        QTest::newRow("Latin-1") << QByteArray("zeit-\xe4.example:1610\r\nb:2\r\n")
                                 << QStringLiteral("zeit-\u00e4.example");
        // One byte that is not UTF-8 anywhere makes the whole file Latin-1.
        QTest::newRow("Latin-1 in a later line")
            << QByteArray("zeit-\xc3\xa4.example:1610\r\nb\xff:2\r\n")
            << QStringLiteral("zeit-\u00c3\u00a4.example");
        QTest::newRow("ASCII") << QByteArray("a:1\r\n") << QStringLiteral("a");
    }
    void serverListBytesSurviveLoadAndSave() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = serverListFilePath(dir.path());
        writeFile(path, file);
        const Entries loaded = loadServerList(path);
        QVERIFY(!loaded.isEmpty());
        QTEST(loaded.at(0).host, "firstHost");
        QVERIFY(saveServerList(path, loaded).ok);
        QCOMPARE(fileBytes(path), file);
        QCOMPARE(readFromBuffer(file), loaded);
    }

    void settingsBytesSurviveLoadAndSave_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("updateEvery");
        QTest::newRow("UTF-8") << settingsFile("6\xc3\xa9") << QStringLiteral("6\u00e9");
        QTest::newRow("Latin-1") << settingsFile("6\xe9") << QStringLiteral("6\u00e9");
        QTest::newRow("ASCII") << settingsFile("6") << QStringLiteral("6");
    }
    void settingsBytesSurviveLoadAndSave() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = settingsFilePath(dir.path());
        writeFile(path, file);
        Settings loaded;
        loadSettings(path, loaded);
        QTEST(loaded.updatePeriodText, "updateEvery");
        QVERIFY(saveSettings(path, loaded).ok);
        QCOMPARE(fileBytes(path), file);
    }

    // Only the first mebibyte counts; a character cut at its end does not make the file Latin-1.
    void settingsReadStopsAfterTheFirstMebibyte() {
        QByteArray file = "UpdateEvery=\xc3\xa9\r\n";
        file += QByteArray(MaxSettingsBytes - file.size() - 1, 'x');
        file += "\xc3\xa9\r\nUpdateEvery=9\r\n";
        QTemporaryDir dir;
        const QString path = settingsFilePath(dir.path());
        writeFile(path, file);
        Settings loaded;
        loadSettings(path, loaded);
        QCOMPARE(loaded.updatePeriodText, QStringLiteral("\u00e9"));
    }

    void serverListReadIsBounded_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Entries>("expected");
        const QByteArray longHost(MaxServerLineBytes - 5, 'h');
        QTest::newRow("line of the cap survives whole")
            << longHost + ":1610\r\nb"
            << Entries{{QString::fromLatin1(longHost), "1610"}, {"b", "1610"}};
        QTest::newRow("longer line keeps its beginning, the next line follows")
            << longHost + ":16100000\rb"
            << Entries{{QString::fromLatin1(longHost), "1610"}, {"b", "1610"}};
        QTest::newRow("5 MB single line")
            << "a:1," + QByteArray(5 * 1024 * 1024, 'x')
            << Entries{{"a", "1"}, {QString(MaxServerLineBytes - 4, u'x'), "1610"}};
        QTest::newRow("CR LF split between lines")
            << QByteArray("a\r\n\r\nb\n\rc")
            << Entries{{"a", "1610"}, {"", "1610"}, {"b", "1610"}, {"", "1610"}, {"c", "1610"}};
    }
    void serverListReadIsBounded() {
        QFETCH(QByteArray, file);
        QTEST(readFromBuffer(file), "expected");
    }

    void serverListStopsAtTheLastEntry() {
        QByteArray file = QByteArray("h\r\n").repeated(MaxServerEntries);
        file += "\xff\r\n";  // never read: it cannot make the file Latin-1
        TextEncoding encoding = TextEncoding::Latin1;
        QCOMPARE(readFromBuffer(file, &encoding).size(), MaxServerEntries);
        QCOMPARE(encoding, TextEncoding::Utf8);
    }

    void encodingOfWholeAndCutText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEnd>("end");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("whole, valid")
            << QByteArray("\xc3\xa9") << TextEnd::Whole << TextEncoding::Utf8;
        QTest::newRow("whole, incomplete at end")
            << QByteArray("a\xc3") << TextEnd::Whole << TextEncoding::Latin1;
        QTest::newRow("cut, incomplete at end")
            << QByteArray("a\xc3") << TextEnd::Cut << TextEncoding::Utf8;
        QTest::newRow("cut, invalid inside")
            << QByteArray("\xc3x") << TextEnd::Cut << TextEncoding::Latin1;
    }
    void encodingOfWholeAndCutText() {
        QFETCH(QByteArray, bytes);
        QFETCH(TextEnd, end);
        QTEST(encodingOf(bytes, end), "encoding");
    }
};

QTEST_APPLESS_MAIN(TstFileBytes)
#include "tst_filebytes.moc"
