#include "platform/linux/accessibility/AtspiAccessibilitySource.h"

#include "platform/Log.h"
#include "platform/linux/accessibility/AtspiRoles.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMap>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include <unistd.h>

namespace plovane {

namespace {

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kText = QStringLiteral("org.a11y.atspi.Text");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A hung application must not stall the main thread for long.
constexpr int kCallTimeoutMs = 250;
constexpr int kMaxParentWalk = 32;
// AT-SPI state bits.
constexpr unsigned kStateActive = 1;
constexpr unsigned kStateFocused = 12;
constexpr unsigned kStateMultiLine = 17;
constexpr unsigned kStateShowing = 25;
constexpr unsigned kStateManagesDescendants = 31;
// How much of an active window's tree the start-up search for the focus may read, and for
// how long, where the application cannot be asked for its focused object in one call.
constexpr int kMaxFocusSearchNodes = 20000;
constexpr qint64 kFocusSearchBudgetMs = 1500;
constexpr std::size_t kSearchBatch = 256;
// A window just activated by the user is searched for less long: the main thread waits.
constexpr qint64 kActivationSearchBudgetMs = 300;
// How long after a window's activation its application may still tell of its focus
// itself (GTK 3 and Qt do, right after; GTK 4 keeps quiet about a focus it already had).
constexpr int kActivationSettleMs = 100;

bool isNullPath(const QString& path)
{
    return path.isEmpty() || path == QLatin1String("/org/a11y/atspi/null");
}

// An accessible's (bus, path) reference, as properties and events carry it; its bus is
// `bus` when it names none. Nothing for the null object.
std::optional<AtspiRef> refFrom(const QVariant& value, const QString& bus)
{
    if (!value.canConvert<QDBusArgument>())
        return std::nullopt;
    const auto argument = value.value<QDBusArgument>();
    QString named;
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> named >> path;
    argument.endStructure();
    if (isNullPath(path.path()))
        return std::nullopt;
    return AtspiRef{named.isEmpty() ? bus : named, path.path()};
}

// Calls into one accessible application. After a timeout or a vanished peer every
// further call of the same snapshot gives up at once.
class AtspiCaller {
public:
    explicit AtspiCaller(QDBusConnection connection) : connection_(std::move(connection)) {}

    const QDBusConnection& connection() const { return connection_; }
    // The application stopped answering (or left) during this snapshot.
    bool dead() const { return dead_; }

    std::optional<QDBusMessage> call(const AtspiRef& ref, const QString& interface, const QString& method,
                                     const QVariantList& args = {})
    {
        if (dead_)
            return std::nullopt;
        auto message = QDBusMessage::createMethodCall(ref.bus, ref.path, interface, method);
        message.setArguments(args);
        QDBusMessage reply = connection_.call(message, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            const QString error = reply.errorName();
            if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
                error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                error == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
                dead_ = true;
            return std::nullopt;
        }
        return reply;
    }

    std::optional<QVariant> property(const AtspiRef& ref, const QString& interface, const QString& name)
    {
        auto reply = call(ref, kProperties, QStringLiteral("Get"), {interface, name});
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        return qvariant_cast<QDBusVariant>(reply->arguments().constFirst()).variant();
    }

    // The (bus, path) reference of the accessible's parent; nothing at the top.
    std::optional<AtspiRef> parent(const AtspiRef& ref)
    {
        auto value = property(ref, kAccessible, QStringLiteral("Parent"));
        if (!value)
            return std::nullopt;
        return refFrom(*value, ref.bus);
    }

    std::vector<AtspiRef> children(const AtspiRef& ref)
    {
        std::vector<AtspiRef> out;
        auto reply = call(ref, kAccessible, QStringLiteral("GetChildren"));
        if (!reply || reply->arguments().isEmpty())
            return out;
        const auto argument = reply->arguments().constFirst().value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            QString bus;
            QDBusObjectPath path;
            argument.beginStructure();
            argument >> bus >> path;
            argument.endStructure();
            if (!isNullPath(path.path()))
                out.push_back(AtspiRef{bus.isEmpty() ? ref.bus : bus, path.path()});
        }
        argument.endArray();
        return out;
    }

    // The first word of the object's state set; 0 when it cannot be read.
    unsigned states(const AtspiRef& ref)
    {
        auto reply = call(ref, kAccessible, QStringLiteral("GetState"));
        if (!reply || reply->arguments().isEmpty())
            return 0;
        const auto bits = qdbus_cast<QList<uint>>(reply->arguments().constFirst());
        return bits.isEmpty() ? 0 : bits.constFirst();
    }

