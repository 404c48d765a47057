#pragma once

#include "status/DBusMenuExporter.h"

#include <QDBusArgument>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class QMenu;

namespace plovane {

// One rendering of the icon: (iiay), ARGB32 in network byte order.
struct SniIconPixmap {
    int width{0};
    int height{0};
    QByteArray pixels;
};
// The tooltip: (sa(iiay)ss), an icon name, icon renderings, a title and a text.
struct SniToolTip {
    QString iconName;
    QList<SniIconPixmap> icon;
    QString title;
    QString text;
};

// The renderings of `image` (ARGB32, any size) a panel can pick from.
SniIconPixmap sniIconPixmap(const QImage& image);

// Our status item as a StatusNotifierItem on the session bus: the icon, the tooltip and
// the menu (exported with DBusMenuExporter) under a bus name of our own. A panel that
// hosts such items shows it once the item is registered with the panel's watcher, which
// the status area does each time a watcher appears.
class StatusNotifierItem final : public QObject {
    Q_OBJECT
public:
    // What the panel asks for: a click or the menu, at a point on screen.
    using Request = std::function<void(QPoint)>;

    StatusNotifierItem(const QString& title, Request onActivate, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Takes a bus name and serves the item and its menu; false without a session bus.
    bool exportOnSessionBus();
    // The bus name the item is registered under with a watcher.
    const QString& serviceName() const { return serviceName_; }

    void setMenu(QMenu* menu) { menu_.setMenu(menu); }
    // Renderings of the icon at the sizes panels use; the panel is told they changed.
    void setIcon(const QList<QImage>& renderings);
    void setToolTip(const QString& text);
    // The icon in words; the panel is told, as for a new icon, when it changes.
    void setIconDescription(const QString& text);

    const QList<SniIconPixmap>& icon() const { return icon_; }
    SniToolTip toolTip() const { return {QString(), {}, title_, toolTip_}; }
    const QString& title() const { return title_; }
    const QString& iconDescription() const { return iconDescription_; }
    DBusMenuExporter& menuExporter() { return menu_; }
    void activate(QPoint at) const;

Q_SIGNALS:
    void iconChanged();
    void toolTipChanged();

private:
    QString title_;
    QString toolTip_;
    QString iconDescription_;
    QList<SniIconPixmap> icon_;
    Request onActivate_;
    DBusMenuExporter menu_;
    QString serviceName_;
};

} // namespace plovane

Q_DECLARE_METATYPE(plovane::SniIconPixmap)
Q_DECLARE_METATYPE(plovane::SniToolTip)
