#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

#include "config/autostartentry.h"
#include "support/desktopprocess.h"
#include "support/fakeclock.h"
#include "support/fixedzonesource.h"
#include "support/recordingclocksetter.h"
#include "support/scriptedserver.h"
#include "ui/desktopprogram.h"
#include "ui/mainwindow.h"

// The desktop program in this process on an XEmbed tray (trayer), with a clock the test holds, a
// clock setter that only records, and two loopback servers that never answer as its list.
class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir data_;
    QTemporaryDir autostart_;
    FakeClock clock_;
    FixedZoneSource zone_;
    RecordingClockSetter setter_;
    AutostartEntry autostartEntry_{autostart_.path()};
    ScriptedServer first_;
    ScriptedServer second_;
    std::unique_ptr<DesktopProgram> program_;

    void launch(const QByteArray& settings = {}) {
        program_.reset();
        writeFile(data_.filePath("Quorvel.ini"), settings);
        writeFile(data_.filePath("Servers.ini"),
                  "127.0.0.1:" + first_.portText().toLatin1() +
                      "\r\n127.0.0.1:" + second_.portText().toLatin1() + "\r\n");
        program_ = std::make_unique<DesktopProgram>(
            DesktopParts{clock_, zone_, setter_, autostartEntry_, data_.path(),
                         QStringLiteral("/opt/quorvel/quorvel"), programPictures(), QLocale::c()});
        program_->startUp();
    }
    MainWindow& window() { return program_->window(); }
    template <typename T>
    T* control(const char* name) {
        return window().findChild<T*>(QString::fromLatin1(name));
    }
    bool logged(const QString& message) {
        return control<QPlainTextEdit>("txtLog")->toPlainText().contains("]  " + message);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    }
    void init() {
        first_.connections = second_.connections = 0;
        launch();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }
    void cleanup() { program_.reset(); }

    // Measured afresh with the style's own sizes, access-key marks left out, so that a wider font
    // can never clip a caption.
    void noCaptionIsClipped() {
        for (QWidget* control : window().findChildren<QWidget*>()) {
            const QFontMetrics metrics(control->font());
            if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty()) {
                const QRect needed = metrics.boundingRect(label->contentsRect(),
                                                          Qt::TextWordWrap * label->wordWrap(),
                                                          label->text().remove(u'&'));
                QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                         qPrintable(label->objectName()));
            } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
                QStyleOptionButton option;
                option.initFrom(box);
                const QRect room =
                    box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
                QVERIFY2(metrics.horizontalAdvance(box->text().remove(u'&')) <= room.width(),
                         qPrintable(box->objectName()));
            } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin);
                QVERIFY2(metrics.horizontalAdvance(button->text().remove(u'&')) + margins <=
                             button->width(),
                         qPrintable(button->objectName()));
            }
        }
    }

    // The rows are 40 characters of host, then the port.
    void columnHeadingsStandOverTheColumns() {
        auto* headings = control<QLabel>("lblTableHeaders");
        auto* list = control<QListView>("lstServers");
        const QString text = headings->text();
        const QFontMetrics metrics(headings->font());
        const int column = QFontMetrics(list->font()).horizontalAdvance(u'M');
        // Where the rows' characters fall, counted from the label's left edge.
        const int textMargin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
        const QPoint firstRow = list->visualRect(list->model()->index(0, 0)).topLeft();
        const int hostLeft =
            list->viewport()->mapTo(&window(), firstRow).x() + textMargin - headings->x();
        const int bar = metrics.horizontalAdvance(text.left(text.indexOf(u'|')));
        QVERIFY2(qAbs(bar - (hostLeft + 39 * column)) <= column, qPrintable(text));
        const int port = metrics.horizontalAdvance(text.left(text.indexOf(QStringLiteral("Port"))));
        QVERIFY(port >= hostLeft + 40 * column - metrics.horizontalAdvance(u' '));
        QVERIFY(port + metrics.horizontalAdvance(QStringLiteral("Port")) <= headings->width());
        const int title =
            metrics.horizontalAdvance(text.left(text.indexOf(QStringLiteral("Address"))));
        QVERIFY(title > hostLeft && title < hostLeft + 20 * column);
    }

    // A click shows the row in the address fields, even a click on the row already selected.
    void listClickShowsTheRowAndDoubleClickUpdatesFromIt() {
        auto* list = control<QListView>("lstServers");
        const QPoint row = list->visualRect(list->model()->index(1, 0)).center();
        for (int click = 0; click < 2; ++click) {
            program_->session().servers().setAddress(QStringLiteral("elsewhere"),
                                                     QStringLiteral("1"));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
            QCOMPARE(control<QLineEdit>("txtIP")->text(), QStringLiteral("127.0.0.1"));
            QCOMPARE(control<QLineEdit>("txtPort")->text(), second_.portText());
        }
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(logged(QStringLiteral("Server list double-clicked:")));
        QTRY_COMPARE(second_.connections, 1);
        QCOMPARE(first_.connections, 0);
    }

    // The first row cannot move up, the last cannot move down, and with no row selected neither.
    void moveButtonsFollowTheSelection_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::newRow("first") << 0 << false << true;
        QTest::newRow("last") << 1 << true << false;
        QTest::newRow("none") << -1 << false << false;
    }
    void moveButtonsFollowTheSelection() {
        QFETCH(int, row);
        program_->session().servers().select(row);
        QTEST(control<QPushButton>("butMoveUp")->isEnabled(), "up");
        QTEST(control<QPushButton>("butMoveDown")->isEnabled(), "down");
    }

    // However the button is pressed, the address field's check runs first and splits the port off.
    void keysPressTheButtonAfterTheFieldCheck_data() {
        QTest::addColumn<int>("key");  // none: the focus stays in the field, as with an access key
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("access key") << 0;
    }
    void keysPressTheButtonAfterTheFieldCheck() {
        QFETCH(int, key);
        auto* ip = control<QLineEdit>("txtIP");
        auto* add = control<QPushButton>("butAdd");
        ip->setFocus();
        ip->selectAll();
        QTest::keyClicks(ip, "example.org:123");
        if (key) {
            add->setFocus();
            QTest::keyClick(add, Qt::Key(key));
        } else {
            add->animateClick();
        }
        QTRY_COMPARE(program_->session().servers().count(), 3);
        QCOMPARE(program_->session().servers().entry(2), (ServerEntry{"example.org", "123"}));
    }

    static QWidget* trayIconWidget() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0)
                return widget;
        return nullptr;
    }

    // Under the window manager, a window started in the tray comes back from it in every round:
    // shown, not minimized, holding the keyboard. Minimized, it goes into the tray and comes back
    // from it too; a right click updates.
    void startedHiddenComesBackFromTheTray() {
        for (int round = 0; round < 10; ++round) {
            launch("MinimizeOnLoad=1\r\n");
            QTRY_VERIFY(trayIconWidget() && trayIconWidget()->isVisible());
            QCOMPARE(mainWindowManagerState(), QStringLiteral("unmapped"));
            QTest::mouseDClick(trayIconWidget(), Qt::LeftButton);
            QTRY_COMPARE(mainWindowManagerState(), QStringLiteral("viewable, active"));
            QVERIFY(window().isVisible() && !window().isMinimized());
        }
        window().showMinimized();
        QTRY_VERIFY(!window().isVisible());
        QTest::mouseDClick(trayIconWidget(), Qt::LeftButton);
        QTRY_VERIFY(window().isVisible());
        QVERIFY(!window().isMinimized());
        QCOMPARE(first_.connections, 0);
        QTest::mouseClick(trayIconWidget(), Qt::RightButton);
        QVERIFY(logged(QStringLiteral("Tray icon right-clicked:")));
        QTRY_COMPARE(first_.connections, 1);
    }

    void optionsAreReadAtLaunchAndWrittenAtClose() {
        launch("UpdateOnLoad=1\r\nTimeout=995\r\n");
        QTRY_COMPARE(first_.connections, 1);
        QCOMPARE(control<QLineEdit>("txtTimeout")->text(), QStringLiteral("995"));  // unchecked yet
        control<QCheckBox>("chkLoadOnStartUp")->click();
        window().close();
        QVERIFY(logged(QStringLiteral("Program closed.")));
        QTRY_VERIFY(!first_.lastClient);  // the run's connection was closed
        const QByteArray saved = readFile(data_.filePath("Quorvel.ini"));
        QVERIFY2(saved.contains("UpdateOnLoad=1\r\n") && saved.contains("Timeout=990\r\n"), saved);
        QVERIFY(autostartEntry_.isEnabled());
    }

    // Never neither window nor icon: a tray that goes away gives the hidden window back. Last,
    // as it takes the tray from the tests after it.
    void trayThatGoesAwayGivesTheWindowBack() {
        launch("MinimizeOnLoad=1\r\n");
        QTRY_VERIFY(trayIconWidget() && trayIconWidget()->isVisible());
        QCOMPARE(mainWindowManagerState(), QStringLiteral("unmapped"));
        ::kill(pid_t(qEnvironmentVariableIntValue("TRAY_HOST_PID")), SIGKILL);
        QTRY_COMPARE(mainWindowManagerState(), QStringLiteral("viewable, active"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
