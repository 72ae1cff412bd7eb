#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ui/helpfile.h"

// The lines the help window reads from its read-me.
class TstHelpFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsTheLines_data();
    void readsTheLines();
};

void TstHelpFile::readsTheLines_data() {
    QTest::addColumn<QByteArray>("bytes");  // null: no file at all
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("no file") << QByteArray() << QStringList();
    QTest::newRow("empty file") << QByteArray("") << QStringList();
    QTest::newRow("CR LF") << QByteArray("one\r\n\r\ntwo\r\n") << QStringList{"one", "", "two"};
    QTest::newRow("last line without end") << QByteArray("one\r\ntwo") << QStringList{"one", "two"};
    QTest::newRow("lone CR and LF") << QByteArray("1\r2\n3") << QStringList{"1", "2", "3"};
    QTest::newRow("8-bit text") << QByteArray("caf\xc3\xa9")
                                << QStringList{QString::fromUtf8("caf\xc3\xa9")};
}

void TstHelpFile::readsTheLines() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("Readme.txt")));
    if (!bytes.isNull())
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QTEST(readHelpFile(file.fileName()), "lines");
}

QTEST_APPLESS_MAIN(TstHelpFile)
#include "tst_helpfile.moc"
