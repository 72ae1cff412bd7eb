#include "ui/mainwindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "ui/programpictures.h"
#include "ui/serverrowsmodel.h"
#include "ui/waylandrestore.h"

namespace {
bool isEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The window stays the button's own while another window, or a popup, holds the keyboard.
bool focusStaysInWindow(const QEvent* event) {
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}
}  // namespace

MainWindow::MainWindow(const ServerList& servers, QWidget* parent)
    : QWidget(parent), w_(buildMainLayout(*this)), rows_(new ServerRowsModel(servers, this)) {
    setObjectName(QStringLiteral("frmMain"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(this);
    wireControls();
}

void MainWindow::setPictures(const ProgramPictures& pictures) {
    setWindowIcon(pictures.idle);
    w_.imgUpdateIcon->setPixmap(pictures.updating.pixmap(32, 32));
}

void MainWindow::showAfterLaunch(bool hidden) {
    if (!hidden)
        show();
    else if (!hidesWhenMinimized())
        showMinimized();
}

void MainWindow::restoreFromTray() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    remapIfPerhapsMinimized(*this);
    show();
    raise();
    activateWhenMapped(*this);
}

void MainWindow::hideToTray() {
    if (hidesWhenMinimized())
        hide();
    else
        showMinimized();
}

void MainWindow::setRunUnderWay(bool underWay) {
    QPushButton* enabled = underWay ? w_.butDisconnect : w_.butUpdate;
    QPushButton* disabled = underWay ? w_.butUpdate : w_.butDisconnect;
    const bool hadFocus = underWay ? updateHasFocus_ : disconnectHasFocus_;
    enabled->setEnabled(true);
    if (hadFocus)
        handFocusTo(enabled);
    disabled->setEnabled(false);
}

void MainWindow::handFocusTo(QPushButton* button) {
    const bool focusEventsFollow = isActiveWindow();
    button->setFocus(Qt::OtherFocusReason);
    if (focusEventsFollow)
        return;
    // An inactive window gets no focus events; without this, the next button to be disabled
    // would still count as unfocused and Qt would push the focus on to the next control.
    updateHasFocus_ = button == w_.butUpdate;
    disconnectHasFocus_ = button == w_.butDisconnect;
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        followShown();
    // Hidden from the event loop, not from within the state change the platform is making.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && hidesWhenMinimized())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    followShown();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    followShown();
}

void MainWindow::followShown() {
    const bool shown = isVisible() && !isMinimized();
    if (shown == shown_)
        return;
    shown_ = shown;
    Q_EMIT shownChanged(shown);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_)
        return;
    closing_ = true;
    Q_EMIT closing();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A plain widget's buttons take only Space; users expect Enter to press the focused one too.
    if (isEnterKey(event)) {
        if (auto* button = qobject_cast<QPushButton*>(watched); button && button->isEnabled()) {
            button->animateClick();
            return true;
        }
    }
    const bool focusIn = event->type() == QEvent::FocusIn;
    if (focusIn || (event->type() == QEvent::FocusOut && !focusStaysInWindow(event))) {
        if (watched == w_.butUpdate)
            updateHasFocus_ = focusIn;
        else if (watched == w_.butDisconnect)
            disconnectHasFocus_ = focusIn;
    }
    return QWidget::eventFilter(watched, event);
}
