#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "common/datafolder.h"

// Program folders laid out in a temporary folder, with XDG_CONFIG_HOME pointing into it.
class TstDataFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void choosesTheFolder_data();
    void choosesTheFolder();
    void explicitFolderWins();

private:
    QTemporaryDir root_;
    QByteArray configHomeBefore_;
};

void TstDataFolder::initTestCase() {
    QVERIFY(root_.isValid());
    QDir dir(root_.path());
    QVERIFY(dir.mkpath(QStringLiteral("portable")));
    QVERIFY(dir.mkpath(QStringLiteral("usr/bin")));
    QVERIFY(dir.mkpath(QStringLiteral("usr/share/quorvel")));
    configHomeBefore_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", root_.filePath(QStringLiteral("config")).toLocal8Bit());
}

void TstDataFolder::cleanupTestCase() {
    if (configHomeBefore_.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHomeBefore_);
}

void TstDataFolder::choosesTheFolder_data() {
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("installed");
    QTest::newRow("portable copy") << "portable"
                                   << "portable" << false;
    QTest::newRow("installed copy") << "usr/bin"
                                    << "config/quorvel" << true;
    QTest::newRow("folder not writable") << "no/such/folder"
                                         << "config/quorvel" << false;
}

void TstDataFolder::choosesTheFolder() {
    QFETCH(QString, programFolder);
    QFETCH(QString, expected);
    QFETCH(bool, installed);
    const QString program = root_.filePath(programFolder);
    QCOMPARE(isInstalledCopy(program), installed);
    QCOMPARE(dataFolder(program), root_.filePath(expected));
}

void TstDataFolder::explicitFolderWins() {
    const QString chosen = root_.filePath(QStringLiteral("chosen"));
    QCOMPARE(dataFolder(root_.filePath(QStringLiteral("portable")), chosen), chosen);
    QCOMPARE(dataFolder(root_.filePath(QStringLiteral("usr/bin")), chosen), chosen);
    QCOMPARE(dataFolder(root_.filePath(QStringLiteral("usr/bin")), QStringLiteral("relative")),
             QDir::current().absoluteFilePath(QStringLiteral("relative")));
}

QTEST_APPLESS_MAIN(TstDataFolder)
#include "tst_datafolder.moc"
