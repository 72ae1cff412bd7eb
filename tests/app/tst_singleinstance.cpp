#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include "app/singleinstance.h"

using namespace std::chrono_literals;

// One desktop program per data folder, with real lock files in temporary folders and real
// local sockets.
class SingleInstanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneNamePerFolder_data();
    void oneNamePerFolder();
    void nameFitsAnySocketPath();
    void claimFollowsTheLockFile_data();
    void claimFollowsTheLockFile();
    void onlyTheRestoreRequestRestores_data();
    void onlyTheRestoreRequestRestores();
    void missingFolderIsCreatedForTheLock();
    void folderWithoutLockStillFindsTheRunningCopy();
};

namespace {
// A lock file as a copy that is gone left it: its process ID, program name and host.
void writeLockFile(const QString& path, qint64 pid, const QByteArray& program) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(pid) + '\n' + program + '\n' +
               QSysInfo::machineHostName().toUtf8() + '\n');
}

qint64 pidOfEndedProcess() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    if (!process.waitForStarted())
        return 0;
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

QString ownProgramName() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName();
}
}  // namespace

void SingleInstanceTest::oneNamePerFolder_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("same");
    QTest::newRow("trailing slash") << "a"
                                    << "a/" << true;
    QTest::newRow("through a parent") << "a"
                                      << "b/../a" << true;
    QTest::newRow("through a link") << "a"
                                    << "link" << true;
    QTest::newRow("not created yet") << "new"
                                     << "./new/" << true;
    QTest::newRow("other folder") << "a"
                                  << "b" << false;
    QTest::newRow("inside it") << "a"
                               << "a/a" << false;
}

void SingleInstanceTest::oneNamePerFolder() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, same);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("a/a") && QDir(root.path()).mkpath("b"));
    QVERIFY(QFile::link(root.filePath("a"), root.filePath("link")));
    const QString firstName = SingleInstance::serverName(root.filePath(first));
    QCOMPARE(SingleInstance::serverName(root.filePath(second)) == firstName, same);
    // Two users' copies of one folder never meet.
    QVERIFY(firstName.contains(QStringLiteral("-%1-").arg(::getuid())));
}

void SingleInstanceTest::nameFitsAnySocketPath() {
    // A socket path holds at most 107 bytes, and the name goes into the temporary folder: however
    // deep the data folder, the name leaves room for that folder's path.
    const QString deep = QStringLiteral("/tmp/") + QString(4000, u'x');
    QVERIFY(SingleInstance::serverName(deep).size() <= 60);
    QVERIFY(SingleInstance::serverName(deep) != SingleInstance::serverName(deep + u'y'));
}

void SingleInstanceTest::claimFollowsTheLockFile_data() {
    QTest::addColumn<QString>("holder");
    QTest::addColumn<SingleInstance::Claim>("claim");
    QTest::newRow("no lock") << "none" << SingleInstance::Claim::Held;
    QTest::newRow("process gone") << "gone" << SingleInstance::Claim::Held;
    QTest::newRow("process ID reused by another program")
        << "reused" << SingleInstance::Claim::Held;
    // The program sets the clock: an old lock of a live copy is still its lock.
    QTest::newRow("live copy, locked an hour ago") << "live" << SingleInstance::Claim::HeldByOther;
}

void SingleInstanceTest::claimFollowsTheLockFile() {
    QFETCH(QString, holder);
    QFETCH(SingleInstance::Claim, claim);
    QTemporaryDir folder;
    const QString lockPath = folder.filePath(QStringLiteral("Quorvel.lock"));
    QProcess other;
    QLockFile live(lockPath);
    if (holder == "gone") {
        writeLockFile(lockPath, pidOfEndedProcess(), ownProgramName().toUtf8());
    } else if (holder == "reused") {
        other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(other.waitForStarted());
        writeLockFile(lockPath, other.processId(), ownProgramName().toUtf8());
    } else if (holder == "live") {
        QVERIFY(live.tryLock(0));
        QFile file(lockPath);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    }

    SingleInstance instance(folder.path());
    QCOMPARE(instance.claim(), claim);
    QCOMPARE(instance.lockFilePath(), lockPath);
    if (claim == SingleInstance::Claim::Held) {
        qint64 pid = 0;
        QVERIFY(QLockFile(lockPath).getLockInfo(&pid, nullptr, nullptr));
        QCOMPARE(pid, QCoreApplication::applicationPid());
    }
    other.kill();
    other.waitForFinished();
}

void SingleInstanceTest::onlyTheRestoreRequestRestores_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("restores");
    QTest::newRow("restore") << QByteArray("restore\n") << 1;
    QTest::newRow("other word") << QByteArray("quit\n") << 0;
    QTest::newRow("no line end") << QByteArray("restore") << 0;
    QTest::newRow("longer line") << QByteArray("restore now\n") << 0;
    QTest::newRow("endless line") << QByteArray(100000, 'r') << 0;
    QTest::newRow("nothing") << QByteArray() << 0;
}

void SingleInstanceTest::onlyTheRestoreRequestRestores() {
    QFETCH(QByteArray, message);
    QFETCH(int, restores);
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    QCOMPARE(first.claim(), SingleInstance::Claim::Held);
    QSignalSpy restored(&first, &SingleInstance::restoreRequested);
    QLocalSocket peer;
    peer.connectToServer(SingleInstance::serverName(folder.path()));
    QVERIFY(peer.waitForConnected(1000));
    peer.write(message);
    peer.flush();
    QTest::qWait(50);
    peer.disconnectFromServer();
    QTest::qWait(100);
    QCOMPARE(restored.size(), restores);
}

void SingleInstanceTest::missingFolderIsCreatedForTheLock() {
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("config/quorvel"));
    SingleInstance first(folder);
    QCOMPARE(first.claim(), SingleInstance::Claim::Held);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Quorvel.lock")));
    SingleInstance later(folder);
    QCOMPARE(later.claim(), SingleInstance::Claim::HeldByOther);
}

void SingleInstanceTest::folderWithoutLockStillFindsTheRunningCopy() {
    // A folder that cannot be made (a file stands in its path) holds no lock, for any user.
    QTemporaryDir root;
    QFile blocker(root.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = root.filePath(QStringLiteral("file/quorvel"));

    SingleInstance first(folder);
    QCOMPARE(first.claim(), SingleInstance::Claim::Unguarded);
    QCOMPARE(first.listenError(), QString());
    QSignalSpy restored(&first, &SingleInstance::restoreRequested);
    SingleInstance later(folder);
    QCOMPARE(later.claim(), SingleInstance::Claim::HeldByOther);
    QVERIFY(later.askToRestore(1s));
    QTRY_COMPARE(restored.size(), 1);

    first.release();
    SingleInstance next(folder);
    QCOMPARE(next.claim(), SingleInstance::Claim::Unguarded);
}

QTEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
