#pragma once

#include <QString>

// The notification-area icon as the engine drives it: a picture and a tooltip, shown together.
class TrayView {
public:
    enum class Picture { Idle, Updating };
    virtual ~TrayView() = default;
    virtual void show(Picture picture, const QString& toolTip) = 0;
};
