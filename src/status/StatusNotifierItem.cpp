#include "status/StatusNotifierItem.h"

#include "platform/AppIdentity.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QtEndian>

#include <unistd.h>

namespace plovane {

QDBusArgument& operator<<(QDBusArgument& arg, const SniIconPixmap& pixmap)
{
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.pixels;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniIconPixmap& pixmap)
{
    arg.beginStructure();
    arg >> pixmap.width >> pixmap.height >> pixmap.pixels;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip)
{
    arg.beginStructure();
    arg << tip.iconName << tip.icon << tip.title << tip.text;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip)
{
    arg.beginStructure();
    arg >> tip.iconName >> tip.icon >> tip.title >> tip.text;
    arg.endStructure();
    return arg;
}

SniIconPixmap sniIconPixmap(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    SniIconPixmap pixmap{argb.width(), argb.height(), QByteArray()};
    pixmap.pixels.resize(static_cast<qsizetype>(argb.width()) * argb.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.pixels.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            *out++ = qToBigEndian(row[x]);
    }
    return pixmap;
}

// The interface a panel reads and calls.
class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(QList<plovane::SniIconPixmap> IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(QList<plovane::SniIconPixmap> OverlayIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(QList<plovane::SniIconPixmap> AttentionIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(QString IconAccessibleDesc READ iconDescription)
    Q_PROPERTY(QString AttentionAccessibleDesc READ iconDescription)
    Q_PROPERTY(plovane::SniToolTip ToolTip READ toolTip)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item) : QDBusAbstractAdaptor(item), item_(item)
    {
        setAutoRelaySignals(false);
        connect(item, &StatusNotifierItem::iconChanged, this, &StatusNotifierItemAdaptor::NewIcon);
        connect(item, &StatusNotifierItem::toolTipChanged, this, &StatusNotifierItemAdaptor::NewToolTip);
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QString::fromUtf8(kAppIdentifier.data(), static_cast<qsizetype>(kAppIdentifier.size())); }
    QString title() const { return item_->title(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/MenuBar")); }
    // Hosts show the exported menu on a click and do not ask for ours.
    bool itemIsMenu() const { return true; }
    QString noName() const { return {}; }
    QList<SniIconPixmap> iconPixmap() const { return item_->icon(); }
    QList<SniIconPixmap> noPixmap() const { return {}; }
    SniToolTip toolTip() const { return item_->toolTip(); }
    QString iconDescription() const { return item_->iconDescription(); }

public Q_SLOTS:
    void ContextMenu(int x, int y) { item_->activate({x, y}); }
    void Activate(int x, int y) { item_->activate({x, y}); }
    // A middle click. A panel that asks for this draws the exported menu on a primary
    // click itself; ours beside it would be a second menu, drawn otherwise.
    void SecondaryActivate(int, int) {}
    void Scroll(int, const QString&) {}

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* item_;
};

StatusNotifierItem::StatusNotifierItem(const QString& title, Request onActivate, QObject* parent)
    : QObject(parent), title_(title), onActivate_(std::move(onActivate))
{
    static const bool registered = [] {
        qDBusRegisterMetaType<SniIconPixmap>();
        qDBusRegisterMetaType<QList<SniIconPixmap>>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)registered;
    new StatusNotifierItemAdaptor(this);
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (serviceName_.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QStringLiteral("/StatusNotifierItem"));
    bus.unregisterObject(QStringLiteral("/MenuBar"));
    bus.unregisterService(serviceName_);
}

bool StatusNotifierItem::exportOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    // The name the protocol asks items to take: the process and a number of its own.
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(::getpid());
    if (!bus.registerService(name))
        return false;
    if (!bus.registerObject(QStringLiteral("/StatusNotifierItem"), this, QDBusConnection::ExportAdaptors) ||
        !menu_.exportOn(bus, QStringLiteral("/MenuBar"))) {
        bus.unregisterObject(QStringLiteral("/StatusNotifierItem"));
        bus.unregisterService(name);
        return false;
    }
    serviceName_ = name;
    return true;
}

void StatusNotifierItem::setIcon(const QList<QImage>& renderings)
{
    QList<SniIconPixmap> icon;
    for (const QImage& image : renderings)
        icon.append(sniIconPixmap(image));
    icon_ = std::move(icon);
    Q_EMIT iconChanged();
}

void StatusNotifierItem::setToolTip(const QString& text)
{
    if (text == toolTip_)
        return;
    toolTip_ = text;
    Q_EMIT toolTipChanged();
}

void StatusNotifierItem::setIconDescription(const QString& text)
{
    if (text == iconDescription_)
        return;
    iconDescription_ = text;
    // No signal of its own: hosts read the description again with the icon.
    Q_EMIT iconChanged();
}

void StatusNotifierItem::activate(QPoint at) const
{
    if (onActivate_)
        onActivate_(at);
}

} // namespace plovane

#include "StatusNotifierItem.moc"
