#pragma once

#include <QStringList>

#include "engine/trayview.h"

// Keeps what the tray was last told to show, and every tooltip in order.
class RecordingTray final : public TrayView {
public:
    void show(Picture icon, const QString& tooltip) override {
        picture = icon;
        tooltips.append(tooltip);
    }
    QString tooltip() const { return tooltips.value(tooltips.size() - 1); }

    Picture picture = Picture::Idle;
    QStringList tooltips;
};
