#include <QTemporaryDir>
#include <QTest>

#include "session/session.h"
#include "support/fakeclock.h"
#include "support/filebytes.h"
#include "support/fixedzonesource.h"
#include "support/recordingclocksetter.h"

// The reading at launch that every program shares.
class SessionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // At launch the option follows the zone at the moment the clock names, whatever the file
    // says; a greyed option counts as on. Daylight time runs from April to October here.
    void daylightOptionFollowsTheZoneAtLaunch_data() {
        QTest::addColumn<QDateTime>("utcNow");
        QTest::addColumn<QByteArray>("inFile");
        QTest::addColumn<int>("option");
        const QDateTime july(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC);
        const QDateTime december(QDate(2026, 12, 1), QTime(12, 0), Qt::UTC);
        QTest::newRow("summer, off in the file") << july << QByteArray("0") << 1;
        QTest::newRow("winter, on in the file") << december << QByteArray("1") << 0;
        QTest::newRow("summer, greyed stays") << july << QByteArray("2") << 2;
        QTest::newRow("winter, greyed goes") << december << QByteArray("2") << 0;
    }
    void daylightOptionFollowsTheZoneAtLaunch() {
        QFETCH(QDateTime, utcNow);
        QFETCH(QByteArray, inFile);
        FakeClock clock(utcNow.addSecs(-5 * 3600), utcNow);
        FixedZoneSource zone{300, -60};
        zone.setDaylightPeriod(QDateTime(QDate(2026, 4, 1), QTime(0, 0), Qt::UTC),
                               QDateTime(QDate(2026, 10, 1), QTime(0, 0), Qt::UTC));
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("Quorvel.ini")),
                  "DaylightSavings=" + inFile + "\r\n");
        RecordingClockSetter setter;
        Session session({clock, zone, setter, QLocale::c()});
        session.readAtLaunch(folder.path());
        QTEST(session.settings().daylightSaving, "option");
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "tst_session.moc"
