#include "status/DBusMenuExporter.h"

#include <QAction>
#include <QActionEvent>
#include <QBuffer>
#include <QDBusAbstractAdaptor>
#include <QDBusMetaType>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QTimer>
#include <QWidgetAction>

#include <utility>

namespace plovane {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item)
{
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const auto& child : item.children)
        arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item)
{
    arg.beginStructure();
    arg >> item.id >> item.properties;
    item.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        DBusMenuLayoutItem childItem;
        child.variant().value<QDBusArgument>() >> childItem;
        item.children.append(childItem);
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item)
{
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item)
{
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemRemovedKeys& item)
{
    arg.beginStructure();
    arg << item.id << item.names;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemRemovedKeys& item)
{
    arg.beginStructure();
    arg >> item.id >> item.names;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event)
{
    arg.beginStructure();
    arg << event.id << event.eventId << event.data << event.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event)
{
    arg.beginStructure();
    arg >> event.id >> event.eventId >> event.data >> event.timestamp;
    arg.endStructure();
    return arg;
}

namespace {

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuItemProperties>();
        qDBusRegisterMetaType<QList<DBusMenuItemProperties>>();
        qDBusRegisterMetaType<DBusMenuItemRemovedKeys>();
        qDBusRegisterMetaType<QList<DBusMenuItemRemovedKeys>>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<QList<DBusMenuEvent>>();
        return true;
    }();
    (void)registered;
}

// Rows drawn by a widget of ours (the opacity slider) mean nothing to a panel.
bool exported(QAction* action)
{
    return !(qobject_cast<QWidgetAction*>(action) && action->text().isEmpty());
}

QByteArray pngOf(const QIcon& icon)
{
    const QList<QSize> sizes = icon.availableSizes();
    const QPixmap pixmap = icon.pixmap(sizes.isEmpty() ? QSize(16, 16) : sizes.front());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return bytes;
}

QVariantMap chosen(const QVariantMap& all, const QStringList& names)
{
    if (names.isEmpty())
        return all;
    QVariantMap some;
    for (const QString& name : names)
        if (auto it = all.constFind(name); it != all.constEnd())
            some.insert(name, *it);
    return some;
}

// What a panel must re-read the tree's shape for, not just the item.
bool shapeChanged(const QVariantMap& before, const QVariantMap& now)
{
    for (const char* name : {"type", "children-display"}) {
        const QString key = QString::fromLatin1(name);
        if (before.value(key) != now.value(key))
            return true;
    }
    return false;
}

} // namespace

QString dbusMenuLabel(const QString& actionText)
{
    QString label;
    label.reserve(actionText.size());
    for (qsizetype i = 0; i < actionText.size(); ++i) {
        const QChar c = actionText.at(i);
        if (c == QLatin1Char('&')) {
            // "&&" is an ampersand; a lone "&" would mark a mnemonic, which we never set.
            if (i + 1 < actionText.size() && actionText.at(i + 1) == QLatin1Char('&')) {
                label += c;
                ++i;
            }
        } else if (c == QLatin1Char('_')) {
            label += QLatin1String("__");
        } else {
            label += c;
        }
    }
    return label;
}

// The interface a panel calls; everything is answered by the exporter.
class DBusMenuAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(DBusMenuExporter* exporter) : QDBusAbstractAdaptor(exporter), exporter_(exporter)
    {
        setAutoRelaySignals(false);
        connect(exporter, &DBusMenuExporter::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
        connect(exporter, &DBusMenuExporter::itemsPropertiesUpdated, this, &DBusMenuAdaptor::ItemsPropertiesUpdated);
    }

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   plovane::DBusMenuLayoutItem& layout)
    {
        layout = exporter_->layout(parentId, recursionDepth, propertyNames);
        return exporter_->revision();
    }
    QList<plovane::DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
    {
        QList<DBusMenuItemProperties> items;
        for (int id : ids)
            items.append({id, exporter_->properties(id, propertyNames)});
        return items;
    }
    QDBusVariant GetProperty(int id, const QString& name)
    {
        return QDBusVariant(exporter_->properties(id, {name}).value(name));
    }
    void Event(int id, const QString& eventId, const QDBusVariant&, uint)
    {
        if (eventId == QLatin1String("clicked"))
            exporter_->click(id);
    }
    QList<int> EventGroup(const QList<plovane::DBusMenuEvent>& events)
    {
        QList<int> unknown;
        for (const auto& event : events) {
            if (event.eventId != QLatin1String("clicked"))
                continue;
            if (!exporter_->click(event.id))
                unknown.append(event.id);
        }
        return unknown;
    }
    // Every change is announced as it happens, also one the menu makes as it is about to
    // show, so the panel never needs to be told to read the tree again. (A panel told so
    // reads it again, and one of them then replaces every submenu item, closing the
    // submenu the user is opening.)
    bool AboutToShow(int id)
    {
        exporter_->aboutToShow(id);
        return false;
    }
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
    {
        idErrors.clear();
        for (int id : ids)
            if (!exporter_->aboutToShow(id))
                idErrors.append(id);
        return {};
    }

