#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop, so that logging out or
// being told to stop ends the program through its shut-down sequence.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

Q_SIGNALS:
    void received();

private:
    QSocketNotifier* notifier_ = nullptr;
};
