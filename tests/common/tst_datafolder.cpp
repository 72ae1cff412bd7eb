#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "common/datafolder.h"

// Program folders laid out in a temporary folder, with XDG_CONFIG_HOME pointing into it.
class TstDataFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root_.isValid());
        QDir dir(root_.path());
        QVERIFY(dir.mkpath(QStringLiteral("portable")));
        QVERIFY(dir.mkpath(QStringLiteral("usr/bin")));
        QVERIFY(dir.mkpath(QStringLiteral("usr/share/quorvel")));
        qputenv("XDG_CONFIG_HOME", root_.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    void choosesTheFolder_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("portable copy") << "portable"
                                       << "portable";
        QTest::newRow("installed copy") << "usr/bin"
                                        << "config/quorvel";
        QTest::newRow("folder not writable") << "no/such/folder"
                                             << "config/quorvel";
    }
    void choosesTheFolder() {
        QFETCH(QString, programFolder);
        QFETCH(QString, expected);
        QCOMPARE(dataFolder(root_.filePath(programFolder)), root_.filePath(expected));
    }

    void explicitFolderWins() {
        const QString installed = root_.filePath(QStringLiteral("usr/bin"));
        const QString chosen = root_.filePath(QStringLiteral("chosen"));
        QCOMPARE(dataFolder(installed, chosen), chosen);
    }

private:
    QTemporaryDir root_;
};

QTEST_APPLESS_MAIN(TstDataFolder)
#include "tst_datafolder.moc"
