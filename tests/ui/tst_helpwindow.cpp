#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "ui/helplauncher.h"

// The help window on a real X display (no window manager, so the outer size is the window's
// own): what it shows, where its controls go, what the advert opens, and when it is made anew.
class TstHelpWindow : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void open(const QUrl& url) { opened_.append(url); }

private Q_SLOTS:
    void init();
    void cleanup();
    void showsTheReadme();
    void advertOpensTheWebPage_data();
    void advertOpensTheWebPage();
    void bannerHasANameForScreenReaders();
    void helpAgainKeepsTheWindow();

private:
    void writeReadme(const QByteArray& bytes);

    QTemporaryDir programFolder_;
    QList<QUrl> opened_;
    std::unique_ptr<HelpLauncher> launcher_;
};

void TstHelpWindow::init() {
    writeReadme("First line\r\nSecond line");
    launcher_ = std::make_unique<HelpLauncher>(programFolder_.path());
    opened_.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
}

void TstHelpWindow::cleanup() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    for (QWidget* window : QApplication::topLevelWidgets())
        delete window;
}

void TstHelpWindow::writeReadme(const QByteArray& bytes) {
    QFile file(programFolder_.filePath(QStringLiteral("Readme.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void TstHelpWindow::showsTheReadme() {
    HelpWindow* window = launcher_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->objectName(), QStringLiteral("frmHelp"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quorvel Help"));
    QCOMPARE(window->windowIcon().availableSizes(), QList<QSize>{QSize(16, 16)});
    QCOMPARE(window->size(), QSize(865, 621));
    QVERIFY(!window->parentWidget());  // stays open when the main window closes

    auto* text = window->findChild<QPlainTextEdit*>(QStringLiteral("txtHelpFile"));
    QVERIFY(text && text->isReadOnly() && QFontInfo(text->font()).fixedPitch());
    QCOMPARE(text->font().pointSize(), 9);
    QCOMPARE(text->toPlainText(), QStringLiteral("First line\nSecond line\n"));

    auto* banner = window->findChild<QLabel*>(QStringLiteral("imgAdvert"));
    QCOMPARE(banner->pixmap().size(), QSize(468, 60));
    auto* advert = window->findChild<QLabel*>(QStringLiteral("lblAdvert"));
    QVERIFY(advert->font().bold() && advert->font().pointSizeF() <= 8);
    QVERIFY(advert->fontMetrics().horizontalAdvance(advert->text()) <= advert->width());
    for (QLabel* control : {banner, advert})
        QCOMPARE(control->cursor().shape(), Qt::CrossCursor);
}

void TstHelpWindow::advertOpensTheWebPage_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("banner") << "imgAdvert";
    QTest::newRow("advert line") << "lblAdvert";
}

void TstHelpWindow::advertOpensTheWebPage() {
    QFETCH(QString, control);
    auto* clicked = launcher_->show()->findChild<QWidget*>(control);
    QTest::mouseClick(clicked, Qt::RightButton);
    QVERIFY(opened_.isEmpty());
    QTest::mouseClick(clicked, Qt::LeftButton);
    QCOMPARE(opened_, QList<QUrl>{QUrl(QStringLiteral("https://quorvel.example/"))});
}

void TstHelpWindow::bannerHasANameForScreenReaders() {
    auto* banner = launcher_->show()->findChild<QLabel*>(QStringLiteral("imgAdvert"));
    QCOMPARE(QAccessible::queryAccessibleInterface(banner)->text(QAccessible::Name),
             QStringLiteral("GET PAID TO RECEIVE E-MAILS ON SUBJECTS OF YOUR CHOICE!!"));
}

void TstHelpWindow::helpAgainKeepsTheWindow() {
    QPointer<HelpWindow> first = launcher_->show();
    QVERIFY(QTest::qWaitForWindowActive(first));
    QWidget other;  // the user went on in another window
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    writeReadme("Changed\r\n");
    QCOMPARE(launcher_->show(), first.data());
    QTRY_VERIFY(first->isActiveWindow());
    auto text = [](HelpWindow* window) {
        return window->findChild<QPlainTextEdit*>()->toPlainText();
    };
    QCOMPARE(text(first), QStringLiteral("First line\nSecond line\n"));

    first->close();
    QTRY_VERIFY(first.isNull());
    QCOMPARE(text(launcher_->show()), QStringLiteral("Changed\n"));
}

QTEST_MAIN(TstHelpWindow)
#include "tst_helpwindow.moc"
