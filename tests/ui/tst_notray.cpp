#include <QTest>

#include "programfixture.h"

// A desktop without a tray: minimizing must never lose the window.
class NoTrayTest : public QObject {
    Q_OBJECT
    ProgramFixture f;

private Q_SLOTS:
    void initTestCase() { QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable()); }
    void cleanup() { f.program.reset(); }

    void minimizingLeavesTheWindowOnTheTaskBar() {
        f.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        f.window().showMinimized();
        QTest::qWait(50);  // a hide would come from the event loop
        QVERIFY(f.window().isVisible());
        QVERIFY(f.window().isMinimized());
    }

    void minimizeOnLoadShowsTheWindowMinimized() {
        f.writeFile("Quorvel.ini", "MinimizeOnLoad=1\r\n");
        f.launch();
        QVERIFY(f.window().isVisible());
        QVERIFY(f.window().isMinimized());
    }
};

QTEST_MAIN(NoTrayTest)
#include "tst_notray.moc"
