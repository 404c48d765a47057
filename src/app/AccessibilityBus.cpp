#include "app/AccessibilityBus.h"

#include "platform/Log.h"
#include "platform/qt/X11Connection.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>

#include <xcb/xcb.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace plovane::accessibilityBus {
namespace {

const QString kLauncher = QStringLiteral("org.a11y.Bus");
const QString kLauncherPath = QStringLiteral("/org/a11y/bus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage statusQuery(const QString& property)
{
    auto message = QDBusMessage::createMethodCall(kLauncher, kLauncherPath, kProperties, QStringLiteral("Get"));
    message.setArguments({QStringLiteral("org.a11y.Status"), property});
    return message;
}

bool trueReply(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

// The AT_SPI_BUS property the launcher leaves on the X root window.
std::optional<std::string> rootWindowAddress()
{
    xcb_connection_t* c = toolkitX11Connection();
    if (!c)
        return std::nullopt;
    const char name[] = "AT_SPI_BUS";
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return std::nullopt;
    const xcb_atom_t property = atom->atom;
    std::free(atom);
    if (property == XCB_ATOM_NONE)
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return std::nullopt;
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, screen->root, property, XCB_ATOM_STRING, 0, 1024), nullptr);
    if (!reply)
        return std::nullopt;
    std::string address(static_cast<const char*>(xcb_get_property_value(reply)),
                        static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    if (address.empty())
        return std::nullopt;
    return address;
}

// The questions, asked from the probe's own thread. Every call has its timeout, so this
// ends; only connecting to a bus whose daemon is stopped could take longer, and then the
// caller has stopped waiting.
Probe ask(std::optional<std::string> xAddress, int timeoutMs)
{
    Probe found;
    const QDBusConnection session = QDBusConnection::sessionBus();
    found.launcherRegistered = session.isConnected() && session.interface()->isServiceRegistered(kLauncher);
    if (found.launcherRegistered) {
        // In parallel: together they take one timeout at most.
        QDBusPendingCall enabled = session.asyncCall(statusQuery(QStringLiteral("IsEnabled")), timeoutMs);
        QDBusPendingCall reader = session.asyncCall(statusQuery(QStringLiteral("ScreenReaderEnabled")), timeoutMs);
        QDBusPendingCall address = session.asyncCall(
            QDBusMessage::createMethodCall(kLauncher, kLauncherPath, kLauncher, QStringLiteral("GetAddress")),
            timeoutMs);
        enabled.waitForFinished();
        reader.waitForFinished();
        address.waitForFinished();
        const QDBusMessage addressReply = address.reply();
        found.launcherAnswered = addressReply.type() == QDBusMessage::ReplyMessage;
        found.enabled = trueReply(enabled.reply()) || trueReply(reader.reply());
        if (found.launcherAnswered && !addressReply.arguments().isEmpty())
            found.address = addressReply.arguments().constFirst().toString().toStdString();
    }
    found.addressGiven = xAddress.has_value();
    if (found.address.empty() && xAddress)
        found.address = *xAddress;
    if (found.address.empty())
        return found;

    const QString name = QStringLiteral("plovane-a11y-probe");
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(found.address), name);
        if (bus.isConnected()) {
            const QDBusMessage ping = bus.call(
                QDBusMessage::createMethodCall(QStringLiteral("org.a11y.atspi.Registry"),
                                               QStringLiteral("/org/a11y/atspi/accessible/root"),
                                               QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
                QDBus::Block, timeoutMs);
            found.registryAnswered = ping.type() == QDBusMessage::ReplyMessage;
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return found;
}

} // namespace

Probe probe(std::optional<std::string> xAddress, std::chrono::milliseconds timeout)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Probe> result;
    };
    auto shared = std::make_shared<Shared>();
    const int timeoutMs = static_cast<int>(timeout.count());
    // Not joined: when a bus hangs past the limit, the start goes on without its answer.
    std::thread([shared, xAddress = std::move(xAddress), timeoutMs] {
        Probe found = ask(xAddress, timeoutMs);
        std::lock_guard lock(shared->mutex);
        shared->result = std::move(found);
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    shared->done.wait_for(lock, timeout * 2 + std::chrono::milliseconds(100), [&] { return shared->result.has_value(); });
    return shared->result.value_or(Probe{});
}

std::optional<std::string> bridgeAddress(const Probe& probe, bool alwaysOn)
{
    // No launcher: the bridge waits for one to appear, asking nothing meanwhile.
    if (!probe.launcherRegistered && !probe.addressGiven)
        return std::nullopt;
    // A launcher that does not answer: the bridge would wait for it, twice. Given the
    // bus's address, it asks no launcher: the address of a bus that answers is given
    // (the X root window's), and no bus otherwise.
    if (probe.launcherRegistered && !probe.launcherAnswered)
        return probe.addressGiven && probe.registryAnswered ? probe.address : std::string(kNoBus);
    // Switched on (as the launcher says, or for an address given), the bridge registers
    // with the registry and waits for its answer.
    const bool on = alwaysOn || probe.enabled || probe.addressGiven;
    if (on && !probe.registryAnswered)
        return std::string(kNoBus);
    return std::nullopt;
}

void prepareBridge()
{
    using namespace std::chrono_literals;
    constexpr auto kTimeout = 400ms;
    const QByteArray chosen = qgetenv("AT_SPI_BUS_ADDRESS");
    std::optional<std::string> xAddress;
    if (!chosen.isEmpty())
        xAddress = chosen.toStdString();
    else
        xAddress = rootWindowAddress();
    Probe found = probe(xAddress, kTimeout);
    if (!chosen.isEmpty()) {
        // The user's own bus: the bridge asks no launcher then, only its registry.
        found.address = chosen.toStdString();
        found.launcherRegistered = false;
    }
    const std::optional<std::string> address =
        bridgeAddress(found, qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
    if (logEnabled(LogLevel::debug))
        logDebug(std::string("accessibility bus: launcher ") +
                 (found.launcherRegistered ? (found.launcherAnswered ? "answered" : "silent") : "absent") +
                 (found.enabled ? ", on" : ", off") + ", bus " + (found.address.empty() ? "unknown" : found.address) +
                 (found.registryAnswered ? ", registry answered" : ", registry silent"));
    if (address && *address == kNoBus)
        logLine(found.launcherRegistered && !found.launcherAnswered
                    ? "The accessibility bus does not answer; screen readers cannot reach Plovane in this session."
                    : "The accessibility registry does not answer; screen readers cannot reach Plovane in this session.");
    else if (address)
        logLine("The accessibility bus launcher does not answer; using the bus the X display names.");
    if (address) {
        // Given an address, the bridge asks neither the launcher nor, with none there,
        // the registry.
        qputenv("AT_SPI_BUS_ADDRESS", QByteArray::fromStdString(*address));
    }
    // The bridge reads the variable once, now, while it is created.
    QAccessible::isActive();
}

} // namespace plovane::accessibilityBus
