#pragma once

#include <QObject>
#include <QTimer>

class QWidget;
class Ticker;

// Tells the ticker whether the window's clock displays can be seen: shown and not minimized.
// A while after the window is hidden, or after a start that leaves it hidden, gives back the
// memory the waiting program does not need.
// Owned by the ticker, so it ends with it.
class TickPace : public QObject {
    Q_OBJECT
public:
    TickPace(QWidget& window, Ticker& ticker);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    bool displaysShown() const;

    QWidget& window_;
    Ticker& ticker_;
    QTimer trim_;
};
