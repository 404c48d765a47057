#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace plovane {

// One item of an exported menu with its children, as GetLayout sends it: (ia{sv}av).
struct DBusMenuLayoutItem {
    int id{0};
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};
// An item's properties alone: (ia{sv}).
struct DBusMenuItemProperties {
    int id{0};
    QVariantMap properties;
};
// The property names an update took away from an item: (ias).
struct DBusMenuItemRemovedKeys {
    int id{0};
    QStringList names;
};
// One event of an EventGroup call: (isvu).
struct DBusMenuEvent {
    int id{0};
    QString eventId;
    QDBusVariant data;
    uint timestamp{0};
};

// The label a dbusmenu host shows as an action's text. There "_" marks a keyboard
// mnemonic and "__" is an underscore; in the action's text "&&" is an ampersand (our
// texts mark no mnemonics). So every title reaches the panel as it stands.
QString dbusMenuLabel(const QString& actionText);

// Exports a QMenu and its submenus on the session bus as com.canonical.dbusmenu, for
// panels that draw the menu of a status item themselves. The exported items are the
// menu's actions, and a click in the panel triggers the action. Some panels read each
// item's properties once and afterwards only follow ItemsPropertiesUpdated, others
// fetch a submenu again on LayoutUpdated: a change of an item's title, check mark,
// enabled state, visibility or icon is sent as the first, items coming and going as the
// second, naming the menu they are in.
class DBusMenuExporter final : public QObject {
    Q_OBJECT
public:
    explicit DBusMenuExporter(QObject* parent = nullptr);
    ~DBusMenuExporter() override;

    // The menu to export; it may be replaced (or null) at any time.
    void setMenu(QMenu* menu);
    // Serves the menu at `path` on `bus`; false when the path is taken.
    bool exportOn(QDBusConnection bus, const QString& path);

    // The item `id` (0 is the menu itself) with its children `depth` levels down (-1:
    // all), each with the properties named (all when none are). Nothing (id -1) for an
    // unknown id.
    DBusMenuLayoutItem layout(int id, int depth, const QStringList& names);
    QVariantMap properties(int id, const QStringList& names);
    // A click on item `id`: its action is triggered once the call has returned. False
    // for an unknown id.
    bool click(int id);
    // The panel is about to show item `id`'s submenu (0: the menu itself): the menu says
    // so as it does when it opens itself, so it may bring its rows up to date. False for
    // an unknown id.
    bool aboutToShow(int id);
    uint revision() const { return revision_; }

Q_SIGNALS:
    // The items under `parent` changed; the panel asks for them again.
    void layoutUpdated(uint revision, int parent);
    // Properties of items the panel has read changed: their new values, and the names
    // of those that went back to their defaults.
    void itemsPropertiesUpdated(const QList<plovane::DBusMenuItemProperties>& updated,
                                const QList<plovane::DBusMenuItemRemovedKeys>& removed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int idOf(QAction* action);
    QAction* actionOf(int id) const;
    QMenu* menuOf(int id) const;
    QVariantMap allProperties(int id, QAction* action);
    QVariantMap actionProperties(int id, QAction* action, const QStringList& names);
    QByteArray iconData(int id, const QIcon& icon);
    void watch(QMenu* menu);
    void itemsChanged(QMenu* menu);
    void itemChanged(QAction* action);
    void scheduleUpdate();
    void sendUpdates();

    QPointer<QMenu> menu_;
    QHash<QAction*, int> ids_;
    QHash<int, QPointer<QAction>> actions_;
    QSet<QMenu*> watched_;
    // Each item's properties as panels last had them, read or sent.
    QHash<int, QVariantMap> published_;
    // An item's icon as PNG, kept while the icon stays the same.
    QHash<int, QPair<qint64, QByteArray>> iconData_;
    // What changed since the last update: menus whose items came or went, items whose
    // properties may have changed.
    QSet<int> changedMenus_;
    QSet<int> changedItems_;
    int nextId_{1};
    uint revision_{1};
    bool updatePending_{false};
};

} // namespace plovane

Q_DECLARE_METATYPE(plovane::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(plovane::DBusMenuItemProperties)
Q_DECLARE_METATYPE(plovane::DBusMenuItemRemovedKeys)
Q_DECLARE_METATYPE(plovane::DBusMenuEvent)
