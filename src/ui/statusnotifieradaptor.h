#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>

#include "ui/dbustraytypes.h"

class StatusNotifierItem;

// The tray icon as StatusNotifier hosts see it over D-Bus (org.kde.StatusNotifierItem): its
// pictures, tooltip and menu, and the host's requests, handed to the item.
class StatusNotifierAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(IconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(IconPixmaps OverlayIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(IconPixmaps AttentionIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(ItemToolTip ToolTip READ toolTip)
public:
    explicit StatusNotifierAdaptor(StatusNotifierItem& item);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("quorvel"); }
    QString title() const { return QStringLiteral("Quorvel"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const;
    QString noName() const { return {}; }
    IconPixmaps noPixmap() const { return {}; }
    IconPixmaps iconPixmap() const;
    ItemToolTip toolTip() const;

public Q_SLOTS:
    void Activate(int x, int y);
    // Sent before Activate or a menu click by hosts that hand out tokens (KDE Plasma, GNOME's
    // AppIndicator extension): on Wayland it lets the window to the front.
    void ProvideXdgActivationToken(const QString& token);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewIcon();
    void NewToolTip();
    void NewTitle();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem& item_;
};
