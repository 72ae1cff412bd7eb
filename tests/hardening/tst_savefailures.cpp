#include <sys/mount.h>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "log/activitylog.h"
#include "serverlist/servereditor.h"
#include "serverlist/serverlist.h"
#include "support/fakeclock.h"

namespace {

enum class Fault { FullDisk, ReadOnly };

// A data folder on a small file system of its own, when this machine lets the test mount one
// (root, and mounting allowed); it is filled up or made read-only for real.
class SmallDisk {
public:
    SmallDisk()
        : mounted_(::mount("tmpfs", dir_.path().toLocal8Bit(), "tmpfs", 0, "size=64k") == 0) {}
    ~SmallDisk() {
        if (mounted_)
            ::umount2(dir_.path().toLocal8Bit(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }

    bool apply(Fault fault) {
        if (fault == Fault::ReadOnly)
            return ::mount("tmpfs", dir_.path().toLocal8Bit(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                           "size=64k") == 0;
        QFile filler(dir_.filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        return true;
    }

private:
    QTemporaryDir dir_;
    bool mounted_;
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

// A full disk or a read-only data folder while the settings file or the server list is saved:
// the previous file stays whole and the failure is logged as the program logs it.
class SaveFailuresTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void previousFileKeptAndFailureLogged_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("serverList");
        QTest::newRow("full disk, settings") << Fault::FullDisk << false;
        QTest::newRow("full disk, server list") << Fault::FullDisk << true;
        QTest::newRow("read-only, settings") << Fault::ReadOnly << false;
        QTest::newRow("read-only, server list") << Fault::ReadOnly << true;
    }
    void previousFileKeptAndFailureLogged() {
        QFETCH(Fault, fault);
        QFETCH(bool, serverList);
        SmallDisk disk;
        if (!disk.mounted())  // a full disk by a file size limit: see tst_serverlistfile
            QSKIP("This machine does not let the test mount a file system of its own.");
        FakeClock clock;
        ActivityLog log{clock, ActivityLog::DefaultKeptLines, QLocale::c()};
        ServerList servers;
        const QString path =
            serverList ? serverListFilePath(disk.path()) : settingsFilePath(disk.path());
        ServerEditor editor(servers, log, path);
        Settings settings;
        const auto save = [&] {
            if (serverList) {
                editor.add();  // the editor saves the list after each change
            } else if (const SaveResult result = saveSettings(path, settings); !result.ok) {
                log.add(saveFailureLine(path, result.reason));  // as the shut-down logs it
            }
        };
        servers.setAddress(QStringLiteral("first.example"), QStringLiteral("1610"));
        save();
        const QByteArray previous = contents(path);
        QVERIFY(log.lines().empty());

        servers.setAddress(QStringLiteral("a.much.longer.second.example"), QStringLiteral("1610"));
        settings.updatePeriodText = QStringLiteral("12");
        QVERIFY(disk.apply(fault));
        save();
        QCOMPARE(contents(path), previous);
        QCOMPARE(log.lines().size(), size_t(1));
        const QRegularExpression failure("File " + QRegularExpression::escape(path) +
                                         " could not be saved - \\S.*\\.\\s*$");
        QVERIFY2(failure.match(log.lines().front()).hasMatch(), qPrintable(log.lines().front()));
    }
};

QTEST_GUILESS_MAIN(SaveFailuresTest)
#include "tst_savefailures.moc"