    std::optional<QString> roleName(const AtspiRef& ref)
    {
        auto reply = call(ref, kAccessible, QStringLiteral("GetRoleName"));
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        return reply->arguments().constFirst().toString();
    }

private:
    QDBusConnection connection_;
    bool dead_{false};
};

// What an element is asked for. All of it goes out at once when the element is made, so
// a snapshot waits for about one round trip to the application instead of one per read.
enum class Prefetch { window, focusedElement };

class AtspiElement final : public AccessibleElement {
public:
    AtspiElement(std::shared_ptr<AtspiCaller> caller, AtspiRef ref, Prefetch prefetch)
        : caller_(std::move(caller)), ref_(std::move(ref))
    {
        name_ = send(kProperties, QStringLiteral("Get"), {kAccessible, QStringLiteral("Name")});
        if (prefetch == Prefetch::window)
            return;
        description_ = send(kProperties, QStringLiteral("Get"), {kAccessible, QStringLiteral("Description")});
        roleName_ = send(kAccessible, QStringLiteral("GetRoleName"));
        state_ = send(kAccessible, QStringLiteral("GetState"));
        attributes_ = send(kAccessible, QStringLiteral("GetAttributes"));
        selections_ = send(kText, QStringLiteral("GetNSelections"));
    }

    std::optional<std::string> stringAttribute(std::string_view name) const override
    {
        if (name == ax::kTitle)
            return stringProperty(name_);
        if (name == ax::kDescription)
            return stringProperty(description_);
        if (name == ax::kRole)
            return role();
        if (name == ax::kPlaceholderValue)
            return placeholder();
        if (name == ax::kSelectedText)
            return selectedText();
        if (name == ax::kValue)
            return textBetween(0, -1);
        return std::nullopt;
    }

private:
    // A call sent now and answered on first use.
    class Pending {
    public:
        Pending() = default;
        explicit Pending(QDBusPendingCall call) : call_(std::move(call)) {}
        std::optional<QList<QVariant>> arguments()
        {
            if (!call_)
                return std::nullopt;
            if (!done_) {
                call_->waitForFinished();
                const QDBusMessage reply = call_->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                    answer_ = reply.arguments();
                done_ = true;
            }
            return answer_;
        }

    private:
        std::optional<QDBusPendingCall> call_;
        std::optional<QList<QVariant>> answer_;
        bool done_{false};
    };

    Pending send(const QString& interface, const QString& method, const QVariantList& args = {})
    {
        auto message = QDBusMessage::createMethodCall(ref_.bus, ref_.path, interface, method);
        message.setArguments(args);
        return Pending(caller_->connection().asyncCall(message, kCallTimeoutMs));
    }

    static std::optional<std::string> stringProperty(Pending& property)
    {
        auto args = property.arguments();
        if (!args)
            return std::nullopt;
        const QVariant value = qvariant_cast<QDBusVariant>(args->constFirst()).variant();
        if (value.metaType() != QMetaType::fromType<QString>())
            return std::nullopt;
        return value.toString().toStdString();
    }

    std::optional<std::string> role() const
    {
        auto args = roleName_.arguments();
        if (!args)
            return std::nullopt;
        const std::string roleName = args->constFirst().toString().toStdString();
        bool multiLine = false;
        if (isAtspiTextInputRole(roleName)) {
            if (auto state = state_.arguments()) {
                const auto bits = qdbus_cast<QList<uint>>(state->constFirst());
                multiLine = !bits.isEmpty() && (bits.constFirst() & (1u << kStateMultiLine));
            }
        }
        return axRoleForAtspiRole(roleName, multiLine);
    }

    std::optional<std::string> placeholder() const
    {
        auto args = attributes_.arguments();
        if (!args)
            return std::nullopt;
        const auto attributes = qdbus_cast<QMap<QString, QString>>(args->constFirst());
        auto it = attributes.constFind(QStringLiteral("placeholder-text"));
        if (it == attributes.constEnd())
            return std::nullopt;
        return it.value().toStdString();
    }

    // The first selection; empty when the text has none. Nothing for non-text objects.
    std::optional<std::string> selectedText() const
    {
        auto count = selections_.arguments();
        if (!count)
            return std::nullopt;
        if (count->constFirst().toInt() <= 0)
            return std::string{};
        auto range = caller_->call(ref_, kText, QStringLiteral("GetSelection"), {0});
        if (!range || range->arguments().size() < 2)
            return std::string{};
        return textBetween(range->arguments().at(0).toInt(), range->arguments().at(1).toInt()).value_or("");
    }

