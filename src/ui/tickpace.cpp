#include "ui/tickpace.h"

#include <QEvent>
#include <QWidget>

#include "engine/ticker.h"
#include "platform/workingset.h"

namespace {
// Long enough for the hiding itself, and its repaints, to be over.
constexpr int TrimDelayMs = 2000;
}  // namespace

TickPace::TickPace(QWidget& window, Ticker& ticker)
    : QObject(&ticker), window_(window), ticker_(ticker) {
    trim_.setSingleShot(true);
    trim_.setInterval(TrimDelayMs);
    connect(&trim_, &QTimer::timeout, this, [this] {
        if (!displaysShown())
            trimWorkingSet();
    });
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

bool TickPace::displaysShown() const {
    return window_.isVisible() && !window_.isMinimized();
}

void TickPace::follow() {
    const bool shown = displaysShown();
    ticker_.setDisplaysShown(shown);
    if (shown)
        trim_.stop();
    else if (!trim_.isActive())
        trim_.start();
}