Q_SIGNALS:
    void ItemsPropertiesUpdated(const QList<plovane::DBusMenuItemProperties>& updatedProps,
                                const QList<plovane::DBusMenuItemRemovedKeys>& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    DBusMenuExporter* exporter_;
};

DBusMenuExporter::DBusMenuExporter(QObject* parent) : QObject(parent)
{
    registerTypes();
    new DBusMenuAdaptor(this);
}

DBusMenuExporter::~DBusMenuExporter() = default;

void DBusMenuExporter::setMenu(QMenu* menu)
{
    menu_ = menu;
    if (menu)
        watch(menu);
    changedMenus_.insert(0);
    scheduleUpdate();
}

bool DBusMenuExporter::exportOn(QDBusConnection bus, const QString& path)
{
    return bus.registerObject(path, this, QDBusConnection::ExportAdaptors);
}

int DBusMenuExporter::idOf(QAction* action)
{
    if (auto it = ids_.find(action); it != ids_.end())
        return *it;
    const int id = nextId_++;
    ids_.insert(action, id);
    actions_.insert(id, action);
    connect(action, &QObject::destroyed, this, [this, action, id] {
        ids_.remove(action);
        actions_.remove(id);
        published_.remove(id);
        iconData_.remove(id);
        changedItems_.remove(id);
    });
    return id;
}

QAction* DBusMenuExporter::actionOf(int id) const
{
    return actions_.value(id);
}

QMenu* DBusMenuExporter::menuOf(int id) const
{
    if (id == 0)
        return menu_;
    QAction* action = actionOf(id);
    return action ? action->menu<QMenu*>() : nullptr;
}

QByteArray DBusMenuExporter::iconData(int id, const QIcon& icon)
{
    auto& [key, bytes] = iconData_[id];
    if (key != icon.cacheKey() || bytes.isEmpty()) {
        key = icon.cacheKey();
        bytes = pngOf(icon);
    }
    return bytes;
}

QVariantMap DBusMenuExporter::allProperties(int id, QAction* action)
{
    QVariantMap all;
    if (action->isSeparator()) {
        all.insert(QStringLiteral("type"), QStringLiteral("separator"));
    } else {
        all.insert(QStringLiteral("label"), dbusMenuLabel(action->text()));
        if (!action->isEnabled())
            all.insert(QStringLiteral("enabled"), false);
        if (action->isCheckable()) {
            all.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
            all.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
        }
        if (action->menu<QMenu*>())
            all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        if (!action->icon().isNull())
            all.insert(QStringLiteral("icon-data"), iconData(id, action->icon()));
    }
    if (!action->isVisible())
        all.insert(QStringLiteral("visible"), false);
    return all;
}

QVariantMap DBusMenuExporter::actionProperties(int id, QAction* action, const QStringList& names)
{
    QVariantMap all = allProperties(id, action);
    // What a panel reads from now on is what later updates start from.
    if (!published_.contains(id))
        published_.insert(id, all);
    return chosen(all, names);
}