    std::optional<std::string> textBetween(int start, int end) const
    {
        auto reply = caller_->call(ref_, kText, QStringLiteral("GetText"), {start, end});
        if (!reply || reply->arguments().isEmpty())
            return std::nullopt;
        return reply->arguments().constFirst().toString().toStdString();
    }

    std::shared_ptr<AtspiCaller> caller_;
    AtspiRef ref_;
    mutable Pending name_;
    mutable Pending description_;
    mutable Pending roleName_;
    mutable Pending state_;
    mutable Pending attributes_;
    mutable Pending selections_;
};

class AtspiApplication final : public AccessibleApplication {
public:
    AtspiApplication(std::shared_ptr<AtspiCaller> caller, AtspiRef focused, std::optional<AtspiRef> activeWindow)
        : caller_(std::move(caller)), focused_(std::move(focused)), activeWindow_(std::move(activeWindow))
    {
    }

    std::shared_ptr<AccessibleElement> focusedWindow() override
    {
        if (activeWindow_ && activeWindow_->bus == focused_.bus)
            return std::make_shared<AtspiElement>(caller_, *activeWindow_, Prefetch::window);
        // No activation seen: the nearest window-like ancestor of the focused object.
        std::optional<AtspiRef> ref = focused_;
        for (int depth = 0; ref && depth < kMaxParentWalk; ++depth) {
            auto role = caller_->roleName(*ref);
            if (!role)
                return nullptr;
            if (*role == QLatin1String("frame") || *role == QLatin1String("window") ||
                *role == QLatin1String("dialog"))
                return std::make_shared<AtspiElement>(caller_, *ref, Prefetch::window);
            if (*role == QLatin1String("application"))
                return nullptr;
            ref = caller_->parent(*ref);
        }
        return nullptr;
    }

    std::shared_ptr<AccessibleElement> focusedElement() override
    {
        return std::make_shared<AtspiElement>(caller_, focused_, Prefetch::focusedElement);
    }

private:
    std::shared_ptr<AtspiCaller> caller_;
    AtspiRef focused_;
    std::optional<AtspiRef> activeWindow_;
};

// The first focused object under `window`, asked of the application in one call through
// its Collection interface (GTK 3 and Firefox offer it). Nothing when the application
// cannot answer that way; an empty answer when it has no focused object there.
std::optional<std::optional<AtspiRef>> focusByCollection(AtspiCaller& caller, const AtspiRef& window)
{
    constexpr int kMatchAll = 1;
    constexpr uint kSortCanonical = 1;
    QDBusArgument rule;
    rule.beginStructure();
    rule << QList<int>{static_cast<int>(1u << kStateFocused), 0} << kMatchAll;
    rule.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
    rule.endMap();
    rule << kMatchAll << QList<int>{} << kMatchAll << QStringList{} << kMatchAll << false;
    rule.endStructure();
    auto reply = caller.call(window, QStringLiteral("org.a11y.atspi.Collection"), QStringLiteral("GetMatches"),
                             {QVariant::fromValue(rule), kSortCanonical, 1, true});
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    const auto matches = reply->arguments().constFirst().value<QDBusArgument>();
    std::optional<AtspiRef> found;
    matches.beginArray();
    while (!matches.atEnd()) {
        QString bus;
        QDBusObjectPath path;
        matches.beginStructure();
        matches >> bus >> path;
        matches.endStructure();
        if (!found && !isNullPath(path.path()))
            found = AtspiRef{bus.isEmpty() ? window.bus : bus, path.path()};
    }
    matches.endArray();
    return found;
}

// The first focused object under `window`, searched level by level through what is on
// screen: hidden menus and pages cannot hold the focus, and the items of a list that
// manages its descendants are too many to read. Each level's questions go out together,
// so a level costs about one round trip. Bounded in nodes and time.
std::optional<AtspiRef> focusBySearch(AtspiCaller& caller, const AtspiRef& window, qint64 budgetMs)
{
    if (caller.dead())
        return std::nullopt;
    QElapsedTimer timer;
    timer.start();
    std::vector<AtspiRef> level{window};
    std::vector<AtspiRef> next;
    int visited = 0;
    while (!level.empty() && timer.elapsed() < budgetMs) {
        next.clear();
        // A level goes out in batches, so a wide one neither floods the application nor
        // runs into the bus's limit on calls awaiting an answer.
        for (std::size_t from = 0; from < level.size() && timer.elapsed() < budgetMs; from += kSearchBatch) {
            const std::size_t to = std::min(level.size(), from + kSearchBatch);
            std::vector<QDBusPendingCall> states;
            states.reserve(to - from);
            for (std::size_t i = from; i < to; ++i) {
                auto message =
                    QDBusMessage::createMethodCall(level[i].bus, level[i].path, kAccessible, QStringLiteral("GetState"));
                states.push_back(caller.connection().asyncCall(message, kCallTimeoutMs));
            }
            std::vector<QDBusPendingCall> children;
            for (std::size_t i = from; i < to; ++i) {
                auto& call = states[i - from];
                call.waitForFinished();
                const QDBusMessage reply = call.reply();
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
                        return std::nullopt; // hung: it has had its time
                    continue;
                }
                const auto words = qdbus_cast<QList<uint>>(reply.arguments().constFirst());
                const uint bits = words.isEmpty() ? 0 : words.constFirst();
                if (bits & (1u << kStateFocused))
                    return level[i];
                const bool showing = level[i] == window || (bits & (1u << kStateShowing));
                if (!showing || (bits & (1u << kStateManagesDescendants)))
                    continue;
                auto message =
                    QDBusMessage::createMethodCall(level[i].bus, level[i].path, kAccessible, QStringLiteral("GetChildren"));
                children.push_back(caller.connection().asyncCall(message, kCallTimeoutMs));
            }
            for (auto& call : children) {
                call.waitForFinished();
                const QDBusMessage reply = call.reply();
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
                    continue;
                const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
                argument.beginArray();
                while (!argument.atEnd()) {
                    QString bus;
                    QDBusObjectPath path;
                    argument.beginStructure();
                    argument >> bus >> path;
                    argument.endStructure();
                    if (!isNullPath(path.path()) && visited < kMaxFocusSearchNodes) {
                        next.push_back(AtspiRef{bus.isEmpty() ? window.bus : bus, path.path()});
                        ++visited;
                    }
                }
                argument.endArray();
            }
        }
        std::swap(level, next);
    }
    return std::nullopt;
}

