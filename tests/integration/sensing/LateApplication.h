#pragma once

// An application that shows, takes the focus and only then joins the accessibility bus,
// as one whose accessibility comes up late does: it tells no one of that focus. Its window
// holds a focused field. It notes who called it.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QStringList>

namespace plovane::test {

class LateApplication final : public QDBusVirtualObject {
public:
    struct Ref {
        QString bus;
        QDBusObjectPath path;
    };
    static const QString& base()
    {
        static const QString path = QStringLiteral("/org/a11y/atspi/accessible");
        return path;
    }
    static QDBusObjectPath node(const char* name) { return QDBusObjectPath(base() + '/' + QLatin1String(name)); }

    // Who called, by bus name.
    QStringList callers;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    // Puts the application on `bus` and asks the registry to take it in, without waiting.
    bool join(QDBusConnection& bus);
};

} // namespace plovane::test

Q_DECLARE_METATYPE(plovane::test::LateApplication::Ref)

namespace plovane::test {

inline QDBusArgument& operator<<(QDBusArgument& argument, const LateApplication::Ref& ref)
{
    argument.beginStructure();
    argument << ref.bus << ref.path;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, LateApplication::Ref& ref)
{
    argument.beginStructure();
    argument >> ref.bus >> ref.path;
    argument.endStructure();
    return argument;
}

inline bool LateApplication::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    callers << message.service();
    const QString name = message.path().section(QLatin1Char('/'), -1);
    QDBusMessage reply = message.createReply();
    if (message.member() == QLatin1String("GetChildren")) {
        QList<Ref> children;
        if (name == QLatin1String("root"))
            children = {{connection.baseService(), node("window")}};
        else if (name == QLatin1String("window"))
            children = {{connection.baseService(), node("field")}};
        reply << QVariant::fromValue(children);
    } else if (message.member() == QLatin1String("GetState")) {
        constexpr uint active = 1u << 1, focused = 1u << 12, showing = 1u << 25;
        const uint bits = name == QLatin1String("window") ? active | showing
                          : name == QLatin1String("field") ? focused | showing
                                                            : 0u;
        reply << QVariant::fromValue(QList<uint>{bits, 0u});
    } else {
        return false;
    }
    return connection.send(reply);
}

inline bool LateApplication::join(QDBusConnection& bus)
{
    qDBusRegisterMetaType<Ref>();
    qDBusRegisterMetaType<QList<Ref>>();
    if (!bus.registerVirtualObject(base(), this, QDBusConnection::SubPath))
        return false;
    auto embed = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.atspi.Registry"),
                                                QStringLiteral("/org/a11y/atspi/accessible/root"),
                                                QStringLiteral("org.a11y.atspi.Socket"), QStringLiteral("Embed"));
    embed << QVariant::fromValue(Ref{bus.baseService(), node("root")});
    return bus.send(embed);
}

// The address of the session's accessibility bus, or nothing.
inline QString accessibilityBusAddress()
{
    auto ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                              QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    return QDBusConnection::sessionBus().call(ask).arguments().value(0).toString();
}

} // namespace plovane::test
