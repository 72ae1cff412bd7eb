#include "ui/mainwindow.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include "ui/mainlayout.h"

namespace {
bool hidesWhenMinimized() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), controls_(buildMainLayout(*this)) {
    setObjectName(QStringLiteral("frmMain"));
    controls_.butUpdate->installEventFilter(this);
    controls_.butDisconnect->installEventFilter(this);
}

void MainWindow::showAfterLaunch() {
    if (isMinimized() && hidesWhenMinimized())
        return;
    show();
}

void MainWindow::restoreFromTray() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Hidden from the event loop, not from within the state change the platform is making.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && hidesWhenMinimized())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_)
        return;
    closing_ = true;
    Q_EMIT closing();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool focusIn = event->type() == QEvent::FocusIn;
    if (focusIn || event->type() == QEvent::FocusOut) {
        if (watched == controls_.butUpdate)
            Q_EMIT updateFocusChanged(focusIn);
        else if (watched == controls_.butDisconnect)
            Q_EMIT disconnectFocusChanged(focusIn);
    }
    return QWidget::eventFilter(watched, event);
}