std::optional<AtspiRef> focusUnder(AtspiCaller& caller, const AtspiRef& window, qint64 budgetMs)
{
    if (auto asked = focusByCollection(caller, window))
        return *asked;
    return focusBySearch(caller, window, budgetMs);
}

// The focused object in the active window of `app`, and that window; nothing when none of
// its windows is active or the focus is not found in time.
std::optional<std::pair<AtspiRef, AtspiRef>> focusInActiveWindow(AtspiCaller& caller, const AtspiRef& app,
                                                                 qint64 budgetMs)
{
    for (const auto& window : caller.children(app)) {
        if (!(caller.states(window) & (1u << kStateActive)))
            continue;
        if (const auto found = focusUnder(caller, window, budgetMs))
            return std::pair{*found, window};
    }
    return std::nullopt;
}

const QString kRegistry = QStringLiteral("org.a11y.atspi.Registry");
const QString kRegistryRoot = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString kA11yBusService = QStringLiteral("org.a11y.Bus");
const QString kA11yBusPath = QStringLiteral("/org/a11y/bus");

} // namespace

std::unique_ptr<AtspiAccessibilitySource> AtspiAccessibilitySource::connectToSession(const QDBusConnection& session)
{
    if (!session.isConnected())
        return nullptr;
    // Named in the environment, as every AT-SPI client takes it, the bus needs no launcher
    // (the start names none there when the launcher does not answer).
    QString address = qEnvironmentVariable("AT_SPI_BUS_ADDRESS");
    if (address.isEmpty()) {
        auto request = QDBusMessage::createMethodCall(kA11yBusService, kA11yBusPath, kA11yBusService,
                                                      QStringLiteral("GetAddress"));
        const QDBusMessage reply = session.call(request, QDBus::Block, 2000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return nullptr;
        address = reply.arguments().constFirst().toString();
    }
    if (address.isEmpty())
        return nullptr;
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("plovane-a11y-%1").arg(counter++);
    QDBusConnection a11y = QDBusConnection::connectToBus(address, name);
    if (!a11y.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return nullptr;
    }
    std::unique_ptr<AtspiAccessibilitySource> source(new AtspiAccessibilitySource(session, a11y, name));
    source->subscribe();
    source->discoverFocus();
    return source;
}

AtspiAccessibilitySource::AtspiAccessibilitySource(QDBusConnection session, QDBusConnection a11y,
                                                   QString connectionName)
    : session_(std::move(session)), a11y_(std::move(a11y)), connectionName_(std::move(connectionName))
{
}

AtspiAccessibilitySource::~AtspiAccessibilitySource()
{
    a11y_ = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(connectionName_);
}

void AtspiAccessibilitySource::subscribe()
{
    // Asking the session bus on every snapshot would cost a round trip per tick.
    session_.connect(kA11yBusService, kA11yBusPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(onStatusChanged(QString, QVariantMap, QStringList)));
    trusted_ = readIsEnabled();

    a11y_.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"),
                  this, SLOT(onStateChanged(QDBusMessage)));
    // GTK 4 names the window events in lower case.
    for (const char* activate : {"Activate", "activate"})
        a11y_.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Window"), QString::fromLatin1(activate),
                      this, SLOT(onWindowActivated(QDBusMessage)));
    for (const char* deactivate : {"Deactivate", "deactivate"})
        a11y_.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Window"),
                      QString::fromLatin1(deactivate), this, SLOT(onWindowDeactivated(QDBusMessage)));

    // The registry tells of each application that joins the bus.
    a11y_.connect(kRegistry, kRegistryRoot, QStringLiteral("org.a11y.atspi.Event.Object"),
                  QStringLiteral("ChildrenChanged"), this, SLOT(onApplicationJoined(QDBusMessage)));
    // An application that quits takes its focus with it.
    a11y_.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                  QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                  SLOT(onNameOwnerChanged(QString, QString, QString)));

    // Applications only send the events some listener has asked the registry for. The
    // answers are not waited for: a slow or hung registry must not hold up the start.
    for (const char* event : {"object:state-changed:focused", "window:activate", "window:deactivate"}) {
        auto message = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.atspi.Registry"),
                                                      QStringLiteral("/org/a11y/atspi/registry"),
                                                      QStringLiteral("org.a11y.atspi.Registry"),
                                                      QStringLiteral("RegisterEvent"));
        message.setArguments({QString::fromLatin1(event)});
        a11y_.callWithCallback(message, this, nullptr, SLOT(onEventRegistrationFailed(QDBusError, QDBusMessage)),
                               10000);
    }
}

