#include "ui/waylandrestore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <QWindow>

namespace {
const char* const TokenVariable = "XDG_ACTIVATION_TOKEN";

bool onNativeWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Activates a window after its first exposure from now, once Qt has drawn it there; one per
// window at a time.
class ActivationOnExpose : public QObject {
public:
    explicit ActivationOnExpose(QWidget& window)
        : QObject(window.windowHandle()), window_(&window) {
        setObjectName(Name);
        parent()->installEventFilter(this);
    }
    static constexpr const char* Name = "activationOnExpose";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            parent()->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (window_)
                        window_->activateWindow();
                    qunsetenv(TokenVariable);
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
};
}  // namespace

void remapIfPerhapsMinimized(QWidget& window) {
    if (onNativeWayland() && window.isVisible())
        window.hide();
}

void activateWhenMapped(QWidget& window) {
    if (!onNativeWayland()) {
        window.activateWindow();
        return;
    }
    QWindow* handle = window.windowHandle();
    if (!handle) {
        qunsetenv(TokenVariable);
        return;
    }
    if (handle->isExposed()) {
        window.activateWindow();
        qunsetenv(TokenVariable);
    } else if (!handle->findChild<QObject*>(QLatin1String(ActivationOnExpose::Name),
                                            Qt::FindDirectChildrenOnly)) {
        new ActivationOnExpose(window);
    }
}

void offerActivationToken(const QString& token) {
    if (!token.isEmpty() && onNativeWayland())
        qputenv(TokenVariable, token.toUtf8());
}
