#pragma once

#include <QObject>

class QWidget;
class Ticker;

// Tells the ticker whether the window's clock displays can be seen: shown and not minimized.
// Owned by the ticker, so it ends with it.
class TickPace : public QObject {
    Q_OBJECT
public:
    TickPace(QWidget& window, Ticker& ticker);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    QWidget& window_;
    Ticker& ticker_;
};