void AtspiAccessibilitySource::onEventRegistrationFailed(const QDBusError& error, const QDBusMessage& call)
{
    const QString event = call.arguments().isEmpty() ? QString() : call.arguments().constFirst().toString();
    logLine("Accessibility: cannot subscribe to " + event.toStdString() + ": " + error.message().toStdString());
}

void AtspiAccessibilitySource::discoverFocus()
{
    // Focus events only tell of changes; what had focus before we listened is looked up
    // once: the active window of each application, then its focused object below it.
    AtspiCaller registry{a11y_};
    for (const auto& app : registry.children(AtspiRef{kRegistry, kRegistryRoot})) {
        if (isOwnConnection(app.bus))
            continue;
        AtspiCaller caller{a11y_}; // a hung application only costs its own calls
        if (const auto found = focusInActiveWindow(caller, app, kFocusSearchBudgetMs)) {
            if (!focused_)
                focused_ = found->first;
            if (!activeWindow_)
                activeWindow_ = found->second;
            return;
        }
    }
}

void AtspiAccessibilitySource::onApplicationJoined(const QDBusMessage& message)
{
    const auto args = message.arguments();
    if (args.size() < 4 || args.at(0).toString() != QLatin1String("add"))
        return;
    const auto app = refFrom(qvariant_cast<QDBusVariant>(args.at(3)).variant(), QString());
    if (!app || app->bus.isEmpty() || isOwnConnection(app->bus))
        return;
    // An application can join with its window already active: a Qt one once its event
    // loop runs, GTK 4 once its window is first active. The focus it took before then was
    // told to no one; unless it speaks up now, look it up.
    QTimer::singleShot(kActivationSettleMs, this, [this, app = *app, events = focusEvents_] {
        if (focusEvents_ != events)
            return;
        AtspiCaller caller{a11y_};
        if (const auto found = focusInActiveWindow(caller, app, kActivationSearchBudgetMs)) {
            focused_ = found->first;
            activeWindow_ = found->second;
        }
    });
}

