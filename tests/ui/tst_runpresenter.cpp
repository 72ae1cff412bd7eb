#include <QTest>
#include <QtWidgets>

#include "../engine/enginefixture.h"
#include "ui/mainwindow.h"
#include "ui/programpictures.h"
#include "ui/runpresenter.h"
#include "ui/trayicon.h"

// A real engine on the fixture's clock (6 Dec 2026 12:00, 17:00 UTC) shown by a real main
// window and tray icon, as the user sees a run's start and end.
class RunPresenterTest : public QObject {
    Q_OBJECT

    struct Shown {
        EngineFixture f;
        MainWindow window{f.servers};
        TrayIcon tray;
        RunPresenter presenter{f.engine, window, tray, f.log, QLocale::c()};

        Shown() {
            tray.setPictures(programPictures().idle, programPictures().updating);
            f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("1610")}});  // never answers
            f.engine.tick();
        }
        QPushButton* button(const char* name) {
            return window.findChild<QPushButton*>(QString::fromLatin1(name));
        }
        QString toolTip() const {
            const auto* icon = tray.findChild<QSystemTrayIcon*>();
            return icon ? icon->toolTip() : QString();
        }
        [[nodiscard]] bool activate(QWidget& shown) {
            shown.show();
            shown.activateWindow();
            return QTest::qWaitForWindowActive(&shown);
        }
    };

private Q_SLOTS:
    // The tooltip says a run is under way from its start, and at its end why it ended and when;
    // the two daylight-saving reasons are shortened to fit.
    void toolTipTellsTheRunsStartAndEnd_data() {
        QTest::addColumn<qint64>("wallJumpMs");  // 0: the user cancels
        QTest::addColumn<QString>("tip");
        const qint64 hour = 3600000;
        QTest::newRow("cancelled")
            << qint64(0) << QStringLiteral("Quorvel - Update cancelled by user at 12:00:00");
        QTest::newRow("daylight saving begins")
            << hour << QStringLiteral("Quorvel - Update cancelled due to start of DST at 13:00:01");
        QTest::newRow("daylight saving ends")
            << -hour << QStringLiteral("Quorvel - Update cancelled due to end of DST at 11:00:01");
    }
    void toolTipTellsTheRunsStartAndEnd() {
        QFETCH(qint64, wallJumpMs);
        Shown s;
        s.f.engine.requestUpdate();
        QCOMPARE(s.toolTip(), QStringLiteral("Quorvel - Updating"));
        if (wallJumpMs == 0) {
            s.f.engine.cancelUpdate();
        } else {
            const QDateTime shown = s.f.clock.localNow();
            s.f.clock.sleep(1000);
            s.f.clock.setLocal(shown.addMSecs(wallJumpMs + 1000));
            s.f.engine.tick();
        }
        QTEST(s.toolTip(), "tip");
    }

    // One of the two buttons is enabled: Stop Update while a run is under way, Update Clock
    // otherwise. The focus moves to the button being enabled only when the one being disabled
    // held it, and does so while the window is inactive too, ready for when the user comes back.
    void focusFollowsTheDisabledButton_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("inactive");
        QTest::newRow("Update Clock held") << QStringLiteral("butUpdate") << false;
        QTest::newRow("Update Clock held, window inactive") << QStringLiteral("butUpdate") << true;
        QTest::newRow("another control held") << QStringLiteral("butHelp") << false;
    }
    void focusFollowsTheDisabledButton() {
        QFETCH(QString, holder);
        QFETCH(bool, inactive);
        Shown s;
        QVERIFY(s.activate(s.window));
        QWidget* held = s.window.findChild<QWidget*>(holder);
        held->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(held->hasFocus());
        QWidget other;
        if (inactive)
            QVERIFY(s.activate(other));
        QPushButton* update = s.button("butUpdate");
        QPushButton* stop = s.button("butDisconnect");
        QVERIFY(update->isEnabled() && !stop->isEnabled());
        s.f.engine.requestUpdate();
        QVERIFY(!update->isEnabled() && stop->isEnabled());
        QCOMPARE(s.window.focusWidget(), held == update ? stop : held);
        s.f.engine.cancelUpdate();
        QVERIFY(update->isEnabled() && !stop->isEnabled());
        QCOMPARE(s.window.focusWidget(), held);
    }

    // The clock fields show the tick's local time and its UTC in the general date-time form.
    void clockFieldsShowTheTickTimes() {
        Shown s;
        const auto field = [&](const char* name) {
            return s.window.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
        };
        QCOMPARE(field("txtYourTime"), QStringLiteral("6 Dec 2026 12:00:00"));
        QCOMPARE(field("txtUTCTime"), QStringLiteral("6 Dec 2026 17:00:00"));
    }
};

QTEST_MAIN(RunPresenterTest)
#include "tst_runpresenter.moc"
