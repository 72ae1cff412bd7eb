#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include "ui/dbustraytypes.h"

class StatusNotifierAdaptor;
class TrayHostWatch;
class TrayMenu;

// The tray icon in a StatusNotifier host's tray (KDE Plasma, Xfce's status tray, GNOME's
// AppIndicator extension), exported on the session bus under a name of its own with its menu.
// It registers with every watcher that appears, however late, so a host started after the
// program still shows it. Hosts deliver requests, not clicks: each comes as a signal.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    static constexpr const char* MenuPath = "/MenuBar";

    explicit StatusNotifierItem(QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // A host shows the item now.
    bool hostPresent() const;
    void setPicture(const QIcon& picture);
    void setToolTip(const QString& text);
    // The menu offers to hide a shown window and to show a hidden one.
    void setWindowShown(bool shown);

    const IconPixmaps& pixmaps() const { return pixmaps_; }
    const QString& toolTip() const { return toolTip_; }

Q_SIGNALS:
    void hostPresentChanged(bool present);
    void activateRequested();     // a click on the icon
    void contextMenuRequested();  // from a host that shows no menus of items
    void updateRequested();
    void showRequested();
    void hideRequested();
    void quitRequested();

private:
    QString service_;
    QObject menuObject_;
    StatusNotifierAdaptor* adaptor_;
    TrayMenu* menu_;
    TrayHostWatch* hosts_ = nullptr;  // none without a session bus
    QIcon picture_;
    IconPixmaps pixmaps_;
    QString toolTip_;
};
