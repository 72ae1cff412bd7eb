#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextBlock>

#include "engine/updateengine.h"
#include "programfixture.h"
#include "support/scriptedserver.h"

namespace {
// The text a caption shows, its access-key marks taken out.
QString shown(QString caption) {
    return caption.remove(u'&');
}

QWidget* trayIconWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return widget;
    return nullptr;
}
}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    ProgramFixture f;
    ScriptedServer silentServer;  // accepts connections and never answers

private Q_SLOTS:
    void initTestCase() { QVERIFY(trayHostRunning()); }

    void init() {
        f.writeFile("Servers.ini",
                    "127.0.0.1:" + silentServer.portText().toLatin1() + "\r\nsecond:2\r\n");
        f.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        f.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
    }
    void cleanup() { f.program.reset(); }

    // Measured afresh with the style's own sizes, so a wider font can never clip a caption.
    void noCaptionIsClipped() {
        for (QWidget* control : f.window().findChildren<QWidget*>()) {
            const QFontMetrics metrics(control->font());
            if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty()) {
                const QRect needed = metrics.boundingRect(label->contentsRect(),
                                                          Qt::TextWordWrap * label->wordWrap(),
                                                          shown(label->text()));
                QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                         qPrintable(label->objectName()));
            } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
                QStyleOptionButton option;
                option.initFrom(box);
                const QRect room =
                    box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
                QVERIFY2(metrics.horizontalAdvance(shown(box->text())) <= room.width(),
                         qPrintable(box->objectName()));
            } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin);
                QVERIFY2(
                    metrics.horizontalAdvance(shown(button->text())) + margins <= button->width(),
                    qPrintable(button->objectName()));
            }
        }
    }

    void columnHeadingsStandOverTheColumns() {
        auto* headings = f.control<QLabel>("lblTableHeaders");
        auto* list = f.control<QListView>("lstServers");
        const QString text = headings->text();
        const QFontMetrics metrics(headings->font());
        const int column = QFontMetrics(list->font()).horizontalAdvance(u'M');
        // Where the rows' characters fall, counted from the label's left edge.
        const int textMargin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
        const QPoint firstRow = list->visualRect(list->model()->index(0, 0)).topLeft();
        const int hostLeft =
            list->viewport()->mapTo(&f.window(), firstRow).x() + textMargin - headings->x();
        const int bar = metrics.horizontalAdvance(text.left(text.indexOf(u'|')));
        QVERIFY2(qAbs(bar - (hostLeft + 39 * column)) <= column, qPrintable(text));
        const int port = metrics.horizontalAdvance(text.left(text.indexOf(QStringLiteral("Port"))));
        QVERIFY(port >= hostLeft + 40 * column - metrics.horizontalAdvance(u' '));
        QVERIFY(port + metrics.horizontalAdvance(QStringLiteral("Port")) <= headings->width());
        const int title =
            metrics.horizontalAdvance(text.left(text.indexOf(QStringLiteral("Address"))));
        QVERIFY(title > hostLeft && title < hostLeft + 20 * column);
    }

    void focusFollowsTheUpdateButtons() {
        auto* update = f.control<QPushButton>("butUpdate");
        auto* stop = f.control<QPushButton>("butDisconnect");
        QTest::mouseClick(update, Qt::LeftButton);
        QVERIFY(!update->isEnabled());
        QTRY_VERIFY(stop->hasFocus());
        QTest::mouseClick(stop, Qt::LeftButton);
        QVERIFY(update->hasFocus());
        QVERIFY(!stop->isEnabled());
        QCOMPARE(f.messages().last(), QStringLiteral("Update cancelled by user."));

        auto* list = f.control<QListView>("lstServers");
        const QPoint row = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(f.messages().contains(QStringLiteral("Server list double-clicked:")));
        QVERIFY(list->hasFocus());
    }

    void enterOrSpacePressesTheFocusedButton_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("Enter") << Qt::Key_Return;
        QTest::newRow("keypad Enter") << Qt::Key_Enter;
        QTest::newRow("Space") << Qt::Key_Space;
    }
    void enterOrSpacePressesTheFocusedButton() {
        QFETCH(Qt::Key, key);
        auto* update = f.control<QPushButton>("butUpdate");
        update->setFocus();
        QTest::keyClick(update, key);
        QTRY_VERIFY(f.messages().contains(QStringLiteral("Update Clock button clicked:")));
        QVERIFY(!update->isEnabled());
    }

    // Another window active: a run started and ended from the tray must leave the focus where it
    // was, not on the next control (where a Space would toggle an option unseen).
    void focusStaysPutWhileTheWindowIsInactive() {
        auto* update = f.control<QPushButton>("butUpdate");
        update->setFocus();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        f.program->engine().startUpdate(QStringLiteral("Tray icon right-clicked:"));
        f.program->engine().cancelUpdate();
        QCOMPARE(f.messages().last(), QStringLiteral("Update cancelled by user."));

        f.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        QCOMPARE(f.window().focusWidget(), update);
        const int daylight = f.program->settings().daylightSaving;
        QTest::keyClick(&f.window(), Qt::Key_Space);
        QCOMPARE(f.program->settings().daylightSaving, daylight);
    }

    void controlsHaveNamesForScreenReaders_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("UTC time") << "txtUTCTime"
                                  << "UTC time";
        QTest::newRow("your time") << "txtYourTime"
                                   << "Your time";
        QTest::newRow("period") << "txtTimes" << QStringLiteral("Update every \u2026 hours");
        QTest::newRow("servers") << "lstServers"
                                 << "Servers";
        QTest::newRow("log") << "txtLog"
                             << "Log";
        QTest::newRow("start-up option") << "chkLoadOnStartUp"
                                         << "Launch at login";
    }
    void controlsHaveNamesForScreenReaders() {
        QFETCH(QString, control);
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(f.control<QWidget>(qPrintable(control)));
        QVERIFY(accessible);
        QTEST(accessible->text(QAccessible::Name), "name");
    }

    void leavingAFieldChecksIt_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("checked");
        QTest::newRow("attempts at least 1") << "txtAttempts"
                                             << "0"
                                             << "1";
        QTest::newRow("wait in tens") << "txtTimeout"
                                      << "995"
                                      << "990";
        QTest::newRow("period below an hour") << "txtTimes"
                                              << "0.5"
                                              << "6";
        QTest::newRow("port fraction dropped") << "txtPort"
                                               << "80.9"
                                               << "80";
        QTest::newRow("port from the address") << "txtIP"
                                               << "example.org:123"
                                               << "example.org";
    }
    void leavingAFieldChecksIt() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        auto* edit = f.window().findChild<QLineEdit*>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        f.clock.advance(3600 * 1000);
        f.control<QWidget>("chkLoop")->setFocus();
        QTEST(edit->text(), "checked");
        if (field == "txtTimes")  // a new period starts the schedule afresh
            QCOMPARE(f.program->engine().nextUpdate(), f.clock.localNow().addSecs(6 * 3600));
        if (field == "txtIP")
            QCOMPARE(f.control<QLineEdit>("txtPort")->text(), QStringLiteral("123"));
    }

    // A button pressed without taking the focus (Enter, an access key) checks the field first.
    void anAccessKeyRunsTheFieldCheckFirst() {
        auto* ip = f.control<QLineEdit>("txtIP");
        ip->setFocus();
        ip->selectAll();
        QTest::keyClicks(ip, "example.org:123");
        f.control<QPushButton>("butAdd")->click();
        QCOMPARE(f.program->servers().count(), 3);
        QCOMPARE(f.program->servers().entry(2), (ServerEntry{"example.org", "123"}));
        QVERIFY(f.readFile("Servers.ini").endsWith("example.org:123\r\n"));
    }

    void minimizingHidesIntoTheTray() {
        f.window().showMinimized();
        QTRY_VERIFY(!f.window().isVisible());
        Q_EMIT f.program->tray().platformIcon()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.window().isVisible());
        QVERIFY(!f.window().isMinimized());
    }

    void clicksOnTheTrayIcon() {
        QWidget* icon = trayIconWidget();
        QVERIFY(icon);
        QTest::mouseClick(icon, Qt::RightButton);
        QVERIFY(f.messages().contains(QStringLiteral("Tray icon right-clicked:")));
        QVERIFY(!f.control<QPushButton>("butUpdate")->isEnabled());
        QTest::mouseDClick(icon, Qt::RightButton);
        QCOMPARE(f.messages().last(), QStringLiteral("Program closed."));
        QVERIFY(!f.window().isVisible());
    }

    // However long a line, the time stamps stay in view and the newest line shows.
    void longLinesWrapInTheLog() {
        auto* log = f.control<QPlainTextEdit>("txtLog");
        for (int line = 0; line < 40; ++line)
            f.program->log().add(QStringLiteral("Received packet \"%1\" after 3 milliseconds:")
                                     .arg(QString(300, u'x')));
        QCOMPARE(log->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(log->horizontalScrollBar()->value(), 0);
        QCOMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
