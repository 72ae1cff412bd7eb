#include "ui/tickpace.h"

#include <QEvent>
#include <QWidget>

#include "engine/ticker.h"

TickPace::TickPace(QWidget& window, Ticker& ticker)
    : QObject(&ticker), window_(window), ticker_(ticker) {
    window.installEventFilter(this);
    follow();
}

bool TickPace::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &window_ &&
        (type == QEvent::Show || type == QEvent::Hide || type == QEvent::WindowStateChange))
        follow();
    return QObject::eventFilter(watched, event);
}

void TickPace::follow() {
    ticker_.setDisplaysShown(window_.isVisible() && !window_.isMinimized());
}
