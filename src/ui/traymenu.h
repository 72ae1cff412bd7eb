#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusVariant>
#include <QStringList>
#include <functional>

#include "ui/dbustraytypes.h"

// The tray icon's menu as StatusNotifier hosts take it, over D-Bus (com.canonical.dbusmenu):
// "Update Clock", then "Show Quorvel" while the window is hidden or "Hide Quorvel" while it is
// shown, then "Quit". Hangs on the object it is exported with.
class TrayMenu : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    enum class Entry { UpdateClock = 1, ShowOrHide, Quit };

    TrayMenu(QObject* exported, std::function<void(Entry)> clicked);

    // Which of its two labels the second entry shows.
    void setWindowShown(bool shown);
    bool windowShown() const { return windowShown_; }

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   MenuLayout& layout);
    MenuEntriesProperties GetGroupProperties(const QList<int>& ids,
                                             const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const MenuEvents& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    void LayoutUpdated(uint revision, int parent);

private:
    bool knows(int id) const;
    QVariantMap properties(int id) const;
    // False for an entry this menu does not have.
    bool deliver(int id, const QString& eventId);

    std::function<void(Entry)> clicked_;
    bool windowShown_ = false;
    uint revision_ = 1;
};
