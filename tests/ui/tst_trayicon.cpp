#include <QSignalSpy>
#include <QTest>

#include "programfixture.h"
#include "ui/trayicon.h"

class TrayIconTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(trayHostRunning()); }

    void tooltipShowsAtMost63Characters_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("63") << 63 << 63;
        QTest::newRow("64") << 64 << 63;
    }
    void tooltipShowsAtMost63Characters() {
        QFETCH(int, length);
        const QString tip(length, u'x');
        TrayIcon tray;
        tray.setIcon(programPictures().idle);
        tray.setTooltip(tip);
        QCOMPARE(tray.Tooltip(), tip);
        tray.Add();
        QTEST(int(tray.shown()->toolTip().size()), "shown");
    }

    void stateFollowsAddModifyRemove() {
        TrayIcon tray;
        QCOMPARE(tray.State(), 0);
        QCOMPARE(tray.Tooltip(), QString());
        tray.setIcon(programPictures().idle);
        tray.setTooltip("first");
        tray.Add();
        QCOMPARE(tray.State(), 1);
        QVERIFY(tray.shown()->isVisible());
        tray.setTooltip("second");  // shows nothing until Modify
        QCOMPARE(tray.shown()->toolTip(), QStringLiteral("first"));
        tray.Modify();
        QCOMPARE(tray.State(), 2);
        QCOMPARE(tray.shown()->toolTip(), QStringLiteral("second"));
        tray.Remove();
        tray.Remove();
        QCOMPARE(tray.State(), 0);
        QVERIFY(!tray.shown()->isVisible());
    }

    void codesRaiseTheirEvents_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("button");
        QTest::newRow("513") << 513 << "down" << 1;
        QTest::newRow("514") << 514 << "up" << 1;
        QTest::newRow("515") << 515 << "double" << 1;
        QTest::newRow("516") << 516 << "down" << 2;
        QTest::newRow("517") << 517 << "up" << 2;
        QTest::newRow("518") << 518 << "double" << 2;
        QTest::newRow("move") << 512 << "" << 0;
        QTest::newRow("middle") << 519 << "" << 0;
    }
    void codesRaiseTheirEvents() {
        QFETCH(int, code);
        QFETCH(QString, event);
        TrayIcon tray;
        QStringList raised;
        QList<int> buttons;
        const auto record = [&](const char* name) {
            return [&, name](int button) {
                raised.append(name);
                buttons.append(button);
                tray.deliverCode(code);  // arrives while the event is handled: dropped
            };
        };
        connect(&tray, &TrayIcon::MouseDown, this, record("down"));
        connect(&tray, &TrayIcon::MouseUp, this, record("up"));
        connect(&tray, &TrayIcon::MouseDblClick, this, record("double"));
        tray.deliverCode(code);
        QCOMPARE(raised, event.isEmpty() ? QStringList() : QStringList{event});
        if (!event.isEmpty())
            QTEST(buttons.value(0), "button");
    }

    void platformClicksBecomeCodes_data() {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("left click") << QSystemTrayIcon::Trigger << QStringList{"down 1", "up 1"};
        QTest::newRow("left double") << QSystemTrayIcon::DoubleClick << QStringList{"double 1"};
        QTest::newRow("right click")
            << QSystemTrayIcon::Context << QStringList{"down 2", "up 2", "double 2"};
    }
    // A second right click within the double-click interval is a right double click.
    void platformClicksBecomeCodes() {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        TrayIcon tray;
        tray.setIcon(programPictures().idle);
        tray.Add();
        QStringList events;
        const auto record = [&](const char* name) {
            return [&, name](int button) {
                events.append(QStringLiteral("%1 %2").arg(name).arg(button));
            };
        };
        connect(&tray, &TrayIcon::MouseDown, this, record("down"));
        connect(&tray, &TrayIcon::MouseUp, this, record("up"));
        connect(&tray, &TrayIcon::MouseDblClick, this, record("double"));
        const int presses = reason == QSystemTrayIcon::Context ? 2 : 1;
        for (int press = 0; press < presses; ++press)
            Q_EMIT tray.shown()->activated(reason);
        QTEST(events, "events");
    }
};

QTEST_MAIN(TrayIconTest)
#include "tst_trayicon.moc"