DBusMenuLayoutItem DBusMenuExporter::layout(int id, int depth, const QStringList& names)
{
    DBusMenuLayoutItem item;
    item.id = id;
    if (id != 0) {
        QAction* action = actionOf(id);
        if (!action) {
            item.id = -1;
            return item;
        }
        item.properties = actionProperties(id, action, names);
    } else {
        item.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    QMenu* menu = menuOf(id);
    if (!menu || depth == 0)
        return item;
    watch(menu);
    for (QAction* child : menu->actions())
        if (exported(child))
            item.children.append(layout(idOf(child), depth < 0 ? -1 : depth - 1, names));
    return item;
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList& names)
{
    QAction* action = actionOf(id);
    return action ? actionProperties(id, action, names) : QVariantMap();
}

bool DBusMenuExporter::click(int id)
{
    QPointer<QAction> action = actionOf(id);
    if (!action)
        return false;
    // After the reply: what the row does may run a dialog of its own.
    QTimer::singleShot(0, this, [action] {
        if (action && action->isEnabled() && !action->menu<QMenu*>())
            action->trigger();
    });
    return true;
}

bool DBusMenuExporter::aboutToShow(int id)
{
    QMenu* menu = menuOf(id);
    if (!menu)
        return id == 0 || actionOf(id);
    // What a menu of ours says as it opens, so it fills in what has changed meanwhile.
    Q_EMIT menu->aboutToShow();
    return true;
}

void DBusMenuExporter::watch(QMenu* menu)
{
    if (watched_.contains(menu))
        return;
    watched_.insert(menu);
    menu->installEventFilter(this);
    connect(menu, &QObject::destroyed, this, [this, menu] { watched_.remove(menu); });
    for (QAction* action : menu->actions())
        if (QMenu* submenu = action->menu<QMenu*>())
            watch(submenu);
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
        if (QMenu* submenu = static_cast<QActionEvent*>(event)->action()->menu<QMenu*>())
            watch(submenu);
        itemsChanged(static_cast<QMenu*>(watched));
        break;
    case QEvent::ActionRemoved:
        itemsChanged(static_cast<QMenu*>(watched));
        break;
    case QEvent::ActionChanged:
        itemChanged(static_cast<QActionEvent*>(event)->action());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::itemsChanged(QMenu* menu)
{
    // A submenu no panel has seen the root of needs no word.
    if (menu == menu_)
        changedMenus_.insert(0);
    else if (auto it = ids_.constFind(menu->menuAction()); it != ids_.constEnd())
        changedMenus_.insert(*it);
    else
        return;
    scheduleUpdate();
}

void DBusMenuExporter::itemChanged(QAction* action)
{
    // Properties of an item no panel has read go out when it is read.
    const auto it = ids_.constFind(action);
    if (it == ids_.constEnd() || !published_.contains(*it))
        return;
    changedItems_.insert(*it);
    scheduleUpdate();
}

void DBusMenuExporter::scheduleUpdate()
{
    // A refresh of the whole menu changes dozens of rows: one update for all of them.
    if (updatePending_)
        return;
    updatePending_ = true;
    QTimer::singleShot(0, this, [this] { sendUpdates(); });
}

void DBusMenuExporter::sendUpdates()
{
    updatePending_ = false;
    QList<DBusMenuItemProperties> updated;
    QList<DBusMenuItemRemovedKeys> removed;
    for (int id : std::exchange(changedItems_, {})) {
        QAction* action = actionOf(id);
        auto before = published_.find(id);
        if (!action || before == published_.end())
            continue;
        QVariantMap now = allProperties(id, action);
        if (shapeChanged(*before, now))
            for (QObject* holder : action->associatedObjects())
                if (auto* menu = qobject_cast<QMenu*>(holder); menu && watched_.contains(menu))
                    itemsChanged(menu);
        DBusMenuItemProperties changes{id, {}};
        for (auto it = now.constBegin(); it != now.constEnd(); ++it)
            if (before->value(it.key()) != it.value())
                changes.properties.insert(it.key(), it.value());
        DBusMenuItemRemovedKeys gone{id, {}};
        for (auto it = before->constBegin(); it != before->constEnd(); ++it)
            if (!now.contains(it.key()))
                gone.names.append(it.key());
        if (!changes.properties.isEmpty())
            updated.append(changes);
        if (!gone.names.isEmpty())
            removed.append(gone);
        *before = std::move(now);
    }
    if (!updated.isEmpty() || !removed.isEmpty())
        Q_EMIT itemsPropertiesUpdated(updated, removed);
    if (changedMenus_.isEmpty())
        return;
    ++revision_;
    for (int parent : std::exchange(changedMenus_, {}))
        Q_EMIT layoutUpdated(revision_, parent);
}

} // namespace plovane

#include "DBusMenuExporter.moc"
