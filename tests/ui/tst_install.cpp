#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "common/datafolder.h"
#include "ui/helpfile.h"

// Installs this build into a temporary prefix, as a packager or `cmake --install` would.
class TstInstall : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void installsTheFile_data();
    void installsTheFile();
    void isRecognisedAsInstalled();

private:
    QTemporaryDir prefix_;
};

void TstInstall::initTestCase() {
    QVERIFY(prefix_.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(BUILD_FOLDER),
                   QStringLiteral("--prefix"), prefix_.path()});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void TstInstall::installsTheFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("pictureSize");  // empty when the file is no picture
    QTest::newRow("program") << "bin/quorvel" << QSize();
    QTest::newRow("time server") << "bin/quorvel-server" << QSize();
    QTest::newRow("read-me") << "share/quorvel/Readme.txt" << QSize();
    QTest::newRow("menu entry") << "share/applications/quorvel.desktop" << QSize();
    QTest::newRow("icon") << "share/icons/hicolor/32x32/apps/quorvel.png" << QSize(32, 32);
    QTest::newRow("large icon") << "share/icons/hicolor/256x256/apps/quorvel.png"
                                << QSize(256, 256);
}

void TstInstall::installsTheFile() {
    QFETCH(QString, path);
    QFETCH(QSize, pictureSize);
    const QFileInfo file(prefix_.filePath(path));
    QVERIFY2(file.isFile(), qPrintable(path));
    if (pictureSize.isValid())
        QCOMPARE(QImageReader(file.filePath()).size(), pictureSize);
}

void TstInstall::isRecognisedAsInstalled() {
    const QString programFolder = prefix_.filePath(QStringLiteral("bin"));
    QVERIFY(isInstalledCopy(programFolder));
    QCOMPARE(QFileInfo(helpFilePath(programFolder)).canonicalFilePath(),
             QFileInfo(prefix_.filePath(QStringLiteral("share/quorvel/Readme.txt")))
                 .canonicalFilePath());
}

QTEST_GUILESS_MAIN(TstInstall)
#include "tst_install.moc"