void AtspiAccessibilitySource::onStateChanged(const QDBusMessage& message)
{
    const auto args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != QLatin1String("focused"))
        return;
    AtspiRef ref{message.service(), message.path()};
    if (args.at(1).toInt() != 0) {
        focused_ = ref;
        ++focusEvents_;
    } else if (focused_ == ref) {
        focused_.reset();
    }
}

void AtspiAccessibilitySource::onWindowActivated(const QDBusMessage& message)
{
    const AtspiRef window{message.service(), message.path()};
    activeWindow_ = window;
    if (deactivatedBus_ == message.service())
        deactivatedBus_.reset();
    // An application that does not follow the activation with a focus event keeps its
    // focus where it was in that window: look it up there.
    QTimer::singleShot(kActivationSettleMs, this, [this, window, events = focusEvents_] {
        if (activeWindow_ != window || focusEvents_ != events)
            return;
        // Our own windows are not searched: the toolkit's bridge would answer on this thread.
        AtspiCaller caller{a11y_};
        std::optional<AtspiRef> found;
        if (!isOwnConnection(window.bus))
            found = focusUnder(caller, window, kActivationSearchBudgetMs);
        if (found)
            focused_ = found;
        else if (!focused_ || focused_->bus != window.bus)
            focused_ = window; // the application is known even where its focus is not
    });
}

void AtspiAccessibilitySource::onWindowDeactivated(const QDBusMessage& message)
{
    const AtspiRef ref{message.service(), message.path()};
    if (activeWindow_ == ref)
        activeWindow_.reset();
    // Until one of its windows is activated again, the application's last focus is stale:
    // the user may have moved to a window the accessibility layer never hears about.
    deactivatedBus_ = ref.bus;
}

void AtspiAccessibilitySource::onNameOwnerChanged(const QString& name, const QString& /*oldOwner*/,
                                                  const QString& newOwner)
{
    if (!newOwner.isEmpty())
        return;
    if (focused_ && focused_->bus == name)
        focused_.reset();
    if (activeWindow_ && activeWindow_->bus == name)
        activeWindow_.reset();
    if (deactivatedBus_ == name)
        deactivatedBus_.reset();
    pids_.remove(name);
}

bool AtspiAccessibilitySource::isTrusted() { return trusted_; }

std::optional<int> AtspiAccessibilitySource::focusedApplicationPid()
{
    if (!focused_ || deactivatedBus_ == focused_->bus)
        return std::nullopt;
    return pidOf(focused_->bus);
}

std::optional<int> AtspiAccessibilitySource::pidOf(const QString& bus)
{
    if (auto it = pids_.constFind(bus); it != pids_.constEnd())
        return *it;
    // The bus itself answers this, never an application.
    auto request = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                  QStringLiteral("/org/freedesktop/DBus"),
                                                  QStringLiteral("org.freedesktop.DBus"),
                                                  QStringLiteral("GetConnectionUnixProcessID"));
    request.setArguments({bus});
    const QDBusMessage reply = a11y_.call(request, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const int pid = static_cast<int>(reply.arguments().constFirst().toUInt());
    if (pid <= 0)
        return std::nullopt;
    pids_.insert(bus, pid);
    return pid;
}

bool AtspiAccessibilitySource::isOwnConnection(const QString& bus)
{
    if (bus == a11y_.baseService())
        return true;
    const auto pid = pidOf(bus);
    return pid && *pid == static_cast<int>(::getpid());
}

void AtspiAccessibilitySource::onStatusChanged(const QString& interface, const QVariantMap& changed,
                                               const QStringList& invalidated)
{
    if (interface != QLatin1String("org.a11y.Status"))
        return;
    if (auto it = changed.constFind(QStringLiteral("IsEnabled")); it != changed.constEnd())
        trusted_ = it->toBool();
    else if (invalidated.contains(QStringLiteral("IsEnabled")))
        trusted_ = readIsEnabled();
}

bool AtspiAccessibilitySource::readIsEnabled()
{
    auto request = QDBusMessage::createMethodCall(kA11yBusService, kA11yBusPath, kProperties, QStringLiteral("Get"));
    request.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")});
    const QDBusMessage reply = session_.call(request, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

std::shared_ptr<AccessibleApplication> AtspiAccessibilitySource::focusedApplication()
{
    if (!focused_ || deactivatedBus_ == focused_->bus)
        return nullptr;
    return std::make_shared<AtspiApplication>(std::make_shared<AtspiCaller>(a11y_), *focused_, activeWindow_);
}

} // namespace plovane
