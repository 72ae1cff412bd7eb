#include <QTest>

#include "programfixture.h"
#include "ui/trayicon.h"

namespace {
bool showsPicture(const TrayIcon& tray, const QIcon& picture) {
    return tray.platformIcon()->icon().pixmap(16, 16).toImage() == picture.pixmap(16, 16).toImage();
}
}  // namespace

// The icon on an XEmbed tray (trayer), where Qt sees the clicks themselves.
class TrayIconTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(trayHostRunning()); }

    void toolTipShowsAtMost63Characters_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("63") << 63 << 63;
        QTest::newRow("64") << 64 << 63;
    }
    void toolTipShowsAtMost63Characters() {
        QFETCH(int, length);
        TrayIcon tray;
        tray.setPictures(programPictures().idle, programPictures().updating);
        tray.show(TrayView::Picture::Idle, QString(length, u'x'));
        QTEST(int(tray.platformIcon()->toolTip().size()), "shown");
    }

    void showAndHide() {
        TrayIcon tray;
        tray.setPictures(programPictures().idle, programPictures().updating);
        tray.show(TrayView::Picture::Updating, QStringLiteral("first"));
        QVERIFY(tray.platformIcon()->isVisible());
        QVERIFY(showsPicture(tray, programPictures().updating));
        tray.show(TrayView::Picture::Idle, QStringLiteral("second"));
        QCOMPARE(tray.platformIcon()->toolTip(), QStringLiteral("second"));
        QVERIFY(showsPicture(tray, programPictures().idle));
        tray.hide();
        tray.hide();
        QVERIFY(!tray.platformIcon()->isVisible());
    }

    void clicksBecomeButtonEvents_data() {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<int>("times");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("left click")
            << QSystemTrayIcon::Trigger << 1 << QStringList{"pressed 1", "released 1"};
        QTest::newRow("left double")
            << QSystemTrayIcon::DoubleClick << 1 << QStringList{"double 1"};
        QTest::newRow("right click")
            << QSystemTrayIcon::Context << 1 << QStringList{"pressed 2", "released 2"};
        QTest::newRow("right double")
            << QSystemTrayIcon::Context << 2 << QStringList{"pressed 2", "released 2", "double 2"};
        QTest::newRow("middle") << QSystemTrayIcon::MiddleClick << 1 << QStringList{};
    }
    void clicksBecomeButtonEvents() {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(int, times);
        TrayIcon tray;
        tray.show(TrayView::Picture::Idle, {});
        QStringList events;
        connect(&tray, &TrayIcon::pressed, this,
                [&](Qt::MouseButton b) { events << QStringLiteral("pressed %1").arg(int(b)); });
        connect(&tray, &TrayIcon::released, this,
                [&](Qt::MouseButton b) { events << QStringLiteral("released %1").arg(int(b)); });
        connect(&tray, &TrayIcon::doubleClicked, this,
                [&](Qt::MouseButton b) { events << QStringLiteral("double %1").arg(int(b)); });
        for (int click = 0; click < times; ++click)
            Q_EMIT tray.platformIcon()->activated(reason);
        QTEST(events, "events");
        QVERIFY(!tray.platformIcon()->contextMenu());  // a menu would swallow the right click
    }

    // A click that comes while the program is still handling one is dropped.
    void clickDuringAnEventIsDropped() {
        TrayIcon tray;
        tray.show(TrayView::Picture::Idle, {});
        int doubles = 0;
        connect(&tray, &TrayIcon::doubleClicked, this, [&] {
            ++doubles;
            Q_EMIT tray.platformIcon()->activated(QSystemTrayIcon::DoubleClick);
        });
        Q_EMIT tray.platformIcon()->activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(doubles, 1);
    }
};

QTEST_MAIN(TrayIconTest)
#include "tst_trayicon.moc"
