#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusServiceWatcher;

// Follows the StatusNotifier watcher on the session bus, which the tray hosts (KDE Plasma, Xfce's
// status tray, GNOME's AppIndicator extension) run: registers the item with each watcher that
// appears, and tells whether a host is there to show it. The first answer is awaited, so that
// the program knows at once where its icon goes; later ones come from the event loop.
class TrayHostWatch : public QObject {
    Q_OBJECT
public:
    TrayHostWatch(const QDBusConnection& bus, const QString& itemService,
                  QObject* parent = nullptr);

    bool hostPresent() const { return present_; }

Q_SIGNALS:
    void hostPresentChanged(bool present);

private Q_SLOTS:
    void onHostsChanged();

private:
    // Registers the item and asks whether a host is there; with wait, returns with the answer.
    void ask(bool wait);
    void setPresent(bool present);

    QDBusConnection bus_;
    QString itemService_;
    QDBusServiceWatcher* watcher_;
    quint64 question_ = 0;  // the latest question; older answers are stale
    bool present_ = false;
};
